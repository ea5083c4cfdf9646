"""littoral: storm waves and longshore transport, the calculator's exact values for pandas.

``run_table`` computes a table of storms, one per row, with the same columns and values as
``littoral table``; ``run_storm`` computes one storm; ``climate`` turns a wind record into a
site's storms and their transport by year and sector, as ``littoral climate`` does;
``littoral.dask`` runs tables larger than one machine, partition by partition, and many sites.
"""
import os

import numpy as np
import pandas as pd

from . import _littoral

#: The program's version, as `littoral --version` prints it.
__version__ = _littoral.__version__

__all__ = ["run_table", "run_storm", "climate", "ClimateResult", "INPUT_COLUMNS",
           "RESULT_COLUMNS"]

#: The input columns, found by name; ``beach_slope`` and ``settling_velocity`` are optional.
INPUT_COLUMNS = tuple(_littoral.input_columns())
#: The result columns, in the order ``littoral table`` writes them.
RESULT_COLUMNS = tuple(_littoral.result_columns())

_TEXT_COLUMNS = ("units", "limited_by", "error", "warnings", "error_cause")
_REAL_COLUMNS = tuple(_littoral.real_columns())


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


def _run_file(path, jobs):
    """run_table of a CSV file, read by the command's own reader: its rows, values, errors and
    refusals are those of ``littoral table``. Input numbers come back as float64 holding the
    single that was read (NaN where a field is not a number), other fields as text; bytes that
    are not UTF-8 as surrogate escapes. The header's names are kept as they came, twice where
    the command takes a carried name twice."""
    read = _littoral.run_file(os.fsencode(path), jobs)
    names = read["names"]
    frame = pd.DataFrame(dict(enumerate(read["columns"])), index=pd.RangeIndex(
        len(read["results"]["error"])))
    result = _with_results(frame, read["results"])
    result.columns = list(names) + list(RESULT_COLUMNS)
    return result


def _input_column(series):
    refused = _refused_kind(series.dtype)
    if refused:
        raise ValueError(f"{series.name}: a column of {refused} is not a number")
    if pd.api.types.is_numeric_dtype(series.dtype):
        return series.to_numpy(dtype=np.float64, na_value=np.nan)
    # None, NaN, pd.NA and NaT are all an empty field.
    return series.astype(object).where(series.notna(), None).to_numpy()


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


def _with_results(frame, results):
    clashing = [name for name in RESULT_COLUMNS if name in frame.columns]
    if clashing:
        raise ValueError(f"input column {clashing[0]!r} has the name of a result column")
    # The frame is put together from its columns without copying the results (a copy of every
    # column costs more than the storms); the input columns are copied, so that the result
    # shares no memory with the caller's frame.
    columns = {name: frame[name].array.copy() for name in frame.columns}
    reals = results["reals"]
    real_at = {name: i for i, name in enumerate(_REAL_COLUMNS)}
    for name in RESULT_COLUMNS:
        if name in real_at:
            columns[name] = reals[:, real_at[name]]
        elif name == "passes":
            passes = pd.array(results["passes"], dtype="Int64")
            passes[results["passes"] < 0] = pd.NA
            columns[name] = passes
        else:
            columns[name] = np.asarray(results[name], dtype=object)
    return pd.DataFrame(columns, index=frame.index, copy=False)


def run_table(table, jobs=None):
    """Computes every storm of ``table`` and returns the input columns followed by the result
    columns of ``littoral table``.

    ``table`` is a DataFrame, a mapping of column name to sequence, or the path of a CSV file,
    which is read as ``littoral table`` reads it (the same rows, values, errors and refusals;
    its input numbers as float64 holding the single that was read, its other columns as text).
    A column may hold numbers or numeric text; an empty cell or NaN in ``beach_slope`` or
    ``settling_velocity`` means not given. Column names are found as the command finds them in
    a header, blanks around a name ignored. Rows run on ``jobs`` threads (default: every core).
    Results are float64 holding the exact single-precision values, ``passes`` as integers, and
    ``units``, ``limited_by`` and ``error`` as text; what was not computed is NaN or empty. A
    row that cannot be computed has its ``error``; a required column that is missing raises
    ValueError naming it.
    """
    jobs = (os.cpu_count() or 1) if jobs is None else int(jobs)
    if jobs < 1:
        raise ValueError("jobs must be at least 1")
    if isinstance(table, (str, bytes, os.PathLike)):
        return _run_file(table, jobs)
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
    results = _littoral.run_columns(names, columns, len(frame), jobs)
    return _with_results(frame, results)


def run_storm(**answers):
    """Computes one storm from keyword answers named as the input columns (``gravity=9.81,
    depth=10, fetch=50, fetch_unit="km", ...``) and returns its result columns as a dict."""
    unknown = sorted(set(answers) - set(INPUT_COLUMNS))
    if unknown:
        raise TypeError(f"run_storm() got an unexpected answer {unknown[0]!r}")
    frame = pd.DataFrame({name: [value] for name, value in answers.items()})
    row = run_table(frame, jobs=1).iloc[0]
    return {name: row[name] for name in RESULT_COLUMNS}


from ._climate import ClimateResult, climate  # noqa: E402  (it uses _with_results)
