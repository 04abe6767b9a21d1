"""The Dask recipe: a sweep and an OpenQASM batch on worker processes equal the sequential run."""
import os
import sys
from pathlib import Path

import pytest

import qelix

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


@pytest.fixture(scope="module")
def recipe():
    sys.path.insert(0, str(EXAMPLES))
    try:
        import dask_sweep
        yield dask_sweep
    finally:
        sys.path.remove(str(EXAMPLES))


def test_distributed_results_equal_the_sequential_run(recipe, monkeypatch):
    distributed = pytest.importorskip("dask.distributed")
    # Worker processes import the recipe by name and qelix from wherever this process found it.
    paths = [str(EXAMPLES), os.path.dirname(qelix.__file__), os.environ.get("PYTHONPATH", "")]
    monkeypatch.setenv("PYTHONPATH", os.pathsep.join(p for p in paths if p))
    sweep = [(theta, seed, 300) for theta, seed in recipe.sweep_arguments(6)]
    batch = [(source, k) for k, source in enumerate(recipe.qasm_batch(5))]
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        remote_sweep = recipe.run_tasks(recipe.sweep_point, sweep, client)
        remote_batch = recipe.run_tasks(recipe.qasm_task, batch, client)
        workers = client.run(os.getpid)
    assert len(set(workers.values()) | {os.getpid()}) == 3
    assert remote_sweep == recipe.run_tasks(recipe.sweep_point, sweep)
    assert remote_batch == recipe.run_tasks(recipe.qasm_task, batch)
    # The seed, not the worker, fixes each result: a different seed changes it.
    theta, seed, shots = sweep[2]
    assert recipe.sweep_point(theta, seed, shots) == remote_sweep[2] != recipe.sweep_point(theta, seed + 1, shots)
    assert all(sum(c.values()) == shots for c in remote_sweep)


def test_zz_correlation_reads_bit_order_from_the_left(recipe):
    assert recipe.zz_correlation({"00": 3, "11": 1}) == 1.0
    assert recipe.zz_correlation({"01x": 1, "10x": 1, "00x": 2}) == 0.0
