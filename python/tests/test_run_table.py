import csv
import io
import math
import os
import signal
import subprocess
import sys
import time

import numpy as np
import pandas as pd
import pytest

import littoral

# Varied storms: US and SI, fetch- and duration-limited, with and without the transport stage,
# a storm that ends in a math error, a unit that is not on the menu, and columns of the user's.
STORMS = """\
station,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,local_depth,angle_deg,beach_slope,settling_velocity,note
A,9.81,10,50,km,20,m/s,5,1,1,3,30,,1.5,"SI, fetch limited"
B,9.81,10,50,4,20,2,1,1,1,3,30,0.02,2.5,SI duration limited
C,32.2,20,10,miles,50,ft/s,5,1.1,1,8,-20,,1.5,US
D,32.2,20,10,3,50,1,1,1.1,1,8,15,,,US duration limited without transport
E,9.81,10,50,km,20,m/s,0,1,1,3,30,,1.5,ends in a math error
F,9.81,10,50,kmh,20,m/s,5,1,1,3,30,,1.5,unknown unit
G,9.81,8,120,kml,35,knots,12,1.2,1.1,2.5,45,0.01,0.8,strong wind
"""


def printed(value):
    """The text the calculator prints for a real, without its blanks: seven significant digits
    in fixed point from 0.1 to ten million, otherwise eight in exponent form."""
    if math.isnan(value):
        return "NaN"
    if math.isinf(value):
        return "-Infinity" if value < 0 else "Infinity"
    if value == 0:
        return "0.0000000E+00"
    exponent = int(f"{abs(value):.6e}".split("e")[1])
    if -1 <= exponent <= 6:
        return f"{value:#.{6 - exponent}f}"
    mantissa, power = f"{value:.7E}".split("E")
    return f"{mantissa}E{power[0]}{abs(int(power)):02d}"


def as_command_text(frame):
    """The result columns of run_table as the command writes them."""
    text = pd.DataFrame(index=frame.index)
    for name in littoral.RESULT_COLUMNS:
        column = frame[name]
        if name in ("units", "limited_by", "error", "warnings", "error_cause"):
            text[name] = column.astype(str)
        elif name == "passes":
            text[name] = [("" if pd.isna(v) else str(int(v))) for v in column]
        else:
            text[name] = [("" if np.isnan(v) else printed(v)) for v in column]
    return text


@pytest.fixture()
def storms_csv(tmp_path):
    path = tmp_path / "storms.csv"
    path.write_text(STORMS)
    return path


def test_run_table_gives_the_command_values(storms_csv, run_command):
    command = pd.read_csv(io.StringIO(run_command(storms_csv)), dtype=str, keep_default_na=False)
    from_path = littoral.run_table(storms_csv)
    numeric = pd.read_csv(storms_csv)  # numbers as float64, units as text
    from_frame = littoral.run_table(numeric, jobs=2)
    # Names are found as the command finds them in a header.
    blanks = littoral.run_table(numeric.rename(columns={"gravity": "gravity ", "rt": "\trt"}))

    # A frame holds a printed NaN and a value not computed alike, as NaN.
    expected = command[list(littoral.RESULT_COLUMNS)].replace("NaN", "")
    pd.testing.assert_frame_equal(as_command_text(from_path), expected)
    pd.testing.assert_frame_equal(as_command_text(from_frame), expected)
    pd.testing.assert_frame_equal(as_command_text(blanks), expected)
    # The user's columns come back unchanged, in their place.
    assert list(from_path.columns[:15]) == list(command.columns[:15])
    assert list(from_path["note"]) == list(command["note"])
    assert from_path.loc[4, "error"] == "math error 6201: sqrt: DOMAIN error"
    assert from_path.loc[5, "error"].startswith('fetch_unit: "kmh"')
    assert np.isnan(from_path.loc[3, "storm_transport"])
    assert from_path["passes"].dtype == "Int64"


def test_rows_of_many_chunks_on_two_threads_keep_their_texts(tmp_path, run_command):
    # 3,500 rows: chunks that two threads finish out of order, an error and warnings in each 7;
    # then 1,800 rows that all run, eight of which are kept at a time.
    lines = STORMS.splitlines()
    computed = [line for line in lines[1:] if not line.startswith("F,")]
    path = tmp_path / "many.csv"
    path.write_text("\n".join([lines[0]] + lines[1:] * 500 + computed * 300) + "\n")
    command = pd.read_csv(io.StringIO(run_command(path)), dtype=str, keep_default_na=False)
    result = littoral.run_table(pd.read_csv(path), jobs=2)
    expected = command[list(littoral.RESULT_COLUMNS)].replace("NaN", "")
    pd.testing.assert_frame_equal(as_command_text(result), expected)


def test_values_are_the_exact_singles(storms_csv):
    result = littoral.run_table(storms_csv)
    hs = result["hs"].dropna().to_numpy()
    assert np.array_equal(hs, hs.astype(np.float32).astype(np.float64))
    assert f"{result.loc[0, 'hs']:.7g}" == "2.161426"
    # Each real column is one run of float64 (column operations read no other column's memory),
    # for a count of rows that fills no whole line of memory too.
    for rows in (result, littoral.run_table(pd.read_csv(storms_csv).iloc[:5])):
        reals = rows[list(littoral._REAL_COLUMNS)]
        assert all(rows[name].to_numpy().flags["C_CONTIGUOUS"] for name in reals.columns)
        assert (reals.dtypes == np.float64).all()


def test_errors_a_user_meets():
    frame = pd.read_csv(io.StringIO(STORMS))
    with pytest.raises(ValueError, match="local_depth"):
        littoral.run_table(frame.drop(columns="local_depth"))

    empty = littoral.run_table(frame.iloc[0:0])
    assert len(empty) == 0 and "storm_transport" in empty.columns

    holes = frame.iloc[0:2].copy()
    holes.loc[1, "depth"] = np.nan
    result = littoral.run_table(holes)
    assert result.loc[0, "error"] == ""
    assert result.loc[1, "error"].startswith("depth:")
    assert np.isnan(result.loc[1, "hs"]) and pd.isna(result.loc[1, "passes"])

    # A missing value of pandas' own in a text column is an empty field too.
    optional = frame.iloc[0:2].astype({"beach_slope": "string"})
    optional.loc[0, "beach_slope"] = pd.NA
    assert list(littoral.run_table(optional)["error"]) == ["", ""]

    clash = frame.iloc[0:1].assign(hs=1.0)
    with pytest.raises(ValueError, match="hs"):
        littoral.run_table(clash)

    with pytest.raises(IsADirectoryError):
        littoral.run_table(os.path.dirname(__file__))


def test_the_result_shares_no_memory_with_the_table():
    # Columns of numpy's floats, integers and objects are copied a block per kind, others one by
    # one; writing into the result leaves the caller's table as it was.
    frame = pd.read_csv(io.StringIO(STORMS)).astype({"beach_slope": "Float64", "note": "string"})
    frame["duration_h"] = frame["duration_h"].astype(np.int64)
    before = frame.copy()
    result = littoral.run_table(frame, jobs=1)
    for name in frame.columns:
        assert not np.shares_memory(np.asarray(result[name].array), np.asarray(frame[name].array))
        result[name].array[0] = result[name].array[1]
    pd.testing.assert_frame_equal(frame, before)


def test_run_storm_is_one_row_of_the_table():
    storm = littoral.run_storm(gravity=9.81, depth=10, fetch=50, fetch_unit="km", wind_speed=20,
                               speed_unit="m/s", duration_h=5, rt=1, rl=1, local_depth=3,
                               angle_deg=30, settling_velocity=1.5)
    assert storm["units"] == "SI" and storm["limited_by"] == "fetch"
    assert f"{storm['ts']:.7g}" == "5.596187"
    with pytest.raises(TypeError, match="wind"):
        littoral.run_storm(wind=20)


@pytest.mark.parametrize("depth", [
    pd.Series([10 + 5j] * 2),
    pd.Series(pd.arrays.SparseArray([10 + 5j] * 2)),
    pd.Series([10 + 5j] * 2, dtype="category"),
    pd.to_timedelta(pd.Series([10, 20]), unit="s"),
    pd.Series(pd.to_datetime(["2020-01-01"] * 2)).dt.tz_localize("UTC"),
    pd.Series(pd.period_range("2020", periods=2)),
    pd.Series(pd.IntervalIndex.from_breaks([0, 10, 20])),
], ids=lambda series: str(series.dtype))
def test_a_column_of_no_real_numbers_is_refused(depth):
    frame = pd.read_csv(io.StringIO(STORMS)).iloc[0:2].assign(depth=depth)
    with pytest.raises(ValueError, match="^depth: a column of .* is not a number$"):
        littoral.run_table(frame)


def test_a_zero_is_positive_as_the_table_prints_it():
    # Offshore breaking empties classes 3 and 4; their transport, with a negative angle, is a
    # product with a negative factor.
    storm = dict(gravity=9.81, depth=0.3, fetch=50, fetch_unit="km", wind_speed=40,
                 speed_unit="m/s", duration_h=10, rt=1, rl=1, local_depth=0.25, angle_deg=-10,
                 settling_velocity=1.5)
    frame = littoral.run_table({name: [value] for name, value in storm.items()})
    reals = frame[list(littoral.RESULT_COLUMNS)].select_dtypes(np.float64).to_numpy()
    assert frame.loc[0, "class_share_4"] == 0 and frame.loc[0, "storm_transport"] < 0
    assert not np.signbit(reals[reals == 0]).any()
    assert not np.signbit(littoral.run_storm(**storm)["class_rate_4"])


# Half a million storms, several seconds on one thread; Python's own handler of SIGINT, as at
# a terminal, whatever the test's parent ignores.
INTERRUPTED = """\
import signal
import numpy as np, pandas as pd, littoral
signal.signal(signal.SIGINT, signal.default_int_handler)
storm = dict(gravity=9.81, depth=10, fetch=50, fetch_unit="km", wind_speed=20, speed_unit="m/s",
             duration_h=5, rt=1, rl=1, local_depth=3, angle_deg=30, settling_velocity=1.5)
# A million storms: about a second of work on one core of a fast machine, so that the signal,
# sent a third of a second in, finds the call still running.
frame = pd.DataFrame({name: np.repeat(value, 1_000_000) for name, value in storm.items()})
print("running", flush=True)
littoral.run_table(frame, jobs=1)
print("finished", flush=True)
"""


def test_ctrl_c_stops_run_table_within_a_second():
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "running\n"
    time.sleep(0.3)
    child.send_signal(signal.SIGINT)
    sent = time.monotonic()
    try:
        stdout, stderr = child.communicate(timeout=30)
    finally:
        child.kill()
    assert time.monotonic() - sent < 2
    assert stdout == "" and stderr.rstrip().endswith("KeyboardInterrupt"), stderr


HEADER = ("station,gravity,depth,fetch,fetch_unit,wind_speed,speed_unit,duration_h,rt,rl,"
          "local_depth,angle_deg,beach_slope,settling_velocity")
ROW = "A,9.81,10,50,km,20,m/s,5,1,1,3,30,,1.5"
NUMBERS = set(littoral.INPUT_COLUMNS) - {"fetch_unit", "speed_unit"}

# Tables a user meets that pandas reads otherwise than the command.
FILES = {
    "a trailing comma on every row": f"{HEADER}\n{ROW},\n{ROW},\n",
    "a trailing comma on every line": f"{HEADER},\n{ROW},\n",
    "a column named twice": f"{HEADER},depth\n{ROW},10\n",
    "blanks after the header's commas": HEADER.replace(",", ", ") + f"\n{ROW}\n",
    "a long row": f"{HEADER}\n{ROW}\n{ROW},1,2,3\n{ROW}\n",
    "Latin-1 text": f"{HEADER}\nÎle d'Oléron,9.81,dix mètres,50,km,20,m/s,5,1,1,3,30,,1.5\n",
    "a quoting fault": f"{HEADER}\n{ROW[:-5]}\"0.01\" ,1.5\n{ROW}\n\"B\nnote\"{ROW[1:]}\n",
    "no header row": "\r\n\n",
    "a column missing": HEADER.replace(",rt", "") + "\n",
}


def single(field):
    """The single a number field holds, as the command reads it, or NaN."""
    try:
        return float(np.float32(float(field)))
    except ValueError:
        return math.nan


@pytest.mark.parametrize("name", FILES)
def test_a_file_is_read_as_the_command_reads_it(name, tmp_path, littoral_binary):
    path = tmp_path / "storms.csv"
    path.write_bytes(FILES[name].encode("latin-1"))
    command = subprocess.run([littoral_binary, "table", str(path)], capture_output=True,
                             check=False)
    errors = command.stderr.decode("utf-8", "surrogateescape")
    if command.returncode == 2:
        with pytest.raises(ValueError) as refusal:
            littoral.run_table(path)
        assert f"littoral table: {path}: {refusal.value}\n" == errors
        return
    text = command.stdout.decode("utf-8", "surrogateescape")
    header, *rows = csv.reader(io.StringIO(text, newline=""))
    frame = littoral.run_table(path)
    assert list(frame.columns) == header
    assert len(frame) == len(rows)
    inputs = len(header) - len(littoral.RESULT_COLUMNS)
    for at, column in enumerate(header[:inputs]):
        fields = [row[at] for row in rows]
        if column.strip() in NUMBERS:
            expected = [single(field) for field in fields]
            assert np.array_equal(frame.iloc[:, at].to_numpy(), expected, equal_nan=True), column
        else:
            assert list(frame.iloc[:, at]) == fields, column
    results = pd.DataFrame([row[inputs:] for row in rows], columns=littoral.RESULT_COLUMNS)
    pd.testing.assert_frame_equal(as_command_text(frame), results.replace("NaN", ""))


def test_the_frame_of_a_file_runs_again_to_itself(tmp_path):
    # A file's bytes that are not UTF-8 come back as surrogate escapes, and go in again as the
    # same bytes.
    path = tmp_path / "storms.csv"
    path.write_bytes(f"{HEADER}\n{ROW.replace(',km,', ',kmè,')}\n{ROW}\n".encode("latin-1"))
    frame = littoral.run_table(path)
    assert "km\udce8" in frame.error[0]
    again = littoral.run_table(frame.iloc[:, :-len(littoral.RESULT_COLUMNS)], jobs=1)
    pd.testing.assert_frame_equal(again, frame)


def test_the_items_of_a_text_column_read_as_their_text_in_a_file(tmp_path, run_command):
    # Texts, numbers and missing values in a column of objects, against the same fields in a
    # file: a number reads as its str(), each kind of missing value as an empty field.
    items = ["km", 4, 4.0, None, np.nan, pd.NA, " miles ", "kmè"]
    fields = ["km", "4", "4.0", "", "", "", " miles ", "kmè"]
    row = pd.read_csv(io.StringIO(STORMS)).iloc[[0] * len(items)].reset_index(drop=True)
    frame = row.assign(fetch_unit=pd.Series(items, dtype=object))
    path = tmp_path / "units.csv"
    row.assign(fetch_unit=fields).to_csv(path, index=False)
    command = pd.read_csv(io.StringIO(run_command(path)), dtype=str, keep_default_na=False)
    expected = command[list(littoral.RESULT_COLUMNS)].replace("NaN", "")
    pd.testing.assert_frame_equal(as_command_text(littoral.run_table(frame, jobs=1)), expected)
