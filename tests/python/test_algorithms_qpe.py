import pytest

import qelix

KEYS = ["phase", "measured_value", "precision_bits", "counts"]


def test_defaults_for_s():
    r = qelix.phase_estimation("s")
    assert r == {"phase": 0.25, "measured_value": 2, "precision_bits": 3, "counts": {2: 1024}}
    assert list(r) == KEYS


@pytest.mark.parametrize(
    "args, value, phase",
    [
        (("t", "one", 3), 1, 0.125),
        (("t", "one", 1), 0, 0.0),
        (("t", None, 2), 1, 0.25),
        (("z",), 4, 0.5),
        (("x", "minus"), 4, 0.5),
        (("x", "plus"), 0, 0.0),
        (("identity", "plus"), 0, 0.0),
        (("i", "anything at all"), 0, 0.0),
        (("t", "one", 12), 512, 0.125),
    ],
)
def test_eigenphases(args, value, phase):
    r = qelix.phase_estimation(*args)
    assert (r["measured_value"], r["phase"]) == (value, phase)


@pytest.mark.parametrize("unitary, eigenstate", [("x", None), ("S", None), ("s", "zero"), ("x", "one"), ("h", None)])
def test_unsupported_pairs(unitary, eigenstate):
    with pytest.raises(ValueError, match=r"^unsupported phase-estimation unitary/eigenstate pair$"):
        qelix.phase_estimation(unitary, eigenstate)


def test_name_table_is_checked_before_the_register():
    with pytest.raises(ValueError, match="unsupported"):
        qelix.phase_estimation("x", precision_bits=0)


def test_zero_precision_bits():
    with pytest.raises(ValueError, match=r"^Simulation error: QPE requires at least one precision qubit$"):
        qelix.phase_estimation("s", precision_bits=0)


def test_shots_and_seed():
    with pytest.raises(ValueError, match="^Shot count must be greater than zero, got 0$"):
        qelix.phase_estimation("s", shots=0)
    assert qelix.phase_estimation("s", shots=1)["counts"] == {2: 1}
    assert qelix.phase_estimation("t", shots=7, seed=1) == qelix.phase_estimation("t", shots=7, seed=2)
    assert qelix.phase_estimation("s", None, None, None, None)["counts"] == {2: 1024}
    with pytest.raises(OverflowError):
        qelix.phase_estimation("s", shots=2**32)
    with pytest.raises(OverflowError):
        qelix.phase_estimation("s", precision_bits=-1)
    with pytest.raises(TypeError, match="^argument 'unitary'"):
        qelix.phase_estimation(1)
    with pytest.raises(TypeError, match="^argument 'eigenstate'"):
        qelix.phase_estimation("x", 1)


@pytest.mark.parametrize("bits", [60, 126, 127])
def test_registers_that_cannot_be_allocated_raise_the_memory_error(bits):
    with pytest.raises(ValueError, match=rf"^Insufficient memory for {bits + 1}-qubit simulation"):
        qelix.phase_estimation("t", precision_bits=bits)
    # The process lives on.
    assert qelix.phase_estimation("t")["measured_value"] == 1


def test_registers_beyond_the_circuit_limit():
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count \(129 > 128\)$"):
        qelix.phase_estimation("s", precision_bits=128)
    with pytest.raises(ValueError, match=r"^Circuit exceeds maximum qubit count"):
        qelix.phase_estimation("s", precision_bits=2**64 - 1)
