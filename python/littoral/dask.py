"""littoral.dask: storm tables larger than one machine, as Dask frames.

    import dask.dataframe as dd
    import littoral.dask
    results = littoral.dask.run_table(dd.read_csv("winds-*.csv", dtype=str))
    results.storm_transport.sum().compute()

Each partition is computed by ``littoral.run_table``; on a ``distributed`` cluster the workers
import ``littoral`` themselves.

Many sites or scenarios, each a wind record with a site's settings, run as a Dask bag:

    import dask.bag as db
    pairs = db.from_sequence([(winds, dict(fetch=fetch, shore_normal=45, local_depth=3,
                                           settling=1.5)) for winds, fetch in sites])
    results = littoral.dask.climate(pairs).compute()   # a ClimateResult for each pair
"""
import littoral

__all__ = ["run_table", "climate"]


def _run_partition(partition, jobs, units):
    return littoral.run_table(partition, jobs=jobs, units=units)


def run_table(ddf, jobs=None, *, units=None):
    """The lazy result frame of a Dask frame of storms: the same columns and values as
    ``littoral.run_table``, partition by partition; ``units="si"`` converts the results of US
    rows to SI units as there. ``jobs`` threads run in each partition (default: every core of
    the worker)."""
    littoral._si_wanted(units)  # refused here rather than in every partition
    meta = littoral.result_meta(ddf.columns)
    for name, dtype in ddf.dtypes.items():
        if name in meta.columns:
            meta[name] = meta[name].astype(dtype)
    return ddf.map_partitions(_run_partition, jobs, units, meta=meta)


def _climate_pair(pair, jobs):
    winds, site = pair
    site = dict(site)
    fetch = site.pop("fetch")
    return littoral.climate(winds, fetch, jobs=jobs, **site)


def climate(pairs, jobs=1):
    """The lazy Dask bag of the ``littoral.climate`` results of ``(winds, site)`` pairs, in
    their order: ``winds`` a frame of wind records, ``site`` a dict of ``littoral.climate``'s
    keywords with the fetch table as ``fetch``. ``pairs`` is a Dask bag, or a sequence made
    into a bag of one pair a partition. Each pair runs on ``jobs`` threads of its worker
    (default 1: the cluster's workers run the pairs side by side). The results are the frames
    that ``littoral.climate`` gives for each pair alone."""
    import dask.bag as db

    if not isinstance(pairs, db.Bag):
        pairs = list(pairs)
        pairs = db.from_sequence(pairs, npartitions=max(1, len(pairs)))
    return pairs.map(_climate_pair, jobs)
