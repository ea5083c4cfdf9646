#!/usr/bin/env python3
"""Compares two builds of littoral byte for byte on the same varied storms.

    python3 tools/compare_builds.py OLD_BINARY NEW_BINARY [--storms N] [--console M]

Writes N storms (default 100,000; a fixed seed) with ordinary values and extremes: zero, tiny,
huge, subnormal and negative durations, fetches, depths and winds, both unit systems and none,
menu answers by name and by number and out of range, angles at and beyond the limits, with and
without the transport. Runs `littoral table` of both builds on them with one and with two
threads and compares the result tables; then runs the first M storms (default N) through the
interactive program of both builds, one process a storm, and compares the console, the error
stream, the exit status, Output.out and RESULTS.out. A table that gains columns is compared in
the old table's columns. Prints what differs and exits 1 on any difference.
"""
import argparse
import concurrent.futures
import csv
import hashlib
import io
import os
import random
import subprocess
import sys
import tempfile

COLUMNS = ("gravity,depth,fetch_unit,fetch,speed_unit,wind_speed,duration_h,rt,rl,local_depth,"
           "angle_deg,beach_slope,settling_velocity").split(",")
EXTREMES = ["0", "-0", "1e-30", "1e-40", "1e30", "3.4e38", "-1", "-5", "0.001", "1e-7"]


def real(rng, low, high, extreme_share):
    if rng.random() < extreme_share:
        return rng.choice(EXTREMES)
    return f"{rng.uniform(low, high):.{rng.randrange(0, 5)}f}"


def storm(rng):
    """One storm's answers, as the fields of a table row."""
    system = rng.random()
    gravity = "9.81" if system < 0.45 else "32.2" if system < 0.9 else rng.choice(
        ["30", "0", "-9.81", "29.99", "30.01", "1e-30"])
    fetch_unit = rng.choice(["ft", "m", "miles", "km", "kml", "1", "2", "3", "4", "5", "4.9"])
    speed_unit = rng.choice(["ft/s", "m/s", "mph", "km/h", "knots", "1", "2", "3", "4", "5"])
    duration_pick = rng.random()
    if duration_pick < 0.02:
        duration = rng.choice(["0", "1e-20", "-2", "1e6"])
    else:
        duration = real(rng, 0.2, 30, 0.03)
    return {
        "gravity": gravity,
        "depth": real(rng, 1, 300, 0.05),
        "fetch_unit": fetch_unit,
        "fetch": real(rng, 0.1, 500, 0.05),
        "speed_unit": speed_unit,
        "wind_speed": real(rng, 1, 60, 0.05),
        "duration_h": duration,
        "rt": real(rng, 0.8, 1.3, 0.02),
        "rl": real(rng, 0.8, 1.6, 0.02),
        "local_depth": real(rng, 0.5, 40, 0.05),
        "angle_deg": rng.choice([real(rng, -89, 89, 0.0), "90", "-90", "95", "60", "-60", "0",
                                 real(rng, -40, 40, 0.0), real(rng, -40, 40, 0.0)]),
        "beach_slope": "" if rng.random() < 0.4 else real(rng, 0.001, 0.1, 0.05),
        "settling_velocity": "" if rng.random() < 0.2 else real(rng, 0.1, 10, 0.05),
    }


def table_text(storms):
    lines = [",".join(COLUMNS)]
    lines += [",".join(s[name] for name in COLUMNS) for s in storms]
    return "\n".join(lines) + "\n"


def menu_number(name, names):
    return str(names.index(name) + 1) if name in names else name


def console_answers(s):
    """The answers of a storm typed at the interactive program, one a line."""
    fetch_unit = menu_number(s["fetch_unit"], ["ft", "m", "miles", "km", "kml"])
    speed_unit = menu_number(s["speed_unit"], ["ft/s", "m/s", "mph", "km/h", "knots"])
    lines = [s["gravity"], s["depth"], fetch_unit, s["fetch"], speed_unit, s["wind_speed"],
             s["duration_h"], s["rt"], s["rl"], s["local_depth"], s["angle_deg"]]
    if not s["settling_velocity"]:
        return "\n".join(lines + ["0"]) + "\n"
    lines += ["1", "", s["beach_slope"] or "/", s["settling_velocity"], ""]
    return "\n".join(lines) + "\n"


def same_columns(old_text, new_text):
    """Whether every column of the old table holds the same bytes in the new one, and the
    names of the columns the new table adds."""
    if old_text == new_text:
        return True, []
    old_rows = list(csv.reader(io.StringIO(old_text.decode())))
    new_rows = list(csv.reader(io.StringIO(new_text.decode())))
    if len(old_rows) != len(new_rows):
        return False, []
    at = {name: i for i, name in enumerate(new_rows[0])}
    if any(name not in at for name in old_rows[0]):
        return False, []
    picks = [at[name] for name in old_rows[0]]
    same = all([new[i] for i in picks] == old for old, new in zip(old_rows, new_rows))
    return same, [name for name in new_rows[0] if name not in old_rows[0]]


def run_console(binary, answers):
    with tempfile.TemporaryDirectory() as directory:
        run = subprocess.run([binary], input=answers.encode(), cwd=directory,
                             capture_output=True, timeout=120, check=False)
        digest = hashlib.sha256()
        for part in (run.stdout, run.stderr, str(run.returncode).encode()):
            digest.update(part + b"\0")
        for name in ("Output.out", "RESULTS.out"):
            path = os.path.join(directory, name)
            digest.update(open(path, "rb").read() if os.path.exists(path) else b"(none)")
            digest.update(b"\0")
        return digest.hexdigest()


def compare_console(old, new, answers):
    return run_console(old, answers) == run_console(new, answers)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--storms", type=int, default=100000)
    parser.add_argument("--console", type=int, default=None,
                        help="storms run through the interactive program (default: all)")
    parser.add_argument("--seed", type=int, default=2026)
    arguments = parser.parse_args()
    arguments.old = os.path.abspath(arguments.old)
    arguments.new = os.path.abspath(arguments.new)

    rng = random.Random(arguments.seed)
    storms = [storm(rng) for _ in range(arguments.storms)]
    differences = 0
    with tempfile.TemporaryDirectory() as directory:
        table = os.path.join(directory, "storms.csv")
        with open(table, "w", encoding="ascii") as out:
            out.write(table_text(storms))
        outputs = {}
        for label, binary in (("old", arguments.old), ("new", arguments.new)):
            for jobs in ("1", "2"):
                result = os.path.join(directory, f"{label}-{jobs}.csv")
                status = subprocess.run([binary, "table", table, "-o", result, "-j", jobs],
                                        capture_output=True, check=False).returncode
                outputs[(label, jobs)] = (open(result, "rb").read(), status)
        for jobs in ("1", "2"):
            old_text, old_status = outputs[("old", jobs)]
            new_text, new_status = outputs[("new", jobs)]
            same, added = same_columns(old_text, new_text)
            same = same and old_status == new_status
            print(f"table -j{jobs}: {len(storms)} storms, {len(new_text)} bytes, "
                  f"{'same' if same else 'DIFFERENT'} in every column of the old table"
                  + (f"; new columns {', '.join(added)}" if added else ""))
            differences += not same

    count = len(storms) if arguments.console is None else arguments.console
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        same = list(pool.map(lambda s: compare_console(arguments.old, arguments.new,
                                                       console_answers(s)), storms[:count]))
    different = [i for i, equal in enumerate(same) if not equal]
    print(f"console: {count} storms, {len(different)} different")
    for i in different[:10]:
        print(f"  storm {i + 1}: {console_answers(storms[i])!r}")
    differences += len(different)
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
