import math
import random

import pytest

import qelix


def ghz(n, measure=True):
    c = qelix.Circuit(n)
    c.h(0)
    for q in range(n - 1):
        c.cx(q, q + 1)
    if measure:
        c.measure_all()
    return c


def random_circuit(n, gates, seed):
    rng = random.Random(seed)
    c = qelix.Circuit(n)
    for _ in range(gates):
        a, b = rng.sample(range(n), 2)
        kind = rng.randrange(5)
        if kind == 0:
            c.u3(a, rng.uniform(0, 6), rng.uniform(0, 6), rng.uniform(0, 6))
        elif kind == 1:
            c.cx(a, b)
        elif kind == 2:
            c.rzz(a, b, rng.uniform(0, 6))
        elif kind == 3:
            c.cy(a, b)
        else:
            c.h(a)
            c.crk(a, b, rng.randrange(1, 4))
    return c


def test_backend_argument_and_text_forms():
    assert repr(qelix.Simulator(backend="statevector")) == "Simulator(StateVector)"
    assert str(qelix.Simulator(max_bond_dim=8)) == "Simulator(StateVector)"
    assert repr(qelix.Simulator(backend="mps")) == "Simulator(Mps(max_bond_dim=64))"
    assert str(qelix.Simulator(seed=3, backend="mps", max_bond_dim=7)) == "Simulator(Mps(max_bond_dim=7))"
    assert repr(qelix.Simulator(backend="auto")) == "Simulator(Auto)"
    assert repr(qelix.Simulator(None, None, True, "mps", 5)) == "Simulator(Mps(max_bond_dim=5))"
    for bad in ("MPS", "", "tensor"):
        with pytest.raises(ValueError, match="'statevector', 'mps' or 'auto'"):
            qelix.Simulator(backend=bad)
    with pytest.raises(TypeError, match="^argument 'backend'"):
        qelix.Simulator(backend=None)
    with pytest.raises(OverflowError):
        qelix.Simulator(backend="mps", max_bond_dim=-1)
    with pytest.raises(TypeError, match="^argument 'max_bond_dim'"):
        qelix.Simulator(backend="mps", max_bond_dim=2.0)


def test_hundred_qubit_ghz_samples_only_the_two_branches():
    result = qelix.Simulator(seed=5, backend="mps").run(ghz(100), shots=2000)
    assert set(result.counts) == {"0" * 100, "1" * 100}
    assert sum(result.counts.values()) == result.total_shots == 2000
    assert abs(result.probability("0" * 100) - 0.5) < 0.05
    assert qelix.Simulator(seed=5, backend="auto").run(ghz(100), shots=2000).counts == result.counts


def test_agrees_with_the_state_vector():
    c = random_circuit(9, 80, 4)
    want = qelix.Simulator().statevector(c)
    got = qelix.Simulator(backend="mps").statevector(c)
    assert len(got) == len(want) == 512
    for (gr, gi), (wr, wi) in zip(got, want):
        assert abs(complex(gr, gi) - complex(wr, wi)) < 1e-10
    probabilities = qelix.Simulator(backend="mps").probabilities(c)
    assert probabilities == [re * re + im * im for re, im in got]


def test_bond_limit_truncates_without_renormalising():
    bell = ghz(2, measure=False)
    probabilities = qelix.Simulator(backend="mps", max_bond_dim=1).probabilities(bell)
    assert math.isclose(sum(probabilities), 0.5, abs_tol=1e-12)
    assert math.isclose(sum(qelix.Simulator(backend="mps", max_bond_dim=2).probabilities(bell)), 1.0, abs_tol=1e-12)


def test_unequal_branches_are_sampled_with_their_weights():
    c = qelix.Circuit(3)
    c.ry(0, 2.0)
    c.cx(0, 1)
    c.cx(1, 2)
    counts = qelix.Simulator(seed=8, backend="mps").run(c, 20000).counts
    assert set(counts) == {"000", "111"}
    assert abs(counts["111"] / 20000 - math.sin(1.0) ** 2) < 0.015


def test_errors():
    mps = qelix.Simulator(backend="mps")
    with pytest.raises(ValueError, match="^Shot count must be greater than zero, got 0$"):
        qelix.Simulator(backend="mps", noise=qelix.NoiseModel.ibm()).run(ghz(2), 0)
    with pytest.raises(ValueError, match="^Simulation error: MPS backend does not yet support noise models$"):
        qelix.Simulator(backend="mps", noise=qelix.NoiseModel.ibm()).run(ghz(2))
    mid = qelix.Circuit(2)
    mid.h(0)
    mid.measure(0)
    mid.x(1)
    with pytest.raises(ValueError, match="^Simulation error: MPS backend does not support mid-circuit measurements$"):
        mps.run(mid)
    with pytest.raises(ValueError, match="^Simulation error: MPS backend requires max_bond_dim >= 1$"):
        qelix.Simulator(backend="mps", max_bond_dim=0).run(ghz(2))
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(30 > 20\)$"):
        mps.probabilities(ghz(30, measure=False))
    with pytest.raises(ValueError, match="^Simulation error: statevector is unavailable when noise is enabled$"):
        qelix.Simulator(backend="mps", noise=qelix.NoiseModel.ibm()).statevector(ghz(2))


def test_auto_keeps_small_circuits_on_the_state_vector():
    c = random_circuit(8, 40, 9)
    assert qelix.Simulator(backend="auto").statevector(c) == qelix.Simulator().statevector(c)
    wide = qelix.Circuit(21)
    wide.x(20)
    assert qelix.Simulator(backend="auto").run(wide, 3).counts == {"0" * 20 + "1": 3}


def test_auto_takes_the_state_vector_where_the_chain_cannot_serve():
    auto, plain = qelix.Simulator(seed=2, backend="auto"), qelix.Simulator(seed=2)
    wide = qelix.Circuit(22)
    wide.x(21)
    assert auto.statevector_array(wide)[1 << 21] == 1  # a dense state of more than 20 qubits
    assert auto.probabilities(wide) == plain.probabilities(wide)
    mid = qelix.Circuit(22)
    mid.h(0)
    mid.measure(0)
    mid.cx(0, 1)  # a gate after a measurement
    mid.measure(1)
    assert auto.run(mid, 20).counts == plain.run(mid, 20).counts
    wide.measure_all()
    noise = qelix.NoiseModel.uniform(0.01, 0.0, 0.01)
    got = qelix.Simulator(seed=2, noise=noise, backend="auto").run(wide, 5).counts
    assert got == qelix.Simulator(seed=2, noise=noise).run(wide, 5).counts
