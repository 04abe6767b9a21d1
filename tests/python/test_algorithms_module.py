import importlib

import pytest

import qelix

OURS = ["phase_estimation", "shor_factor", "simon_hidden_xor", "random_walk"]
SIGNATURES = {
    "phase_estimation": "(unitary, eigenstate=None, precision_bits=3, shots=1024, seed=None)",
    "shor_factor": "(n, seed=None)",
    "simon_hidden_xor": "(secret, seed=None)",
    "random_walk": "(steps)",
}


def test_algorithms_submodule_holds_the_very_same_functions():
    algorithms = qelix.algorithms
    assert algorithms.__name__ == "algorithms"
    names = [n for n in algorithms.__all__ if n in OURS]
    assert names == OURS
    for name in OURS:
        assert getattr(algorithms, name) is getattr(qelix, name)
    top = [n for n in qelix.__all__ if n in OURS]
    assert top == OURS
    assert qelix.__all__.index("algorithms") > max(qelix.__all__.index(n) for n in OURS)


def test_submodule_is_an_attribute_not_a_package():
    with pytest.raises(ModuleNotFoundError):
        importlib.import_module("qelix.algorithms")
    assert qelix.algorithms.shor_factor(15, seed=1)["success"] is True


@pytest.mark.parametrize("name", OURS)
def test_signatures_and_empty_docs(name):
    fn = getattr(qelix, name)
    assert fn.__text_signature__ == SIGNATURES[name]
    assert fn.__doc__ in (None, "")
    assert fn.__name__ == name


def test_arguments_by_keyword_and_standard_binding_errors():
    assert qelix.shor_factor(n=15, seed=2) == qelix.shor_factor(15, 2)
    with pytest.raises(TypeError):
        qelix.shor_factor()
    with pytest.raises(TypeError):
        qelix.random_walk(3, 4)
    with pytest.raises(TypeError):
        qelix.simon_hidden_xor([True], secret=[True])
    with pytest.raises(TypeError, match="^argument 'n'"):
        qelix.shor_factor(15.0)
    with pytest.raises(TypeError, match="^argument 'seed'"):
        qelix.shor_factor(15, seed="x")
