"""littoral.charts: charts of the calculator's own values, drawn with matplotlib.

    import littoral.charts
    figure = littoral.charts.growth_chart(depth=10, units="si")
    figure.savefig("growth.png")

Every value a chart plots is one that ``littoral.run_table`` computed, or that ``littoral table``
printed. Each chart returns a matplotlib Figure on the Agg canvas (no display needed); one with a
single panel draws into the ``ax`` it is given instead, so that it can take its place in a figure
of the caller's. From the shell, ``python3 -m littoral.charts KIND ... -o FILE`` writes the chart
as PNG, SVG, PDF or any other format matplotlib writes, by the file's extension.
"""
import argparse
import math
import os
import sys

import numpy as np
from matplotlib.artist import Artist
from matplotlib.backends.backend_agg import FigureCanvasAgg
from matplotlib.figure import Figure
from matplotlib.lines import Line2D
from matplotlib.patches import Patch
from matplotlib.ticker import FuncFormatter, LogLocator, MaxNLocator

import littoral

__all__ = ["growth_axes", "growth_chart", "main"]

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
_FETCH_POINTS = 91
_WIND_POINTS = 71


def _new_figure(size=PAGE):
    figure = Figure(figsize=size, layout="constrained")
    FigureCanvasAgg(figure)
    return figure


def _tag(artist, gid):
    """Names the artists of a plotted set of values, so that SVG readers and tests find them;
    a contour set of an older matplotlib is a list of collections rather than one artist."""
    parts = [artist] if isinstance(artist, Artist) else artist.collections
    for part in parts:
        part.set_gid(gid)


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


def _nice_levels(values, bins):
    values = values[np.isfinite(values)]
    if values.size == 0:
        return []
    low, high = values.min(), values.max()
    levels = MaxNLocator(nbins=bins, steps=[1, 2, 2.5, 5, 10]).tick_values(low, high)
    return [level for level in levels if low < level < high]


def _label(ax, isolines, unit):
    # On a white ground rather than cut into the line: the isoline stays whole.
    for text in ax.clabel(isolines, fmt=lambda value: f"{value:g} {unit}", inline=False,
                          fontsize=9):
        text.set_bbox(dict(facecolor="white", edgecolor="none", pad=0.6))


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
                          levels=_nice_levels(hs, 9) if hs_levels is None else hs_levels)
    _tag(hs_lines, "hs-isolines")
    _label(ax, hs_lines, length)
    ts_lines = ax.contour(fetch, wind, np.ma.masked_invalid(ts), colors="tab:red",
                          linewidths=1.1, linestyles="dashed",
                          levels=_nice_levels(ts, 8) if ts_levels is None else ts_levels)
    _tag(ts_lines, "ts-isolines")
    _label(ax, ts_lines, "s")

    failed = ~fetch_limited
    if failed.any():
        gaps = ax.contourf(fetch, wind, failed.reshape(shape).astype(float), levels=[0.5, 1.5],
                           colors="none", hatches=["///"])
        _tag(gaps, "no-wave")

    everywhere_fetch_limited = []
    for hours in durations:
        limits = _growth_storms(system, depth, fetch[-1:], wind, hours)
        limited = (limits["limited_by"] == "duration").to_numpy()
        if not limited.any():
            everywhere_fetch_limited.append(f"{hours:g}")
        line_fetch = np.where(limited, limits["effective_fetch"], np.nan)
        line_fetch /= system["metres_or_feet_per_fetch"]
        ax.plot(line_fetch, wind, color="black", linewidth=1.3, linestyle="dashdot",
                gid=f"duration-{hours:g}h")
        if limited.any():
            # The name at the line's upper end, left of it, inside the chart.
            top = np.flatnonzero(limited)[-1]
            ax.annotate(f"{hours:g} h", (line_fetch[top], wind[top]), ha="right",
                        xytext=(-4, -13 if top == len(wind) - 1 else 4),
                        textcoords="offset points", fontsize=9, fontweight="bold")

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
    return figure


class _Parser(argparse.ArgumentParser):
    """Bad arguments are one line on the error stream and exit status 2, as every bad input."""

    def error(self, message):
        self.exit(2, f"{self.prog}: {message}\n")


def _draw_growth(args):
    return growth_chart(args.depth, args.units, durations=args.durations)


def _parser():
    parser = _Parser(prog="littoral.charts",
                     description="Draw a chart of the calculator's values into FILE "
                                 "(PNG, SVG, PDF, ... by its extension).")
    kinds = parser.add_subparsers(dest="kind", required=True, metavar="KIND",
                                  parser_class=_Parser)

    def add(name, helptext, draw):
        kind = kinds.add_parser(name, help=helptext, description=helptext)
        kind.set_defaults(draw=draw)
        kind.add_argument("-o", "--output", required=True, metavar="FILE",
                          help="the picture to write; its extension chooses the format")
        kind.add_argument("--dpi", type=float, default=100,
                          help="dots per inch of a raster picture (default 100)")
        return kind

    growth = add("growth", "the wave-growth chart at one depth", _draw_growth)
    growth.add_argument("--depth", type=float, required=True, metavar="D",
                        help="the depth of the water, m (si) or ft (us)")
    growth.add_argument("--units", choices=("si", "us"), default="si",
                        help="unit system (default si)")
    growth.add_argument("--durations", type=float, nargs="+", metavar="H",
                        default=[1, 2, 3, 6, 12, 24, 48],
                        help="storm durations of the duration lines, hours")
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


def main(argv=None):
    """The command ``python3 -m littoral.charts``; returns its exit status."""
    args = _parser().parse_args(argv)
    try:
        picture_format = _picture_format(args.output)
        figure = args.draw(args)
        figure.savefig(args.output, format=picture_format, dpi=args.dpi)
    except (OSError, ValueError) as error:
        print(f"littoral.charts: {_one_line(error)}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
