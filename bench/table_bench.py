#!/usr/bin/env python3
"""Times littoral table on a realistic storm table (by hand, not part of CI).

    python3 bench/table_bench.py [path/to/littoral] [--rows N] [--runs R] [--dialogues D]
                                 [--before path/to/an/earlier/littoral]

Writes a table of N storms (bench/storm_table.py, default 300,000) to a scratch directory and
runs `littoral table TABLE -o OUT` on one thread (-j1) and on every core, R times each (default
3), OUT removed before each run so that every run writes a new file. For each it prints the
best wall time as rows a second, the processor time a row, and the peak resident memory of the
process. With --before, an earlier build runs the same table in the same way, each of its runs
taking turns with one of this build's, so that a busy moment of the machine falls on both
alike, and the speed-up of each is printed. Then, as the yardstick of the threads' speed-up, as
many one-thread processes as cores run at once, each on its share of the rows: what the machine
gives that many threads that share nothing. Then it runs the interactive program once for each
of the first D storms of the table (default 200) and prints the cost of a storm that way
against its cost in the table.
"""
import argparse
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FETCH_UNITS = ["ft", "m", "miles", "km", "kml"]
SPEED_UNITS = ["ft/s", "m/s", "mph", "km/h", "knots"]


def machine():
    model = "unknown processor"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    load = os.getloadavg()[0] if hasattr(os, "getloadavg") else float("nan")
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, " \
           f"load average {load:.2f} at the start"


def run_once(command):
    """Wall seconds, processor seconds and peak resident kB of one process."""
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    errors = process.stderr.read().decode()
    process.stderr.close()
    if process.returncode != 0:
        sys.exit(f"{' '.join(command)} ended with {process.returncode}: {errors}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def report(label, command, results, rows):
    wall, cpu, rss = min(results, key=lambda result: result[0])
    print(f"  {label:<10} {rows / wall:>10,.0f} rows/s   {wall:7.2f} s wall   "
          f"{cpu / rows * 1e6:6.2f} us processor a row   peak {rss / 1024:6.1f} MB   "
          f"(median of {len(results)}: {rows / statistics.median(r[0] for r in results):,.0f} "
          "rows/s)")
    print(f"        {' '.join(command)}")
    return wall


def time_table(binaries, table, out, jobs, runs, rows):
    """The best wall time of each binary (this build last) on the table with `jobs` threads,
    their runs taking turns."""
    commands = [[binary, "table", table, "-o", out, "-j", str(jobs)] for binary in binaries]
    results = [[] for _ in binaries]
    for _ in range(runs):
        for command, result in zip(commands, results):
            # Each run writes a new file: replacing the last run's result would add the file
            # system's freeing of it (0.1 to 0.4 s for 250 MB on an ext4 disk mounted with
            # discard) to the run's time.
            if os.path.exists(out):
                os.remove(out)
            result.append(run_once(command))
    labels = ["before", "after"] if len(binaries) > 1 else [""]
    return [report(f"-j{jobs} {label}", command, result, rows)
            for label, command, result in zip(labels, commands, results)]


def time_parts(binary, table, directory, parts, runs, rows):
    """The best wall time of `parts` one-thread processes run at once, each on its share of the
    table's rows: what the machine gives that many threads that share nothing."""
    with open(table) as lines:
        header = lines.readline()
        body = lines.readlines()
    share = -(-len(body) // parts)
    tables = []
    for part in range(parts):
        path = os.path.join(directory, f"part{part}.csv")
        with open(path, "w") as out:
            out.write(header)
            out.writelines(body[part * share:(part + 1) * share])
        tables.append(path)
    best = None
    for _ in range(runs):
        outs = [path + ".out" for path in tables]
        for out in outs:
            if os.path.exists(out):
                os.remove(out)
        start = time.perf_counter()
        processes = [subprocess.Popen([binary, "table", path, "-o", out, "-j", "1"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                     for path, out in zip(tables, outs)]
        if any(process.wait() != 0 for process in processes):
            sys.exit(f"{binary} table failed on a part of the table")
        wall = time.perf_counter() - start
        best = wall if best is None else min(best, wall)
    print(f"  {parts} processes of -j1 at once, each on 1/{parts} of the rows: "
          f"{rows / best:,.0f} rows/s, {best:.2f} s wall")
    return best


def dialogue_answers(fields, names):
    row = dict(zip(names, fields))
    answers = [row["gravity"], row["depth"], str(FETCH_UNITS.index(row["fetch_unit"]) + 1),
               row["fetch"], str(SPEED_UNITS.index(row["speed_unit"]) + 1), row["wind_speed"],
               row["duration_h"], row["rt"], row["rl"], row["local_depth"], row["angle_deg"],
               "1", "", row["beach_slope"] or "/", row["settling_velocity"], ""]
    return ("\n".join(answers) + "\n").encode()


def time_dialogues(binary, table, count, directory):
    with open(table) as lines:
        names = lines.readline().strip().split(",")
        storms = [lines.readline().strip().split(",") for _ in range(count)]
    start = time.perf_counter()
    for fields in storms:
        subprocess.run([binary], input=dialogue_answers(fields, names), cwd=directory,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - start) / count


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary", nargs="?", default="build/default/littoral")
    parser.add_argument("--rows", type=int, default=300000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dialogues", type=int, default=200)
    parser.add_argument("--before", help="an earlier build to time side by side")
    arguments = parser.parse_args()
    binary = os.path.abspath(arguments.binary)
    binaries = ([os.path.abspath(arguments.before)] if arguments.before else []) + [binary]
    cores = os.cpu_count() or 1

    print(machine())
    with tempfile.TemporaryDirectory() as directory:
        table = os.path.join(directory, "storms.csv")
        with open(table, "w") as out:
            subprocess.run([sys.executable, os.path.join(HERE, "storm_table.py"),
                            str(arguments.rows)], stdout=out, check=True)
        size = os.path.getsize(table)
        print(f"{arguments.rows:,} storms, {size / 1e6:.1f} MB of table "
              f"(bench/storm_table.py {arguments.rows})")
        out = os.path.join(directory, "results.csv")
        one = time_table(binaries, table, out, 1, arguments.runs, arguments.rows)
        if len(binaries) > 1:
            print(f"  one thread: {one[0] / one[1]:.2f} x the earlier build")
        if cores > 1:
            every = time_table(binaries, table, out, cores, arguments.runs, arguments.rows)
            if len(binaries) > 1:
                print(f"  {cores} threads: {every[0] / every[1]:.2f} x the earlier build")
            for label, single, many in zip(["before", "after"][-len(binaries):], one, every):
                print(f"  {cores} threads: {single / many:.2f} x one thread ({label})")
            parts = time_parts(binary, table, directory, cores, arguments.runs, arguments.rows)
            print(f"  {cores} processes at once: {one[-1] / parts:.2f} x one thread, the most "
                  f"{cores} threads can give here")
        print(f"  {os.path.getsize(out) / 1e6:.1f} MB of results")
        if arguments.dialogues > 0:
            dialogue = time_dialogues(binary, table, arguments.dialogues, directory)
            per_row = one[-1] / arguments.rows
            print(f"interactive program, one process a storm ({arguments.dialogues} storms): "
                  f"{dialogue * 1e3:.2f} ms a storm, {dialogue / per_row:,.0f} x a row of "
                  f"the table on one thread")


if __name__ == "__main__":
    main()
