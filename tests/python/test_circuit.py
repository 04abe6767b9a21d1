import copy

import pytest

import qelix


@pytest.fixture
def bell():
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    return c


def test_construction_limits():
    assert qelix.Circuit(1).num_qubits == 1
    assert qelix.Circuit(128).num_qubits == 128
    with pytest.raises(ValueError, match="^Circuit must have at least 1 qubit$"):
        qelix.Circuit(0)
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(129 > 128\)$"):
        qelix.Circuit(129)


def test_every_builder_returns_none_and_counts():
    c = qelix.Circuit(3)
    calls = [
        c.h(0), c.x(0), c.y(0), c.z(0), c.s(0), c.sdg(0), c.t(0), c.tdg(0), c.sx(0),
        c.rx(0, 0.1), c.ry(1, 0.2), c.rz(2, 0.3), c.u3(0, 0.1, 0.2, 0.3),
        c.cnot(0, 1), c.cx(1, 2), c.cy(0, 2), c.cz(1, 0), c.swap(0, 1), c.rzz(1, 2, 0.5), c.crk(0, 1, 3),
    ]
    assert calls == [None] * 20
    assert c.gate_count == 20 and len(c) == 20
    assert c.toffoli(0, 1, 2) is None
    assert c.gate_count == 35
    assert c.qft([0, 1, 2]) is None and c.iqft([0, 1, 2]) is None
    assert c.gate_count == 49


def test_keywords_use_signature_names():
    c = qelix.Circuit(3)
    c.u3(qubit=0, theta=1.0, phi=2.0, **{"lambda": 3.0})
    c.rzz(q0=0, q1=1, theta=0.5)
    c.toffoli(control_0=0, control_1=1, target=2)
    c.crk(control=0, target=1, k=2)
    c.measure_into(qubit=2, classical_bit=4)
    c.compose(other=qelix.Circuit(1), qubit_mapping=[2])
    assert c.num_classical_bits == 5
    with pytest.raises(TypeError):
        c.h(target=0)


def test_invalid_requests_raise_and_change_nothing(bell):
    before = (bell.draw(), bell.num_classical_bits)
    with pytest.raises(ValueError, match=r"^Qubit index 2 out of range \(circuit has 2 qubits\)$"):
        bell.h(2)
    with pytest.raises(ValueError, match="^Two-qubit gate requires different qubits, got 0 and 0$"):
        bell.cx(0, 0)
    with pytest.raises(ValueError):
        bell.measure(5)
    with pytest.raises(ValueError):
        bell.toffoli(0, 1, 1)
    with pytest.raises(ValueError, match=r"^Circuit qubit count mismatch \(2 != 3\)$"):
        bell.append(qelix.Circuit(3))
    with pytest.raises(ValueError, match=r"^Qubit mapping length mismatch \(1 != 2\)$"):
        bell.compose(qelix.Circuit(2), [0])
    with pytest.raises(ValueError, match="limit of 16777216 classical bits"):
        bell.measure_into(0, 2**64 - 1)
    with pytest.raises(OverflowError):
        bell.h(-1)
    with pytest.raises(TypeError, match="^argument 'theta'"):
        bell.rx(0, "a")
    assert (bell.draw(), bell.num_classical_bits) == before


def test_qubit_lists_refuse_strings_and_bad_items():
    c = qelix.Circuit(3)
    with pytest.raises(TypeError, match="Can't extract `str` to `Vec`"):
        c.qft("012")
    with pytest.raises(TypeError, match="^argument 'qubits'"):
        c.barrier([0, 1.5])
    with pytest.raises(OverflowError):
        c.barrier([0, -1])
    c.barrier((0, 2))
    c.qft(range(3))
    assert c.gate_count == 7


def test_measurements_allocate_classical_bits():
    c = qelix.Circuit(2)
    assert c.measure(0) == 0
    assert c.measure(1) == 1
    assert c.num_classical_bits == 2
    c.measure_into(0, 7)
    assert c.num_classical_bits == 8
    assert c.measure(1) == 8
    c.measure_all()
    assert c.num_classical_bits == 11


def test_figures_repr_and_drawing(bell):
    bell.measure_all()
    assert bell.gate_count == 2 and bell.depth == 2
    assert repr(qelix.Circuit(3)) == "Circuit(3 qubits, 0 gates, depth 0)"
    assert repr(bell) == "Circuit(2 qubits, 2 gates, depth 2)"
    assert str(bell) == bell.draw() == "q0: [H]---@---[M]---\nq1: ------X------[M]"
    b = qelix.Circuit(2)
    b.h(0)
    b.barrier_all()
    b.h(1)
    assert b.depth == 1


def test_cx_and_cnot_build_the_same_circuit():
    a, b = qelix.Circuit(2), qelix.Circuit(2)
    a.cx(0, 1)
    b.cnot(0, 1)
    assert a.draw() == b.draw()


@pytest.mark.parametrize("make_copy", [lambda c: c.copy(), copy.copy, copy.deepcopy])
def test_copies_are_independent(bell, make_copy):
    other = make_copy(bell)
    assert type(other) is qelix.Circuit
    other.x(1)
    other.measure(0)
    assert bell.gate_count == 2 and bell.num_classical_bits == 0
    assert other.gate_count == 3 and other.num_classical_bits == 1


def test_self_borrow_conflicts(bell):
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        bell.append(bell)
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        bell.compose(bell, [0, 1])
    # The failed calls released their borrows.
    bell.append(bell.copy())
    assert bell.gate_count == 4


def test_append_and_compose_renumber_measurements():
    other = qelix.Circuit(2)
    other.cx(0, 1)
    other.measure_into(1, 5)
    c = qelix.Circuit(3)
    c.compose(other, [2, 0])
    assert c.num_classical_bits == 1
    assert c.draw().splitlines()[2].startswith("q2: ---@---")


def test_copied_feed_forward_reads_its_own_measurements():
    sub = qelix.parse_qasm(
        'OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[2];\ncreg c[1];\n'
        "h q[0];\nmeasure q[0] -> c[0];\nif(c==1) x q[1];"
    )
    sim = qelix.Simulator(seed=4)
    alone = qelix.Circuit(2)
    alone.append(sub)
    alone.measure(1)
    assert set(sim.run(alone, 200).counts) == {"00", "11"}
    for copy_into in (lambda host: host.append(sub), lambda host: host.compose(sub, [0, 1])):
        host = qelix.Circuit(2)
        host.x(0)
        host.measure(0)  # bit 0 holds 1 before the copy
        copy_into(host)
        host.measure(1)
        assert host.num_classical_bits == 3
        assert set(sim.run(host, 200).counts) == {"100", "111"}  # X fires exactly when h gave 1


def test_subclasses_work_and_uninitialised_ones_are_refused():
    class Named(qelix.Circuit):
        pass

    n = Named(2)
    n.h(0)
    c = qelix.Circuit(2)
    c.append(n)
    assert c.gate_count == 1

    class Broken(qelix.Circuit):
        def __init__(self):
            pass

    with pytest.raises(RuntimeError):
        Broken().h(0)
