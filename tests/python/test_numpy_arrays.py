import gc
import math
import os
import subprocess
import sys

import pytest

import qelix

np = pytest.importorskip("numpy")


def sample_circuit(n=9, measure=False):
    c = qelix.Circuit(n)
    for q in range(n):
        c.u3(q, 0.3 + q, 1.1 * q, -0.7 + 0.2 * q)
    for q in range(n - 1):
        c.cx(q, q + 1)
    c.qft(list(range(n)))
    c.rzz(0, n - 1, 0.4)
    if measure:
        c.measure_all()
    return c


def test_arrays_hold_the_same_bits_as_the_lists():
    sim = qelix.Simulator()
    for c in (sample_circuit(), sample_circuit(measure=True), qelix.Circuit(1), sample_circuit(17)):
        amps = sim.statevector_array(c)
        assert amps.dtype == np.complex128 and amps.shape == (2**c.num_qubits,) and amps.flags.c_contiguous
        listed = np.array(sim.statevector(c), dtype=np.float64)
        assert np.array_equal(amps.view(np.float64).reshape(-1, 2).view(np.uint64), listed.view(np.uint64))
        probs = sim.probabilities_array(c)
        assert probs.dtype == np.float64 and probs.shape == (2**c.num_qubits,)
        assert np.array_equal(probs.view(np.uint64), np.array(sim.probabilities(c)).view(np.uint64))


def test_array_keeps_its_buffer_alive():
    sim, c = qelix.Simulator(), sample_circuit()
    amps, probs = sim.statevector_array(c), sim.probabilities_array(c)
    expected = amps.copy()
    del sim, c
    gc.collect()
    assert amps.base is not None and probs.base is not None
    assert np.array_equal(amps, expected)
    amps[0] = 5  # the array owns its memory and may be written
    assert amps[0] == 5
    assert math.isclose(probs.sum(), 1.0)


def test_arrays_refuse_what_the_lists_refuse():
    sim = qelix.Simulator()
    mid = qelix.Circuit(1)
    mid.h(0)
    mid.measure(0)
    mid.h(0)
    message = "^Simulation error: statevector is unavailable for circuits with mid-circuit measurements$"
    for method in (sim.statevector_array, sim.probabilities_array):
        with pytest.raises(ValueError, match=message):
            method(mid)
        with pytest.raises(ValueError, match=r"^Insufficient memory for 31-qubit simulation \(need 34359738368 bytes\)$"):
            method(qelix.Circuit(31))
        with pytest.raises(TypeError, match="^argument 'circuit'"):
            method("h q[0];")
        with pytest.raises(TypeError):
            method()
    noisy = qelix.Simulator(noise=qelix.NoiseModel.ibm())
    with pytest.raises(ValueError, match="^Simulation error: statevector is unavailable when noise is enabled$"):
        noisy.probabilities_array(qelix.Circuit(1))


def test_missing_numpy_is_a_clear_import_error():
    script = (
        "import sys; sys.modules['numpy'] = None\n"
        "import qelix\n"
        "sim = qelix.Simulator()\n"
        "assert len(sim.statevector(qelix.Circuit(2))) == 4\n"
        "for name in ('statevector_array', 'probabilities_array'):\n"
        "    try:\n"
        "        getattr(sim, name)(qelix.Circuit(2))\n"
        "    except ImportError as e:\n"
        "        assert str(e) == name + ' requires NumPy, which is not installed (pip install numpy)', e\n"
        "    else:\n"
        "        raise SystemExit('no ImportError')\n"
    )
    done = subprocess.run([sys.executable, "-c", script], env=os.environ.copy(), capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
