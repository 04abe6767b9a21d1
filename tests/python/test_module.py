import inspect

import pytest

import qelix


def test_version_and_all_follow_registration_order():
    assert qelix.__version__ == "0.1.0"
    assert qelix.__all__[0] == "Circuit"
    assert qelix.__all__[-1] == "__version__"
    assert len(set(qelix.__all__)) == len(qelix.__all__)
    for name in qelix.__all__:
        assert hasattr(qelix, name)


def test_circuit_class_identity_and_docs():
    assert qelix.Circuit.__module__ == "qelix"
    assert qelix.Circuit.__name__ == "Circuit"
    assert qelix.Circuit.__text_signature__ == "(num_qubits)"
    assert qelix.Circuit.__doc__ == "Quantum circuit composed of gates, barriers, and measurements."
    assert qelix.Circuit.h.__text_signature__ == "($self, qubit)"
    assert qelix.Circuit.h.__doc__ == "Apply a Hadamard gate."
    assert qelix.Circuit.crk.__doc__ == "Apply a controlled phase rotation by `2*pi / 2^k`."
    assert qelix.Circuit.__deepcopy__.__text_signature__ == "($self, _memo)"
    assert str(inspect.signature(qelix.Circuit.compose)) == "(self, /, other, qubit_mapping)"
    assert qelix.Circuit.depth.__doc__ == "Circuit depth measured in sequential gate layers."


@pytest.mark.parametrize("value", [2.0, "2", None, [2]])
def test_index_arguments_refuse_non_integers(value):
    with pytest.raises(TypeError, match="^argument 'num_qubits'"):
        qelix.Circuit(value)


def test_index_arguments_accept_dunder_index_and_bool():
    class Two:
        def __index__(self):
            return 2

    assert qelix.Circuit(Two()).num_qubits == 2
    assert qelix.Circuit(True).num_qubits == 1


@pytest.mark.parametrize("value", [-1, 2**64])
def test_out_of_range_integers_overflow(value):
    with pytest.raises(OverflowError):
        qelix.Circuit(value)
