import inspect

import pytest

import qelix

HEAD = 'OPENQASM 2.0;\ninclude "qelib1.inc";\n'


@pytest.fixture
def sample():
    c = qelix.Circuit(3)
    c.h(0)
    c.cx(0, 1)
    c.rx(2, 0.785398)
    c.crk(1, 2, 3)
    c.barrier_all()
    c.measure(0)
    c.measure_into(2, 2)
    return c


def test_functions_are_registered_after_the_classes():
    names = qelix.__all__
    classes = [n for n in ("Circuit", "Simulator", "QuantumResult", "NoiseModel") if n in names]
    assert names[: len(classes)] == classes
    assert names[len(classes) : len(classes) + 2] == ["parse_qasm", "to_qasm"]


def test_docs_and_signatures():
    assert qelix.parse_qasm.__text_signature__ == "(source)"
    assert qelix.parse_qasm.__doc__ == "Parse `OpenQASM` 2.0 source into a circuit."
    assert qelix.to_qasm.__text_signature__ == "(circuit)"
    assert qelix.to_qasm.__doc__ == "Serialize a circuit into `OpenQASM` 2.0 source."
    assert qelix.Circuit.to_qasm.__text_signature__ == "($self)"
    assert qelix.Circuit.to_qasm.__doc__ == "Export the circuit as `OpenQASM` 2.0 source."
    assert qelix.parse_qasm.__name__ == "parse_qasm"
    assert str(inspect.signature(qelix.to_qasm)) == "(circuit)"


def test_method_and_function_write_the_same_text(sample):
    text = sample.to_qasm()
    assert qelix.to_qasm(sample) == text
    assert qelix.to_qasm(circuit=sample) == text
    assert text == HEAD + "gate crk(k) a, b { cu1(2*pi/2^k) a, b; }\n" + (
        "qreg q[3];\ncreg c[3];\nh q[0];\ncx q[0], q[1];\nrx(0.785398) q[2];\ncrk(3) q[1], q[2];\n"
        "barrier q;\nmeasure q[0] -> c[0];\nmeasure q[2] -> c[2];"
    )


def test_parse_returns_an_independent_circuit(sample):
    text = sample.to_qasm()
    back = qelix.parse_qasm(text)
    assert isinstance(back, qelix.Circuit)
    assert back.to_qasm() == text
    assert (back.num_qubits, back.num_classical_bits, back.gate_count) == (3, 3, 4)
    again = qelix.parse_qasm(source=text)
    again.x(0)
    assert back.gate_count == 4 and again.gate_count == 5


def test_registers_user_gates_and_conditionals():
    c = qelix.parse_qasm(
        HEAD
        + "qreg a[1];\nqreg b[2];\ncreg m[2];\n"
        + "gate bell(theta) x, y { ry(theta) x; CX x, y; }\n"
        + "bell(pi / 2) a[0], b[1];\nmeasure b[1] -> m[0];\nif(m==1) x b[0];\n"
    )
    assert c.num_qubits == 3 and c.num_classical_bits == 2
    assert c.to_qasm() == HEAD + (
        "qreg q[3];\ncreg c[2];\nry(1.5707963267948966) q[0];\ncx q[0], q[2];\nmeasure q[2] -> c[0];\nif(c==1) x q[1];"
    )


def test_every_gate_and_dagger_is_written_in_standard_form():
    c = qelix.Circuit(2)
    c.cy(0, 1)
    c.reset(1)
    c.iqft([0, 1])
    text = c.to_qasm()
    assert "//" not in text
    assert text.endswith("cy q[0], q[1];\nreset q[1];\nswap q[0], q[1];\nh q[1];\ncu1(-1.5707963267948966) q[1], q[0];\nh q[0];")
    back = qelix.parse_qasm(text)
    assert back.gate_count == 5 and back.to_qasm() == text


@pytest.mark.parametrize(
    "source, message",
    [
        ("", "Parse error at line 1: missing OPENQASM header"),
        ("qreg q[1];", "Parse error at line 1: expected 'OPENQASM 2.0;' header"),
        ("OPENQASM 2.0;", "Parse error at line 1: at least one qreg declaration is required"),
        (HEAD + "qreg q[2];\n\n  cx q[0], q[0];", "Parse error at line 5: Two-qubit gate requires different qubits, got 0 and 0"),
        (HEAD + "qreg q[2];\nrx(1-) q[0];", "Parse error at line 4: invalid numeric literal ''"),
        (HEAD + "qreg q[2];\nopaque g a;\ng q[0];", "Parse error at line 5: gate 'g' is opaque and cannot be applied"),
        (HEAD + "qreg q[2];\nh q[0], q[1];", "Unknown gate 'h'"),
        (HEAD + "qreg q[2];\nh r[0];", "Register 'r' not declared"),
        (HEAD + "qreg q[2];\nh q[2];", "Qubit index 2 out of range for register 'q' (size 2)"),
        (HEAD + "qreg q[2];\ngate g a { g a; }\ng q[0];", "Parse error at line 5: gate 'g' is defined in terms of itself"),
    ],
)
def test_parse_errors_are_value_errors(source, message):
    with pytest.raises(ValueError) as info:
        qelix.parse_qasm(source)
    assert str(info.value) == message


def test_argument_types():
    with pytest.raises(TypeError, match="^argument 'source'"):
        qelix.parse_qasm(b"OPENQASM 2.0;")
    with pytest.raises(TypeError, match="^argument 'circuit'"):
        qelix.to_qasm("OPENQASM 2.0;")
    with pytest.raises(TypeError):
        qelix.to_qasm()
    with pytest.raises(TypeError):
        qelix.Circuit(1).to_qasm(1)


def test_non_ascii_text_in_messages_survives():
    with pytest.raises(ValueError, match="^Unknown gate 'é'$"):
        qelix.parse_qasm(HEAD + "qreg q[1];\né q[0];")
