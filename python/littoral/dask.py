"""littoral.dask: storm tables larger than one machine, as Dask frames.

    import dask.dataframe as dd
    import littoral.dask
    results = littoral.dask.run_table(dd.read_csv("winds-*.csv", dtype=str))
    results.storm_transport.sum().compute()

Each partition is computed by ``littoral.run_table``; on a ``distributed`` cluster the workers
import ``littoral`` themselves.
"""
import littoral

__all__ = ["run_table"]


def _run_partition(partition, jobs):
    return littoral.run_table(partition, jobs=jobs)


def run_table(ddf, jobs=None):
    """The lazy result frame of a Dask frame of storms: the same columns and values as
    ``littoral.run_table``, partition by partition. ``jobs`` threads run in each partition
    (default: every core of the worker)."""
    meta = littoral.result_meta(ddf.columns)
    for name, dtype in ddf.dtypes.items():
        if name in meta.columns:
            meta[name] = meta[name].astype(dtype)
    return ddf.map_partitions(_run_partition, jobs, meta=meta)
