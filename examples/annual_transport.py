#!/usr/bin/env python3
"""A year of hourly winds at a coastal site -> one storm per hour -> the year's net and gross
longshore transport, first with littoral.run_table, then with littoral.dask.

    python3 examples/annual_transport.py

The winds are made here, from a fixed seed: speeds from a Weibull distribution (mean about
8 m/s), directions from two prevailing sectors, given as the angle between the wind and the
normal to the shore (positive from the left, looking offshore). An hour whose wind blows off the
land raises no waves at the beach, and an hour of calm (below 1 m/s, where the growth laws end
in a math error) none worth a storm: both are left out.
"""
import numpy as np
import pandas as pd

import littoral
import littoral.dask

CUBIC_YARD = 0.764554857984  # m3


def hourly_winds(seed=2026):
    rng = np.random.default_rng(seed)
    hours = pd.date_range("2025-01-01", periods=365 * 24, freq="H")
    speed = 9.0 * rng.weibull(2.0, len(hours))
    sector = rng.random(len(hours)) < 0.6
    direction = np.where(sector, rng.normal(-35, 25, len(hours)), rng.normal(50, 30, len(hours)))
    return pd.DataFrame({"time": hours, "wind_speed": speed.round(2),
                         "direction": direction.round(1)})


def storms(winds):
    """One storm row per hour that blows onshore: 1 h over 60 km of 12 m deep water, seen at
    3 m depth on a beach of fine sand."""
    onshore = winds[(winds.direction.abs() < 80) & (winds.wind_speed >= 1)]
    return pd.DataFrame({
        "time": onshore.time, "gravity": 9.81, "depth": 12, "fetch": 60, "fetch_unit": "km",
        "wind_speed": onshore.wind_speed, "speed_unit": "m/s", "duration_h": 1, "rt": 1,
        "rl": 1.1, "local_depth": 3, "angle_deg": onshore.direction, "settling_velocity": 1.5,
    })


def report(title, results):
    transport = results.storm_transport.dropna()
    net = transport.sum()
    gross = transport.abs().sum()
    print(f"{title}: {len(results)} storms, {int((results.error != '').sum())} with an error")
    print(f"  net longshore transport   {net:12.1f} yd3  {net * CUBIC_YARD:12.1f} m3")
    print(f"  gross longshore transport {gross:12.1f} yd3  {gross * CUBIC_YARD:12.1f} m3")
    return net, gross


def main():
    table = storms(hourly_winds())
    results = littoral.run_table(table)
    by_table = report("run_table", results)

    import dask.dataframe as dd
    lazy = littoral.dask.run_table(dd.from_pandas(table, npartitions=8))
    by_dask = report("littoral.dask", lazy.compute())
    assert by_dask == by_table


if __name__ == "__main__":
    main()
