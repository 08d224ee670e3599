# zmk.dask.rate_frame on a local cluster of two worker processes against one process's rate_many.
import pandas as pd
import pytest

import zmk
import zmk.dask

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")


def test_rate_frame_on_two_worker_processes_equals_one_process():
    jobs = pd.DataFrame({
        "kind": ["zmk", "hwc", "cwc"] * 40,
        "edRows": [2 + i % 6 for i in range(120)],
        "edFaceVelocity": [1.5 + 0.02 * i for i in range(120)],
    })
    jobs.loc[7, "kind"] = "xyz"  # a refused job keeps its row
    want = zmk.rate_many(jobs, threads=1)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                                  silence_logs=40) as cluster, distributed.Client(cluster) as client:
        ddf = dd.from_pandas(jobs, npartitions=4)
        got = zmk.dask.rate_frame(ddf).compute()
        workers = set(client.scheduler_info()["workers"])
    assert len(workers) == 2
    assert list(got.index) == list(jobs.index)
    assert not got.loc[7, "solved"] and "kind expects" in got.loc[7, "Reason"]
    pd.testing.assert_frame_equal(got.reset_index(drop=True), want, check_dtype=False)
