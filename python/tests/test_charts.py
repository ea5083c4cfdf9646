import subprocess
import sys

import numpy as np
import pytest

import littoral

charts = pytest.importorskip("littoral.charts")
from matplotlib.figure import Figure  # noqa: E402 (matplotlib is there when the charts are)


def vertices(ax, gid):
    """The points of every path drawn by the artists named ``gid``."""
    paths = [path.vertices for artist in ax.get_children() if artist.get_gid() == gid
             for path in artist.get_paths()]
    return np.concatenate(paths) if paths else np.empty((0, 2))


def grid_storms(units, depth, fetch, wind, hours, fetch_unit=None):
    """Storms over every fetch with every wind, fetch varying fastest, written out here."""
    gravity, default_unit, speed_unit = {"si": (9.81, "km", "m/s"),
                                         "us": (32.2, "miles", "ft/s")}[units]
    rows = [dict(gravity=gravity, depth=depth, fetch=f, fetch_unit=fetch_unit or default_unit,
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


def command(*args):
    return subprocess.run([sys.executable, "-m", "littoral.charts", *map(str, args)],
                          capture_output=True, text=True, check=False)


MAGIC = {"png": b"\x89PNG\r\n\x1a\n", "svg": b"<?xml", "pdf": b"%PDF-"}


@pytest.mark.parametrize("kind, picture", [
    (["growth", "--depth", 12, "--units", "us", "--durations", 1, 6], "png"),
])
def test_command_writes_the_format_of_the_extension(tmp_path, kind, picture):
    output = tmp_path / f"chart.{picture}"
    done = command(*kind, "-o", output)
    assert done.returncode == 0, done.stderr
    assert done.stderr == ""
    assert output.read_bytes().startswith(MAGIC[picture])


@pytest.mark.parametrize("args, message", [
    (["growth", "--depth", 0], "depth must be a positive number"),
    (["growth", "--depth", -4], "depth must be a positive number"),
    (["growth", "--depth", "deep"], "--depth: invalid float value"),
    (["growth", "--depth", 10, "--units", "metric"], "--units: invalid choice"),
    (["growth", "--depth", 10, "--durations", 0], "positive number of hours"),
    (["growth", "--depth", 10, "-o", "{tmp}/chart.xyz"], "chart.xyz: cannot write .xyz"),
    (["growth", "--depth", 10, "-o", "{tmp}/chart"], "chart: no extension"),
    (["growth", "--depth", 10, "-o", "{tmp}/no/such/dir/chart.png"], "No such file"),
    (["contour"], "invalid choice: 'contour'"),
])
def test_bad_input_is_one_line_and_status_2(tmp_path, args, message):
    args = [str(arg).format(tmp=tmp_path) for arg in args]
    if "-o" not in args and args[0] != "contour":
        args += ["-o", str(tmp_path / "chart.png")]
    done = command(*args)
    assert done.returncode == 2
    assert done.stderr.count("\n") == 1 and message in done.stderr, done.stderr
    assert "Traceback" not in done.stderr
    assert not (tmp_path / "chart.png").exists()
