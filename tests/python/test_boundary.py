"""Objects that never ran __init__, __init__ called again while a call reads the object, and
NumPy booleans: each is refused or accepted cleanly, and every object stays usable."""
import copy

import numpy as np
import pytest
import qelix

UNINITIALISED = r"^object is not initialised \(missing super\(\).__init__ call\?\)$"


class LazyCircuit(qelix.Circuit):
    def __init__(self, n):  # skips super().__init__()
        self.n = n


class LazyNoise(qelix.NoiseModel):
    def __init__(self):
        pass


class Hook:
    """An index whose conversion first runs `hook`."""

    def __init__(self, value, hook):
        self.value, self.hook = value, hook

    def __index__(self):
        self.hook()
        return self.value


def bell():
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    c.measure_all()
    return c


def test_every_entry_point_refuses_uninitialised_instances():
    sim = qelix.Simulator(seed=1)
    host = qelix.Circuit(1)
    circuits = [qelix.Circuit.__new__(qelix.Circuit), LazyCircuit(2)]
    noises = [qelix.NoiseModel.__new__(qelix.NoiseModel), LazyNoise()]
    calls = []
    for c in circuits:
        calls += [
            lambda c=c: sim.run(c),
            lambda c=c: sim.run(c, 10),
            lambda c=c: sim.statevector(c),
            lambda c=c: sim.probabilities(c),
            lambda c=c: sim.statevector_array(c),
            lambda c=c: sim.probabilities_array(c),
            lambda c=c: qelix.Simulator(backend="mps").run(c),
            lambda c=c: qelix.to_qasm(c),
            lambda c=c: host.append(c),
            lambda c=c: host.compose(c, [0]),
            lambda c=c: copy.copy(c),
            lambda c=c: copy.deepcopy(c),
            lambda c=c: c.copy(),
            lambda c=c: c.h(0),
            lambda c=c: c.num_qubits,
            lambda c=c: repr(c),
            lambda c=c: c.to_qasm(),
            lambda c=c: len(c),
        ]
    for n in noises:
        calls += [lambda n=n: qelix.Simulator(noise=n), lambda n=n: repr(n)]
    blank_sim = qelix.Simulator.__new__(qelix.Simulator)
    blank_result = qelix.QuantumResult.__new__(qelix.QuantumResult)
    calls += [lambda: blank_sim.run(bell()), lambda: repr(blank_sim), lambda: blank_result.counts]
    for call in calls:
        with pytest.raises(RuntimeError, match=UNINITIALISED):
            call()
    # Nothing was touched, and late initialisation makes the objects whole.
    assert host.gate_count == 0 and host.num_classical_bits == 0
    lazy = circuits[1]
    qelix.Circuit.__init__(lazy, 2)
    lazy.x(1)
    assert qelix.to_qasm(lazy).endswith("qreg q[2];\nx q[1];")
    blank_sim.__init__(seed=1)
    assert blank_sim.run(bell(), 10).total_shots == 10


def test_reinitialising_a_borrowed_object_is_refused_and_leaves_it_usable():
    c = qelix.Circuit(1)
    c.measure_all()
    sim = qelix.Simulator(seed=3)
    other = qelix.Circuit(2)
    other.x(0)
    host = qelix.Circuit(2)
    attempts = [
        lambda: sim.run(c, Hook(5, lambda: c.__init__(1))),
        lambda: sim.run(c, Hook(5, lambda: sim.__init__(seed=4))),
        lambda: host.compose(other, [0, Hook(1, lambda: other.__init__(2))]),
        lambda: host.compose(other, [0, Hook(1, lambda: host.__init__(2))]),
        lambda: host.x(Hook(0, lambda: host.__init__(2))),
    ]
    for attempt in attempts:
        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            attempt()
    # Every object kept its value and its borrow flag is free again.
    assert sim.run(c, 8).counts == {"0": 8}
    assert other.gate_count == 1 and host.gate_count == 0
    host.append(other)
    c.__init__(1)
    assert c.num_classical_bits == 0
    noise = qelix.NoiseModel.ibm()
    qelix.Simulator(seed=Hook(1, lambda: noise.__init__()), noise=noise)  # not borrowed yet: allowed
    assert repr(noise).startswith("NoiseModel(single_qubit_channels=0")


def test_numpy_booleans_are_flags():
    for flag in (np.bool_(True), np.bool_(False)):
        assert qelix.Simulator(seed=1, parallel=flag).run(bell(), 10).total_shots == 10
    secret = [np.bool_(True), False, np.bool_(True)]
    assert qelix.simon_hidden_xor(secret, seed=1)["secret"] == [True, False, True]
    for refused in (np.int64(1), np.float64(1.0), np.array([True])):
        with pytest.raises(TypeError, match="^argument 'parallel'"):
            qelix.Simulator(parallel=refused)
        with pytest.raises(TypeError, match="^argument 'secret'"):
            qelix.simon_hidden_xor([refused])
