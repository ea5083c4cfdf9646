"""Type stub of littoral's compiled module: the storm computations over columns of storms."""
from typing import Any, Callable, Mapping, Sequence

import numpy as np
import numpy.typing as npt

__version__: str
#: The ratio of the transport expression in SI units to the same in US units, as stored.
si_rate_factor: float
#: Cubic metres in a cubic yard, exactly.
cubic_metres_per_cubic_yard: float

def run_columns(
    names: Sequence[str],
    columns: Sequence[npt.NDArray[np.float64] | Sequence[str | None] | None],
    row_count: int,
    jobs: int,
    is_missing: Callable[[object], bool],
) -> dict[str, Any]: ...
def run_file(path: bytes, jobs: int, delimiter: str) -> dict[str, Any]: ...
def is_delimiter(character: str) -> bool: ...
def columns_csv() -> str: ...
def column_units() -> dict[str, tuple[str, str, float]]: ...
def input_positions(names: Sequence[str]) -> list[int]: ...
def result_columns() -> list[str]: ...
def real_columns() -> list[str]: ...
def input_columns() -> list[str]: ...
def run_climate(
    times: Sequence[str] | npt.NDArray[Any],
    speeds: npt.NDArray[np.float64],
    directions: npt.NDArray[np.float64],
    options: Mapping[str, str],
    fetch_file: bytes | None,
    fetch_directions: Sequence[str],
    fetch_values: Sequence[str],
    fetch_depths: Sequence[str],
    fetch_labels: Sequence[str],
    record_labels: Sequence[str],
    columns: Sequence[str],
    missing: Sequence[str],
    sort: bool,
    jobs: int,
) -> dict[str, Any]: ...
