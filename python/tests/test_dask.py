"""The Dask pattern: humitrax.frame on each partition, on worker processes."""

import logging

import dask.dataframe as dd
import numpy as np
import pandas as pd
import pytest
from distributed import Client, LocalCluster

import humitrax


# Tornado's own deprecation, inside distributed's event loop.
@pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")
def test_map_partitions_on_a_local_cluster_gives_the_frame_of_one_call():
    rng = np.random.default_rng(3)
    count = 4000
    df = pd.DataFrame({
        "station": rng.choice(["roof", "yard", "hall"], count),
        "dry_bulb": rng.uniform(-20, 45, count).round(1),
        "altitude": rng.uniform(0, 2500, count).round(0),
        "relative_humidity": rng.uniform(-5, 105, count).round(1),
    })
    expected = humitrax.frame(df)
    ddf = dd.from_pandas(df, npartitions=6)
    with LocalCluster(n_workers=2, processes=True, threads_per_worker=1, dashboard_address=None,
                      silence_logs=logging.ERROR) as cluster, Client(cluster, timeout=60) as client:
        computed = client.compute(ddf.map_partitions(humitrax.frame, threads=1, meta=humitrax.frame(ddf._meta)))
        result = computed.result(timeout=120)
    pd.testing.assert_frame_equal(result, expected, check_exact=True)
    assert any(expected["status"]) and not all(expected["status"])
