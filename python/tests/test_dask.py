import pandas as pd
import pytest

import littoral
import littoral.dask

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")


def design_matrix():
    rows = []
    for direction in (-40, -10, 0, 25, 60):
        for speed in (10, 18, 26, 34):
            for hours in (1, 6, 24):
                rows.append(dict(gravity=9.81, depth=12, fetch=80, fetch_unit="km",
                                 wind_speed=speed, speed_unit="m/s", duration_h=hours, rt=1,
                                 rl=1.1, local_depth=3, angle_deg=direction,
                                 settling_velocity=2.0, case=f"{direction}/{speed}/{hours}"))
    return pd.DataFrame(rows)


def test_lazy_frame_has_the_meta_of_run_table():
    frame = design_matrix()
    lazy = littoral.dask.run_table(dd.from_pandas(frame, npartitions=3))
    expected = littoral.run_table(frame)
    assert list(lazy.columns) == list(expected.columns)
    assert dict(lazy.dtypes) == dict(expected.dtypes)


def test_two_worker_processes_give_the_values_of_run_table():
    frame = design_matrix()
    expected = littoral.run_table(frame)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        lazy = littoral.dask.run_table(dd.from_pandas(frame, npartitions=4), jobs=1)
        result = lazy.compute()
    pd.testing.assert_frame_equal(result, expected)
