#!/usr/bin/env python3
"""Times whole runs of littoral, by hand (not part of CI).

    python3 bench/bench.py [path/to/littoral] [runs]

Prints the median wall time of each case over the runs, and its ratio to the median start of
a trivial process (/bin/true), so that figures from different machines can be compared.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

# A typical SI storm to the end of the transport stage, and the worst duration-limited case:
# depth 10 m, fetch 50 km, wind 20 m/s, Rt = RL = 1, duration 0 (about 5,470 growth passes and
# 22,000 report records); it ends at the refraction's square root because ts reaches 0.
CASES = {
    "typical SI run": "9.81\n10\n4\n50\n2\n20\n5\n1\n1\n3\n30\n1\n\n/\n1.5\n\n",
    "worst duration-limited case": "9.81\n10\n4\n50\n2\n20\n0\n1\n1\n3\n30\n2\n",
}


def median_seconds(command, answers, runs, directory):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, input=answers.encode(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, cwd=directory, check=False)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    binary = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/default/littoral")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 50
    with tempfile.TemporaryDirectory() as directory:
        baseline = median_seconds(["/bin/true"], "", runs, directory)
        print(f"{'trivial process start':32} {baseline * 1000:8.2f} ms")
        for name, answers in CASES.items():
            seconds = median_seconds([binary], answers, runs, directory)
            print(f"{name:32} {seconds * 1000:8.2f} ms  {seconds / baseline:6.1f} x start")


if __name__ == "__main__":
    main()
