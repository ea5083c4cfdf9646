"""The units of the package's frames, the column catalog, the delimiter of a file, and rows named
by their index label."""
import io
import subprocess

import numpy as np
import pandas as pd
import pytest

import littoral

STORMS = """\
storm,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,angle_deg,beach_slope,settling_velocity
si,9.81,10,50,km,20,m/s,5,1,1,3,30,,1.5
us,32.2,20,10,miles,50,ft/s,5,1.1,1,8,-20,0.02,1.5
us short,32.2,20,10,3,50,1,1,1.1,1,8,15,,
no system,30,10,50,km,20,m/s,5,1,1,3,30,,1.5
bad,9.81,ten,50,km,20,m/s,5,1,1,3,30,,1.5
"""
TEXT = ("units", "limited_by", "error", "warnings", "error_cause")

# A US value times these is in the SI unit, by the definitions of the units: 1 ft = 0.3048 m,
# 1 slug = 14.5939029372064 kg, 1 lbf = 4.4482216152605 N; a US class rate is in cubic yards,
# the SI one the console's SI expression, 4.448703 (as a single) times as large.
TO_SI = {
    ("ft", "m"): 0.3048,
    ("ft/s", "m/s"): 0.3048,
    ("slug/ft3", "kg/m3"): 14.5939029372064 / 0.3048 ** 3,
    ("ft.lbf/s/ft", "W/m"): 4.4482216152605,
    ("yd3", "-"): float(np.float32(4.448703)),
}


@pytest.fixture()
def storms_csv(tmp_path):
    path = tmp_path / "storms.csv"
    path.write_text(STORMS)
    return path


def test_columns_is_the_catalog_of_the_command(littoral_binary):
    listed = subprocess.run([littoral_binary, "table", "--columns"], capture_output=True,
                            text=True, check=True).stdout
    catalog = littoral.columns()
    pd.testing.assert_frame_equal(
        catalog, pd.read_csv(io.StringIO(listed), dtype=str, keep_default_na=False))
    assert list(catalog["column"]) == list(littoral.INPUT_COLUMNS + littoral.RESULT_COLUMNS)


def test_units_si_converts_the_results_of_us_rows_by_the_definitions(storms_csv):
    plain = littoral.run_table(storms_csv)
    si = littoral.run_table(storms_csv, units="si")
    catalog = littoral.columns().set_index("column")
    us_rows = plain["units"] == "US"
    pairs = set()
    for name in si.columns:
        if name not in littoral.RESULT_COLUMNS or catalog.loc[name, "si_unit"] == \
                catalog.loc[name, "us_unit"]:
            pd.testing.assert_series_equal(si[name], plain[name], check_exact=True)
            continue
        pair = (catalog.loc[name, "us_unit"], catalog.loc[name, "si_unit"])
        pairs.add(pair)
        expected = plain[name].where(~us_rows, plain[name] * TO_SI[pair])
        pd.testing.assert_series_equal(si[name], expected, rtol=1e-15, atol=0)
    assert pairs == set(TO_SI)  # every conversion of the catalog is checked, and no other
    assert si.loc[1, "hs"] == pytest.approx(plain.loc[1, "hs"] * 0.3048, rel=1e-15)
    storm = littoral.run_storm(units="si", **plain.loc[1, list(littoral.INPUT_COLUMNS)])
    assert storm["density"] == si.loc[1, "density"]
    with pytest.raises(ValueError, match="units"):
        littoral.run_table(storms_csv, units="US")


# The frames of the table's rows, and the units they carry for a few columns: the system's
# where the rows are of one, the SI unit of a converted result, "mixed" otherwise.
UNIT_CASES = {
    "SI rows": ([0], None, dict(hs="m", depth="m", density="kg/m3", ts="s", fetch="fetch_unit",
                                storm_transport="yd3", class_rate_1="-")),
    "US rows": ([1, 2], None, dict(hs="ft", depth="ft", density="slug/ft3", ts="s",
                                   class_rate_1="yd3")),
    "both systems": ([0, 1, 3, 4], None, dict(hs="mixed", depth="mixed", ts="s", units="-")),
    "both converted": ([0, 1], "si", dict(hs="m", depth="mixed", density="kg/m3",
                                          class_flux_1="W/m", class_rate_1="-")),
    "US converted": ([1], "si", dict(hs="m", local_depth="ft", gravity="ft/s2")),
    "no rows": ([], None, dict(hs="mixed", error="-")),
}


@pytest.mark.parametrize("case", UNIT_CASES)
def test_every_frame_says_its_units_and_holds_text_where_nothing_is_said(case, storms_csv):
    rows, units, expected = UNIT_CASES[case]
    frame = pd.read_csv(storms_csv).iloc[rows].set_index("storm")
    results = [littoral.run_table(frame, units=units),
               littoral.run_table({name: list(frame[name]) for name in frame.columns},
                                  units=units)]
    if case == "both systems":
        results.append(littoral.run_table(storms_csv, units=units).iloc[rows])
    for result in results:
        said = result.attrs["units"]
        assert {name: said[name] for name in expected} == expected
        assert "storm" not in said and set(said) <= set(result.columns)
        for name in TEXT:
            assert all(isinstance(value, str) for value in result[name]), name
    if rows:
        assert list(results[0].index) == list(frame.index)


def test_a_file_is_read_with_its_delimiter(tmp_path, storms_csv):
    expected = littoral.run_table(storms_csv)
    for name, delimiter in {"semicolons": ";", "tabs": "\t"}.items():
        path = tmp_path / f"{name}.csv"
        path.write_text(STORMS.replace(",", delimiter))
        pd.testing.assert_frame_equal(littoral.run_table(path, delimiter=delimiter), expected)
    semicolons = tmp_path / "semicolons.csv"
    refusals = [
        (lambda: littoral.run_table(semicolons),
         r'separated by semicolons \(;\), as a spreadsheet .*: run_table\(\.\.\., delimiter=";"\) reads it$'),
        (lambda: littoral.run_table(pd.read_csv(semicolons)),
         r'separated by semicolons \(;\), .*: pd\.read_csv\(\.\.\., sep=";"\) reads the file so$'),
        (lambda: littoral.run_table(storms_csv, delimiter=";"),
         r'separated by commas \(,\): run_table\(\.\.\., delimiter=","\) reads it$'),
        (lambda: littoral.run_table(pd.read_csv(storms_csv), delimiter=";"), "a frame"),
        (lambda: littoral.run_table(storms_csv, delimiter='"'), "delimiter must be"),
    ]
    for call, message in refusals:
        with pytest.raises(ValueError, match=message):
            call()


FETCH = "direction,fetch,depth\n0,40,10\n90,20,\n180,0,\n"
SITE = dict(shore_normal=0, local_depth=3, depth=8, settling=1.5)


def winds(index, speeds=(10, 10), times=("2016-01-01 00:00", "2016-01-01 01:00")):
    return pd.DataFrame({"time": list(times), "wind_speed": list(speeds),
                         "wind_direction": [0, 0]}, index=index)


@pytest.mark.parametrize("record, fetch, message", [
    (winds([7, 3], times=("2016-01-01 01:00", "2016-01-01 00:00")), None,
     'index 3: the time "2016-01-01 00:00" comes before the time "2016-01-01 01:00" of index 7'),
    (winds(pd.to_datetime(["2016-01-01 00:00", "2016-01-01 01:00"]), speeds=("fast", 10)), None,
     'index 2016-01-01 00:00:00: wind_speed: "fast"'),
    (winds([0, 1]), pd.DataFrame({"direction": [0, 90], "fetch": [40, "far"]},
                                 index=["north", "east"]),
     'fetch table, index east: fetch: "far"'),
    (winds([0, 1]), FETCH + "270,far,\n", 'fetch table: line 5: fetch: "far"'),
])
def test_a_record_or_fetch_row_is_named_by_its_index_label_or_its_line(record, fetch, message,
                                                                       tmp_path):
    if fetch is None:
        fetch = pd.read_csv(io.StringIO(FETCH))
    elif isinstance(fetch, str):
        (tmp_path / "fetch.csv").write_text(fetch)
        fetch = tmp_path / "fetch.csv"
    with pytest.raises(ValueError, match=message):
        littoral.climate(record, fetch, **SITE)
