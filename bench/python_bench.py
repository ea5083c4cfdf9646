#!/usr/bin/env python3
"""Rows per second of littoral.run_table and littoral.dask against `littoral table`.

    PYTHONPATH=build/default/python python3 bench/python_bench.py [build/default/littoral] [rows]
    PYTHONPATH=build/default/python python3 bench/python_bench.py --cpu [rows]

Makes a table of varied storms (SI and US, fetch- and duration-limited, all with the transport
stage), then times, each on one core: `littoral table -j 1` on the table as a CSV file, and
littoral.run_table(jobs=1) on it as a DataFrame; then littoral.dask on a LocalCluster of two
worker processes of one thread each. With --cpu, only run_table(jobs=1) on 200,000 rows by
default, in storms a second of the process's processor time, the best of three runs.
"""
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd

import littoral
import littoral.dask


def storm_table(rows, seed=7):
    rng = np.random.default_rng(seed)
    us = rng.random(rows) < 0.3
    return pd.DataFrame({
        "gravity": np.where(us, 32.2, 9.81),
        "depth": np.where(us, rng.uniform(15, 60, rows), rng.uniform(5, 20, rows)).round(1),
        "fetch": rng.uniform(5, 150, rows).round(1),
        "fetch_unit": np.where(us, "miles", "km"),
        "wind_speed": rng.uniform(5, 35, rows).round(1),
        "speed_unit": np.where(us, "mph", "m/s"),
        "duration_h": rng.choice([1, 2, 3, 6, 12, 24], rows),
        "rt": 1.0,
        "rl": rng.uniform(1.0, 1.3, rows).round(2),
        "local_depth": np.where(us, rng.uniform(5, 12, rows), rng.uniform(1.5, 4, rows)).round(1),
        "angle_deg": rng.uniform(-60, 60, rows).round(1),
        "settling_velocity": rng.uniform(0.5, 4, rows).round(2),
    })


def timed(what, rows, run):
    start = time.perf_counter()
    run()
    seconds = time.perf_counter() - start
    print(f"{what:<40} {rows / seconds:12,.0f} rows/s  ({seconds:.2f} s)")
    return rows / seconds


def run_table_cpu(rows, runs=3):
    """run_table(jobs=1)'s storms a second of process time on storm_table(rows): the best run,
    and the process's first call, which also takes the fresh memory that later calls reuse."""
    table = storm_table(rows)
    seconds = []
    for _ in range(runs):
        start = time.process_time()
        littoral.run_table(table, jobs=1)
        seconds.append(time.process_time() - start)
    print(f"littoral.run_table(jobs=1), {rows:,} rows: {rows / min(seconds):,.0f} storms/s of "
          f"process time (the first call: {rows / seconds[0]:,.0f})")


def main():
    if sys.argv[1:2] == ["--cpu"]:
        run_table_cpu(int(sys.argv[2]) if len(sys.argv) > 2 else 200_000)
        return
    binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/littoral"
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    table = storm_table(rows)
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "storms.csv")
        table.to_csv(path, index=False)
        command = timed("littoral table -j 1", rows, lambda: subprocess.run(
            [binary, "table", path, "-j", "1", "-o", os.path.join(scratch, "out.csv")],
            check=True))
    python = timed("littoral.run_table(jobs=1)", rows, lambda: littoral.run_table(table, jobs=1))
    print(f"run_table's time a row against the command's, one core each: {command / python:.2f}")

    import dask.dataframe as dd
    import distributed
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        ddf = dd.from_pandas(table, npartitions=8).persist()
        timed("littoral.dask, 2 workers", rows,
              lambda: littoral.dask.run_table(ddf, jobs=1).storm_transport.sum().compute())


if __name__ == "__main__":
    main()
