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
    with pytest.warns(RuntimeWarning, match="readout_error=2 was clamped to 1"):
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
    with pytest.warns(RuntimeWarning):
        models = (qelix.NoiseModel.uniform(0, 0, 0), qelix.NoiseModel.uniform(-1, -1, -1),
                  qelix.NoiseModel.uniform(math.nan, math.nan, math.nan))
    for model in models:
        sim = qelix.Simulator(seed=1, noise=model)
        assert sim.statevector(qelix.Circuit(1))[0] == (1.0, 0.0)
        assert sim.run(circuit_with_readout(), 50).counts == {"1": 50}
    with pytest.warns(RuntimeWarning, match="clamped to 1"):
        flip = qelix.Simulator(seed=1, noise=qelix.NoiseModel.uniform(0, 0, 5))
    assert flip.run(circuit_with_readout(), 50).counts == {"0": 50}


def test_nan_probabilities_never_corrupt_a_run():
    nan = math.nan
    with pytest.warns(RuntimeWarning, match="kept as NaN"):
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
    with pytest.warns(RuntimeWarning, match="t1_us=0 is not positive"):
        dead = qelix.NoiseModel.from_hardware(0, 1e9, 100, 1, 1, 1)  # T1 = 0: full damping after every gate
    assert qelix.Simulator(seed=2, noise=dead).run(circuit_with_readout(), 100).counts == {"0": 100}


def test_constructors_warn_once_about_what_they_did_not_take_as_given():
    import warnings

    def warnings_of(build):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            build()
        assert all(w.category is RuntimeWarning for w in caught)
        return [str(w.message) for w in caught]

    assert warnings_of(lambda: qelix.NoiseModel.uniform(1.5, 0, 0)) == [
        "NoiseModel.uniform: single_qubit_error=1.5 was clamped to 1"]
    assert warnings_of(lambda: qelix.NoiseModel.uniform(-0.5, math.nan, 0.1)) == [
        "NoiseModel.uniform: single_qubit_error=-0.5 was clamped to 0; "
        "two_qubit_error=nan is kept as NaN, so its channel never fires"]
    assert warnings_of(lambda: qelix.NoiseModel.from_hardware(100, 250, -5, 1.25, 0.99, 0.98)) == [
        "NoiseModel.from_hardware: t2_us=250 exceeds 2 * t1_us = 200, which no physical qubit has; "
        "gate_time_ns=-5 was taken as 0; single_q_fidelity=1.25 was clamped to 1"]
    for fine in (lambda: qelix.NoiseModel.uniform(0, 1, 0.5), qelix.NoiseModel.ibm, qelix.NoiseModel.ionq,
                 lambda: qelix.NoiseModel.from_hardware(50, 100, 0, 0, 1, 0.97)):
        assert warnings_of(fine) == []
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(RuntimeWarning, match="clamped"):
            qelix.NoiseModel.uniform(2, 0, 0)


def test_channels_are_readable():
    assert qelix.NoiseModel().channels == {
        "single_qubit_channels": [], "two_qubit_channels": [], "measurement_channels": [], "idle_channels": []}
    ibm = qelix.NoiseModel.ibm().channels
    assert [kind for kind, _ in ibm["single_qubit_channels"]] == ["depolarizing", "amplitude_damping", "phase_damping"]
    assert ibm["single_qubit_channels"][0] == ("depolarizing", 1 - 0.999)
    assert ibm["two_qubit_channels"][0] == ("depolarizing", 1 - 0.99)
    assert ibm["measurement_channels"] == [("readout_error", 1 - 0.98)]
    assert [kind for kind, _ in ibm["idle_channels"]] == ["amplitude_damping", "phase_damping"]
    assert ibm["idle_channels"][0][1] == pytest.approx(0.000499750, rel=1e-5)
    with pytest.warns(RuntimeWarning):
        clamped = qelix.NoiseModel.uniform(1.5, 0, math.nan).channels
    assert clamped["single_qubit_channels"] == [("depolarizing", 1.0)]
    assert math.isnan(clamped["measurement_channels"][0][1])
