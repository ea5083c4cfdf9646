"""littoral: storm waves and longshore transport, the calculator's exact values for pandas.

``run_table`` computes a table of storms, one per row, with the same columns and values as
``littoral table``; ``run_storm`` computes one storm; ``climate`` turns a wind record into a
site's storms and their transport by year and sector, as ``littoral climate`` does;
``littoral.dask`` runs tables larger than one machine, partition by partition, and many sites.
"""
import io
import os

import numpy as np
import pandas as pd

from . import _littoral

#: The program's version, as `littoral --version` prints it.
__version__ = _littoral.__version__

__all__ = ["run_table", "run_storm", "columns", "climate", "ClimateResult", "INPUT_COLUMNS",
           "RESULT_COLUMNS"]

#: The input columns, found by name; ``beach_slope`` and ``settling_velocity`` are optional.
INPUT_COLUMNS = tuple(_littoral.input_columns())
#: The result columns, in the order ``littoral table`` writes them.
RESULT_COLUMNS = tuple(_littoral.result_columns())

_TEXT_COLUMNS = ("units", "limited_by", "error", "warnings", "error_cause")
_REAL_COLUMNS = tuple(_littoral.real_columns())
# Each column's SI unit, US unit and the factor that takes a US value to the SI unit.
_UNITS = _littoral.column_units()


def columns():
    """The input and result columns with their units, as ``littoral table --columns`` lists
    them: a frame of text with the columns ``column``, ``si_unit``, ``us_unit``,
    ``console_line`` (the console's line the value comes from) and ``description``. Units are
    ASCII (``m``, ``ft``, ``m/s``, ``kg/m3``, ``yd3``, ``deg``, ``%``; ``-`` for none); an
    input whose unit another column gives names that column (``fetch``: ``fetch_unit``)."""
    return pd.read_csv(io.StringIO(_littoral.columns_csv()), dtype=str, keep_default_na=False)


def _as_frame(table):
    if isinstance(table, pd.DataFrame):
        return table
    return pd.DataFrame(table)


def _refused_kind(dtype):
    """What a column of ``dtype`` holds when an input column may not hold it, or None: an input
    column holds real numbers (integers, floats), or text read as the command reads a field."""
    if isinstance(dtype, pd.CategoricalDtype):
        return _refused_kind(dtype.categories.dtype)
    if isinstance(dtype, pd.SparseDtype):
        return _refused_kind(dtype.subtype)
    types = pd.api.types
    if types.is_bool_dtype(dtype):
        return "booleans"
    if types.is_complex_dtype(dtype):
        return "complex numbers"
    if types.is_numeric_dtype(dtype) or types.is_object_dtype(dtype) \
            or types.is_string_dtype(dtype):
        return None
    return f"{dtype} values"  # times, periods, intervals, ...


def _run_file(path, jobs, delimiter, si):
    """run_table of a CSV file, read by the command's own reader: its rows, values, errors and
    refusals are those of ``littoral table``. Input numbers come back as float64 holding the
    single that was read (NaN where a field is not a number), other fields as text; bytes that
    are not UTF-8 as surrogate escapes. The header's names are kept as they came, twice where
    the command takes a carried name twice."""
    read = _littoral.run_file(os.fsencode(path), jobs, delimiter)
    names = read["names"]
    frame = pd.DataFrame(dict(enumerate(read["columns"])), index=pd.RangeIndex(
        len(read["results"]["error"])))
    result = _with_results(frame, read["results"], si)
    result.columns = list(names) + list(RESULT_COLUMNS)
    result.attrs["units"] = _column_units(result, si, read["results"]["systems"])
    return result


def _input_column(series):
    refused = _refused_kind(series.dtype)
    if refused:
        raise ValueError(f"{series.name}: a column of {refused} is not a number")
    if pd.api.types.is_numeric_dtype(series.dtype):
        if isinstance(series.dtype, np.dtype):  # numpy's numbers: NaN is their only missing mark
            return series.to_numpy(dtype=np.float64)
        return series.to_numpy(dtype=np.float64, na_value=np.nan)
    # A column of objects is handed on as it is: its texts are read as they are, and any other
    # item that _is_missing says is missing is an empty field.
    return series.to_numpy(dtype=object)


def _is_missing(item):
    """Whether an item of a column of objects that is not a text is missing, as pandas' isna
    finds a missing item (None, NaN, pd.NA, NaT): an empty field."""
    items = np.empty(1, dtype=object)
    items[0] = item
    return bool(pd.isna(items)[0])


def result_meta(columns=()):
    """An empty frame with the input ``columns`` and the result columns, typed as run_table
    returns them: the ``meta`` of a Dask frame of results."""
    frame = pd.DataFrame({name: pd.Series(dtype=object) for name in columns})
    return _with_results(frame, _empty_results())


def _empty_results():
    return {
        "reals": np.empty((0, len(_REAL_COLUMNS)), order="F"),
        "passes": np.empty(0, dtype=np.int64),
        "units": [],
        "limited_by": [],
        "error": [],
        "warnings": [],
        "error_cause": [],
    }


def _to_si(reals, units):
    """Multiplies, in place, each real result column of a unit that depends on the unit system
    by its factor to the SI unit, in the rows of US units."""
    us_rows = np.asarray(units, dtype=object) == "US"
    if not us_rows.any():
        return
    for at, name in enumerate(_REAL_COLUMNS):
        si_unit, us_unit, factor = _UNITS[name]
        if si_unit != us_unit:
            reals[us_rows, at] *= factor


def _column_units(frame, si, systems):
    """The unit of each column of the catalog in ``frame``, as ``littoral table --columns``
    writes it: the one unit of a column whose unit is that of both systems, the SI unit of a
    result column converted by ``units="si"``, otherwise the unit of the frame's unit system,
    or ``mixed`` when its computed rows are not all of one system. ``systems`` are the names
    in the frame's ``units`` column, as the results give them."""
    systems = set(systems) & {"US", "SI"}
    results = set(RESULT_COLUMNS)
    units = {}
    for name in frame.columns:
        known = str(name).strip(" \t") if name not in results else name
        if known not in _UNITS:
            continue  # a column of the user's
        si_unit, us_unit, _ = _UNITS[known]
        if si_unit == us_unit or (si and name in results) or systems == {"SI"}:
            units[name] = si_unit
        elif systems == {"US"}:
            units[name] = us_unit
        else:
            units[name] = "mixed"
    return units


def _copied_columns(frame):
    """A copy of each column of ``frame``, by name: the columns of one numpy dtype copied into
    one block, row by row, so that the copy takes a few large allocations (given huge pages)
    rather than one fresh allocation a column."""
    columns = {}
    by_dtype = {}
    for name in frame.columns:
        column = frame[name]
        if isinstance(column.dtype, np.dtype):
            by_dtype.setdefault(column.dtype, []).append(name)
        else:
            columns[name] = column.array.copy()
    for dtype, names in by_dtype.items():
        block = np.empty((len(names), len(frame)), dtype=dtype)
        for copy, name in zip(block, names):
            copy[:] = frame[name].to_numpy()
            columns[name] = copy
    return {name: columns[name] for name in frame.columns}


def _with_results(frame, results, si=False):
    clashing = [name for name in RESULT_COLUMNS if name in frame.columns]
    if clashing:
        raise ValueError(f"input column {clashing[0]!r} has the name of a result column")
    # The frame is put together from its columns without copying the results (a copy of every
    # column costs more than the storms); the input columns are copied, so that the result
    # shares no memory with the caller's frame.
    columns = _copied_columns(frame)
    reals = results["reals"]
    if si:
        _to_si(reals, results["units"])
    real_at = {name: i for i, name in enumerate(_REAL_COLUMNS)}
    for name in RESULT_COLUMNS:
        if name in real_at:
            columns[name] = reals[:, real_at[name]]
        elif name == "passes":
            passes = results["passes"]
            columns[name] = pd.arrays.IntegerArray(passes, passes < 0)
        else:
            columns[name] = np.asarray(results[name], dtype=object)
    return pd.DataFrame(columns, index=frame.index, copy=False)


def _si_wanted(units):
    if units is None:
        return False
    if isinstance(units, str) and units.lower() == "si":
        return True
    raise ValueError(f"units must be \"si\" or None, not {units!r}")


def _delimiter(delimiter):
    if delimiter is None:
        return ","
    if isinstance(delimiter, str) and len(delimiter) == 1 and ord(delimiter) < 128 \
            and _littoral.is_delimiter(delimiter):
        return delimiter
    raise ValueError(f"delimiter must be one ASCII character other than a quote or a line end, "
                     f"not {delimiter!r}")


def run_table(table, jobs=None, *, units=None, delimiter=None):
    """Computes every storm of ``table`` and returns the input columns followed by the result
    columns of ``littoral table``.

    ``table`` is a DataFrame, a mapping of column name to sequence, or the path of a CSV file,
    which is read as ``littoral table`` reads it (the same rows, values, errors and refusals;
    its input numbers as float64 holding the single that was read, its other columns as text).
    ``delimiter`` is the character between a file's fields (default ``","``; ``";"`` for a
    spreadsheet set to a European locale; the numbers still need a decimal point).
    A column may hold numbers or numeric text; an empty cell or NaN in ``beach_slope`` or
    ``settling_velocity`` means not given. Column names are found as the command finds them in
    a header, blanks around a name ignored. Rows run on ``jobs`` threads (default: every core).

    Results are float64 holding the exact single-precision values, ``passes`` as integers, and
    ``units``, ``limited_by``, ``error``, ``warnings`` and ``error_cause`` as text, ``""`` when
    empty (never NaN or None); what was not computed is NaN. The columns after ``error``:
    ``class_transport_m3_1`` to ``_4``, each height class's transport in this storm in m3 (they
    sum to ``storm_transport_m3``, to rounding); ``warnings``, ``code: reason`` items joined by
    ``"; "`` for a value computed as the method says that an engineer must know of
    (``angle-clamped``, ``inside-surf-zone``, ``local-deeper-than-offshore``,
    ``breaking-capped``, ``many-growth-passes``, and ``out-of-range-COLUMN`` for an input
    outside the range the method was built for); ``error_cause``, the input behind a math error
    and what range would work. ``littoral.columns()`` lists every column with its units.

    Lengths, speeds and densities are in the units of each row's system (``gravity`` above 30:
    ft, ft/s, slug/ft3; below: m, m/s, kg/m3). ``units="si"`` converts every result column
    whose unit depends on the system to its SI unit in the US rows, by the exact definitions
    (1 ft = 0.3048 m, 1 slug = 14.5939029372064 kg, 1 lbf = 4.4482216152605 N; a US class rate
    times 4.448703, the SI expression of the console): the product of the single and the factor,
    in double precision. The input columns stay as given. ``frame.attrs["units"]`` maps each
    column of the catalog to its unit as ``littoral.columns()`` writes it, ``mixed`` where the
    unit depends on the system and the frame's computed rows are not all of one system.

    A row that cannot be computed has its ``error``; a required column that is missing raises
    ValueError naming it, and the names of a table separated by another character than the
    delimiter raise ValueError naming that character.
    """
    jobs = (os.cpu_count() or 1) if jobs is None else int(jobs)
    if jobs < 1:
        raise ValueError("jobs must be at least 1")
    si = _si_wanted(units)
    if isinstance(table, (str, bytes, os.PathLike)):
        return _run_file(table, jobs, _delimiter(delimiter), si)
    if delimiter is not None:
        raise ValueError("delimiter is for a table read from a file: a frame has its columns")
    frame = _as_frame(table)
    names = [str(name) for name in frame.columns]
    if len(set(names)) != len(names):
        raise ValueError("the table names a column twice")
    # The input columns found by the command's rules ("gravity " is gravity).
    inputs = set(_littoral.input_positions(names))
    columns = [
        _input_column(frame.iloc[:, i]) if i in inputs else None
        for i, name in enumerate(names)
    ]
    results = _littoral.run_columns(names, columns, len(frame), jobs, _is_missing)
    result = _with_results(frame, results, si)
    result.attrs["units"] = _column_units(result, si, results["systems"])
    return result


def run_storm(*, units=None, **answers):
    """Computes one storm from keyword answers named as the input columns (``gravity=9.81,
    depth=10, fetch=50, fetch_unit="km", ...``) and returns its result columns as a dict;
    ``units="si"`` as in ``run_table``."""
    unknown = sorted(set(answers) - set(INPUT_COLUMNS))
    if unknown:
        raise TypeError(f"run_storm() got an unexpected answer {unknown[0]!r}")
    frame = pd.DataFrame({name: [value] for name, value in answers.items()})
    row = run_table(frame, jobs=1, units=units).iloc[0]
    return {name: row[name] for name in RESULT_COLUMNS}


from ._climate import ClimateResult, climate  # noqa: E402  (it uses _with_results)
