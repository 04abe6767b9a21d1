"""Reading circuits back, comparing, inverting and pickling the classes, observables and batches."""

import copy
import math
import pickle
import random
import warnings
from concurrent.futures import ProcessPoolExecutor

import pytest

import qelix

np = pytest.importorskip("numpy")

PAULI = {
    "I": np.eye(2),
    "X": np.array([[0, 1], [1, 0]]),
    "Y": np.array([[0, -1j], [1j, 0]]),
    "Z": np.diag([1, -1]),
}


def random_circuit(n, gates, seed, measure=False):
    rng = random.Random(seed)
    c = qelix.Circuit(n)
    for _ in range(gates):
        a, b = rng.sample(range(n), 2) if n > 1 else (0, 0)
        angle = rng.uniform(-7, 7)
        choice = rng.randrange(12 if n > 1 else 7)
        [
            lambda: c.h(a), lambda: c.s(a), lambda: c.tdg(a), lambda: c.sx(a), lambda: c.rx(a, angle),
            lambda: c.ry(a, angle), lambda: c.u3(a, angle, -angle / 2, 0.3), lambda: c.cx(a, b),
            lambda: c.cy(a, b), lambda: c.rzz(a, b, angle), lambda: c.crk(a, b, rng.randint(1, 4)),
            lambda: c.barrier([a, b]),
        ][choice]()
    if measure:
        c.measure_all()
    return c


def dense(c):
    return qelix.Simulator().statevector_array(c)


def numpy_expectation(state, terms):
    """<psi|O|psi> from Kronecker products (qubit 0 is the least significant index bit)."""
    total = 0.0
    n = len(state).bit_length() - 1
    for coef, label in terms:
        op = np.eye(1)
        for ch in label.ljust(n, "I"):  # character i is qubit i: it goes to the right of the earlier qubits
            op = np.kron(PAULI[ch], op)
        total += coef * np.vdot(state, op @ state).real
    return total


def random_terms(n, count, rng):
    return [(rng.uniform(-1, 1), "".join(rng.choice("IXYZ") for _ in range(n))) for _ in range(count)]


def test_instructions_read_every_kind_back():
    c = qelix.parse_qasm(
        'OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[2];\ncreg c[2];\n'
        "u3(0.1,0.2,0.3) q[0];\ncx q[0],q[1];\nbarrier q;\nmeasure q[0] -> c[0];\nif(c==1) x q[1];"
    )
    kinds = [(r["kind"], r["name"], r["qubits"], r["clbits"], r["condition"]) for r in c.instructions]
    assert kinds == [
        ("gate", "u3", (0,), (), None),
        ("gate", "cx", (0, 1), (), None),
        ("barrier", "barrier", (0, 1), (), None),
        ("measure", "measure", (0,), (0,), None),
        ("conditional", "x", (1,), (0, 1), 1),
    ]
    assert c.instructions[0]["params"] == pytest.approx((0.1, 0.2, 0.3), abs=1e-15)
    assert c.instructions[0]["label"] == "U3(0.100,0.200,0.300)"
    assert np.array_equal(c.gate_matrix(1), np.array([[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 0, 1], [0, 0, 1, 0]]))
    assert c.gate_matrix(4).dtype == np.complex128
    with pytest.raises(ValueError, match="instruction 2 is not a gate"):
        c.gate_matrix(2)
    with pytest.raises(IndexError):
        c.gate_matrix(5)
    assert len(c) == 3  # len stays the gate count


def test_records_rebuild_the_same_circuit():
    builders = {"rx": "rx", "ry": "ry", "u3": "u3", "rzz": "rzz", "cx": "cx", "cy": "cy"}
    for seed in range(5):
        c = random_circuit(4, 40, seed)
        rebuilt = qelix.Circuit(4)
        for r in c.instructions:
            if r["kind"] == "barrier":
                rebuilt.barrier(list(r["qubits"]))
            elif r["name"] == "cu1":
                k = round(math.log2(2 * math.pi / r["params"][0]))
                rebuilt.crk(*r["qubits"], k)
            else:
                getattr(rebuilt, builders.get(r["name"], r["name"]))(*r["qubits"], *r["params"])
        assert np.allclose(dense(rebuilt), dense(c), atol=1e-12)


def test_equality_is_exact_and_circuits_stay_unhashable():
    a = random_circuit(3, 20, 1)
    b = a.copy()
    assert a == b and not (a != b)
    b.h(0)
    assert a != b
    nan = qelix.Circuit(1)
    nan.rx(0, float("nan"))
    assert nan == copy.deepcopy(nan)
    assert (a == 3) is False
    for value in (a, qelix.NoiseModel(), qelix.Simulator().run(a, 5)):
        with pytest.raises(TypeError, match="unhashable"):
            hash(value)


def test_pickle_round_trips_every_class():
    for seed in range(8):
        c = random_circuit(5, 30, seed, measure=seed % 2 == 0)
        c.measure_into(2, 9)
        assert pickle.loads(pickle.dumps(c)) == c
    cond = qelix.parse_qasm('OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[1];\ncreg c[3];\nif(c==5) h q[0];')
    assert pickle.loads(pickle.dumps(cond, protocol=0)) == cond
    with pytest.warns(RuntimeWarning, match="kept as NaN"):
        with_nan = qelix.NoiseModel.uniform(0.1, float("nan"), 0.2)
    for model in (qelix.NoiseModel(), qelix.NoiseModel.ibm(), with_nan):
        assert pickle.loads(pickle.dumps(model)) == model
    assert qelix.NoiseModel.ibm() != qelix.NoiseModel.ionq()
    c = random_circuit(4, 20, 3, measure=True)
    for sim in (
        qelix.Simulator(seed=7, noise=qelix.NoiseModel.ibm(), parallel=False),
        qelix.Simulator(seed=2**64 - 1, backend="mps", max_bond_dim=3),
        qelix.Simulator(seed=1, backend="auto"),
    ):
        clone = pickle.loads(pickle.dumps(sim))
        assert repr(clone) == repr(sim)
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", RuntimeWarning)
            result = sim.run(c, 200)
            assert clone.run(c, 200) == result
        assert pickle.loads(pickle.dumps(result)) == result == copy.copy(result)
        assert pickle.loads(pickle.dumps(result)).norm == result.norm


def test_bad_pickle_states_are_refused_without_change():
    c = qelix.Circuit(2)
    c.h(0)
    for state in [(2,), (2, 0, (("gate", "H", 1, b"x", (0,)),)), (2, 0, (("teleport",),)), (2, 0, (("measure", 0, 1),))]:
        with pytest.raises((ValueError, TypeError)):
            c.__setstate__(state)
        assert c.gate_count == 1
    r = qelix.Simulator(seed=1).run(c, 10)
    for state in [({"0": 10}, 2, 10, 1.0), ({"00": 5}, 2, 10, 1.0), ({"0x": 10}, 2, 10, 1.0)]:
        with pytest.raises(ValueError):
            r.__setstate__(state)
    with pytest.raises(ValueError):
        qelix.NoiseModel().__setstate__(((( 9, 0.1),), (), (), ()))
    with pytest.raises(ValueError):
        qelix.Simulator().__setstate__((None, 7, 0, ((), (), (), ()), True))


def test_inverse_undoes_random_circuits():
    for seed in range(10):
        c = random_circuit(5, 40, seed)
        both = random_circuit(5, 0, 0)
        both.h(0)
        start = dense(both)
        both.append(c)
        both.append(c.inverse())
        assert np.allclose(dense(both), start, atol=1e-12)
        assert c.inverse().inverse() == c
    s = qelix.Circuit(2)
    s.s(0)
    s.rx(1, 0.5)
    assert [r["label"] for r in s.inverse().instructions] == ["Rx(-0.500)", "Sdg"]
    assert "rx(-0.5) q[1];" in s.inverse().to_qasm()
    assert len(s.power(3)) == 6 and len(s.power(0)) == 0
    assert s.power(-2) == s.inverse().power(2)


def test_inverse_refuses_measurements_and_conditionals():
    m = qelix.Circuit(1)
    m.h(0)
    m.measure(0)
    with pytest.raises(ValueError, match="cannot invert a circuit holding a measurement"):
        m.inverse()
    cond = qelix.parse_qasm('OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[1];\ncreg c[1];\nif(c==1) x q[0];')
    with pytest.raises(ValueError, match="conditional gate"):
        cond.inverse()
    with pytest.raises(TypeError):
        m.power(1.5)


def test_expectation_equals_numpy_on_random_states_and_sums():
    rng = random.Random(4)
    sim = qelix.Simulator()
    for n in (1, 3, 6, 9):
        c = random_circuit(n, 30, n)
        terms = random_terms(n, 10, rng) + [(0.5, "")]
        expected = numpy_expectation(dense(c), terms)
        assert sim.expectation(c, terms) == pytest.approx(expected, abs=1e-12)
        sparse = {}
        for coef, label in terms:
            key = " ".join(f"{p}{q}" for q, p in enumerate(label) if p != "I")
            sparse[key] = sparse.get(key, 0.0) + coef
        assert sim.expectation(c, sparse) == pytest.approx(expected, abs=1e-12)


def test_mps_expectation_equals_the_state_vector():
    rng = random.Random(8)
    for n in (2, 7, 12):
        c = random_circuit(n, 40, 100 + n)
        terms = random_terms(n, 6, rng)
        exact = qelix.Simulator().expectation(c, terms)
        assert qelix.Simulator(backend="mps", max_bond_dim=2**n).expectation(c, terms) == pytest.approx(exact, abs=1e-10)
    ghz = qelix.Circuit(100)
    ghz.h(0)
    for q in range(99):
        ghz.cx(q, q + 1)
    assert qelix.Simulator(backend="mps").expectation(ghz, {"Z0 Z99": 1.0}) == pytest.approx(1.0, abs=1e-12)


def test_noisy_expectation_averages_seeded_trajectories():
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    noisy = qelix.Simulator(seed=5, noise=qelix.NoiseModel.uniform(0.05, 0.1, 0.0))
    value = noisy.expectation(c, {"Z0 Z1": 1.0}, shots=400)
    assert value == noisy.expectation(c, {"Z0 Z1": 1.0}, shots=400)
    assert 0.5 < value < 1.0
    assert qelix.Simulator(seed=5).expectation(c, {"Z0 Z1": 1.0}, shots=3) == pytest.approx(1.0)


@pytest.mark.parametrize(
    "observable, error, text",
    [
        ({"Z5": 1.0}, ValueError, "Qubit index 5 out of range"),
        ({"Q0": 1.0}, ValueError, "invalid Pauli label"),
        ({"Z0 Z0": 1.0}, ValueError, "appears twice"),
        ([(1j, "Z")], ValueError, "not real"),
        ("ZZ", TypeError, "argument 'observable'"),
        ([(1.0, 3)], TypeError, "argument 'observable'"),
        ([1.0], TypeError, "argument 'observable'"),
    ],
)
def test_expectation_refusals(observable, error, text):
    c = qelix.Circuit(2)
    with pytest.raises(error, match=text):
        qelix.Simulator().expectation(c, observable)


def test_truncated_mps_runs_report_their_norm_and_warn_once():
    bell = qelix.Circuit(2)
    bell.h(0)
    bell.cx(0, 1)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = qelix.Simulator(seed=1, backend="mps", max_bond_dim=1).run(bell, 100)
        exact = qelix.Simulator(seed=1, backend="mps", max_bond_dim=2).run(bell, 100)
    assert result.norm == pytest.approx(math.sqrt(0.5)) and exact.norm == pytest.approx(1.0)
    assert [w.category for w in caught] == [RuntimeWarning]
    assert "discarded weight 0.5" in str(caught[0].message)
    assert qelix.Simulator(seed=1).run(bell, 10).norm == 1.0


def test_run_batch_equals_a_loop_over_run():
    circuits = [random_circuit(1 + i % 6, 20, i, measure=True) for i in range(30)]
    for sim in (qelix.Simulator(seed=3), qelix.Simulator(seed=3, parallel=False), qelix.Simulator(seed=3, noise=qelix.NoiseModel.ibm())):
        assert sim.run_batch(circuits, 50) == [sim.run(c, 50) for c in circuits]
    assert qelix.Simulator().run_batch([]) == []
    with pytest.raises(ValueError, match="circuit 0: Shot count"):
        qelix.Simulator().run_batch(circuits, 0)
    with pytest.raises(TypeError, match="argument 'circuits'"):
        qelix.Simulator().run_batch([circuits[0], "x"])


def _run_in_worker(args):
    sim, circuit = args
    return sim.run(circuit, 100)


def test_objects_travel_to_a_process_pool():
    sim = qelix.Simulator(seed=11)
    circuits = [random_circuit(3, 10, s, measure=True) for s in range(3)]
    with ProcessPoolExecutor(max_workers=2) as pool:
        results = list(pool.map(_run_in_worker, [(sim, c) for c in circuits]))
    assert results == [sim.run(c, 100) for c in circuits]


def test_resets_and_conditional_measurements_read_back_and_pickle():
    c = qelix.parse_qasm(
        'OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[2];\ncreg c[2];\n'
        "h q[0];\nmeasure q[0] -> c[0];\nif(c==1) reset q[1];\nif(c==0) measure q[1] -> c[1];\nsdg q[1];\n"
    )
    kinds = [(r["kind"], r["name"], r["condition"], r["condition_clbits"]) for r in c.instructions]
    assert kinds[2:] == [("reset", "reset", 1, (0, 1)), ("measure", "measure", 0, (0, 1)), ("gate", "sdg", None, ())]
    back = pickle.loads(pickle.dumps(c))
    assert back == c and back.to_qasm() == c.to_qasm()
    r = qelix.Circuit(1)
    r.reset(0)
    with pytest.raises(ValueError, match="holding a reset"):
        r.inverse()
