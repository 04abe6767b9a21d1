"""Every binding's shown signature and its argument handling come from one declaration:
each shown parameter binds by keyword, and a bad value is refused under a shown name."""
import re
from pathlib import Path

import pytest

import qelix


class Bogus:
    """A value no conversion accepts."""


def _callables():
    circuit = qelix.Circuit(2)
    circuit.measure_all()
    result = qelix.Simulator(seed=1).run(circuit, shots=4)
    owners = [
        (circuit, qelix.Circuit),
        (qelix.Simulator(), qelix.Simulator),
        (result, qelix.QuantumResult),
        (qelix.NoiseModel, qelix.NoiseModel),
    ]
    for owner, cls in owners:
        for name, member in vars(cls).items():
            if callable(member) and not name.startswith("__") and getattr(member, "__text_signature__", None):
                yield f"{cls.__name__}.{name}", getattr(owner, name)
    for module in (qelix, qelix.crypto, qelix.algorithms):
        for name in module.__all__:
            fn = getattr(module, name)
            if callable(fn) and not isinstance(fn, type):
                yield f"{module.__name__}.{name}", fn
    for cls in (qelix.Circuit, qelix.Simulator):
        yield cls.__name__, cls


CALLABLES = dict(_callables())


@pytest.mark.parametrize("name", sorted(CALLABLES))
def test_each_shown_parameter_binds_and_names_its_refusal(name):
    fn = CALLABLES[name]
    # The text signature itself: inspect cannot parse u3's parameter `lambda`.
    shown = [p.strip() for p in fn.__text_signature__.strip("()").split(",") if p.strip() not in ("", "$self", "/")]
    names = [p.split("=")[0] for p in shown]
    required = {p: Bogus() for p in shown if "=" not in p}
    for param in names:
        with pytest.raises((TypeError, ValueError)) as refused:
            fn(**{**required, param: Bogus()})
        message = str(refused.value)
        assert "keyword argument" not in message, message
        assert any(message.startswith(f"argument '{n}'") or message.startswith(n) for n in names), message


def test_version_is_the_package_version():
    pyproject = (Path(__file__).parents[2] / "pyproject.toml").read_text()
    assert qelix.__version__ == re.search(r'^version = "([^"]+)"$', pyproject, re.M).group(1)
