#!/usr/bin/env python3
"""Writes a storm table of realistic storms for littoral table (by hand, not part of CI).

    python3 bench/storm_table.py ROWS > storms.csv

A fixed seed: the same ROWS give the same table. Half US and half SI storms of 0.5 to 6 hours,
about 60 % fetch-limited and 40 % duration-limited (23 growth passes on average), every one
with a settling velocity (the transport stage runs), and a date and a station carried through.
"""
import random
import sys

HEADER = ("date,station,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,"
          "local_depth,angle_deg,beach_slope,settling_velocity")


def storm(rng, row):
    date = f"20{rng.randrange(10, 25)}-{rng.randrange(1, 13):02}-{rng.randrange(1, 29):02}"
    station = f"st{rng.randrange(1, 60):03}"
    slope = "" if rng.random() < 0.5 else f"{rng.uniform(0.005, 0.05):.3f}"
    if row % 2 == 0:  # SI: depth 5-30 m, fetch 10-200 km, wind 10-30 m/s
        fields = ["9.81", f"{rng.uniform(5, 30):.1f}", f"{rng.uniform(10, 200):.1f}", "km",
                  f"{rng.uniform(10, 30):.1f}", "m/s", f"{rng.uniform(0.5, 6):.1f}",
                  f"{rng.uniform(1.0, 1.2):.2f}", f"{rng.uniform(1.0, 1.5):.2f}",
                  f"{rng.uniform(2, 5):.1f}", f"{rng.uniform(-60, 60):.1f}"]
    else:  # US: depth 15-100 ft, fetch 5-100 miles, wind 20-60 mph
        fields = ["32.2", f"{rng.uniform(15, 100):.1f}", f"{rng.uniform(5, 100):.1f}", "miles",
                  f"{rng.uniform(20, 60):.1f}", "mph", f"{rng.uniform(0.5, 6):.1f}",
                  f"{rng.uniform(1.0, 1.2):.2f}", f"{rng.uniform(1.0, 1.5):.2f}",
                  f"{rng.uniform(6, 16):.1f}", f"{rng.uniform(-60, 60):.1f}"]
    return ",".join([date, station] + fields + [slope, f"{rng.uniform(0.5, 8):.2f}"])


def main():
    rows = int(sys.argv[1]) if len(sys.argv) > 1 else 300000
    rng = random.Random(1984)
    out = sys.stdout
    out.write(HEADER + "\n")
    for row in range(rows):
        out.write(storm(rng, row) + "\n")


if __name__ == "__main__":
    main()
