#!/usr/bin/env python3
"""Storms a second of the computation alone against a numpy chain (by hand, not part of CI).

    /usr/bin/python3 bench/compute_bench.py [build/default/bench/storm_bench] [--storms N]
        [--runs R] [--before OLD/storm_bench] [--rounds K]

Writes N realistic storms (bench/storm_table.py, default 200,000) to a scratch table, runs
storm_bench on it (runStorm one storm at a time, and runStorms in batches, each the best of R
runs, default 5), then times on the same storms, in the same process, a numpy float64 chain
vectorized over the storms: the hindcast with the duration limit solved in closed form, two
dispersion loops of a fixed 30 passes (offshore and local depth), the shoaling coefficients,
the breaking caps and the height statistics. Both time the processor time of their thread, the
best of the runs, so that other processes on the machine count as little as they can. All of it
is done K times (default 1; 3 with --before, when an earlier build's storm_bench runs on the same
storms in turns with this one), and the best of each is printed, with the range of numpy's. The
chain is a comparison only: it is not exact and leaves out the refraction and the transport,
which the storms of the table all run. numpy works on one core here (its element-wise functions
use one thread).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import storm_table  # noqa: E402  (the table benchmark's storms)
from table_bench import machine  # noqa: E402

FETCH_FACTORS = {("km", True): 1000.0, ("miles", False): 5280.0}
SPEED_FACTORS = {("m/s", True): 1.0, ("mph", False): 1.4666667}


def storm_arrays(rows):
    """The table's storms as float64 columns, the units turned into factors."""
    rng = storm_table.random.Random(1984)
    names = storm_table.HEADER.split(",")
    records = [storm_table.storm(rng, row).split(",") for row in range(rows)]
    column = {name: [record[i] for record in records] for i, name in enumerate(names)}
    real = {name: np.array(column[name], dtype=np.float64)
            for name in ("gravity", "depth", "fetch", "wind_speed", "duration_h", "rt", "rl",
                         "local_depth")}
    si = real["gravity"] < 30
    real["fetch_factor"] = np.array([FETCH_FACTORS[(unit, s)]
                                     for unit, s in zip(column["fetch_unit"], si)])
    real["speed_factor"] = np.array([SPEED_FACTORS[(unit, s)]
                                     for unit, s in zip(column["speed_unit"], si)])
    return records, names, real


def dispersion(lo, depth, start, passes=30):
    """L = lo tanh(2 pi d / L) by a fixed number of averaging passes; kd of the last."""
    length = start
    for _ in range(passes):
        length = 0.5 * (length + lo * np.tanh(2 * np.pi * depth / length))
    return length, 2 * np.pi * depth / length


def shoaling(kd):
    return np.sqrt(1 / (np.tanh(kd) * (1 + 2 * kd / np.sinh(2 * kd))))


def numpy_chain(s):
    """Hindcast, two dispersion loops, shoaling and statistics over arrays of storms."""
    g = s["gravity"]
    si = g < 30
    fetch = s["fetch"] * s["fetch_factor"]
    speed = s["wind_speed"] * s["speed_factor"] * s["rt"] * s["rl"]
    ua = np.where(si, 0.71 * speed ** 1.23, 0.589 * (speed * 3600 / 5280) ** 1.23 * 5280 / 3600)
    duration = s["duration_h"] * 3600
    fd = g * s["depth"] / ua ** 2
    ff = g * fetch / ua ** 2
    a = np.tanh(0.53 * fd ** 0.75)
    b = np.tanh(0.833 * fd ** 0.375)
    # The fetch whose period is the duration's, where the duration limits the growth.
    period_of_duration = (g * duration / ua / 537) ** (3 / 7) * ua / g
    y = np.minimum(period_of_duration * g / (ua * 7.54 * b), 1 - 1e-12)
    ff = np.minimum(ff, (np.arctanh(y) * b / 0.0379) ** 3)
    hs = 0.283 * a * np.tanh(0.00565 * np.sqrt(ff) / a) * ua ** 2 / g
    ts = 7.54 * b * np.tanh(0.0379 * np.cbrt(ff) / b) * ua / g

    lo = g * ts ** 2 / (2 * np.pi)
    l1, kd1 = dispersion(lo, s["depth"], lo)
    ks = shoaling(kd1)
    hs = np.minimum(hs, np.minimum(0.78 * s["depth"], 0.14 * lo * np.tanh(kd1)))
    deep = hs / ks
    local_length, kd2 = dispersion(lo, s["local_depth"], l1)
    ks_local = shoaling(kd2)
    local = np.minimum(ks_local * deep, np.minimum(0.78 * s["local_depth"],
                                                   0.14 * lo * np.tanh(kd2)))
    rows = [hs / np.sqrt(2), hs, 1.27 * hs, 1.67 * hs,
            local / np.sqrt(2), local, 1.27 * local, 1.67 * local]
    return np.stack(rows + [ts, l1, ks, local_length, ks_local])


def best_seconds(runs, work):
    """The least processor time of this thread over the runs, as storm_bench measures."""
    best = float("inf")
    for _ in range(runs):
        start = time.thread_time()
        work()
        best = min(best, time.thread_time() - start)
    return best


def run_bench(bench, table, runs):
    """storm_bench's two rates (one by one, in batches) on the table, in storms a second."""
    run = subprocess.run([bench, table, str(runs)], capture_output=True, text=True, check=False)
    if run.returncode != 0:
        sys.exit(f"{bench}: {run.stderr.strip()}")
    return [float(line.split(": ")[1].split()[0]) for line in run.stdout.splitlines()[1:3]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bench", nargs="?",
                        default=os.path.join(HERE, "..", "build", "default", "bench",
                                             "storm_bench"))
    parser.add_argument("--storms", type=int, default=200000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--before")
    parser.add_argument("--rounds", type=int)
    arguments = parser.parse_args()
    rounds = arguments.rounds or (3 if arguments.before else 1)
    builds = [("before", arguments.before)] if arguments.before else []
    builds.append(("after" if arguments.before else "this build", arguments.bench))

    print(machine())
    records, names, arrays = storm_arrays(arguments.storms)
    best = {label: [0.0, 0.0] for label, _ in builds}
    numpy_rates = []
    with tempfile.TemporaryDirectory() as directory:
        table = os.path.join(directory, "storms.csv")
        with open(table, "w", encoding="ascii") as out:
            out.write(",".join(names) + "\n")
            out.write("\n".join(",".join(record) for record in records) + "\n")
        for _ in range(rounds):
            for label, bench in builds:
                rates = run_bench(bench, table, arguments.runs)
                best[label] = [max(a, b) for a, b in zip(best[label], rates)]
            seconds = best_seconds(arguments.runs, lambda: numpy_chain(arrays))
            numpy_rates.append(arguments.storms / seconds)

    print(f"storms {arguments.storms}, best of {arguments.runs} runs in each of {rounds} rounds")
    for label, (one, batched) in best.items():
        print(f"{label}: runStorm one by one {one:,.0f} storms/s ({1e6 / one:.3f} us a storm)")
        print(f"{label}: runStorms in batches of 1024 {batched:,.0f} storms/s "
              f"({1e6 / batched:.3f} us a storm)")
    print(f"numpy float64 partial chain: {max(numpy_rates):,.0f} storms/s "
          f"({1e6 / max(numpy_rates):.3f} us a storm); {min(numpy_rates):,.0f} in the slowest round")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
