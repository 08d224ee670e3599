"""Ratings on a Dask cluster: ``rate_frame`` maps ``zmk.rate_many`` over the partitions of a
dask DataFrame of jobs (a column per input). Point it at an existing cluster by creating a
``distributed.Client("tcp://scheduler:8786")`` first; each worker needs the zmk package."""

from __future__ import annotations


def _rate_partition(part, threads, columns):
    import zmk

    out = zmk.rate_many(part, threads=threads)
    out.index = part.index
    return out.reindex(columns=columns)


def rate_frame(ddf, threads: int | None = 1, meta=None):
    """Returns a lazy dask DataFrame of results, one row per job with the partitions' index.

    ``threads`` is the threads each partition is rated on (1 by default: the workers are the
    parallel part). ``meta`` is the empty result frame; when None one job of the first
    partition's kind is rated here to learn the columns, which are the same for every job that
    solves. Rows that did not solve keep the same columns (a refused job's missing ones are NaN).
    """
    import zmk

    if meta is None:
        meta = zmk.rate_many([{}], threads=1).iloc[0:0]
    return ddf.map_partitions(_rate_partition, threads, list(meta.columns), meta=meta)
