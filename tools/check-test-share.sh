#!/usr/bin/env bash
# Keeps new tests lean: the lines that tests/ gained since the base commit below may be at most
# 40 % of the lines the rest of the source gained, once that has grown by 400 lines or more.
# Counted are C++, Python, shell and NSIS files (no data, seeds or pictures), from the base to
# the work tree, uncommitted changes included. Tests are never deleted to pass it: fold new
# cases into the tables, drop those that restate the code or that no sabotage made fail. The
# base moves only when the project decides so.
#
# Usage: tools/check-test-share.sh [REPO_DIR]
set -euo pipefail
base=8f22c0f
max_percent=40
min_code_lines=400

cd "${1:-$(dirname "$0")/..}"
if ! git rev-parse --git-dir >/dev/null 2>&1; then
  echo "check-test-share: not a git checkout; nothing to compare"
  exit 0
fi
if ! git cat-file -e "$base^{commit}" 2>/dev/null; then
  echo "check-test-share: the base commit $base is missing (a shallow clone?); fetch it first" >&2
  exit 1
fi

# Net lines gained (added minus removed) by the counted files under the given pathspecs.
gained() {
  git diff --numstat "$base" -- "$@" |
    awk '$1 != "-" && $3 ~ /\.(cpp|h|hpp|c|py|sh|nsi|nsh)$/ { n += $1 - $2 } END { print n + 0 }'
}
tests=$(gained tests)
code=$(gained . ':(exclude)tests')

echo "check-test-share: since $base the code gained $code lines, the tests $tests"
if ((code < min_code_lines)); then
  echo "check-test-share: the code has grown by less than $min_code_lines lines; no share held yet"
  exit 0
fi
if ((tests * 100 > code * max_percent)); then
  echo "check-test-share: FAILED: the tests grew by $((tests * 100 / code)) % of the code's" \
    "growth, more than $max_percent % ($((code * max_percent / 100)) lines at most)."
  echo "  Fold new cases into the existing tables, one fixture per unit, and drop cases that"
  echo "  restate the code or that no sabotage of the code made fail; never delete a test's"
  echo "  checks of behaviour to pass."
  exit 1
fi
echo "check-test-share: the tests grew by $((tests * 100 / code)) % of the code's growth" \
  "(at most $max_percent %)"
