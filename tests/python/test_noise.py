import math

import pytest

import qelix

EMPTY = "NoiseModel(single_qubit_channels=0, two_qubit_channels=0, measurement_channels=0)"
HARDWARE = "NoiseModel(single_qubit_channels=3, two_qubit_channels=3, measurement_channels=1)"


def test_class_surface():
    assert qelix.NoiseModel.__module__ == "qelix"
    assert qelix.NoiseModel.__text_signature__ == "()"
    assert qelix.NoiseModel.__doc__ == "Noise model for realistic hardware-aware simulation."
    docs = {
        "ideal": ("()", "Return a noiseless profile."),
        "ibm": ("()", "Return an IBM-like superconducting profile."),
        "ionq": ("()", "Return an IonQ-like trapped-ion profile."),
        "uniform": ("(single_qubit_error, two_qubit_error, readout_error)",
                    "Create a uniform depolarizing and readout profile."),
        "from_hardware": ("(t1_us, t2_us, gate_time_ns, single_q_fidelity, two_q_fidelity, readout_fidelity)",
                          "Create a noise model from hardware parameters."),
    }
    for name, (signature, doc) in docs.items():
        method = getattr(qelix.NoiseModel, name)
        assert method.__text_signature__ == signature
        assert method.__doc__ == doc


def test_profiles_print_their_list_sizes():
    assert repr(qelix.NoiseModel()) == str(qelix.NoiseModel()) == EMPTY
    assert repr(qelix.NoiseModel.ideal()) == EMPTY
    assert repr(qelix.NoiseModel.ibm()) == HARDWARE
    assert str(qelix.NoiseModel.ionq()) == HARDWARE
    assert repr(qelix.NoiseModel.uniform(0.1, 0.2, 0.3)) == (
        "NoiseModel(single_qubit_channels=1, two_qubit_channels=1, measurement_channels=1)")
    assert repr(qelix.NoiseModel.from_hardware(50, 70, 35, 0.999, 0.99, 0.97)) == HARDWARE
    assert isinstance(qelix.NoiseModel.uniform(single_qubit_error=0, two_qubit_error=1, readout_error=2),
                      qelix.NoiseModel)


def test_arguments_are_floats():
    qelix.NoiseModel.uniform(0, 1, True)
    with pytest.raises(TypeError, match="^argument 'readout_error'"):
        qelix.NoiseModel.uniform(0.1, 0.1, "x")
    with pytest.raises(TypeError, match="^argument 't2_us'"):
        qelix.NoiseModel.from_hardware(1, None, 1, 1, 1, 1)
    with pytest.raises(TypeError):
        qelix.NoiseModel.uniform(0.1, 0.1)
    with pytest.raises(TypeError):
        qelix.NoiseModel(1)


def circuit_with_readout():
    c = qelix.Circuit(1)
    c.x(0)
    c.measure(0)
    return c


def test_idealness_decides_the_route():
    # An ideal model (zero, negative or NaN probabilities) keeps the noiseless path,
    # where statevector stays available.
    for model in (qelix.NoiseModel.uniform(0, 0, 0), qelix.NoiseModel.uniform(-1, -1, -1),
                  qelix.NoiseModel.uniform(math.nan, math.nan, math.nan)):
        sim = qelix.Simulator(seed=1, noise=model)
        assert sim.statevector(qelix.Circuit(1))[0] == (1.0, 0.0)
        assert sim.run(circuit_with_readout(), 50).counts == {"1": 50}
    flip = qelix.Simulator(seed=1, noise=qelix.NoiseModel.uniform(0, 0, 5))  # clamped to 1
    assert flip.run(circuit_with_readout(), 50).counts == {"0": 50}


def test_nan_probabilities_never_corrupt_a_run():
    nan = math.nan
    model = qelix.NoiseModel.from_hardware(nan, nan, 100, nan, nan, 0.9)
    c = qelix.Circuit(3)
    c.h(0)
    c.cx(0, 1)
    c.rx(2, 0.3)
    c.barrier_all()
    c.measure_all()
    result = qelix.Simulator(seed=4, noise=model).run(c, 300)
    assert result.total_shots == 300
    assert all(set(key) <= {"0", "1"} and len(key) == 3 for key in result.counts)


def test_hardware_damping_pulls_towards_zero():
    dead = qelix.NoiseModel.from_hardware(0, 1e9, 100, 1, 1, 1)  # T1 = 0: full damping after every gate
    assert qelix.Simulator(seed=2, noise=dead).run(circuit_with_readout(), 100).counts == {"0": 100}
