#!/usr/bin/python3
"""A year of hourly winds at a beach facing north-north-east -> its storms -> the year's net
and gross longshore transport, with littoral.climate and with the command `littoral climate`.

    PYTHONPATH=build/default/python /usr/bin/python3 examples/wind_climate.py [DIRECTORY]

It needs Debian's interpreter, /usr/bin/python3, for which the package littoral is built and
which has Debian's numpy and pandas (another interpreter first on the PATH, a virtual
environment's say, sees neither); PYTHONPATH is not needed once the package is installed.
Storms from the right of someone on the beach looking out to sea have a positive angle and
move sand to the left (toward 290 degrees here), as everywhere in littoral.

The winds are made here, from a fixed seed, and written to DIRECTORY/winds.csv (default: the
working directory) as a station would publish them: hourly, with a three-day outage and a
six-hour one, a missing value now and then (999 for the speed, MM for the direction), calms,
and weather that moves between two onshore sectors (north-west and east) and the land (south-
west). The site's fetch and depth by direction are in examples/climate_fetch.csv. The storms are
formed and computed by littoral.climate; when the program `littoral` is found ($LITTORAL_BINARY
or the PATH), the command computes the same record too, and its files must hold the same values.
"""
import os
import shutil
import subprocess
import sys

import numpy as np
import pandas as pd

import littoral

HERE = os.path.dirname(os.path.abspath(__file__))
FETCH = os.path.join(HERE, "climate_fetch.csv")
# The beach faces 20 degrees true; the anemometer stands at 15 m; fine sand.
SITE = dict(shore_normal=20, local_depth=3, height=15, beach_slope=0.02, settling=1.5)
OPTIONS = ["--shore-normal", "20", "--local-depth", "3", "--height", "15", "--beach-slope",
           "0.02", "--settling", "1.5"]
# The weather's sectors: the direction the wind comes from, and its spread.
SECTORS = [(325.0, 20.0), (75.0, 15.0), (225.0, 30.0)]


def hourly_winds(seed=2025):
    """A year of hourly records: weather systems of one to four days, each from one sector,
    with a wind that rises and falls through the hours."""
    rng = np.random.default_rng(seed)
    hours = pd.date_range("2025-01-01", "2025-12-31 23:00", freq="H")
    speed = np.empty(len(hours))
    direction = np.empty(len(hours))
    at = 0
    while at < len(hours):
        length = int(rng.integers(24, 96))
        centre, spread = SECTORS[rng.choice(3, p=[0.4, 0.3, 0.3])]
        peak = 4 + 14 * rng.random()
        shape = np.sin(np.linspace(0, np.pi, length)) ** 1.5
        end = min(at + length, len(hours))
        speed[at:end] = (peak * shape + rng.normal(0, 1.0, length))[: end - at]
        direction[at:end] = (centre + np.cumsum(rng.normal(0, 4, length)) +
                             rng.normal(0, spread / 4, length))[: end - at]
        at = end
    speed = np.clip(speed, 0, None).round(1)
    direction = np.mod(direction, 360).round(0)
    winds = pd.DataFrame({"time": hours.strftime("%Y-%m-%d %H:%M"),
                          "wind_speed": speed.astype(str), "wind_direction": direction})
    winds["wind_direction"] = winds["wind_direction"].astype(int).astype(str)
    calm = speed < 0.5
    winds.loc[calm, ["wind_speed", "wind_direction"]] = ["0", "0"]
    missing = rng.random(len(hours))
    winds.loc[missing < 0.006, "wind_speed"] = "999"
    winds.loc[missing > 0.994, "wind_direction"] = "MM"
    down = (hours >= "2025-03-10") & (hours < "2025-03-13")
    down |= (hours >= "2025-08-02 06:00") & (hours < "2025-08-02 12:00")
    return winds[~down]


def report(result):
    years, storms = result.years, result.storms
    every = years.iloc[-1]
    print(f"{every.records} records, {every.records - every.valid_records} with a value "
          f"missing; {len(storms)} storms from {every.active_records} onshore hours, "
          f"{(storms.error != '').sum()} with an error, {every.clamped_storms} with a clamped "
          "angle (left out of the sums)")
    print(f"  net   {every.net_yd3:10.0f} yd3 {every.net_m3:10.0f} m3")
    print(f"  gross {every.gross_yd3:10.0f} yd3 {every.gross_m3:10.0f} m3")
    print(f"  to the left (toward {(SITE['shore_normal'] - 90) % 360:g} degrees) "
          f"{every.left_yd3:10.0f} yd3, to the right (toward "
          f"{(SITE['shore_normal'] + 90) % 360:g}) {every.right_yd3:10.0f} yd3")
    longest = storms.loc[storms["records"].idxmax()]
    print(f"  the longest storm: {longest.start} to {longest.end}, from "
          f"{longest.wind_direction:g} degrees at {longest.wind_speed:.1f} m/s, Hs "
          f"{longest.hs:.2f} m, {longest.storm_transport:.0f} yd3")
    busy = result.sectors.sort_values("storm_hours").iloc[::-1][:3]
    for _, sector in busy.iterrows():
        print(f"  {sector.sector_deg:5.1f} degrees: {sector.storms:3.0f} storms, "
              f"{sector.storm_hours:4.0f} h, net {sector.net_yd3:9.0f} yd3")


def run_command(binary, directory):
    """`littoral climate` on the record: its files, read back exactly."""
    subprocess.run([os.path.abspath(binary), "climate", "winds.csv", "--fetch", FETCH, "--missing", "999,MM",
                    "-o", "storms.csv", "--summary", "years.csv", "--sector-summary",
                    "sectors.csv", *OPTIONS], cwd=directory, check=True)
    read = dict(dtype={"year": str}, float_precision="round_trip")
    return (pd.read_csv(os.path.join(directory, "years.csv"), **read),
            pd.read_csv(os.path.join(directory, "sectors.csv"), **read),
            pd.read_csv(os.path.join(directory, "storms.csv"), dtype=str,
                        keep_default_na=False))


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "."
    winds = hourly_winds()
    winds.to_csv(os.path.join(directory, "winds.csv"), index=False)
    record = pd.read_csv(os.path.join(directory, "winds.csv"), dtype=str,
                         keep_default_na=False)
    result = littoral.climate(record, FETCH, missing=["999", "MM"], **SITE)
    print("littoral.climate:")
    report(result)

    binary = os.environ.get("LITTORAL_BINARY") or shutil.which("littoral")
    if binary:
        sys.stdout.flush()
        years, sectors, storms = run_command(binary, directory)
        pd.testing.assert_frame_equal(result.years, years, check_dtype=False)
        pd.testing.assert_frame_equal(result.sectors, sectors, check_dtype=False)
        assert storms["start"].tolist() == result.storms["start"].tolist()
        print(f"littoral climate: the same {len(storms)} storms and sums, in "
              f"{os.path.join(directory, 'storms.csv')}, years.csv and sectors.csv")


if __name__ == "__main__":
    main()
