#!/usr/bin/env python3
"""Times littoral climate on a 40-year synthetic hourly wind record (by hand, not part of CI).

    python3 bench/climate_bench.py [path/to/littoral] [--years Y] [--runs R]

Writes a record of Y years of hourly winds (default 40: about 350,000 records) from a fixed
seed, with gaps and missing values, and a fetch table of a site facing north-east, to a scratch
directory; then runs `littoral climate` with the transport stage and both summaries, R times on
one thread and on every core (default 3), and prints for each the best wall time, the processor
time and the peak resident memory, with the storms' count.
"""
import argparse
import math
import os
import random
import subprocess
import sys
import tempfile
import time

from table_bench import machine


def write_record(path, years, seed=21):
    """Hourly winds from 2000 on: a slowly varying weather pattern, gusts, calms, a two-day gap
    each year and some missing values."""
    rng = random.Random(seed)
    hours = int(years * 365.25 * 24)
    speed = 8.0
    direction = 45.0
    start = time.mktime((2000, 1, 1, 0, 0, 0, 0, 0, 0)) - time.timezone
    with open(path, "w") as out:
        out.write("time,wind_speed,wind_direction\n")
        for hour in range(hours):
            if hour % 8766 < 48:
                continue  # the station was down
            speed = max(0.0, speed + rng.gauss(0, 1.2) + 0.05 * (8 - speed))
            direction = (direction + rng.gauss(0, 12)) % 360
            stamp = time.strftime("%Y-%m-%d %H:%M", time.gmtime(start + 3600 * hour))
            if rng.random() < 0.01:
                out.write(f"{stamp},999,MM\n")
            else:
                out.write(f"{stamp},{speed:.1f},{direction:.0f}\n")
    return hours


def write_fetch(path):
    with open(path, "w") as out:
        out.write("direction,fetch,depth\n")
        for direction in range(0, 360, 15):
            sea = math.cos(math.radians(direction - 45))
            fetch = 0 if sea < 0.1 else round(20 + 180 * sea, 1)
            out.write(f"{direction},{fetch},{round(8 + 12 * max(sea, 0), 1)}\n")


def run_once(command):
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    errors = process.stderr.read().decode()
    process.stderr.close()
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit(f"{' '.join(command)} failed: {errors}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", nargs="?", default="build/default/littoral")
    parser.add_argument("--years", type=float, default=40)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    print(machine())
    with tempfile.TemporaryDirectory() as scratch:
        winds = os.path.join(scratch, "winds.csv")
        fetch = os.path.join(scratch, "fetch.csv")
        write_record(winds, args.years)
        write_fetch(fetch)
        with open(winds) as lines:
            records = sum(1 for _ in lines) - 1
        print(f"{records:,} hourly records over {args.years:g} years "
              f"({os.path.getsize(winds) / 1e6:.1f} MB)")
        for jobs in (1, os.cpu_count() or 1):
            command = [args.binary, "climate", winds, "--fetch", fetch, "--shore-normal", "45",
                       "--local-depth", "3", "--settling", "1.5", "--missing", "999,MM",
                       "-o", os.path.join(scratch, "storms.csv"),
                       "--summary", os.path.join(scratch, "years.csv"),
                       "--sector-summary", os.path.join(scratch, "sectors.csv"),
                       "-j", str(jobs)]
            results = [run_once(command) for _ in range(args.runs)]
            wall, cpu, rss, errors = min(results, key=lambda result: result[0])
            print(f"  -j{jobs}  {wall:6.3f} s wall  {cpu:6.3f} s processor  "
                  f"peak {rss / 1024:5.1f} MB")
        print("  " + errors.strip().replace("\n", "\n  "))
        print("  littoral climate WINDS --fetch FETCH --shore-normal 45 --local-depth 3 "
              "--settling 1.5 --missing 999,MM -o STORMS --summary Y --sector-summary S")


if __name__ == "__main__":
    main()
