import gc
import inspect

import pytest

import qelix


def bell(measure=True):
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    if measure:
        c.measure_all()
    return c


def test_class_surface():
    assert qelix.Simulator.__module__ == "qelix"
    assert qelix.Simulator.__text_signature__ == (
        '(seed=None, noise=None, parallel=True, backend="statevector", max_bond_dim=64)'
    )
    assert qelix.Simulator.__doc__ == "State-vector quantum simulator with optional Monte Carlo noise."
    assert str(inspect.signature(qelix.Simulator.run)) == "(self, /, circuit, shots=1000)"
    assert qelix.Simulator.run.__doc__ == "Run a circuit for `shots` executions."
    assert qelix.Simulator.statevector.__doc__ == "Return the final noiseless state vector as `(real, imag)` tuples."
    assert qelix.Simulator.probabilities.__doc__ == "Return the basis-state probabilities for a noiseless circuit."
    assert [n for n in dir(qelix.Simulator()) if not n.startswith("_")] == [
        "expectation",
        "probabilities",
        "probabilities_array",
        "run",
        "run_batch",
        "statevector",
        "statevector_array",
    ]
    assert repr(qelix.Simulator()) == "Simulator(StateVector)"
    assert str(qelix.Simulator(seed=1, noise=qelix.NoiseModel.ibm(), parallel=False)) == "Simulator(StateVector)"


def test_constructor_arguments():
    qelix.Simulator(None, None, True)
    qelix.Simulator(seed=2**64 - 1, parallel=False)
    with pytest.raises(OverflowError):
        qelix.Simulator(seed=-1)
    with pytest.raises(OverflowError):
        qelix.Simulator(seed=2**64)
    with pytest.raises(TypeError, match="^argument 'seed'"):
        qelix.Simulator(seed=1.5)
    for flag in (1, 0, None, "yes"):
        with pytest.raises(TypeError, match="^argument 'parallel'"):
            qelix.Simulator(parallel=flag)
    with pytest.raises(TypeError, match="^argument 'noise'"):
        qelix.Simulator(noise="ibm")
    with pytest.raises(TypeError):
        qelix.Simulator(1, None, True, 4)


def test_seeded_runs_repeat_and_keys_follow_measurements():
    sim = qelix.Simulator(seed=7)
    first = sim.run(bell(), shots=1000)
    assert set(first.counts) == {"00", "11"}
    assert sum(first.counts.values()) == first.total_shots == 1000
    assert sim.run(bell(), 1000).counts == first.counts
    assert qelix.Simulator(seed=7, parallel=False).run(bell(), 1000).counts == first.counts
    assert sim.run(bell()).total_shots == 1000

    three = qelix.Circuit(3)
    three.x(0)
    assert sim.run(three, 10).counts == {"100": 10}
    only_two = qelix.Circuit(3)
    only_two.x(2)
    only_two.measure(2)
    assert sim.run(only_two, 10).counts == {"1": 10}


def test_keys_are_the_classical_register_whichever_route_runs():
    def key(build, route):
        c = qelix.Circuit(2)
        c.x(0)
        build(c)
        if route == "trajectory":
            c.z(1)
        sim = qelix.Simulator(seed=1, backend="mps") if route == "mps" else qelix.Simulator(seed=1)
        (only,) = sim.run(c, 20).counts
        return only

    cases = [
        (lambda c: c.measure_into(0, 2), "001"),
        (lambda c: (c.measure_into(0, 1), c.measure_into(1, 0)), "01"),
        (lambda c: (c.measure(1), c.measure(0)), "01"),
        (lambda c: c.measure_all(), "10"),
    ]
    for build, expected in cases:
        assert {key(build, route) for route in ("fast", "trajectory", "mps")} == {expected}


def test_shot_count_conversion():
    sim = qelix.Simulator(seed=1)
    with pytest.raises(ValueError, match=r"^Shot count must be greater than zero, got 0$"):
        sim.run(bell(), 0)
    with pytest.raises(ValueError, match="^Shot count must be greater than zero"):
        qelix.Simulator(noise=qelix.NoiseModel.ibm()).run(bell(), shots=0)
    with pytest.raises(OverflowError):
        sim.run(bell(), 2**32)
    with pytest.raises(OverflowError):
        sim.run(bell(), -1)
    with pytest.raises(TypeError, match="^argument 'shots'"):
        sim.run(bell(), None)
    with pytest.raises(TypeError, match="^argument 'circuit'"):
        sim.run("circuit", 10)


def test_noisy_and_mid_circuit_runs():
    noisy = qelix.Simulator(seed=3, noise=qelix.NoiseModel.ibm())
    result = noisy.run(bell(), 2000)
    assert noisy.run(bell(), 2000).counts == result.counts
    assert result.counts.get("00", 0) + result.counts.get("11", 0) > 1800
    assert len(result) > 2  # noise reaches the odd-parity outcomes

    # Teleport-like conditional: measure, then correct on the outcome.
    c = qelix.Circuit(2)
    c.h(0)
    c.measure(0)
    c.cx(0, 1)
    c.measure(1)
    counts = qelix.Simulator(seed=5).run(c, 500).counts
    assert set(counts) == {"00", "11"}


def test_noise_model_is_copied_at_construction():
    model = qelix.NoiseModel.uniform(0.0, 0.0, 1.0)
    sim = qelix.Simulator(seed=1, noise=model)
    del model
    gc.collect()
    c = qelix.Circuit(1)
    c.measure(0)
    assert sim.run(c, 20).counts == {"1": 20}


def test_statevector_and_probabilities():
    sim = qelix.Simulator()
    zero = sim.statevector(qelix.Circuit(3))
    assert isinstance(zero, list) and len(zero) == 8
    assert zero[0] == (1.0, 0.0) and all(a == (0.0, 0.0) for a in zero[1:])
    amps = sim.statevector(bell())  # terminal measurements are ignored
    assert amps[0] == amps[3] == (0.7071067811865476, 0.0)
    assert sim.probabilities(bell()) == [0.5000000000000001, 0.0, 0.0, 0.5000000000000001]

    mid = qelix.Circuit(1)
    mid.h(0)
    mid.measure(0)
    mid.h(0)
    message = "^Simulation error: statevector is unavailable for circuits with mid-circuit measurements$"
    with pytest.raises(ValueError, match=message):
        sim.statevector(mid)
    with pytest.raises(ValueError, match=message):
        sim.probabilities(mid)
    noisy = qelix.Simulator(noise=qelix.NoiseModel.ibm())
    with pytest.raises(ValueError, match="^Simulation error: statevector is unavailable when noise is enabled$"):
        noisy.statevector(qelix.Circuit(1))


def test_memory_is_checked_before_allocating():
    sim = qelix.Simulator()
    for method in (sim.statevector, sim.probabilities):
        with pytest.raises(ValueError, match=r"^Insufficient memory for 31-qubit simulation \(need 34359738368 bytes\)$"):
            method(qelix.Circuit(31))
    with pytest.raises(ValueError, match=r"^Insufficient memory for 40-qubit simulation \(need 17592186044416 bytes\)$"):
        sim.run(qelix.Circuit(40), 1)
    with pytest.raises(ValueError, match=r"^Insufficient memory for 64-qubit simulation \(need 18446744073709551615 bytes\)$"):
        sim.run(qelix.Circuit(64), 1)
    # 28 qubits fit as amplitudes (4 GiB) but not as 2^28 Python tuples.
    with pytest.raises(MemoryError):
        sim.statevector(qelix.Circuit(28))
    assert sim.run(bell(), 10).total_shots == 10  # the process lives on


def test_borrowed_circuit_is_not_retained():
    c = bell()
    sim = qelix.Simulator(seed=1)
    sim.run(c, 5)
    c.x(0)  # still mutable afterwards
    assert c.gate_count == 3
