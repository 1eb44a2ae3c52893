#!/usr/bin/env python3
"""Runs forecast_backtest on the made-up traces and holds each to what it must meet."""
import re
import subprocess
import sys
import tempfile

# Trace: least share of the hours that could have had a forecast and got one, largest median
# error against the real crossing, most forecasts on a trace that never crosses.
LIMITS = {
    "steady": (0.95, 0.05, None),
    "steps": (0.85, 0.15, None),
    "office": (0.90, 0.25, None),
    "deletion": (0.85, 0.10, None),
    "noise": (None, None, 5),
    "flat": (None, None, 5),
    "install": (None, None, 5),
}

backtest, make_traces = sys.argv[1], sys.argv[2]
with tempfile.TemporaryDirectory() as out:
    subprocess.run([sys.executable, make_traces, out], check=True)
    report = subprocess.run([backtest] + ["%s/%s.csv" % (out, n) for n in LIMITS], check=True,
                            capture_output=True, text=True).stdout
failed = False
for line in report.splitlines():
    print(line)
    name = re.search(r"(\w+)\.csv", line).group(1)
    v = {k: float(x) for k, x in re.findall(r"(\w+)=([\d.]+)", line)}
    coverage, error, given = LIMITS[name]
    bad = (v["wrong"] > 0 or (coverage is not None and v["coverage"] < coverage)
           or (error is not None and v["median_error"] > error)
           or (given is not None and v["given"] > given))
    if bad:
        print("  FAILED: wants coverage >= %s, median_error <= %s, given <= %s, wrong 0"
              % (coverage, error, given))
        failed = True
sys.exit(1 if failed or len(report.splitlines()) != len(LIMITS) else 0)
