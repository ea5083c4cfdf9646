import io
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import littoral

FETCH = "direction,fetch,depth\n0,40,10\n90,20,\n180,0,\n270,25,\n"
SITE = dict(shore_normal=0, local_depth=3, depth=8, settling=1.5, beach_slope=0.02)
OPTIONS = ["--shore-normal", "0", "--local-depth", "3", "--depth", "8", "--settling", "1.5",
           "--beach-slope", "0.02"]


def winds_text(seed=7):
    """Ten days of hourly winds over a new year: both onshore sides, offshore hours, calms, a
    gap of five hours, missing values written three ways, and two hours from 80 degrees whose
    sine is clamped."""
    rng = np.random.default_rng(seed)
    lines = ["time,wind_speed,wind_direction"]
    for hour, time in enumerate(pd.date_range("2016-12-28", periods=240, freq="H")):
        if 100 <= hour < 105:
            continue
        speed = f"{2 + 14 * rng.random():.1f}"
        direction = f"{(rng.normal(0, 60)) % 360:.0f}"
        if hour in (30, 31):
            speed, direction = "15", "80"
        if hour % 37 == 5:
            speed = ("999", "", "MM")[hour % 3]
        lines.append(f"{time:%Y-%m-%d %H:%M},{speed},{direction}")
    return "\n".join(lines) + "\n"


@pytest.fixture(scope="module")
def command_files(tmp_path_factory, littoral_binary):
    """The storms and summaries that ``littoral climate`` writes for the winds."""
    scratch = tmp_path_factory.mktemp("climate")
    (scratch / "winds.csv").write_text(winds_text())
    (scratch / "fetch.csv").write_text(FETCH)
    done = subprocess.run(
        [littoral_binary, "climate", "winds.csv", "--fetch", "fetch.csv", "--missing", "999,MM",
         "-o", "storms.csv", "--summary", "years.csv", "--sector-summary", "sectors.csv",
         *OPTIONS], cwd=scratch, capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr
    return scratch


def read_summary(path):
    return pd.read_csv(path, dtype={"year": str}, float_precision="round_trip")


def test_frames_hold_the_values_of_the_commands_files(command_files):
    winds = pd.read_csv(command_files / "winds.csv", dtype=str, keep_default_na=False)
    result = littoral.climate(winds, command_files / "fetch.csv", missing=["999", "MM"],
                              **SITE)
    storms = result.storms
    written = pd.read_csv(command_files / "storms.csv", dtype=str, keep_default_na=False)
    assert list(storms.columns) == list(written.columns)
    assert len(storms) == len(written) > 10
    for name in ("start", "end", "fetch_unit", "speed_unit"):
        assert storms[name].tolist() == written[name].tolist()
    for name in ("storm", "records"):
        assert storms[name].tolist() == written[name].astype(int).tolist()
    assert storms["wind_direction"].tolist() == written["wind_direction"].astype(float).tolist()
    # Each input real is a single, written as its shortest decimal.
    for name in ("gravity", "depth", "fetch", "wind_speed", "duration_h", "rt", "rl",
                 "local_depth", "angle_deg", "beach_slope", "settling_velocity"):
        assert (storms[name] == storms[name].astype(np.float32)).all(), name
        assert [repr(v) for v in storms[name].astype(np.float32).tolist()] == \
            [repr(np.float32(v).item()) for v in written[name]], name
    # The results are those of the storm table on the storms' inputs.
    inputs = storms[list(littoral.INPUT_COLUMNS)]
    table = littoral.run_table(inputs)
    pd.testing.assert_frame_equal(storms[list(littoral.RESULT_COLUMNS)],
                                  table[list(littoral.RESULT_COLUMNS)])
    pd.testing.assert_frame_equal(result.years, read_summary(command_files / "years.csv"),
                                  check_dtype=False)
    pd.testing.assert_frame_equal(result.sectors, read_summary(command_files / "sectors.csv"),
                                  check_dtype=False)
    assert result.years["year"].tolist() == ["2016", "2017", "all"]

    # The same record as numbers, with NaN for the missing values.
    numbers = pd.read_csv(command_files / "winds.csv", na_values=["999", "MM"])
    again = littoral.climate(numbers, command_files / "fetch.csv", **SITE)
    for mine, theirs in zip(again, result):
        pd.testing.assert_frame_equal(mine, theirs)


def test_times_may_be_an_index_and_carry_an_offset(command_files):
    winds = pd.read_csv(command_files / "winds.csv", na_values=["999", "MM"])
    fetch = pd.read_csv(io.StringIO(FETCH))
    expected = littoral.climate(winds, fetch, **SITE)
    indexed = winds.set_index(pd.to_datetime(winds.pop("time")))
    naive = littoral.climate(indexed, fetch, **SITE)
    aware = littoral.climate(indexed.tz_localize("Etc/GMT-1"), fetch, **SITE)
    assert naive.storms["start"].iloc[0] == expected.storms["start"].iloc[0] + ":00"
    assert aware.storms["start"].iloc[0] == naive.storms["start"].iloc[0].replace(
        " ", "T") + "+0100"
    for result in (naive, aware):
        same = result.storms.drop(columns=["start", "end"])
        pd.testing.assert_frame_equal(same, expected.storms.drop(columns=["start", "end"]))
        pd.testing.assert_frame_equal(result.sectors, expected.sectors)


@pytest.mark.parametrize("winds, options, message", [
    ({"time": ["2016-01-01 01:00", "2016-01-01 00:00"], "wind_speed": [10, 10],
      "wind_direction": [0, 0]}, {}, "index 1: the time \"2016-01-01 00:00\" comes before"),
    ({"time": ["2016-01-01 00:00", "2016-01-01 00:00"], "wind_speed": [10, 11],
      "wind_direction": [0, 0]}, {"sort": True}, "index 1: the time"),
    ({"time": ["2016-01-01"], "wind_speed": ["fast"], "wind_direction": [0]}, {},
     "index 0: wind_speed: \"fast\" is not a number"),
    ({"time": ["2016-01-01"], "wind_speed": [10], "wind_direction": [0]}, {"turn": 270},
     "turn: \"270\" is not 0 to 180"),
    ({"when": ["2016-01-01"], "wind_speed": [10], "wind_direction": [0]}, {},
     "no column 'time'"),
])
def test_a_record_or_setting_that_cannot_be_read_raises(winds, options, message):
    with pytest.raises(ValueError, match=message):
        littoral.climate(pd.DataFrame(winds), pd.read_csv(io.StringIO(FETCH)),
                         **{**SITE, **options})


def test_dask_runs_many_sites_as_one_by_one(command_files):
    distributed = pytest.importorskip("distributed")
    import littoral.dask

    winds = pd.read_csv(command_files / "winds.csv", na_values=["999", "MM"])
    fetch = pd.read_csv(io.StringIO(FETCH))
    sites = [(winds, dict(SITE, fetch=fetch)),
             (winds.iloc[::2], dict(SITE, fetch=fetch, shore_normal=20, turn=30)),
             (winds, dict(SITE, fetch=fetch, shore_normal=-15, height=20))]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        results = littoral.dask.climate(sites).compute()
    assert len(results) == 3
    for (site_winds, site), result in zip(sites, results):
        site = dict(site)
        alone = littoral.climate(site_winds, site.pop("fetch"), **site)
        for mine, theirs in zip(result, alone):
            pd.testing.assert_frame_equal(mine, theirs)


def test_climate_chart_draws_the_sums_of_the_summaries(command_files, tmp_path):
    charts = pytest.importorskip("littoral.charts")
    storms = charts.read_storms(command_files / "storms.csv")
    years = read_summary(command_files / "years.csv")
    sectors = read_summary(command_files / "sectors.csv")
    assert storms["warnings"].str.contains("angle-clamped").any()

    def heights(ax, gid):
        return np.array([bar.get_height() for bar in ax.patches if
                         (bar.get_gid() or "").startswith(gid + "-")])

    yearly = years[years["year"] != "all"]
    # The chart sums the storms as printed (seven digits), the summaries their singles.
    for summary in (None, command_files / "years.csv"):
        rose, net_rose, annual, cumulative = charts.climate_chart(
            command_files / "storms.csv", summary).axes[:4]
        np.testing.assert_allclose(heights(rose, "rose-hours"), sectors["storm_hours"])
        np.testing.assert_allclose(heights(net_rose, "rose-net"), sectors["net_yd3"].abs(),
                                   rtol=1e-6)
        np.testing.assert_allclose(heights(annual, "annual-net"), yearly["net_yd3"],
                                   rtol=1e-6)
        np.testing.assert_allclose(heights(annual, "annual-gross"), yearly["gross_yd3"],
                                   rtol=1e-6)
        line = [ln for ln in cumulative.get_lines() if ln.get_gid() == "cumulative-net"][0]
        assert line.get_ydata()[-1] == pytest.approx(years["net_yd3"].iloc[-1], rel=1e-6)

    picture = tmp_path / "climate.png"
    done = subprocess.run([sys.executable, "-m", "littoral.charts", "climate",
                           str(command_files / "storms.csv"), "--summary",
                           str(command_files / "years.csv"), "-o", str(picture)],
                          capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr
    assert picture.read_bytes().startswith(b"\x89PNG")
    done = subprocess.run([sys.executable, "-m", "littoral.charts", "climate",
                           str(command_files / "years.csv"), "-o", str(picture)],
                          capture_output=True, text=True, check=False)
    assert done.returncode == 2
    assert done.stderr.count("\n") == 1 and "no column start" in done.stderr
