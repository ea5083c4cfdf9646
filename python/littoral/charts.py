"""littoral.charts: charts of the calculator's own values, drawn with matplotlib.

    import littoral.charts
    figure = littoral.charts.growth_chart(depth=10, units="si")
    figure.savefig("growth.png")

Every value a chart plots is one that ``littoral.run_table`` computed, or that ``littoral table``
printed. Each chart returns a matplotlib Figure on the Agg canvas (no display needed); one with a
single panel draws into the ``ax`` it is given instead, so that it can take its place in a figure
of the caller's. From the shell, ``/usr/bin/python3 -m littoral.charts KIND ... -o FILE`` writes
the chart as PNG, SVG, PDF or any other format matplotlib writes, by the file's extension: Debian's
Python, which has numpy, pandas and matplotlib (python3-matplotlib); another Python needs those and
littoral's module on its path.
"""
import argparse
import contextlib
import csv
import errno
import io
import math
import os
import stat
import sys
import tempfile
import textwrap

import numpy as np
import pandas as pd
from matplotlib.artist import Artist
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure
from matplotlib.lines import Line2D
from matplotlib.patches import Patch
from matplotlib.ticker import FuncFormatter, LogLocator, MaxNLocator, StrMethodFormatter

import littoral
from littoral import _littoral

__all__ = ["read_results", "growth_axes", "growth_chart", "class_bounds", "plot_exceedance",
           "plot_class_transport", "plot_class_rates", "storm_chart", "plot_hs_ts",
           "plot_hs_histogram", "plot_cumulative_transport", "table_chart", "read_storms",
           "climate_sectors", "plot_rose", "climate_chart", "main"]

#: A4 landscape, in inches: the size of every chart's own figure.
PAGE = (11.69, 8.27)

# The two unit systems of the growth chart: the answers it gives the calculator, the grid of
# fetches (logarithmic) and wind speeds, and the units of its values.
_GROWTH_UNITS = {
    "si": dict(gravity=9.81, fetch_unit="km", speed_unit="m/s", fetch=(1.0, 1000.0),
               wind=(5.0, 40.0), length="m", fetch_name="km", metres_or_feet_per_fetch=1000.0),
    "us": dict(gravity=32.2, fetch_unit="miles", speed_unit="ft/s", fetch=(0.5, 500.0),
               wind=(15.0, 130.0), length="ft", fetch_name="miles",
               metres_or_feet_per_fetch=5280.0),
}
# So long a storm that every storm of the grid is fetch-limited: the isolines of Hs and Ts.
_LONG_DURATION_H = 1000.0
# The ratio of the transport expression in SI units to the same in US units, as the calculator
# prints it: an SI class rate over this ratio is in cubic yards.
_SI_RATE_RATIO = _littoral.si_rate_factor
_CUBIC_YARD = _littoral.cubic_metres_per_cubic_yard  # m3
_LENGTH = {"SI": "m", "US": "ft"}
_CLASS_COLOURS = ("tab:blue", "tab:green", "tab:orange", "tab:red")
_FETCH_POINTS = 91
_WIND_POINTS = 71


def _new_figure(size=PAGE):
    figure = Figure(figsize=size, layout="constrained")
    FigureCanvasAgg(figure)
    return figure


def _tag(artists, gid):
    """Names the artists of a plotted set of values, so that SVG readers and tests find them:
    one artist ``gid``, several ``gid-0``, ``gid-1``, ... (SVG ids are unique). A contour set of
    an older matplotlib is a list of collections rather than one artist."""
    if isinstance(artists, Artist):
        artists.set_gid(gid)
        return
    parts = getattr(artists, "collections", artists)
    for i, part in enumerate(parts):
        part.set_gid(f"{gid}-{i}")


def _legend_beside(ax, handles=None, **options):
    """The legend right of the axes, clear of the values."""
    if handles is None:
        handles, _ = ax.get_legend_handles_labels()
    return ax.legend(handles=handles, loc="upper left", bbox_to_anchor=(1.02, 1),
                     borderaxespad=0, fontsize=9, **options)


def _legend_below(ax, handles=None, offset=-0.1, **options):
    """The legend below the axes (and their tick labels), clear of the values."""
    if handles is None:
        handles, _ = ax.get_legend_handles_labels()
    return ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, offset), ncol=2,
                     fontsize=9, frameon=False, **options)


def growth_axes(units="si"):
    """The grid of the growth chart: the fetches (logarithmic, in km or miles) and the wind
    speeds (m/s or ft/s) of its storms."""
    system = _growth_units(units)
    fetch = np.geomspace(*system["fetch"], _FETCH_POINTS)
    wind = np.linspace(*system["wind"], _WIND_POINTS)
    return fetch, wind


def _growth_units(units):
    try:
        return _GROWTH_UNITS[str(units).lower()]
    except KeyError:
        raise ValueError(f"units must be si or us, not {units!r}") from None


def _growth_storms(system, depth, fetch, wind, duration_h):
    """The table of storms at one depth: every fetch with every wind speed (fetch varying
    fastest), on the open coast (no angle) and without the transport stage."""
    fetch_grid, wind_grid = np.meshgrid(fetch, wind)
    return littoral.run_table({
        "gravity": system["gravity"], "depth": depth, "fetch": fetch_grid.ravel(),
        "fetch_unit": system["fetch_unit"], "wind_speed": wind_grid.ravel(),
        "speed_unit": system["speed_unit"], "duration_h": duration_h, "rt": 1, "rl": 1,
        "local_depth": depth, "angle_deg": 0,
    })


# Round numbers within a power of ten, the levels of the isolines: the roundest first, then
# those of the finer steps that data of a narrow range need.
_ROUND_MANTISSAS = (np.array([1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10]),
                    np.array([1, 1.2, *np.arange(1.5, 10.01, 0.5)]),
                    np.arange(1, 10.01, 0.1))


def _rounded(value, mantissas):
    """``value`` (positive) to the nearest of the ``mantissas`` times a power of ten, on a
    logarithmic scale."""
    power = 10.0 ** math.floor(math.log10(value))
    mantissa = mantissas[np.argmin(np.abs(np.log(value / power / mantissas)))]
    return float(f"{mantissa * power:.3g}")


def _levels(values, count):
    """About ``count`` levels for the isolines of ``values``, the chart's grid of storms: the
    values at evenly spaced quantiles, so that the lines split the chart's area (the grid is
    even on the chart) into bands of about equal size wherever the waves are, from centimetres
    to tens of metres; each rounded as coarsely as leaves no band of more than 2.5 shares."""
    values = np.sort(values[np.isfinite(values) & (values > 0)])
    if values.size == 0:
        return []
    low, high = values[0], values[-1]
    quantiles = np.quantile(values, np.arange(1, count + 1) / (count + 1))
    for mantissas in _ROUND_MANTISSAS:
        levels = [level for level in sorted({_rounded(q, mantissas) for q in quantiles})
                  if low < level < high]
        bands = np.diff(np.searchsorted(values, [low, *levels, np.inf]))
        if bands.max() <= 2.5 * values.size / (count + 1):
            break
    return levels


def _renderer(figure):
    """The renderer that measures the figure's text as it will be drawn."""
    canvas = figure.canvas
    return canvas.get_renderer() if hasattr(canvas, "get_renderer") else figure._get_renderer()


# Where along its line a label goes, as shares of the line's length: the middle first.
_LABEL_SHARES = (0.5, 0.4, 0.6, 0.3, 0.7, 0.2, 0.8, 0.1, 0.9, 0.05, 0.95)


def _along(ax, points):
    """The points of ``_LABEL_SHARES`` along a line of ``points`` (data coordinates), measured
    on the chart; none for a line of no length."""
    shown = ax.transData.transform(points)
    steps = np.hypot(*np.diff(shown, axis=0).T)
    length = np.concatenate([[0], np.cumsum(steps)])
    if length[-1] == 0:
        return []
    at = np.array(_LABEL_SHARES) * length[-1]
    spots = np.column_stack([np.interp(at, length, shown[:, 0]),
                             np.interp(at, length, shown[:, 1])])
    return ax.transData.inverted().transform(spots)


def _isoline_labels(ax, isolines, unit, colour):
    """A label for each level of ``isolines``: its text and the places on its longest piece."""
    labels = []
    for level, pieces in zip(isolines.levels, isolines.allsegs):
        pieces = [piece for piece in pieces if len(piece) > 1]
        if pieces:
            longest = max(pieces, key=lambda piece: np.ptp(ax.transData.transform(piece), 0)
                          .sum())
            labels.append((f"{level:g} {unit}", dict(color=colour), _along(ax, longest)))
    return labels


def _place_labels(ax, labels):
    """Writes each of ``labels`` (text, text properties, the places it may take in data
    coordinates, the first preferred) centred on the first of its places where, measured by
    the renderer on the figure as it is laid out, it lies inside the axes and clear of every
    label written before it; on a white ground, so that the line under it stays whole. A label
    with no such place is left out. Returns the texts written."""
    renderer = _renderer(ax.figure)
    room = ax.get_window_extent(renderer)
    taken, written = [], []
    for text, style, places in labels:
        label = ax.text(0, 0, text, ha="center", va="center", fontsize=9, parse_math=False,
                        bbox=dict(facecolor="white", edgecolor="none", pad=0.6), **style)
        for place in places:
            label.set_position(place)
            extent = label.get_window_extent(renderer).padded(2)
            inside = (room.x0 <= extent.x0 and extent.x1 <= room.x1 and room.y0 <= extent.y0
                      and extent.y1 <= room.y1)
            if inside and not any(extent.overlaps(other) for other in taken):
                taken.append(extent)
                written.append(label)
                break
        else:
            label.remove()
    return written


def growth_chart(depth, units="si", durations=(1, 2, 3, 6, 12, 24, 48), hs_levels=None,
                 ts_levels=None, ax=None):
    """The shallow-water forecasting chart at ``depth`` (m for ``units="si"``, ft for "us").

    Fetch on a logarithmic x axis (1 to 1000 km, or 0.5 to 500 miles), the wind speed at 10 m on
    y (5 to 40 m/s, or 15 to 130 ft/s), with g = 9.81 m/s² or 32.2 ft/s² and both wind factors
    Rt and RL 1. The isolines are those of the significant height Hs and the period Ts that
    ``littoral.run_table`` gives over a grid of 91 fetches by 71 wind speeds, for storms of
    1000 h: so long that every one is fetch-limited. ``hs_levels`` and ``ts_levels`` choose the
    isolines (default: some eight round values over the chart).

    Each duration line (``durations`` in hours) is the effective fetch that the calculator gives
    a storm of that duration over the chart's longest fetch, at each wind speed of the grid: a storm
    of that duration left of the line is fetch-limited, one right of it is duration-limited (to
    within the calculator's 2 % steps of the fetch) and takes the Hs and Ts of the isolines where
    its wind crosses the line. Where the line leaves the chart on the right, the storm is
    fetch-limited over every fetch of the chart. A storm the calculator cannot compute (a light
    wind over very deep water ends in a math error) is hatched.
    """
    system = _growth_units(units)
    depth = float(depth)
    if not (math.isfinite(depth) and depth > 0):
        raise ValueError(f"the depth must be a positive number, not {depth:g}")
    durations = [float(hours) for hours in durations]
    if any(not (math.isfinite(hours) and hours > 0) for hours in durations):
        raise ValueError("every duration must be a positive number of hours")
    length, fetch_name = system["length"], system["fetch_name"]
    speed = system["speed_unit"]

    fetch, wind = growth_axes(units)
    storms = _growth_storms(system, depth, fetch, wind, _LONG_DURATION_H)
    fetch_limited = (storms["limited_by"] == "fetch").to_numpy()
    if not fetch_limited.any():
        raise ValueError(f"no storm of the chart can be computed at a depth of {depth:g} "
                         f"{length}: {storms['error'].iloc[0]}")
    shape = (len(wind), len(fetch))
    hs = np.where(fetch_limited, storms["hs"], np.nan).reshape(shape)
    ts = np.where(fetch_limited, storms["ts"], np.nan).reshape(shape)

    figure = _new_figure() if ax is None else ax.figure
    ax = figure.add_subplot() if ax is None else ax
    ax.set_xscale("log")

    hs_lines = ax.contour(fetch, wind, np.ma.masked_invalid(hs), colors="tab:blue",
                          linewidths=1.4,
                          levels=_levels(hs, 9) if hs_levels is None else hs_levels)
    _tag(hs_lines, "hs-isolines")
    ts_lines = ax.contour(fetch, wind, np.ma.masked_invalid(ts), colors="tab:red",
                          linewidths=1.1, linestyles="dashed",
                          levels=_levels(ts, 8) if ts_levels is None else ts_levels)
    _tag(ts_lines, "ts-isolines")

    failed = ~fetch_limited
    if failed.any():
        gaps = ax.contourf(fetch, wind, failed.reshape(shape).astype(float), levels=[0.5, 1.5],
                           colors="none", hatches=["///"])
        _tag(gaps, "no-wave")

    everywhere_fetch_limited = []
    duration_labels = []
    for hours in durations:
        limits = _growth_storms(system, depth, fetch[-1:], wind, hours)
        if (limits["error"] != "").all():
            raise ValueError(f"no storm of {hours:g} h can be computed: {limits['error'].iloc[0]}")
        limited = (limits["limited_by"] == "duration").to_numpy()
        if not limited.any():
            everywhere_fetch_limited.append(f"{hours:g}")
        line_fetch = np.where(limited, limits["effective_fetch"], np.nan)
        line_fetch /= system["metres_or_feet_per_fetch"]
        ax.plot(line_fetch, wind, color="black", linewidth=1.3, linestyle="dashdot",
                gid=f"duration-{hours:g}h")
        # The name on the line, as near its upper end as there is room.
        places = [(line_fetch[i], wind[i]) for i in np.flatnonzero(limited)[::-1]]
        duration_labels.append((f"{hours:g} h", dict(fontweight="bold"), places))

    ax.xaxis.set_major_formatter(FuncFormatter(lambda value, _: f"{value:g}"))
    ax.xaxis.set_minor_locator(LogLocator(subs=(2, 5)))
    ax.xaxis.set_minor_formatter(FuncFormatter(lambda value, _: f"{value:g}"))
    ax.set_xlim(fetch[0], fetch[-1])
    ax.set_ylim(wind[0], wind[-1])
    ax.set_xlabel(f"fetch ({fetch_name})")
    ax.set_ylabel(f"wind speed at 10 m ({speed})")
    ax.grid(True, which="both", color="0.88", linewidth=0.6)
    ax.set_title(f"Wave growth at a depth of {depth:g} {length}  "
                 f"(g = {system['gravity']:g}, Rt = RL = 1)")
    handles = [
        Line2D([], [], color="tab:blue", linewidth=1.4,
               label=f"significant height Hs ({length}), fetch-limited"),
        Line2D([], [], color="tab:red", linewidth=1.1, linestyle="dashed",
               label="period Ts (s), fetch-limited"),
        Line2D([], [], color="black", linewidth=1.3, linestyle="dashdot",
               label="storm duration (h): duration-limited right of its line"),
    ]
    if failed.any():
        handles.append(Patch(facecolor="none", edgecolor="0.3", hatch="///",
                             label="no wave: the storm ends in a math error"))
    if everywhere_fetch_limited:
        handles.append(Line2D([], [], linestyle="none",
                              label=f"{', '.join(everywhere_fetch_limited)} h: fetch-limited "
                                    "over the whole chart"))
    ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.08), ncol=2,
              frameon=False)
    # The labels go where they fit on the chart as laid out, which sets the size of the axes.
    ax.figure.draw_without_rendering()
    _place_labels(ax, [*duration_labels, *_isoline_labels(ax, hs_lines, length, "tab:blue"),
                       *_isoline_labels(ax, ts_lines, "s", "tab:red")])
    return figure


# The text columns of a result table; warnings and error_cause are filled in empty when a table
# of an earlier littoral lacks them.
_TEXTS = ("units", "limited_by", "error")
_LATER_TEXTS = ("warnings", "error_cause")
# The names of a column that identifies the rows, in any case, when none is given.
_ID_NAMES = ("id", "case", "storm")


def _id_column(names, given=None):
    """The column that identifies the rows: ``given``, else the first named id, case or storm
    in any case; None when there is none."""
    if given is not None:
        return given
    return next((name for name in names if str(name).strip().lower() in _ID_NAMES), None)


def _record_lines(text):
    """The line on which each record of the CSV ``text`` starts, the header's being 1, as a
    spreadsheet numbers its rows when no field spans lines. A blank line holds no record."""
    reader = csv.reader(io.StringIO(text, newline=""))
    lines, read = [], 0
    for record in reader:
        if record and not (len(record) == 1 and not record[0].strip()):
            lines.append(read + 1)
        read = reader.line_num
    return lines


def read_results(path, id_column=None):
    """A table written by ``littoral table``, indexed by the line on which each row starts in
    the file (the header is line 1): numbers as float64, and the text columns ``units``,
    ``limited_by``, ``error``, ``warnings`` and ``error_cause`` and the row's identifier
    (``id_column``, else a column named id, case or storm) as text, as written, empty where the
    field is."""
    name = os.path.basename(str(path))
    try:
        with open(path, encoding="utf-8-sig", newline="") as stream:
            text = stream.read()
        lines = _record_lines(text)
        header = next(csv.reader(io.StringIO(text)), [])
        texts = (*_TEXTS, *_LATER_TEXTS, _id_column(header, id_column))
        frame = pd.read_csv(io.StringIO(text),
                            converters={column: str for column in texts if column})
    except ValueError as error:  # not a CSV table: empty, ragged, or not text
        raise ValueError(f"{name}: {error}") from None
    if len(lines) != len(frame) + 1:
        raise ValueError(f"{name}: cannot tell on which line of the file each row starts")
    frame.index = pd.Index(lines[1:], name="line")
    return frame


class _Rows:
    """How a chart names the rows of its table in titles and messages: by the line each starts
    on in the file it was read from, or by the frame's index label; with the row's identifier
    when the table has a column for one."""

    def __init__(self, frame, source, from_file, id_column):
        self.source = source
        self.word = "line" if from_file else "row"
        self.labels = frame.index
        self.id_column = _id_column(frame.columns, id_column)
        if self.id_column is not None and self.id_column not in frame.columns:
            raise ValueError(f"{source}: no column {self.id_column} to name the rows by (--id)")

    def name(self, frame, position):
        """``line 9`` or ``row 3``, and the identifier: ``line 9 (storm "W07")``."""
        name = f"{self.word} {self.labels[position]}"
        if self.id_column is None:
            return name
        value = frame[self.id_column].iloc[position]
        value = "" if pd.isna(value) else str(value)
        if len(value) > 40:
            value = value[:37] + "..."
        return f'{name} ({self.id_column} "{value}")'

    def position(self, row):
        """The position of the row named ``row`` (its line or index label; None for the first),
        or ValueError."""
        if len(self.labels) == 0:
            raise ValueError(f"{self.source}: the table has no rows")
        if row is None:
            return 0
        found = np.flatnonzero(self.labels == row)
        if len(found) == 1:
            return found[0]
        if self.word == "row":
            why = "twice or more" if len(found) else "not"
            raise ValueError(f"{self.source}: row {row!r} is {why} in the frame's index")
        first, last = self.labels[0], self.labels[-1]
        if row == 1:
            raise ValueError(f"{self.source}: line 1 is the header: rows are named by their line "
                             f"in the file, the first is line {first}")
        raise ValueError(f"{self.source}: no row starts at line {row}: the rows are lines "
                         f"{first} to {last} (the header is line 1)")


def _results(results, numbers, texts=_TEXTS, id_column=None):
    """The result frame (read when it is a path) with the columns a chart needs, its numbers as
    float64, and how to name its rows."""
    source = "the table"
    from_file = not isinstance(results, pd.DataFrame)
    if from_file:
        source = os.path.basename(str(results))
        results = read_results(results, id_column)
    missing = [name for name in (*texts, *numbers) if name not in results.columns]
    if missing:
        raise ValueError(f"{source}: no column {', '.join(missing)}: a table written by "
                         "littoral table has them")
    frame = results.copy()
    for name in numbers:
        frame[name] = pd.to_numeric(frame[name], errors="coerce").astype(np.float64)
    for name in (*texts, *_LATER_TEXTS):
        frame[name] = frame[name].fillna("").astype(str) if name in frame.columns else ""
    return frame, _Rows(frame, source, from_file, id_column)


# The largest single-precision value: littoral table writes no larger one.
_LARGEST_SINGLE = float(np.finfo(np.float32).max)


def _refuse_undrawable(frame, names, rows, positions=None):
    """Raises ValueError naming the first row of ``frame`` (of its ``positions``, default all)
    and column whose number no chart has an axis for: an infinite one, or one beyond the single
    precision of littoral table's values. NaN is a value not computed, which a chart leaves
    out."""
    positions = np.arange(len(frame)) if positions is None else np.asarray(positions)
    for name in names:
        values = frame[name].to_numpy()[positions]
        beyond = np.flatnonzero(np.abs(values) > _LARGEST_SINGLE)
        if beyond.size:
            value = values[beyond[0]]
            why = ("not a finite number" if np.isinf(value)
                   else "beyond the single-precision range of a table's values")
            raise ValueError(f"{rows.source}: {rows.name(frame, positions[beyond[0]])}: {name} "
                             f"is {value:g}, {why}")


def _classes(name):
    return [f"{name}_{i}" for i in range(1, 5)]


_STORM_NUMBERS = ("hs", "ts", "deep_angle", "breaking_height", "ks", "kr", "offshore_hrms",
                  "offshore_hs", "offshore_h10", "offshore_h1", "hnso",
                  *_classes("class_share"), *_classes("class_rate"), *_classes("class_height"),
                  "storm_transport", "storm_transport_m3", *_classes("class_transport_m3"))


def class_bounds(storm):
    """The five bounds of the four height classes of one storm (a row of results), as
    deep-water heights: the offshore Hrms/2, Hrms, Hs, H1/10 and H1/100 over Ks Kr, from the
    values as the table gives them. None when they do not give back the class heights, each the
    geometric mean of its two bounds, to within the rounding of printed values."""
    offshore = np.array([0.5 * storm["offshore_hrms"], storm["offshore_hrms"],
                         storm["offshore_hs"], storm["offshore_h10"], storm["offshore_h1"]])
    bounds = offshore / (storm["ks"] * storm["kr"])
    heights = np.array([storm[name] for name in _classes("class_height")])
    if np.allclose(np.sqrt(bounds[:-1] * bounds[1:]), heights, rtol=1e-5, atol=0):
        return bounds
    return None


def _refuse_impossible_storm(storm, where="the storm"):
    """Raises ValueError, after ``where``, when a value of one storm cannot be what the
    calculator gives: a share of the waves outside 0 to 1, or a height or coefficient that the
    exceedance divides by that is not positive."""
    for name in _classes("class_share"):
        if not 0 <= storm[name] <= 1:
            raise ValueError(f"{where}: {name} is {storm[name]:g}, not a share from 0 to 1")
    for name in ("hnso", "ks", "kr", *_classes("class_height")):
        if not storm[name] > 0:
            raise ValueError(f"{where}: {name} is {storm[name]:g}, not a positive number")


def plot_exceedance(ax, storm, length="m"):
    """The Rayleigh exceedance P(H > h) = exp(-(h/Hnso)^2) of the deep-water heights of one
    storm, its four height classes shaded, and each class's share of the waves (the drop of the
    curve across the class) marked at its upper bound. Where the class bounds cannot be derived
    (see ``class_bounds``), each class is shaded around its height, halfway (geometrically) to
    its neighbours', and the chart says so. A storm whose values cannot be the calculator's (a
    share outside 0 to 1, a height that is not positive) raises ValueError."""
    _refuse_impossible_storm(storm)
    hnso = storm["hnso"]
    heights = np.array([storm[name] for name in _classes("class_height")])
    shares = np.array([storm[name] for name in _classes("class_share")])
    bounds = class_bounds(storm)
    derived = bounds is not None
    if not derived:
        inner = np.sqrt(heights[:-1] * heights[1:])
        bounds = np.concatenate([[heights[0] ** 2 / inner[0]], inner,
                                 [heights[-1] ** 2 / inner[-1]]])
    top = 1.1 * max(bounds[-1], 2.5 * hnso)

    def exceedance(h):
        return np.exp(-(np.asarray(h) / hnso) ** 2)

    for i in range(4):
        low, high = bounds[i], bounds[i + 1]
        label = f"class {i + 1}: {low:.3g} to {high:.3g} {length}, {shares[i]:.1%} of the waves"
        ax.axvspan(low, high, color=_CLASS_COLOURS[i], alpha=0.2, linewidth=0,
                   gid=f"class-{i + 1}", label=label)
        if shares[i] > 0:
            # The share as the calculator gives it, standing on the curve at the upper bound.
            foot = exceedance(high)
            ax.annotate("", xy=(high, foot), xytext=(high, foot + shares[i]),
                        arrowprops=dict(arrowstyle="<->", color=_CLASS_COLOURS[i], linewidth=1.6,
                                        shrinkA=0, shrinkB=0), gid=f"share-{i + 1}")
            ax.annotate(f"{shares[i]:.1%}", (high, foot + shares[i] / 2),
                        xytext=(4, 0), textcoords="offset points", va="center", fontsize=9,
                        color=_CLASS_COLOURS[i])
    h = np.linspace(0, top, 400)
    ax.plot(h, exceedance(h), color="black", linewidth=1.6, gid="exceedance",
            label=f"P(H > h) = exp(-(h / Hnso)²), Hnso = {hnso:.4g} {length}")
    ax.plot(heights, exceedance(heights), "o", color="black", markersize=5,
            label="class heights (of the transport)")
    ax.set_xlim(0, top)
    ax.set_ylim(0, 1.02)
    ax.set_xlabel(f"deep-water wave height h ({length})")
    ax.set_ylabel("probability of exceedance P(H > h)")
    ax.set_title("Heights of the storm's waves in deep water")
    ax.grid(True, color="0.88", linewidth=0.6)
    _legend_below(ax, title=None if derived else "classes shaded around their heights: their "
                                                 "bounds do not follow from the table's values",
                  title_fontsize=8)
    return ax


def _class_ticks(ax, storm, units):
    length = _LENGTH.get(units, "")
    heights = [storm[name] for name in _classes("class_height")]
    ax.set_xticks(range(1, 5), [f"{i}\n{h:.3g} {length}" for i, h in enumerate(heights, 1)])
    ax.set_xlabel("height class and its height H")


def _class_bars(ax, values, gid):
    bars = ax.bar(range(1, 5), values, color=_CLASS_COLOURS, width=0.65)
    _tag(bars, gid)
    ax.bar_label(bars, labels=[_number(value) for value in values], fontsize=9, padding=2)
    ax.axhline(0, color="black", linewidth=0.8)
    ax.use_sticky_edges = False  # room for the labels of bars of either sign
    ax.margins(y=0.12)


def plot_class_transport(ax, storm, units="SI"):
    """The transport of each height class of one storm in this storm, in bars of m³
    (``class_transport_m3_i``, which sum to ``storm_transport_m3``), with yd³ on the right."""
    _class_bars(ax, [storm[name] for name in _classes("class_transport_m3")], "class-transport")
    _class_ticks(ax, storm, units)
    ax.set_ylabel("transport of the class in this storm (m³)")
    right = ax.secondary_yaxis("right", functions=(lambda m3: m3 / _CUBIC_YARD,
                                                   lambda yd3: yd3 * _CUBIC_YARD))
    right.set_ylabel("yd³")
    ax.set_title("Transport by height class")
    return ax


def _rate_unit(units):
    """What a class rate (``class_rate_i``) is in a storm of ``units``."""
    if units == "US":
        return "yd³ a year weighted by the class's exposure: the class's yd³ in this storm"
    return ("the SI expression, in no standard unit: the class's yd³ in this storm × "
            f"{_SI_RATE_RATIO:.7g}")


def plot_class_rates(ax, storm, units="SI"):
    """The class rates of one storm (``class_rate_i``) in bars, as the console's class lines
    print them: in US units yd³ a year weighted by the class's exposure; in SI units the SI
    expression, in no standard unit, with its value in yd³ on the right."""
    _class_bars(ax, [storm[name] for name in _classes("class_rate")], "class-rates")
    _class_ticks(ax, storm, units)
    if units == "SI":
        ax.set_ylabel("class rate (SI expression: no standard unit)")
        right = ax.secondary_yaxis("right", functions=(lambda rate: rate / _SI_RATE_RATIO,
                                                       lambda yd3: yd3 * _SI_RATE_RATIO))
        right.set_ylabel(f"yd³ (SI expression / {_SI_RATE_RATIO:.7g})")
    else:
        ax.set_ylabel("class rate (yd³ a year × the class's exposure)")
    ax.set_title("Class rates of the console")
    return ax


def _number(value):
    """Four significant digits, without an exponent for a transport of thousands."""
    return f"{value:.0f}" if abs(value) >= 1000 else f"{value:.4g}"


# The characters of a line of the storm's values: as many as the panel holds.
_FACTS_WIDTH = 46


def _storm_facts(storm, units):
    length = _LENGTH.get(units, "")
    rows = [
        ("growth", f"{storm['limited_by']}-limited"),
        ("Hs (hindcast)", f"{storm['hs']:.4g} {length}"),
        ("Ts", f"{storm['ts']:.4g} s"),
        ("deep-water angle", f"{storm['deep_angle']:.4g}°"),
        ("breaking height", f"{storm['breaking_height']:.4g} {length}"),
        ("Hnso", f"{storm['hnso']:.4g} {length}"),
        ("storm transport", f"{_number(storm['storm_transport_m3'])} m³"),
        ("", f"{_number(storm['storm_transport'])} yd³"),
        ("class rates", " ".join(_number(storm[name]) for name in _classes("class_rate"))),
    ]
    lines = [f"{name:<17} {value}" for name, value in rows]
    lines += textwrap.wrap(f"(class_rate_1 to _4, as the console prints them: "
                           f"{_rate_unit(units)})", _FACTS_WIDTH)
    warnings = [item.strip() for item in storm["warnings"].split(";") if item.strip()]
    lines.append("")
    lines.append("warnings" + ("" if warnings else ": none"))
    for item in warnings:
        lines += textwrap.wrap(item, _FACTS_WIDTH, initial_indent="- ", subsequent_indent="  ")
    return "\n".join(lines)


def storm_chart(results, row=None, id_column=None):
    """One storm of a result table (a frame from ``littoral.run_table``, or the path of a CSV
    file written by ``littoral table``): the exceedance of its deep-water heights with the
    height classes (``plot_exceedance``), the transport of each class in m³
    (``plot_class_transport``), and its Hs, Ts, deep-water angle, breaking height, transport,
    class rates and warnings. ``row`` is the line on which the storm starts in the file (the
    header is line 1), or a frame's index label; the first row when None. Titles and messages
    name the row by it and by its identifier: the column ``id_column``, else one named id, case
    or storm."""
    frame, rows = _results(results, _STORM_NUMBERS, id_column=id_column)
    position = rows.position(row)
    _refuse_undrawable(frame, _STORM_NUMBERS, rows, [position])
    storm = frame.iloc[position]
    where = f"{rows.source}: {rows.name(frame, position)}"
    absent = [name for name in _STORM_NUMBERS if np.isnan(storm[name])]
    if absent:
        why = storm["error"] or "no transport stage: its settling_velocity is not given"
        raise ValueError(f"{where} has no {absent[0]} ({why})")
    _refuse_impossible_storm(storm, where)
    units = storm["units"]

    figure = _new_figure()
    grid = figure.add_gridspec(2, 2, width_ratios=(1.75, 1), height_ratios=(1, 1.3))
    plot_exceedance(figure.add_subplot(grid[:, 0]), storm, _LENGTH.get(units, ""))
    plot_class_transport(figure.add_subplot(grid[0, 1]), storm, units)
    facts = figure.add_subplot(grid[1, 1])
    facts.axis("off")
    # The file's name and the table's text fields are drawn as written, without mathtext.
    facts.text(0.02, 0.98, _storm_facts(storm, units), va="top", family="monospace",
               fontsize=9, transform=facts.transAxes, parse_math=False,
               bbox=dict(boxstyle="round,pad=0.6", facecolor="0.96", edgecolor="0.6"))
    figure.suptitle(f"Storm at {rows.name(frame, position)} of {rows.source} ({units} units)",
                    fontsize=13, parse_math=False)
    return figure


def _with_waves(results):
    """The rows of a result frame that show a storm's wave: no error, and an Hs and a Ts. A row
    with an error is left out even where its fields hold numbers: the zeros of a storm whose
    growth failed are no wave."""
    fine = results["error"] == "" if "error" in results.columns else True
    return results[fine & np.isfinite(results["hs"]) & np.isfinite(results["ts"])]


def _warned(results):
    """Whether each row of a result frame carries warnings."""
    if "warnings" not in results.columns:
        return np.zeros(len(results), dtype=bool)
    return (results["warnings"].fillna("").astype(str) != "").to_numpy()


def plot_hs_ts(ax, results, length="m"):
    """Hs against Ts of each storm of a result frame that has them and no error, marked by what
    limited its growth (the fetch or the duration), and ringed when the row carries warnings;
    the legend counts the rows left out."""
    waves = _with_waves(results)
    for kind, marker, colour in (("fetch", "o", "tab:blue"), ("duration", "^", "tab:orange")):
        storms = waves[waves["limited_by"] == kind]
        ax.scatter(storms["ts"], storms["hs"], marker=marker, s=26, color=colour, alpha=0.7,
                   linewidths=0, gid=f"hs-ts-{kind}", label=f"{kind}-limited ({len(storms)})")
    warned = waves[_warned(waves)]
    ax.scatter(warned["ts"], warned["hs"], marker="o", s=110, facecolors="none",
               edgecolors="tab:red", linewidths=1.3, gid="hs-ts-warned",
               label=f"with warnings ({len(warned)})")
    handles, _ = ax.get_legend_handles_labels()
    left_out = len(results) - len(waves)
    if left_out:
        handles.append(Line2D([], [], linestyle="none",
                              label=f"{left_out} rows left out:\nan error, or no Hs and Ts"))
    ax.set_xlabel("significant period Ts (s)")
    ax.set_ylabel(f"significant height Hs ({length})")
    ax.grid(True, color="0.88", linewidth=0.6)
    _legend_beside(ax, handles, title="growth")
    return ax


# The most bars of a histogram. numpy's "auto" bars are as narrow as the Freedman-Diaconis
# rule makes them (twice the interquartile range over the cube root of the count), which asks
# for billions of them when one value lies far from many close ones.
_MOST_BARS = 1000


def _bins(values):
    """numpy's "auto" bins of ``values``, or _MOST_BARS equal bins where it would ask for more."""
    if values.size < 2:
        return "auto"
    low, high = np.percentile(values, [25, 75])
    width = 2 * (high - low) / values.size ** (1 / 3)
    if width > 0 and (values.max() - values.min()) / width > _MOST_BARS:
        return _MOST_BARS
    return "auto"


def plot_hs_histogram(ax, results, length="m"):
    """The histogram of Hs of the storms of a result frame that have it and no error."""
    hs = _with_waves(results)["hs"]
    _, _, bars = ax.hist(hs, bins=_bins(hs.to_numpy()), color="tab:blue", edgecolor="white",
                         linewidth=0.5)
    _tag(bars, "hs-histogram")
    ax.set_xlabel(f"significant height Hs ({length})")
    ax.set_ylabel("storms")
    ax.grid(True, axis="y", color="0.88", linewidth=0.6)
    return ax


def _row_places(results):
    """Where each row of a result frame stands on an axis of rows: its index label when the
    labels are whole numbers that rise (a file's lines, a frame's default index), else its
    position from 0."""
    index = results.index
    if pd.api.types.is_integer_dtype(index) and index.is_monotonic_increasing \
            and index.is_unique:
        return index.to_numpy(dtype=np.float64)
    return np.arange(len(index), dtype=np.float64)


def plot_cumulative_transport(ax, results, rows="row of the table"):
    """The net longshore transport summed over the rows of a result frame in their order: at
    each row, the sum of ``storm_transport`` (yd³, in both unit systems) of the rows up to it,
    drawn from the row's place to the next (``rows`` names the places: a frame's index labels
    when they are rising whole numbers, else positions from 0). A row without a transport adds
    nothing; a row with warnings is ringed. A positive transport runs to the left of one on the
    beach looking out to sea, a negative one to the right."""
    transport = results["storm_transport"].to_numpy(dtype=np.float64)
    counted = np.isfinite(transport)
    total = np.cumsum(np.where(counted, transport, 0.0))
    places = _row_places(results)
    label = "net transport after each row"
    if len(total):
        label += f": {_number(total[-1])} yd³ after the last"
    if not counted.all():
        label += f"\n({(~counted).sum()} rows without a transport add nothing)"
    # A row holds its total from its place to the next row's.
    edges = np.append(places, places[-1] + 1 if len(places) else 0)
    ax.stairs(total, edges, baseline=None, color="tab:purple", linewidth=1.6,
              gid="cumulative-transport", label=label)
    warned = _warned(results)
    ax.scatter((edges[:-1] + edges[1:])[warned] / 2, total[warned], marker="o", s=60,
               facecolors="none", edgecolors="tab:red", linewidths=1.2, gid="transport-warned",
               label=f"rows with warnings ({warned.sum()})", zorder=3)
    ax.axhline(0, color="black", linewidth=0.8)
    ax.set_xlabel(rows)
    ax.set_ylabel("cumulative net transport (yd³)")
    right = ax.secondary_yaxis("right", functions=(lambda yd3: yd3 * _CUBIC_YARD,
                                                   lambda m3: m3 / _CUBIC_YARD))
    right.set_ylabel("m³")
    ax.grid(True, color="0.88", linewidth=0.6)
    _legend_below(ax, offset=-0.2)
    return ax


def table_chart(results, units=None, id_column=None):
    """Many storms of a result table (a frame from ``littoral.run_table``, or the path of a CSV
    file written by ``littoral table``): Hs against Ts marked by what limited the growth
    (``plot_hs_ts``), the histogram of Hs (``plot_hs_histogram``), and the cumulative net
    transport over the rows in table order (``plot_cumulative_transport``); rows with warnings
    ringed. Heights are those of the storms of one unit system, ``units`` "si" or "us"
    (default: the table's own when it has one), without the rows with an error; the transport
    is that of every row. Messages name a row by its line in the file or its index label, and
    by its identifier (``id_column``, else a column named id, case or storm)."""
    frame, rows = _results(results, ("hs", "ts", "storm_transport"), id_column=id_column)
    source = rows.source
    _refuse_undrawable(frame, ("hs", "ts", "storm_transport"), rows)
    systems = sorted(set(frame["units"]) & set(_LENGTH))
    if units is None:
        if len(systems) > 1:
            raise ValueError(f"{source}: the table holds SI and US storms: choose one "
                             "(--units si or us)")
        if not systems:
            errors = [error for error in frame["error"] if error]
            raise ValueError(f"{source}: no storm of the table has a wave"
                             + (f" ({errors[0]})" if errors else ""))
        units = systems[0]
    units = str(units).upper()
    if units not in _LENGTH:
        raise ValueError(f"units must be si or us, not {units.lower()!r}")
    length = _LENGTH[units]
    # The storms of the chosen system, and those of none (failed before it was known), which
    # the scatter counts as left out.
    chosen = frame[(frame["units"] == units) | ~frame["units"].isin(list(_LENGTH))]

    figure = _new_figure()
    grid = figure.add_gridspec(2, 2, width_ratios=(1.5, 1))
    scatter = figure.add_subplot(grid[0, 0])
    plot_hs_ts(scatter, chosen, length)
    scatter.set_title(f"Height and period of the {units} storms")
    histogram = figure.add_subplot(grid[0, 1])
    plot_hs_histogram(histogram, chosen, length)
    histogram.set_title(f"Significant heights of the {units} storms")
    transport = figure.add_subplot(grid[1, :])
    places = (f"line of {source} (the header is line 1)" if rows.word == "line"
              else "row of the table (its index)")
    plot_cumulative_transport(transport, frame, places)
    transport.set_title("Cumulative net longshore transport, in table order")
    failed = int((frame["error"] != "").sum())
    figure.suptitle(f"{len(frame)} storms of {source}"
                    + (f", {failed} of them with an error" if failed else ""), fontsize=13,
                    parse_math=False)
    return figure


_CLIMATE_STORM_NUMBERS = ("wind_direction", "duration_h", "storm_transport",
                          "storm_transport_m3")


def read_storms(path):
    """A storm table written by ``littoral climate``: numbers as float64, the times and the text
    columns as text."""
    frame = read_results(path)
    for name in ("start", "end", "fetch_unit", "speed_unit", "warnings"):
        if name in frame.columns:
            frame[name] = frame[name].fillna("").astype(str)
    return frame


def _climate_storms(storms):
    source = "the storms"
    if not isinstance(storms, pd.DataFrame):
        source = os.path.basename(str(storms))
        storms = read_storms(storms)
    missing = [name for name in ("start", "end", "warnings", *_CLIMATE_STORM_NUMBERS)
               if name not in storms.columns]
    if missing:
        raise ValueError(f"{source}: no column {', '.join(missing)}: a storm table written by "
                         "littoral climate has them")
    frame = storms.copy()
    for name in _CLIMATE_STORM_NUMBERS:
        frame[name] = pd.to_numeric(frame[name], errors="coerce").astype(np.float64)
    frame["start"] = frame["start"].astype(str)
    frame["end"] = frame["end"].astype(str)
    # A storm whose deep-water sine was clamped is left out of the transport, as the climate
    # summaries leave it out.
    clamped = frame["warnings"].fillna("").astype(str).str.contains("angle-clamped").to_numpy()
    # The transport that the sums count: none for a clamped storm or one without transport.
    frame["clamped"] = clamped
    frame["counted_yd3"] = np.where(clamped, np.nan, frame["storm_transport"])
    return frame, source


def climate_sectors(storms, sectors=16):
    """The storm hours and the net transport (yd³, clamped storms left out) of a storm frame by
    the sector of the storms' direction: ``sectors`` sectors centred on north, as the sector
    summary of ``littoral climate`` has them. Returns (centres in degrees, hours, net)."""
    if int(sectors) != sectors or sectors < 1:
        raise ValueError(f"sectors must be a whole number of at least 1, not {sectors!r}")
    width = 360.0 / sectors
    index = np.floor((storms["wind_direction"].to_numpy() + width / 2) / width).astype(int)
    index %= sectors
    hours = np.bincount(index, weights=storms["duration_h"].to_numpy(), minlength=sectors)
    net = np.bincount(index, weights=np.nan_to_num(storms["counted_yd3"].to_numpy()),
                      minlength=sectors)
    return np.arange(sectors) * width, hours, net


def plot_rose(ax, centres, values, colours, label):
    """Bars of ``values`` on a polar ``ax`` at the sectors' ``centres`` (degrees true, north up,
    clockwise), each bar as wide as its sector."""
    ax.set_theta_zero_location("N")
    ax.set_theta_direction(-1)
    width = np.radians(360.0 / len(centres)) if len(centres) else 0
    bars = ax.bar(np.radians(centres), values, width=width * 0.95, color=colours,
                  edgecolor="white", linewidth=0.5, label=label)
    # Few rings, so that their labels stay clear of the directions' at the rim.
    ax.yaxis.set_major_locator(MaxNLocator(4))
    ax.yaxis.set_major_formatter(StrMethodFormatter("{x:,.0f}"))
    return bars


def _annual(frame, years):
    """The net and gross transport of each calendar year: the summary's rows when given,
    otherwise the sums of the storms by the year of their start."""
    if years is not None:
        if not isinstance(years, pd.DataFrame):
            years = pd.read_csv(years, dtype={"year": str}, float_precision="round_trip")
        rows = years[years["year"].astype(str) != "all"]
        return (rows["year"].astype(str).tolist(), rows["net_yd3"].to_numpy(dtype=np.float64),
                rows["gross_yd3"].to_numpy(dtype=np.float64))
    year = frame["start"].str.slice(0, 4)
    counted = frame["counted_yd3"]
    if len(frame) == 0:
        return [], np.array([]), np.array([])
    first, last = int(year.min()), int(year.max())
    names = [str(y) for y in range(first, last + 1)]
    net = counted.groupby(year).sum(min_count=0).reindex(names, fill_value=0.0)
    gross = counted.abs().groupby(year).sum(min_count=0).reindex(names, fill_value=0.0)
    return names, net.to_numpy(dtype=np.float64), gross.to_numpy(dtype=np.float64)


def climate_chart(storms, years=None, sectors=16, shore_normal=None):
    """A site's wind climate from its storms (a frame from ``littoral.climate`` or the path of
    a storm table written by ``littoral climate``): roses of the storm hours and of the net
    longshore transport by direction sector, the net and gross transport of each calendar year
    (from the summary by year, ``years``, when given: a frame or a file), and the cumulative net
    transport through time. A storm whose deep-water sine was clamped (the ``angle-clamped``
    warning) is left out of the transport, as in the summaries. A positive transport moves sand
    to the left of one on the beach looking out to sea."""
    frame, source = _climate_storms(storms)
    centres, hours, net = climate_sectors(frame, sectors)
    figure = _new_figure()
    grid = figure.add_gridspec(2, 2)

    rose = figure.add_subplot(grid[0, 0], projection="polar")
    _tag(plot_rose(rose, centres, hours, "tab:blue", "storm hours"), "rose-hours")
    rose.set_title("Storm hours by the direction the wind came from")
    net_rose = figure.add_subplot(grid[0, 1], projection="polar")
    colours = np.where(net >= 0, "tab:orange", "tab:green")
    _tag(plot_rose(net_rose, centres, np.abs(net), colours, "net transport"), "rose-net")
    net_rose.set_title("Net transport by wind direction, yd³\n"
                       "orange: to the left looking out to sea, green: to the right")

    annual = figure.add_subplot(grid[1, 0])
    names, year_net, year_gross = _annual(frame, years)
    positions = np.arange(len(names))
    _tag(annual.bar(positions, year_gross, width=0.8, color="0.8", label="gross"),
         "annual-gross")
    _tag(annual.bar(positions, year_net, width=0.5, color="tab:purple", label="net"),
         "annual-net")
    annual.axhline(0, color="black", linewidth=0.8)
    step = max(1, math.ceil(len(names) / 8))
    annual.set_xticks(positions[::step], [names[i] for i in range(0, len(names), step)])
    annual.set_ylabel("transport (yd³)")
    # Whole numbers with thousands marked: an offset ("1e6") would sit on the title.
    annual.yaxis.set_major_formatter(StrMethodFormatter("{x:,.0f}"))
    annual.set_title("Net and gross longshore transport of each year")
    _legend_below(annual, offset=-0.08)

    cumulative = figure.add_subplot(grid[1, 1])
    ends = pd.to_datetime(frame["end"], utc=True, errors="coerce")
    total = np.cumsum(np.nan_to_num(frame["counted_yd3"].to_numpy()))
    cumulative.step(ends, total, where="post", color="tab:purple", linewidth=1.4,
                    gid="cumulative-net")
    cumulative.axhline(0, color="black", linewidth=0.8)
    cumulative.set_ylabel("cumulative net transport (yd³)")
    cumulative.yaxis.set_major_formatter(StrMethodFormatter("{x:,.0f}"))
    cumulative.set_title("Net transport through time (at each storm's end)")
    cumulative.grid(True, color="0.88", linewidth=0.6)
    clamped = int(frame["clamped"].sum())
    title = f"{len(frame)} storms of {source}"
    if clamped:
        title += f" ({clamped} with a clamped angle left out of the transport)"
    if shore_normal is not None:
        title += f"; shore normal {float(shore_normal):g} degrees"
    figure.suptitle(title, fontsize=13)
    return figure


# The command as its usage shows it: Debian's Python has numpy, pandas and matplotlib.
_COMMAND = "/usr/bin/python3 -m littoral.charts"


class _Parser(argparse.ArgumentParser):
    """Bad arguments are one line on the error stream and exit status 2, as every bad input."""

    def error(self, message):
        self.exit(2, f"{self.prog.replace(_COMMAND, 'littoral.charts')}: {message}\n")


def _draw_growth(args):
    return growth_chart(args.depth, args.units, durations=args.durations)


def _draw_storm(args):
    return storm_chart(args.results, args.row, args.id)


def _draw_table(args):
    return table_chart(args.results, args.units, args.id)


def _draw_climate(args):
    return climate_chart(args.storms, args.summary, args.sectors)


def _positive(text):
    try:
        value = float(text)
    except ValueError:
        value = math.nan
    if not (math.isfinite(value) and value > 0):
        raise argparse.ArgumentTypeError(f"{text!r} is not a positive number")
    return value


# The dots per inch of a raster picture: below 10, freetype cannot size the smallest text; above
# 1200, an A4 picture of more than 14,000 by 9,900 pixels takes gigabytes to draw.
_DPI = (10, 1200)


def _dpi(text):
    value = _positive(text)
    if not _DPI[0] <= value <= _DPI[1]:
        raise argparse.ArgumentTypeError(f"{text!r} is not from {_DPI[0]} to {_DPI[1]}")
    return value


def _parser():
    parser = _Parser(prog=_COMMAND,
                     description="Draw a chart of the calculator's values into FILE "
                                 "(PNG, SVG, PDF, ... by its extension).",
                     epilog="Run it with Debian's Python, /usr/bin/python3, which has numpy, "
                            "pandas and matplotlib (python3-matplotlib); another Python needs "
                            "them, and littoral's module on its path.")
    kinds = parser.add_subparsers(dest="kind", required=True, metavar="KIND",
                                  parser_class=_Parser)

    def add(name, helptext, draw):
        kind = kinds.add_parser(name, help=helptext, description=helptext)
        kind.set_defaults(draw=draw)
        kind.add_argument("-o", "--output", required=True, metavar="FILE",
                          help="the picture to write; its extension chooses the format")
        kind.add_argument("--dpi", type=_dpi, default=100,
                          help=f"dots per inch of a raster picture, {_DPI[0]} to {_DPI[1]} "
                               "(default 100)")
        return kind

    growth = add("growth", "the wave-growth chart at one depth", _draw_growth)
    growth.add_argument("--depth", type=float, required=True, metavar="D",
                        help="the depth of the water, m (si) or ft (us)")
    growth.add_argument("--units", choices=("si", "us"), default="si",
                        help="unit system (default si)")
    growth.add_argument("--durations", type=float, nargs="+", metavar="H",
                        default=[1, 2, 3, 6, 12, 24, 48],
                        help="storm durations of the duration lines, hours")

    storm = add("storm", "one storm of a result table: its height classes and transport",
                _draw_storm)
    storm.add_argument("results", metavar="RESULTS.csv", help="a table written by littoral table")
    storm.add_argument("--row", type=int, metavar="LINE",
                       help="the storm's row, by the line it starts on in the file, the header "
                            "being line 1 (default: the first row, line 2)")
    rows = "the column that identifies the rows in titles and messages (default: one named " \
           "id, case or storm, in any case)"
    storm.add_argument("--id", metavar="COLUMN", help=rows)

    table = add("table", "many storms of a result table: Hs and Ts, and the net transport",
                _draw_table)
    table.add_argument("results", metavar="RESULTS.csv", help="a table written by littoral table")
    table.add_argument("--units", choices=("si", "us"),
                       help="the storms whose heights are shown (default: the table's units)")
    table.add_argument("--id", metavar="COLUMN", help=rows)

    climate = add("climate", "a wind climate's storms: roses by direction, each year's "
                  "transport, and the net transport through time", _draw_climate)
    climate.add_argument("storms", metavar="STORMS.csv",
                         help="a storm table written by littoral climate")
    climate.add_argument("--summary", metavar="FILE",
                         help="the summary by year written by littoral climate --summary")
    climate.add_argument("--sectors", type=int, default=16, metavar="N",
                         help="direction sectors of the roses (default 16)")
    return parser


def _picture_format(path):
    # pgf is left out: it needs LaTeX to measure its text.
    formats = sorted(set(FigureCanvasAgg.get_supported_filetypes()) - {"pgf"})
    extension = os.path.splitext(path)[1][1:].lower()
    if extension not in formats:
        why = f"cannot write .{extension} pictures" if extension else "no extension"
        raise ValueError(f"{path}: {why}; give one of {', '.join(formats)}")
    return extension


def _one_line(error):
    if isinstance(error, OSError) and error.filename is not None:
        return f"{error.filename}: {error.strerror}"
    return " ".join(str(error).split())


def _new_file_mode():
    umask = os.umask(0)
    os.umask(umask)
    return 0o666 & ~umask


def _naming(error, path):
    """The OSError ``error`` as one about ``path``, the file the user gave."""
    return OSError(error.errno, error.strerror or str(error), path)


def _save(figure, path, picture_format, dpi):
    """Writes the figure to ``path`` whole or not at all: into a temporary file beside it (beside
    the file a link names), renamed over it once complete, so that a full disk leaves an earlier
    picture as it was and no part of a new one. What is not a regular file (a pipe, a device) is
    written directly. An OSError names ``path``."""
    try:
        if os.path.exists(path) and not os.path.isfile(path):
            figure.savefig(path, format=picture_format, dpi=dpi)
            return
        target = os.path.realpath(path)
        if os.path.exists(target):
            if not os.access(target, os.W_OK):
                raise PermissionError(errno.EACCES, os.strerror(errno.EACCES))
            mode = stat.S_IMODE(os.stat(target).st_mode)
        else:
            mode = _new_file_mode()
        handle, temporary = tempfile.mkstemp(prefix=f".{os.path.basename(target)}.",
                                             dir=os.path.dirname(target))
    except OSError as error:
        raise _naming(error, path) from None
    try:
        with os.fdopen(handle, "wb") as stream:
            figure.savefig(stream, format=picture_format, dpi=dpi)
            stream.flush()
            os.fsync(stream.fileno())
        os.chmod(temporary, mode)
        os.replace(temporary, target)
    except BaseException as error:
        with contextlib.suppress(OSError):
            os.unlink(temporary)
        if isinstance(error, OSError):
            raise _naming(error, path) from None
        raise


def main(argv=None):
    """The command ``python3 -m littoral.charts``; returns its exit status."""
    args = _parser().parse_args(argv)
    try:
        picture_format = _picture_format(args.output)
        figure = args.draw(args)
        _save(figure, args.output, picture_format, args.dpi)
    except (OSError, ValueError) as error:
        print(f"littoral.charts: {_one_line(error)}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
