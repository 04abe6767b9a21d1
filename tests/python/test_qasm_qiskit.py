"""OpenQASM 2.0 against an independent reader and writer: qiskit.qasm2."""

import random

import numpy as np
import pytest
from qiskit import QuantumCircuit, qasm2
from qiskit.circuit.library import RYYGate, RZXGate
from qiskit.quantum_info import Statevector

import qelix

HEAD = 'OPENQASM 2.0;\ninclude "qelib1.inc";\n'

# Every qelib1.inc gate (and the primitives U and CX): parameters, qubits.
GATES = {
    "u0": (1, 1), "u1": (1, 1), "u2": (2, 1), "u3": (3, 1), "u": (3, 1), "p": (1, 1), "U": (3, 1),
    "id": (0, 1), "x": (0, 1), "y": (0, 1), "z": (0, 1), "h": (0, 1), "s": (0, 1), "sdg": (0, 1),
    "t": (0, 1), "tdg": (0, 1), "sx": (0, 1), "sxdg": (0, 1), "rx": (1, 1), "ry": (1, 1), "rz": (1, 1),
    "cx": (0, 2), "CX": (0, 2), "cy": (0, 2), "cz": (0, 2), "ch": (0, 2), "csx": (0, 2), "swap": (0, 2),
    "crx": (1, 2), "cry": (1, 2), "crz": (1, 2), "cu1": (1, 2), "cp": (1, 2), "cu3": (3, 2),
    "cu": (4, 2), "rxx": (1, 2), "rzz": (1, 2), "ccx": (0, 3), "cswap": (0, 3), "rccx": (0, 3),
    "rc3x": (0, 4), "c3x": (0, 4), "c3sqrtx": (0, 4), "c4x": (0, 5),
}
EXPRESSIONS = ["pi/{k}", "-{a}", "{a}*pi^2/7", "sin({a})+cos(pi/{k})", "sqrt({k})-ln({k})", "exp(-{a})", "tan({a}/9)"]


def statevector(circuit):
    return np.array([complex(re, im) for re, im in qelix.Simulator().statevector(circuit)])


def assert_same_up_to_phase(a, b, tol=1e-12):
    k = int(np.argmax(np.abs(b)))
    phase = a[k] / b[k]
    assert abs(abs(phase) - 1) < tol
    np.testing.assert_allclose(a, phase * b, atol=tol, rtol=0)


def expression(rng):
    return rng.choice(EXPRESSIONS).format(a=round(rng.uniform(-3, 3), 6), k=rng.randint(1, 9))


def random_program(rng, n):
    """A program over two registers that uses every gate, broadcast and a user definition."""
    a = rng.randint(1, n - 1)
    lines = [HEAD + f"qreg a[{a}];\nqreg\tb[{n - a}];",
             "gate cu1fixed(l) c, t { u1(l/2) c; cx c, t; u1(-l/2) t; cx c, t; u1(l/2) t; }",
             "gate  mix (theta1, phi_2) x, y { ry(theta1) x; cu1fixed (phi_2^2) x, y; barrier x, y; rzz(-theta1) x, y; }",
             "h a; h b;"]
    flat = [f"a[{i}]" for i in range(a)] + [f"b[{i}]" for i in range(n - a)]
    names = sorted(GATES)
    rng.shuffle(names)
    for name in names + rng.choices(names, k=10):
        params, width = GATES[name]
        if width > n:
            continue
        args = "(" + ", ".join(expression(rng) for _ in range(params)) + ")" if params else ""
        if name == "u0":
            args = "(2)"  # Qiskit reads u0 as a delay of whole steps
        lines.append(f"{name}{args} {', '.join(rng.sample(flat, width))};")
    lines.append(f"mix({expression(rng)}, {expression(rng)}) {', '.join(rng.sample(flat, 2))};")
    if a == n - a:
        lines.append("cx a, b;")
    lines.append(f"cz {flat[0]}, b;" if flat[0].startswith("a") else "x a;")
    return "\n".join(lines)


@pytest.mark.parametrize("seed", range(40))
def test_reading_agrees_with_qiskit(seed):
    rng = random.Random(seed)
    source = random_program(rng, rng.randint(5, 8))
    ours = qelix.parse_qasm(source)
    theirs = qasm2.loads(source, custom_instructions=qasm2.LEGACY_CUSTOM_INSTRUCTIONS)
    assert ours.num_qubits == theirs.num_qubits
    assert_same_up_to_phase(statevector(ours), Statevector(theirs).data)
    # Qiskit reads what qelix writes (with the original qelib1.inc only, or the later one), and
    # it is the same program.
    for custom in ((), qasm2.LEGACY_CUSTOM_INSTRUCTIONS):
        assert_same_up_to_phase(statevector(ours), Statevector(qasm2.loads(ours.to_qasm(), custom_instructions=custom)).data)


def every_builder(n, rng):
    c = qelix.Circuit(n)
    for q in range(n):
        c.h(q)
    angle = lambda: rng.uniform(-4, 4)  # noqa: E731
    for q in range(n):
        c.x(q), c.y(q), c.z(q), c.s(q), c.sdg(q), c.t(q), c.tdg(q), c.sx(q)
        c.rx(q, angle()), c.ry(q, angle()), c.rz(q, 1e-4), c.u3(q, angle(), angle(), angle())
    for q in range(n - 1):
        c.cnot(q, q + 1), c.cx(q + 1, q), c.cy(q, q + 1), c.cz(q, q + 1), c.swap(q, q + 1)
        c.rzz(q, q + 1, angle()), c.crk(q + 1, q, q + 2)
    c.toffoli(0, 1, 2)
    c.qft(list(range(n)))
    c.iqft(list(range(n))[::-1])
    return c


def test_qiskit_reads_every_builder_and_dagger_qelix_writes():
    rng = random.Random(5)
    c = every_builder(5, rng)
    text = c.to_qasm()
    assert "//" not in text
    theirs = qasm2.loads(text)
    assert_same_up_to_phase(statevector(c), Statevector(theirs).data)
    # Read back by qelix: the same text and bit-identical amplitudes.
    back = qelix.parse_qasm(text)
    assert back.to_qasm() == text
    assert qelix.Simulator().statevector(back) == qelix.Simulator().statevector(c)


def test_statement_forms_agree_with_qiskit():
    source = HEAD + (
        "qreg q[3];\ncreg m[3];\ncreg f[1];\nopaque magic(t) a;\n"
        "h q;\nmeasure q -> m;\nreset q[1];\nif(m==5) x q;\nif (f == 0) measure q[2] -> f[0];\n"
        "if(m==1) reset q[0];\nbarrier q[0], q;\nreset q;\n"
    )
    ours = qelix.parse_qasm(source)
    theirs = qasm2.loads(source, custom_instructions=qasm2.LEGACY_CUSTOM_INSTRUCTIONS)
    assert ours.num_classical_bits == theirs.num_clbits == 4
    back = qasm2.loads(ours.to_qasm())
    names = [i.operation.name for i in back.data]
    assert names == [i.operation.name for i in theirs.data]
    assert names.count("measure") == 3 and names.count("reset") == 4 and names.count("if_else") == 5
    # The written conditions keep their registers: m has three bits, f one.
    assert [(r.name, r.size) for r in back.cregs] == [("c0", 3), ("c1", 1)]


def test_a_file_qiskit_writes_reads_into_the_same_state():
    rng = random.Random(11)
    qc = QuantumCircuit(4)
    qc.h(range(4))
    for _ in range(3):
        qc.u(rng.uniform(-3, 3), rng.uniform(-3, 3), rng.uniform(-3, 3), 0)
        qc.cp(rng.uniform(-3, 3), 0, 1)
        qc.append(RYYGate(rng.uniform(-3, 3)), [1, 2])
        qc.append(RZXGate(rng.uniform(-3, 3)), [2, 3])
        qc.cswap(3, 0, 1)
        qc.ccx(0, 1, 2)
        qc.sxdg(3)
        qc.crx(0.3, 3, 1)
        qc.rccx(0, 2, 3)
    text = qasm2.dumps(qc)
    assert "gate ryy" in text and "sxdg q[3];" in text
    assert_same_up_to_phase(statevector(qelix.parse_qasm(text)), Statevector(qc).data)


def test_mps_refuses_reset_clearly():
    c = qelix.Circuit(2)
    c.reset(0)
    c.measure_all()
    with pytest.raises(ValueError, match="MPS backend does not support reset"):
        qelix.Simulator(seed=1, backend="mps").run(c, 10)
    counts = qelix.Simulator(seed=1).run(c, 10).counts
    assert counts == {"00": 10}


@pytest.mark.parametrize("seed", range(20))
def test_random_circuits_qiskit_writes_read_into_the_same_state(seed):
    from qiskit.circuit.random import random_circuit

    qc = random_circuit(6, 8, max_operands=3, seed=seed)
    assert_same_up_to_phase(statevector(qelix.parse_qasm(qasm2.dumps(qc))), Statevector(qc).data, tol=1e-10)
