#!/usr/bin/env python3
"""Writes made-up traces of a drive's free space for forecast_backtest, one CSV per kind.

Each line is `time;free;total` (time in seconds since 1970 UTC, sizes in bytes), a reading every
ten minutes while the computer is on, over some weeks, from fixed seeds: the same files on every
run. The drive holds 500 GB; at a limit of 10 % the traces that fill cross 50 GB.

Usage: tools/make_traces.py OUT_DIR
"""
import os
import random
import sys

GB = 1 << 30
TOTAL = 500 * GB
DAY = 86400
START = 1704067200  # Monday, 1 January 2024, 00:00 UTC
STEP = 600


def steady(r, t):
    # 4 GB a day, and temporary files that come and go.
    return 200 * GB - 4 * GB * t / DAY - r.uniform(0, 0.6 * GB)


def steps_trace(seed, days):
    # A download of 3 to 6 GB once a day at some hour, nothing in between.
    r = random.Random(seed)
    drops = [(d * DAY + r.uniform(0, DAY), r.uniform(3, 6) * GB) for d in range(days)]
    return lambda _, t: 190 * GB - sum(size for at, size in drops if at <= t)


def office(r, t):
    # Working days from 8 to 18 fill 1 GB an hour; the computer is off at night and at weekends.
    days, into = divmod(t, DAY)
    weeks, weekday = divmod(int(days), 7)
    worked = weeks * 5 + min(weekday, 5)
    hours = worked * 10 + (min(max(into / 3600 - 8, 0), 10) if weekday < 5 else 0)
    return 250 * GB - hours * GB - r.uniform(0, 0.3 * GB)


def office_on(t):
    days, into = divmod(t, DAY)
    return int(days) % 7 < 5 and 7 * 3600 <= into < 19 * 3600


def deletion(r, t):
    # 5 GB a day; on the 20th day 60 GB are deleted.
    return 200 * GB - 5 * GB * t / DAY + (60 * GB if t >= 20 * DAY else 0) - r.uniform(0, 0.5 * GB)


def noise(r, t, state={}):
    # Level, but temporary files of up to 40 GB that build up and vanish over hours.
    temp = state.get("temp", 0.0)
    temp = min(max(temp + r.gauss(0, 1.5 * GB), 0), 40 * GB)
    state["temp"] = temp
    return 150 * GB - temp


def flat(r, t):
    return 150 * GB - r.uniform(0, 0.1 * GB)


def install(r, t):
    # Level, then one install of 70 GB on the sixth day, then level again.
    return 150 * GB - (70 * GB if t >= 5.5 * DAY else 0) - r.uniform(0, 0.2 * GB)


TRACES = [
    ("steady", 1, 42, steady, None),
    ("steps", 2, 42, steps_trace(20, 42), None),
    ("office", 3, 42, office, office_on),
    ("deletion", 4, 49, deletion, None),
    ("noise", 5, 42, noise, None),
    ("flat", 6, 42, flat, None),
    ("install", 7, 42, install, None),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    for name, seed, days, free, on in TRACES:
        r = random.Random(seed)
        with open(os.path.join(out, name + ".csv"), "w") as f:
            for t in range(0, days * DAY, STEP):
                if on is None or on(t):
                    f.write("%d;%d;%d\n" % (START + t, max(0, round(free(r, t))), TOTAL))


if __name__ == "__main__":
    main()
