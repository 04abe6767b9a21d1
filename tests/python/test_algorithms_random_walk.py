import math

import pytest

import qelix


def test_first_steps():
    r = qelix.random_walk(0)
    assert list(r) == ["positions", "probabilities", "variance"]
    assert r["positions"] == [0]
    assert r["probabilities"] == pytest.approx([1.0], abs=1e-12)
    assert r["variance"] == 0.0
    one = qelix.random_walk(1)
    assert one["positions"] == [-1, 0, 1]
    assert one["probabilities"] == pytest.approx([0.5, 0.0, 0.5], abs=1e-12)
    assert one["variance"] == pytest.approx(1.0, abs=1e-12)
    assert qelix.random_walk(2)["probabilities"] == pytest.approx([0.25, 0, 0.5, 0, 0.25], abs=1e-12)
    three = qelix.random_walk(3)
    assert three["probabilities"] == pytest.approx([0.125, 0, 0.375, 0, 0.375, 0, 0.125], abs=1e-12)
    assert three["variance"] == pytest.approx(3.0, abs=1e-12)


@pytest.mark.parametrize("steps", [5, 50, 301, 2048, 2049, 20000])
def test_normalised_symmetric_and_zero_at_the_wrong_parity(steps):
    r = qelix.random_walk(steps)
    positions, p = r["positions"], r["probabilities"]
    assert positions == list(range(-steps, steps + 1))
    assert math.fsum(p) == pytest.approx(1.0, abs=1e-10)
    assert max(abs(a - b) for a, b in zip(p, reversed(p))) < 1e-12
    assert all(p[i] == 0.0 for i in range(1, len(p), 2))
    assert r["variance"] == pytest.approx(sum(x * x * q for x, q in zip(positions, p)), rel=1e-12)


def test_spread_grows_quadratically_unlike_a_classical_walk():
    small, large = qelix.random_walk(500)["variance"], qelix.random_walk(5000)["variance"]
    assert large / small == pytest.approx(100, rel=0.02)
    assert large > 1000 * 5000 / 10  # a classical walk's variance would be 5000


def test_bad_step_counts():
    with pytest.raises(OverflowError):
        qelix.random_walk(-1)
    with pytest.raises(TypeError, match="^argument 'steps'"):
        qelix.random_walk(1.5)


@pytest.mark.parametrize("steps", [2**62, 2**64 - 1, 10**14])
def test_unallocatable_walks_are_refused_before_allocating(steps):
    with pytest.raises(ValueError, match=rf"^Simulation error: random walk of {steps} steps needs .* bytes, more than the system can provide$"):
        qelix.random_walk(steps)
    assert qelix.random_walk(1)["positions"] == [-1, 0, 1]
