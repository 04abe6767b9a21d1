"""Reproducibility and non-finite input.

Seeded results repeat bit for bit with and without the worker pool and in another process.
A gate with a NaN or infinite angle may be built, drawn and written as QASM, but simulating
it is refused: its matrix would silently turn the whole state into NaN. So is a gate whose
matrix stopped being unitary (an angle so large that adding two of them rounds). NaN noise
probabilities act as 0 (a channel that never fires).
"""
import math
import os
import subprocess
import sys

import pytest
import qelix

NAN, INF = float("nan"), float("inf")


def layered(n, seed_angle=0.3):
    c = qelix.Circuit(n)
    for q in range(n):
        c.h(q)
        c.ry(q, seed_angle * (q + 1))
    for q in range(n - 1):
        c.cx(q, q + 1)
        c.crk(q + 1, q, 2 + q % 3)
    c.u3(n - 1, 0.1, 0.2, 0.3)
    return c


def measured(c):
    c.measure_all()
    return c


def test_serial_and_parallel_runs_agree_bit_for_bit():
    c = layered(17)
    serial, parallel = qelix.Simulator(seed=9, parallel=False), qelix.Simulator(seed=9, parallel=True)
    assert serial.statevector(c) == parallel.statevector(c)
    assert serial.probabilities(c) == parallel.probabilities(c)
    m = measured(layered(17))
    assert serial.run(m, 2000).counts == parallel.run(m, 2000).counts
    noise = qelix.NoiseModel.ibm()
    noisy_serial = qelix.Simulator(seed=4, noise=noise, parallel=False)
    noisy_parallel = qelix.Simulator(seed=4, noise=noise, parallel=True)
    assert noisy_serial.run(m, 5).counts == noisy_parallel.run(m, 5).counts


def test_runs_on_the_pool_agree_bit_for_bit_with_serial_runs():
    # 20 qubits: large enough for the worker pool and for cache-sized runs that relabel high
    # qubits; the noisy route runs the same gates (and its Pauli errors) through the pool.
    c = layered(20)
    serial, parallel = qelix.Simulator(seed=3, parallel=False), qelix.Simulator(seed=3, parallel=True)
    assert serial.statevector_array(c).tobytes() == parallel.statevector_array(c).tobytes()
    noise = qelix.NoiseModel.ibm()
    m = measured(layered(20))
    assert (qelix.Simulator(seed=5, noise=noise, parallel=False).run(m, 2).counts
            == qelix.Simulator(seed=5, noise=noise, parallel=True).run(m, 2).counts)


SNIPPET = """
import qelix, sys
sys.path.insert(0, {here!r})
from test_numerics import layered, measured
c = layered(17)
sim = qelix.Simulator(seed=21)
print(repr(sim.statevector(c)[:64]))
print(repr(sorted(sim.run(measured(layered(17)), 500).counts.items())))
print(repr(sorted(qelix.Simulator(seed=21, noise=qelix.NoiseModel.ionq()).run(measured(layered(5)), 300).counts.items())))
"""


@pytest.mark.parametrize("threads", ["1", "2"])
def test_seeded_results_repeat_in_another_process(threads):
    here = os.path.dirname(os.path.abspath(__file__))
    done = subprocess.run(
        [sys.executable, "-c", SNIPPET.format(here=here)],
        env=dict(os.environ, OMP_NUM_THREADS=threads),
        capture_output=True,
        text=True,
        check=True,
    )
    sim = qelix.Simulator(seed=21)
    mine = [
        repr(sim.statevector(layered(17))[:64]),
        repr(sorted(sim.run(measured(layered(17)), 500).counts.items())),
        repr(sorted(qelix.Simulator(seed=21, noise=qelix.NoiseModel.ionq()).run(measured(layered(5)), 300).counts.items())),
    ]
    assert done.stdout.split("\n")[:3] == mine


@pytest.mark.parametrize(
    "build, name",
    [
        (lambda c: c.rx(0, NAN), "Rx(NaN)"),
        (lambda c: c.ry(1, INF), "Ry(inf)"),
        (lambda c: c.rz(0, -INF), "Rz(-inf)"),
        (lambda c: c.u3(1, 0.5, NAN, 0.0), "U3(0.500,NaN,0.000)"),
        (lambda c: c.rzz(0, 1, INF), "Rzz(inf)"),
    ],
)
def test_non_finite_angles_are_refused_when_simulated(build, name):
    c = qelix.Circuit(2)
    c.h(0)
    build(c)
    assert name in c.draw()
    message = f"^Simulation error: gate '{name}' has a non-finite matrix entry$"
    sim = qelix.Simulator(seed=1)
    for request in (lambda: sim.statevector(c), lambda: sim.probabilities(c), lambda: sim.run(c, 10)):
        with pytest.raises(ValueError, match=message.replace("(", r"\(").replace(")", r"\)")):
            request()
    # Also on the trajectory path (noise), and after a trip through QASM where it has a form.
    with pytest.raises(ValueError, match="non-finite matrix entry"):
        qelix.Simulator(seed=1, noise=qelix.NoiseModel.ibm()).run(c, 10)
    if not name.startswith("Rzz"):
        with pytest.raises(ValueError, match="non-finite matrix entry"):
            sim.run(qelix.parse_qasm(c.to_qasm()), 10)
    # Shot-count checks still come first.
    with pytest.raises(ValueError, match="^Shot count must be greater than zero, got 0$"):
        sim.run(c, 0)


def test_non_finite_angle_in_a_conditional_is_refused_even_if_never_applied():
    c = qelix.Circuit(1)
    c.measure(0)
    c2 = qelix.parse_qasm(c.to_qasm() + "\nif(c==1) rx(0/0) q[0];")
    with pytest.raises(ValueError, match=r"^Simulation error: gate 'Rx\(NaN\)' has a non-finite matrix entry$"):
        qelix.Simulator(seed=1).run(c2, 10)


def test_huge_finite_angles_keep_a_normalised_state():
    c = qelix.Circuit(2)
    c.rx(0, 1e308)
    c.u3(1, -1e308, 5e-324, 1.7976931348623157e308)
    c.rzz(0, 1, 1e300)
    c.crk(0, 1, (1 << 64) - 1)
    amplitudes = qelix.Simulator().statevector(c)
    assert all(math.isfinite(x) for pair in amplitudes for x in pair)
    assert sum(re * re + im * im for re, im in amplitudes) == pytest.approx(1.0, abs=1e-12)


def test_gates_that_lost_unitarity_are_refused_and_ordinary_angles_are_not():
    c = qelix.Circuit(1)
    c.h(0)
    c.u3(0, 1.0, 1e16, 1.0)  # phi + lambda rounds: the matrix is no longer unitary
    message = r"^Simulation error: gate 'U3\(.*\)' is not unitary \(U\^dagger U is off the identity by 0\.\d+"
    for sim in (qelix.Simulator(seed=1), qelix.Simulator(seed=1, backend="mps")):
        for request in (lambda: sim.statevector(c), lambda: sim.probabilities(c), lambda: sim.run(c, 10)):
            with pytest.raises(ValueError, match=message):
                request()
    fine = qelix.Circuit(1)
    for k in range(200):
        fine.u3(0, 1e5 / (k + 1), -1e5 / (k + 2), 3e4 + k)
    assert sum(qelix.Simulator().probabilities(fine)) == pytest.approx(1.0, abs=1e-9)


def test_nan_noise_probabilities_act_as_zero():
    c = measured(layered(3))
    with pytest.warns(RuntimeWarning, match="kept as NaN"):
        nan_model = qelix.NoiseModel.uniform(NAN, NAN, NAN)
    assert qelix.Simulator(seed=6, noise=nan_model).run(c, 500).counts == qelix.Simulator(seed=6).run(c, 500).counts
    # A NaN T1 stores AmplitudeDamping(NaN); it must behave as a damping of 0 (T1 = inf)
    # and never leave NaN amplitudes behind.
    with pytest.warns(RuntimeWarning, match="t1_us=nan is kept as NaN"):
        with_nan = qelix.NoiseModel.from_hardware(NAN, 80.0, 100.0, 0.999, 0.99, 0.98)
    with_inf = qelix.NoiseModel.from_hardware(INF, 80.0, 100.0, 0.999, 0.99, 0.98)
    mid = qelix.Circuit(3)
    mid.h(0)
    mid.measure(0)
    mid.cx(0, 1)
    mid.ry(2, 1.0)
    mid.measure_all()
    for circuit in (c, mid):
        got = qelix.Simulator(seed=8, noise=with_nan).run(circuit, 400)
        assert got.counts == qelix.Simulator(seed=8, noise=with_inf).run(circuit, 400).counts
        assert sum(got.counts.values()) == 400
    with pytest.warns(RuntimeWarning, match="kept as NaN"):
        all_nan = qelix.NoiseModel.from_hardware(NAN, NAN, NAN, NAN, NAN, NAN)
    assert qelix.Simulator(seed=2, noise=all_nan).run(c, 100).total_shots == 100


def test_empty_circuits_have_defined_results():
    c = qelix.Circuit(3)
    sim = qelix.Simulator(seed=1)
    assert sim.run(c, 7).counts == {"000": 7}
    assert sim.statevector(c) == [(1.0, 0.0)] + [(0.0, 0.0)] * 7
    assert sim.probabilities(c) == [1.0] + [0.0] * 7
    assert qelix.Simulator(seed=1, noise=qelix.NoiseModel.ibm()).run(c, 5).counts == {"": 5}
    assert (len(c), c.depth) == (0, 0)
    assert qelix.parse_qasm(c.to_qasm()).to_qasm() == c.to_qasm()
    with pytest.raises(ValueError, match="^Circuit must have at least 1 qubit$"):
        qelix.Circuit(0)
