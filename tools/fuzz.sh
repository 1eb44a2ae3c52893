#!/usr/bin/env bash
# Builds the fuzz preset, replays the committed seeds, then runs each libFuzzer target for
# SECONDS (default 60) on a working corpus under build/fuzz/corpus/, which grows from run to
# run and is never committed. A crash, a sanitizer report or a failed check stops that target;
# its input is kept under build/fuzz/artifacts/ and the script fails.
#   tools/fuzz.sh [SECONDS]      SECONDS=0 replays the seeds only
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
seconds=${1:-60}
# QUENORA_FUZZ_TARGETS picks some ("numbers settings"); all by default.
read -r -a targets <<<"${QUENORA_FUZZ_TARGETS:-message_template numbers settings drive_tip_text registry_read_string}"

cmake --preset fuzz >/dev/null || { echo "fuzz: configuring the fuzz preset failed" >&2; exit 1; }
cmake --build --preset fuzz || { echo "fuzz: building the fuzz preset failed" >&2; exit 1; }

echo "=== fuzz: replaying the seeds ==="
if ! ctest --preset fuzz; then
  echo "fuzz: FAILED: a committed seed input fails (see the report above)"
  exit 1
fi
[[ $seconds == 0 ]] && exit 0

bin=build/fuzz/tests/fuzz
failed=()
for name in "${targets[@]}"; do
  work=build/fuzz/corpus/$name artifacts=build/fuzz/artifacts/$name log=build/fuzz/$name.log
  mkdir -p "$work" "$artifacts"
  echo "=== fuzz: $name for ${seconds}s ==="
  # New inputs go to the first directory, the working corpus; the seeds are only read.
  nice "$bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "tests/fuzz/corpus/$name" \
    >"$log" 2>&1
  rc=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  cov=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\).*/cov \1, ft \2, corpus \3/p' \
    <<<"$done_line")
  if ((rc != 0)); then
    failed+=("$name")
    reason=$(grep -m1 -E 'CHECK failed|runtime error|ERROR: (AddressSanitizer|libFuzzer|LeakSanitizer)' "$log")
    input=$(sed -n "s/.*Test unit written to \(.*\)/\1/p" "$log" | tail -1)
    echo "fuzz: FAILED: $name: ${reason:-exit code $rc}"
    echo "fuzz: the input is ${input:-(not saved)}; replay: $bin/fuzz_$name ${input:-INPUT}; log: $log"
    tail -n 30 "$log"
  else
    echo "fuzz: $name: ${runs:-?} runs, ${speed:-?} exec/s, ${cov:-no coverage line}, peak ${rss:-?} MB"
  fi
done
if ((${#failed[@]})); then
  echo "fuzz: FAILED in: ${failed[*]}"
  exit 1
fi
echo "fuzz: no target found anything in ${seconds}s each"
