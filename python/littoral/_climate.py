"""littoral.climate: a site's storms and longshore transport from a wind record, as frames.

The record is read, turned into storms and summed by the C++ code of ``littoral climate``;
this module only converts frames to columns and back.
"""
import collections
import numbers
import os

import numpy as np
import pandas as pd

from . import _littoral

__all__ = ["climate", "ClimateResult"]

#: The frames of a climate run: the storms, the summary by year (a last row "all") and the
#: summary by direction sector, with the columns of the command's three files.
ClimateResult = collections.namedtuple("ClimateResult", "storms years sectors")

# The settings' keywords, read as the command reads its options of the same names.
_SETTINGS = ("shore_normal", "local_depth", "depth", "height", "threshold", "turn", "interval",
             "beach_slope", "settling", "rt", "rl", "units", "gravity", "speed_unit",
             "fetch_unit", "sectors")


def _option_text(name, value):
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{name} must be a number or its text, not {value!r}")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    return repr(float(value))  # the shortest decimal that reads back as the same double


def _times(winds, time_column):
    if time_column in winds.columns:
        times = winds[time_column]
    elif isinstance(winds.index, pd.DatetimeIndex):
        times = winds.index.to_series()
    else:
        raise ValueError(f"the winds have no column {time_column!r} and no DatetimeIndex")
    if pd.api.types.is_datetime64_any_dtype(times.dtype):
        if getattr(times.dt, "tz", None) is not None:
            # An aware time keeps its offset, as a record written with one does.
            return times.dt.strftime("%Y-%m-%dT%H:%M:%S%z").where(times.notna(), None).tolist()
        # Seconds since 1970, the least int64 for NaT: the C++ side writes their text.
        seconds = times.to_numpy(dtype="datetime64[s]").astype(np.int64)
        seconds[times.isna().to_numpy()] = np.iinfo(np.int64).min
        return seconds
    return times.astype(object).where(times.notna(), None).tolist()


def _values(winds, name):
    if name not in winds.columns:
        raise ValueError(f"the winds have no column {name!r}")
    series = winds[name]
    if pd.api.types.is_numeric_dtype(series.dtype) and not pd.api.types.is_bool_dtype(series):
        return series.to_numpy(dtype=np.float64, na_value=np.nan)
    return series.astype(object).where(series.notna(), None).tolist()


def _fetch_columns(fetch):
    """The fetch table as the binding takes it: the text of a file, read as the command reads
    it, or the columns of a frame with its index labels."""
    if isinstance(fetch, (str, bytes, os.PathLike)):
        with open(fetch, "rb") as file:
            return file.read(), [], [], [], []
    if not isinstance(fetch, pd.DataFrame):
        fetch = pd.DataFrame(fetch)
    fetch = fetch.rename(columns=lambda name: str(name).strip())
    for name in ("direction", "fetch"):
        if name not in fetch.columns:
            raise ValueError(f"the fetch table has no column {name!r}")

    def text(value):
        if value is None or (isinstance(value, float) and np.isnan(value)):
            return ""
        if isinstance(value, (float, np.floating)):
            return repr(float(value))
        return str(value)

    depth = fetch["depth"] if "depth" in fetch.columns else [None] * len(fetch)
    return (None, [text(v) for v in fetch["direction"]], [text(v) for v in fetch["fetch"]],
            [text(v) for v in depth], [str(label) for label in fetch.index])


def climate(winds, fetch, *, shore_normal, local_depth, depth=None, height=None,
            threshold=None, turn=None, interval=None, beach_slope=None, settling=None, rt=None,
            rl=None, units=None, gravity=None, speed_unit=None, fetch_unit=None, sectors=None,
            time_column="time", speed_column="wind_speed", direction_column="wind_direction",
            missing=(), sort=False, jobs=None):
    """The storms of a wind record at a site and their transport by year and by sector, as
    ``littoral climate`` computes them.

    ``winds`` is a DataFrame with the times in ``time_column`` (or a DatetimeIndex), the wind
    speed in ``speed_unit`` and the direction the wind blows from (degrees true); numbers, or
    text read as the command reads a field, with ``missing`` texts (besides empty, NA and NaN)
    for missing values. ``fetch`` is a DataFrame, a mapping of columns, or the path of a CSV
    file with ``direction``, ``fetch`` and optionally ``depth``. The keywords are the command's
    options of the same names (``shore_normal`` for ``--shore-normal``), with its defaults;
    ``sort=True`` sorts the records and drops exact repeats. The storms run on ``jobs``
    threads (default: every core).

    Returns ``ClimateResult(storms, years, sectors)``: frames with the columns of the storm
    table and of the two summaries. The storms' reals are float64 holding the exact singles
    that ``littoral.run_table`` gives. A record, fetch table or setting that cannot be read
    raises ValueError with the command's message, naming a record or a row of a fetch frame by
    its index label (``index 2016-01-09 17:00:00: wind_speed: ...``) and a row of a fetch file
    by its line, the header being line 1.
    """
    if not isinstance(winds, pd.DataFrame):
        winds = pd.DataFrame(winds)
    given = dict(shore_normal=shore_normal, local_depth=local_depth, depth=depth,
                 height=height, threshold=threshold, turn=turn, interval=interval,
                 beach_slope=beach_slope, settling=settling, rt=rt, rl=rl, units=units,
                 gravity=gravity, speed_unit=speed_unit, fetch_unit=fetch_unit, sectors=sectors)
    options = {name: _option_text(name, value) for name, value in given.items()
               if value is not None}
    if isinstance(missing, str):
        missing = [missing]
    jobs = (os.cpu_count() or 1) if jobs is None else int(jobs)
    if jobs < 1:
        raise ValueError("jobs must be at least 1")
    fetch_file, directions, fetches, depths, fetch_labels = _fetch_columns(fetch)
    run = _littoral.run_climate(
        _times(winds, time_column), _values(winds, speed_column),
        _values(winds, direction_column), options, fetch_file, directions, fetches, depths,
        fetch_labels, [str(label) for label in winds.index],
        [time_column, speed_column, direction_column], [str(text) for text in missing],
        bool(sort), jobs)

    from . import _with_results
    storms = pd.DataFrame({**run["storms"], **run["inputs"]})
    for name in ("start", "end", "fetch_unit", "speed_unit"):
        storms[name] = storms[name].astype(object)
    storms = _with_results(storms, run["results"])
    years = pd.DataFrame(run["years"])
    years["year"] = years["year"].astype(object)
    return ClimateResult(storms, years, pd.DataFrame(run["sectors"]))
