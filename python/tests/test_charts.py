import io
import os
import subprocess
import sys

from xml.etree import ElementTree

import numpy as np
import pandas as pd
import pytest

import littoral

charts = pytest.importorskip("littoral.charts")
from matplotlib.figure import Figure  # noqa: E402 (matplotlib is there when the charts are)


def tagged(ax, gid):
    """The artists of the set of values named ``gid``, in their order: one artist named so, or
    several named ``gid-0``, ``gid-1``, ..."""
    named = {artist.get_gid(): artist for artist in ax.get_children() if artist.get_gid()}
    if gid in named:
        return [named[gid]]
    return [named[f"{gid}-{i}"] for i in range(len(named)) if f"{gid}-{i}" in named]


def vertices(ax, gid):
    """The points of every path drawn by the artists named ``gid``."""
    paths = [path.vertices for artist in tagged(ax, gid) for path in artist.get_paths()]
    return np.concatenate(paths) if paths else np.empty((0, 2))


def grid_storms(units, depth, fetch, wind, hours):
    """Storms over every fetch with every wind, fetch varying fastest, written out here."""
    gravity, fetch_unit, speed_unit = {"si": (9.81, "km", "m/s"),
                                       "us": (32.2, "miles", "ft/s")}[units]
    rows = [dict(gravity=gravity, depth=depth, fetch=f, fetch_unit=fetch_unit,
                 wind_speed=u, speed_unit=speed_unit, duration_h=hours, rt=1, rl=1,
                 local_depth=depth, angle_deg=0) for u in wind for f in fetch]
    return littoral.run_table(rows)


@pytest.mark.parametrize("units, depth, hs_levels, ts_levels", [
    ("si", 10, [0.5, 1, 2, 3], [3, 5, 7, 9]),
    ("us", 60, [2, 5, 10, 20], [2, 4, 6, 8, 10]),
])
def test_growth_isolines_are_the_hs_and_ts_of_run_table(units, depth, hs_levels, ts_levels):
    figure = charts.growth_chart(depth, units, durations=[], hs_levels=hs_levels,
                                 ts_levels=ts_levels)
    chart = figure.axes[0]
    fetch, wind = charts.growth_axes(units)
    storms = grid_storms(units, depth, fetch, wind, hours=5000)
    assert (storms["limited_by"] == "fetch").all()

    reference = Figure().add_subplot()
    for name, levels in (("hs", hs_levels), ("ts", ts_levels)):
        values = storms[name].to_numpy().reshape(len(wind), len(fetch))
        drawn = reference.contour(fetch, wind, values, levels=levels)
        charts._tag(drawn, f"{name}-isolines")
        expected = vertices(reference, f"{name}-isolines")
        assert len(expected) > 0
        np.testing.assert_array_equal(vertices(chart, f"{name}-isolines"), expected)


def test_duration_lines_part_fetch_from_duration_limited_storms():
    depth = 10
    figure = charts.growth_chart(depth, "si", durations=[1, 3, 24])
    chart = figure.axes[0]
    fetch, wind = charts.growth_axes("si")
    for hours in (1, 3, 24):
        line = next(line for line in chart.get_lines() if line.get_gid() == f"duration-{hours}h")
        np.testing.assert_array_equal(line.get_ydata(), wind)
        at = np.isfinite(line.get_xdata())
        # Beyond the line's right end the whole fetch of the chart is fetch-limited.
        if not at.all():
            longest = grid_storms("si", depth, fetch[-1:], wind[~at], hours)
            assert (longest["limited_by"] == "fetch").all()
        if hours == 24:
            assert not at.any()
            continue
        assert at.sum() > 10
        # On the line a storm is fetch-limited; one fetch step (2 %) beyond it, duration-limited.
        metres = np.float32(line.get_xdata()[at] * 1000).astype(float)
        for fetches, limit in ((metres, "fetch"), (metres / 0.98 * 1.0001, "duration")):
            storms = littoral.run_table(dict(
                gravity=9.81, depth=depth, fetch=fetches, fetch_unit="m", wind_speed=wind[at],
                speed_unit="m/s", duration_h=hours, rt=1, rl=1, local_depth=depth, angle_deg=0))
            assert (storms["limited_by"] == limit).all(), (hours, limit)


def test_growth_chart_draws_into_the_callers_axes():
    figure = Figure()
    left, right = figure.subplots(1, 2)
    assert charts.growth_chart(5, "si", durations=[2], ax=right) is figure
    assert len(vertices(right, "hs-isolines")) > 0 and not left.has_data()


@pytest.mark.parametrize("units, depth", [("si", 2), ("si", 12), ("si", 200), ("us", 40),
                                          ("us", 600)])
def test_growth_isolines_lie_where_the_waves_are_and_labels_on_nothing(units, depth):
    figure = charts.growth_chart(depth, units)
    chart = figure.axes[0]
    renderer = figure.canvas.get_renderer()
    room = chart.get_window_extent(renderer)
    extents = [text.get_window_extent(renderer) for text in chart.texts]
    for i, extent in enumerate(extents):
        assert room.x0 <= extent.x0 < extent.x1 <= room.x1, chart.texts[i]
        assert room.y0 <= extent.y0 < extent.y1 <= room.y1, chart.texts[i]
        assert not any(extent.overlaps(other) for other in extents[:i]), chart.texts[i]
    # Every line has its label. The grid is even on the chart: a share of its storms is a share
    # of the chart's area, and no band between two isolines holds much of it.
    named = [text.get_text().split(" ") for text in chart.texts]
    storms = grid_storms(units, depth, *charts.growth_axes(units), hours=5000)
    for name, unit in (("hs", {"si": "m", "us": "ft"}[units]), ("ts", "s")):
        levels = sorted(float(value) for value, of in named if of == unit)
        assert len(levels) == len(tagged(chart, f"{name}-isolines")), (name, levels)
        bands = np.histogram(storms[name], bins=[-np.inf, *levels, np.inf])[0]
        assert bands.max() <= 0.3 * len(storms), (name, levels, bands)
    assert sum(of == "h" for _, of in named) == \
        sum(np.isfinite(line.get_xdata()).any() for line in chart.get_lines())


# Storms of both unit systems and both signs, one limited by breaking offshore (its classes 3
# and 4 are empty), one duration-limited without the transport stage, and one that cannot be
# computed.
STORMS = """\
station,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,angle_deg,settling_velocity
SI,9.81,10,50,km,20,m/s,5,1,1,3,30,1.5
US,32.2,20,10,miles,50,ft/s,5,1.1,1,8,-20,1.5
breaking,9.81,0.3,50,km,40,m/s,10,1,1,0.25,-10,1.5
no transport,9.81,10,50,km,20,m/s,1,1,1,3,30,
bad unit,9.81,10,50,kmh,20,m/s,5,1,1,3,30,1.5
"""


@pytest.fixture(scope="module")
def storms():
    return littoral.run_table(pd.read_csv(io.StringIO(STORMS)))


@pytest.fixture()
def results_csv(tmp_path, run_command):
    """The storms' result table as ``littoral table`` writes it."""
    table = tmp_path / "storms.csv"
    table.write_text(STORMS)
    path = tmp_path / "results.csv"
    path.write_text(run_command(table))
    return path


def class_bands(ax):
    """The lower and upper ends of the four shaded classes."""
    ends = [tagged(ax, f"class-{i}")[0].get_xy()[:, 0] for i in range(1, 5)]
    return np.array([(x.min(), x.max()) for x in ends]).T


def facts(figure):
    """The text of the storm chart's panel of values, its lines joined by spaces."""
    (text,) = figure.axes[2].texts
    return " ".join(text.get_text().split())


@pytest.mark.parametrize("row, rates", [(0, "no standard unit"), (1, "yd³ a year weighted"),
                                        (2, "no standard unit")])
def test_storm_chart_shows_the_classes_and_transport_of_run_table(storms, row, rates):
    storm = storms.iloc[row]
    figure = charts.storm_chart(storms, row)
    exceedance, transport = figure.axes[:2]
    shares = [storm[f"class_share_{i}"] for i in range(1, 5)]
    assert [bar.get_height() for bar in tagged(transport, "class-transport")] == \
        [storm[f"class_transport_m3_{i}"] for i in range(1, 5)]
    # The console's class rates are named for what they are, and the warnings are shown.
    shown = facts(figure)
    assert f"as the console prints them: {'the SI expression, in' if row != 1 else ''}" in shown
    assert rates in shown
    for item in filter(None, storm["warnings"].split("; ")):
        assert f"- {item}" in shown
    assert ("warnings: none" in shown) == (storm["warnings"] == "")

    # The bounds drawn are the calculator's: across each, the Rayleigh curve of Hnso falls by
    # the class's share, and each class height is the geometric mean of its bounds.
    low, high = class_bands(exceedance)
    np.testing.assert_array_equal(low[1:], high[:-1])
    rayleigh = np.exp(-(low / storm["hnso"]) ** 2) - np.exp(-(high / storm["hnso"]) ** 2)
    np.testing.assert_allclose(rayleigh, shares, rtol=2e-5, atol=1e-7)
    np.testing.assert_allclose(np.sqrt(low * high),
                               [storm[f"class_height_{i}"] for i in range(1, 5)], rtol=1e-5)
    # Each share stands on the curve at the class's upper bound.
    for i, share in enumerate(shares, 1):
        marks = tagged(exceedance, f"share-{i}")
        assert len(marks) == (share > 0)
        for mark in marks:
            assert mark.xy[0] == mark.xyann[0] == high[i - 1]
            assert mark.xyann[1] - mark.xy[1] == pytest.approx(share, rel=1e-12)
    if row == 2:
        assert shares[2:] == [0, 0] and high[1] == high[3]


def test_classes_whose_bounds_do_not_follow_are_shaded_around_their_heights(storms):
    storm = storms.iloc[0].copy()
    assert charts.class_bounds(storm) is not None
    storm["ks"] *= 1.001
    assert charts.class_bounds(storm) is None

    ax = Figure().add_subplot()
    charts.plot_exceedance(ax, storm)
    assert "around their heights" in ax.get_legend().get_title().get_text()
    heights = np.array([storm[f"class_height_{i}"] for i in range(1, 5)])
    low, high = class_bands(ax)
    assert (low < heights).all() and (heights < high).all()
    np.testing.assert_allclose(high[:-1], np.sqrt(heights[:-1] * heights[1:]), rtol=1e-12)
    np.testing.assert_array_equal(low[1:], high[:-1])


def test_table_chart_plots_the_storms_of_run_table(storms):
    with pytest.raises(ValueError, match="SI and US"):
        charts.table_chart(storms)
    for units in ("si", "us"):
        scatter, histogram, transport = charts.table_chart(storms, units).axes[:3]
        chosen = storms[storms["units"] == units.upper()]
        for kind in ("fetch", "duration"):
            (points,) = tagged(scatter, f"hs-ts-{kind}")
            storm = chosen[chosen["limited_by"] == kind]
            assert len(storm) > 0 or units == "us"
            np.testing.assert_array_equal(points.get_offsets(),
                                          np.column_stack([storm["ts"], storm["hs"]]))
        bars = tagged(histogram, "hs-histogram")
        edges = [bar.get_x() for bar in bars] + [bars[-1].get_x() + bars[-1].get_width()]
        counts, _ = np.histogram(chosen["hs"].dropna(), bins=edges)
        assert [bar.get_height() for bar in bars] == list(counts)
        assert counts.sum() == chosen["hs"].notna().sum()

        # Every row of the table, both units: a row without a transport adds nothing.
        (steps,) = tagged(transport, "cumulative-transport")
        values, edges, _ = steps.get_data()
        np.testing.assert_array_equal(edges, np.arange(len(storms) + 1))
        expected = np.cumsum(storms["storm_transport"].fillna(0))
        np.testing.assert_allclose(values, expected, rtol=1e-15)
        assert "2 rows without a transport" in steps.get_label()


def test_charts_of_the_command_table_have_its_printed_values(storms, results_csv):
    transport = charts.storm_chart(results_csv, 3).axes[1]  # line 3: the second row
    np.testing.assert_allclose([bar.get_height() for bar in tagged(transport, "class-transport")],
                               [storms.loc[1, f"class_transport_m3_{i}"] for i in range(1, 5)],
                               rtol=6e-7)
    (steps,) = tagged(charts.table_chart(results_csv, "si").axes[2], "cumulative-transport")
    np.testing.assert_allclose(steps.get_data().values,
                               np.cumsum(storms["storm_transport"].fillna(0)), rtol=6e-7)


# A storm, one whose angle is clamped (a warning), one of no duration whose hindcast fails
# with zeros in hs and ts, one whose transport fails on a dry beach, and a short one.
FAILING_STORMS = """\
case,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,angle_deg,settling_velocity
calm,9.81,10,50,km,20,m/s,5,1,1,5,30,1.5
clamped,9.81,10,50,km,20,m/s,5,1,1,5,-80,1.5
no duration,9.81,10,50,km,20,m/s,0,1,1,5,30,1.5
dry beach,9.81,10,50,km,20,m/s,5,1,1,0,30,1.5
short,9.81,10,50,km,20,m/s,1,1,1,5,30,1.5
"""


def test_table_chart_leaves_out_rows_with_an_error_and_rings_warned_ones(tmp_path, run_command):
    (tmp_path / "storms.csv").write_text(FAILING_STORMS)
    path = tmp_path / "results.csv"
    path.write_text(run_command(tmp_path / "storms.csv"))
    table = pd.read_csv(path, keep_default_na=False)
    table.index += 2  # the line of each row
    assert (table["hs"][table["error"] != ""] == 0).any()  # a failed growth: no wave
    scatter, histogram, transport = charts.table_chart(path).axes[:3]

    waves = table[table["error"] == ""]
    warned = waves[waves["warnings"] != ""]
    assert list(warned["case"]) == ["clamped"]
    for gid, storms in (("hs-ts-fetch", waves[waves["limited_by"] == "fetch"]),
                        ("hs-ts-duration", waves[waves["limited_by"] == "duration"]),
                        ("hs-ts-warned", warned)):
        (points,) = tagged(scatter, gid)
        np.testing.assert_allclose(points.get_offsets(),
                                   storms[["ts", "hs"]].astype(float).to_numpy(), rtol=1e-15)
        assert f"({len(storms)})" in points.get_label()
    legend = [text.get_text() for text in scatter.get_legend().get_texts()]
    assert "2 rows left out:\nan error, or no Hs and Ts" in legend
    assert sum(bar.get_height() for bar in tagged(histogram, "hs-histogram")) == len(waves)

    # The transport marks every row with warnings at its line.
    (rings,) = tagged(transport, "transport-warned")
    lines = table.index[table["warnings"] != ""]
    total = pd.to_numeric(table["storm_transport"]).fillna(0).cumsum()
    np.testing.assert_allclose(rings.get_offsets(), np.column_stack([lines + 0.5, total[lines]]))


def command(*args, env=None):
    """Runs the chart command; one that has not ended in a minute is a hang."""
    return subprocess.run([sys.executable, "-m", "littoral.charts", *map(str, args)],
                          capture_output=True, text=True, check=False, timeout=60,
                          env=None if env is None else {**os.environ, **env})


MAGIC = {"png": b"\x89PNG\r\n\x1a\n", "svg": b"<?xml", "pdf": b"%PDF-"}


@pytest.mark.parametrize("kind, picture", [
    (["growth", "--depth", 12, "--units", "us", "--durations", 1, 6], "png"),
    (["storm", "{results}", "--row", 4], "svg"),
    (["table", "{results}", "--units", "us"], "pdf"),
])
def test_command_writes_the_format_of_the_extension(tmp_path, results_csv, kind, picture):
    output = tmp_path / f"chart.{picture}"
    done = command(*[str(arg).format(results=results_csv) for arg in kind], "-o", output)
    assert done.returncode == 0, done.stderr
    assert done.stderr == ""
    assert output.read_bytes().startswith(MAGIC[picture])


@pytest.mark.parametrize("args, message", [
    (["growth", "--depth", 0], "depth must be a positive number"),
    (["growth", "--depth", 10, "--durations", 0], "positive number of hours"),
    (["growth", "--depth", 10, "-o", "{tmp}/chart.xyz"], "chart.xyz: cannot write .xyz"),
    (["growth", "--depth", 10, "-o", "{tmp}/chart"], "chart: no extension"),
    (["growth", "--depth", 10, "-o", "{tmp}/no/such/dir/chart.png"], "No such file"),
    (["contour"], "invalid choice: 'contour'"),
    (["storm", "{results}", "--dpi", 0], "--dpi: '0' is not a positive number"),
    (["storm", "{results}", "--row", 7],
     "results.csv: no row starts at line 7: the rows are lines 2 to 6 (the header is line 1)"),
    (["storm", "{results}", "--row", 1], "line 1 is the header: rows are named by their line"),
    (["storm", "{results}", "--row", 5], "line 5 has no class_share_1 (no transport stage"),
    (["storm", "{results}", "--row", 6, "--id", "station"],
     'line 6 (station "bad unit") has no hs (fetch_unit: "kmh" is not'),
    (["table", "{results}", "--id", "name"], "results.csv: no column name to name the rows by"),
    (["storm", "{tmp}/inputs.csv"], "inputs.csv: no column units, limited_by, error, hs, ts"),
    (["storm", "{tmp}/missing.csv"], "missing.csv: No such file"),
    (["storm", "{tmp}/empty.csv"], "empty.csv: No columns to parse"),
    (["table", "{results}"], "results.csv: the table holds SI and US storms"),
])
def test_bad_input_is_one_line_and_status_2(tmp_path, results_csv, capsys, args, message):
    (tmp_path / "inputs.csv").write_text(STORMS)
    (tmp_path / "empty.csv").write_text("")
    args = [str(arg).format(tmp=tmp_path, results=results_csv) for arg in args]
    if "-o" not in args and args[0] != "contour":
        args += ["-o", str(tmp_path / "chart.png")]
    try:
        status = charts.main(args)
    except SystemExit as exit:
        status = exit.code
    stderr = capsys.readouterr().err
    assert status == 2
    assert stderr.count("\n") == 1 and message in stderr, stderr
    assert not (tmp_path / "chart.png").exists()


def test_the_command_tells_bad_input_without_a_traceback(tmp_path):
    done = command("storm", tmp_path / "missing.csv", "-o", tmp_path / "chart.png")
    assert (done.returncode, done.stderr) == (
        2, f"littoral.charts: {tmp_path / 'missing.csv'}: No such file or directory\n")


def edited(results_csv, path, edit):
    """The command's result table with ``edit`` (a function of the frame of its text) applied,
    written to ``path``."""
    edit(pd.read_csv(results_csv, dtype=str, keep_default_na=False)).to_csv(path, index=False)
    return path


def row_0(**fields):
    return lambda frame: frame.assign(**{name: [value] + list(frame[name][1:])
                                         for name, value in fields.items()})


# Four close heights and one far from them: numpy's "auto" bins would be ten billion.
SPREAD_HEIGHTS = [1, 1, 1, 1, 1.000001, 1.000001, 1.000001, 1.000001, 1e4]


@pytest.mark.parametrize("args, edit, message", [
    (["storm"], row_0(class_share_1="1e200"),
     "line 2: class_share_1 is 1e+200, beyond the single-precision range"),
    (["storm"], row_0(class_share_2="-0.5"),
     "line 2: class_share_2 is -0.5, not a share from 0 to 1"),
    (["storm"], row_0(hnso="0"), "line 2: hnso is 0, not a positive number"),
    (["storm"], row_0(hs="Infinity"), "line 2: hs is inf, not a finite number"),
    (["table", "--units", "si"], row_0(storm_transport="1e308"),
     "line 2: storm_transport is 1e+308, beyond the single-precision range"),
    (["table", "--units", "si"], row_0(storm_transport="-inf"),
     "line 2: storm_transport is -inf, not a finite number"),
    (["table"], lambda frame: frame.iloc[[0] * 9].assign(hs=SPREAD_HEIGHTS), None),
    (["growth", "--depth", 10, "--durations", 3, 1e300], None,
     'no storm of 1e+300 h can be computed: duration_h: "1e+300" is beyond'),
    (["storm", "--dpi", 0.001], None, "--dpi: '0.001' is not from 10 to 1200"),
])
def test_bad_values_are_one_line_and_status_2_never_a_hang(tmp_path, results_csv, args, edit,
                                                          message):
    if args[0] != "growth":
        table = results_csv if edit is None else edited(results_csv, tmp_path / "bad.csv", edit)
        args = [args[0], table, *args[1:]]
    done = command(*args, "-o", tmp_path / "chart.png")
    if message is None:
        assert (done.returncode, done.stderr) == (0, "")
        (bars,) = [ax for ax in charts.table_chart(table).axes if tagged(ax, "hs-histogram-0")]
        assert len(tagged(bars, "hs-histogram")) == charts._MOST_BARS
        return
    assert done.returncode == 2 and done.stderr.count("\n") == 1, done.stderr
    assert done.stderr.startswith("littoral.charts") and message in done.stderr, done.stderr
    assert not (tmp_path / "chart.png").exists()


@pytest.fixture()
def full_disk(tmp_path):
    """A directory on a file system of 16 KiB, too small for a chart."""
    disk = tmp_path / "disk"
    disk.mkdir()
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=16k", "tmpfs", str(disk)],
                             capture_output=True, check=False)
    if mounted.returncode != 0:
        pytest.skip("mounting a small tmpfs needs root")
    yield disk
    subprocess.run(["umount", str(disk)], check=True)


@pytest.mark.parametrize("picture, earlier", [("pdf", b"an earlier picture"), ("svg", None)])
def test_a_picture_that_cannot_be_written_whole_is_not_written(full_disk, results_csv, picture,
                                                              earlier):
    output = full_disk / f"chart.{picture}"
    if earlier is not None:
        output.write_bytes(earlier)
    done = command("table", results_csv, "--units", "si", "-o", output)
    assert sorted(full_disk.iterdir()) == ([output] if earlier is not None else [])
    assert earlier is None or output.read_bytes() == earlier
    assert (done.returncode, done.stderr) == (
        2, f"littoral.charts: {output}: No space left on device\n")


def named(frame):
    """The results with a column Case and a first station that spans two lines of the file."""
    return frame.assign(station=["S\nI", *frame["station"][1:]],
                        Case=[f"c{i}" for i in range(1, len(frame) + 1)])


@pytest.mark.parametrize("name, args, edit, drawn", [
    ("a$b$c.csv", ["table", "--units", "si"], None,
     "5 storms of a$b$c.csv, 1 of them with an error"),
    ("cost_$\\x$_.csv", ["storm"], None, "Storm at line 2 of cost_$\\x$_.csv (SI units)"),
    ("growth.csv", ["storm"], row_0(limited_by="$\\x^2$"), "$\\x^2$-limited"),
    # Rows are named by the line they start on and by their identifier.
    ("lines.csv", ["storm", "--row", 4], named, 'Storm at line 4 (Case "c2") of lines.csv (US'),
    ("lines.csv", ["storm", "--row", 5, "--id", "station"], named,
     'Storm at line 5 (station "breaking") of lines.csv'),
])
def test_text_from_the_data_is_drawn_as_written(tmp_path, results_csv, name, args, edit, drawn):
    table = edited(results_csv, tmp_path / name, edit or (lambda frame: frame))
    # SVG text as text elements, so that the picture holds the text as drawn.
    (tmp_path / "matplotlibrc").write_text("svg.fonttype: none\n")
    output = tmp_path / "chart.svg"
    done = command(args[0], table, *args[1:], "-o", output,
                   env={"MATPLOTLIBRC": str(tmp_path / "matplotlibrc")})
    assert (done.returncode, done.stderr) == (0, "")
    svg = ElementTree.parse(output).getroot()
    texts = ["".join(text.itertext()).strip()
             for text in svg.iter("{http://www.w3.org/2000/svg}text")]
    assert any(drawn in text for text in texts), [text for text in texts if "$" in text]


def climate_storms():
    """Two years of storms from every side."""
    starts = pd.date_range("2023-01-01", periods=40, freq="17D")
    return pd.DataFrame({"start": starts.astype(str), "end": starts.astype(str), "warnings": "",
                         "wind_direction": np.arange(40) * 9.0, "duration_h": 12.0,
                         "storm_transport": np.sin(np.arange(40)) * 5000, "storm_transport_m3": 0})


@pytest.mark.parametrize("draw", [
    lambda storms: charts.growth_chart(12, "si"),
    lambda storms: charts.storm_chart(storms, 0),
    lambda storms: charts.table_chart(storms, "si"),
    lambda storms: charts.climate_chart(climate_storms()),
], ids=["growth", "storm", "table", "climate"])
def test_legends_cover_no_values(storms, draw):
    figure = draw(storms)
    figure.draw_without_rendering()
    renderer = figure.canvas.get_renderer()
    legends = [ax.get_legend() for ax in figure.axes if ax.get_legend()]
    assert legends
    for legend in legends:
        extent = legend.get_window_extent(renderer)
        for ax in figure.axes:
            assert not extent.overlaps(ax.get_window_extent(renderer)), (legend, ax)


@pytest.mark.parametrize("source", ["--help", "docs/charts.md", "examples/wind_climate.py"])
def test_commands_name_debians_python(source):
    """Debian's Python has matplotlib; a python3 found first on the PATH may not."""
    if source == "--help":
        for kind in ("growth", "storm", "table", "climate"):
            assert command(kind, "--help").stdout.startswith(
                f"usage: /usr/bin/python3 -m littoral.charts {kind}")
        return
    path = os.path.join(os.path.dirname(__file__), "..", "..", source)
    with open(path, encoding="utf-8") as text:
        commands = [line for line in text if "python3 " in line]
    assert commands and all("/usr/bin/python3 " in line for line in commands), commands
