"""Caller-sized requests under an address-space limit.

Each case runs in its own interpreter limited by RLIMIT_AS, so that a request that is not
checked before it allocates shows up as a failed test (MemoryError escaping, an abort, a
kill) rather than as a dead test run. Every request must either succeed or raise a clear
exception, and the same process must then still simulate a Bell pair correctly.
"""
import os
import subprocess
import sys
import textwrap

import pytest

LIMIT_BYTES = 3 << 30

PRELUDE = textwrap.dedent(
    """
    import qelix
    from qelix import crypto

    def attempt(request):
        try:
            request()
            return "ok"
        except (MemoryError, ValueError) as error:
            return type(error).__name__ + ": " + str(error)

    def bell_still_works():
        c = qelix.Circuit(2)
        c.h(0)
        c.cx(0, 1)
        c.measure_all()
        counts = qelix.Simulator(seed=3).run(c, 200).counts
        assert set(counts) <= {"00", "11"} and sum(counts.values()) == 200, counts

    def hadamards(n):
        c = qelix.Circuit(n)
        for q in range(n):
            c.h(q)
        return c
    """
)


def limited():
    import resource

    resource.setrlimit(resource.RLIMIT_AS, (LIMIT_BYTES, LIMIT_BYTES))


def outcome_of(request: str) -> str:
    """Runs `request` (an expression) in a limited interpreter; returns what attempt() reported."""
    script = PRELUDE + f"\nprint(attempt(lambda: {request}))\nbell_still_works()\n"
    done = subprocess.run(
        [sys.executable, "-c", script],
        env=dict(os.environ, OMP_NUM_THREADS="2"),
        preexec_fn=limited,
        capture_output=True,
        text=True,
        timeout=300,
    )
    assert done.returncode == 0, f"{request}: exit {done.returncode}\n{done.stdout}\n{done.stderr}"
    return done.stdout.strip().splitlines()[-1]


def refused_for_memory(outcome: str) -> bool:
    return outcome.startswith("MemoryError") or outcome.startswith("ValueError: Insufficient memory")


@pytest.mark.parametrize("n", [30, 34, 40, 59, 60, 63, 64, 100, 128])
@pytest.mark.parametrize("call", ["run({c}, 10)", "statevector({c})", "probabilities({c})"])
def test_qubit_counts(call, n):
    outcome = outcome_of("qelix.Simulator(seed=1)." + call.format(c=f"hadamards({n})"))
    assert outcome.startswith("ValueError: Insufficient memory for %d-qubit simulation (need " % n), outcome


def test_lists_larger_than_memory_are_refused_after_simulating():
    # 2^26 amplitudes fit in the limit; 2^26 Python tuples do not.
    for call in ("statevector", "probabilities"):
        assert outcome_of(f"qelix.Simulator().{call}(qelix.Circuit(26))").startswith("MemoryError"), call


@pytest.mark.parametrize("n", [34, 64, 128])
def test_trajectory_runs(n):
    noisy = f"qelix.Simulator(seed=1, noise=qelix.NoiseModel.ibm()).run(hadamards({n}), 10)"
    assert outcome_of(noisy).startswith(f"ValueError: Insufficient memory for {n}-qubit"), noisy
    mid = f"(lambda c: (c.measure(0), c.x(0), qelix.Simulator(seed=1).run(c, 10)))(hadamards({n}))"
    assert outcome_of(mid).startswith(f"ValueError: Insufficient memory for {n}-qubit"), mid


@pytest.mark.parametrize("bits", [40, 127, 1 << 20, (1 << 64) - 1])
def test_phase_estimation_precision(bits):
    outcome = outcome_of(f"qelix.phase_estimation('t', precision_bits={bits})")
    assert outcome.startswith("ValueError"), outcome


@pytest.mark.parametrize("length", [40, 64, 65, 1000, 1 << 20])
def test_simon_secret_length(length):
    outcome = outcome_of(f"qelix.simon_hidden_xor([True] * {length}, seed=1)")
    assert outcome.startswith("ValueError"), outcome


@pytest.mark.parametrize("steps", [1 << 28, 1 << 40, (1 << 63) - 1, (1 << 64) - 1])
def test_random_walk_steps(steps):
    outcome = outcome_of(f"qelix.random_walk({steps})")
    assert outcome.startswith(f"ValueError: Simulation error: random walk of {steps} steps needs "), outcome


@pytest.mark.parametrize("function", ["shake128", "shake256"])
@pytest.mark.parametrize("length", [1 << 33, 1 << 62, (1 << 64) - 1])
def test_shake_output_length(function, length):
    assert outcome_of(f"crypto.{function}(b'x', {length})").startswith("MemoryError")


@pytest.mark.parametrize("function", ["random_bytes", "random_bits"])
@pytest.mark.parametrize("n", [1 << 33, 1 << 62, (1 << 64) - 1])
def test_random_source_sizes(function, n):
    assert outcome_of(f"crypto.{function}({n})").startswith("MemoryError")


@pytest.mark.parametrize("bit", [1 << 24, 1 << 40, (1 << 64) - 1])
def test_measure_into_far_classical_bit(bit):
    outcome = outcome_of(f"qelix.Circuit(1).measure_into(0, {bit})")
    assert outcome.startswith("ValueError: Simulation error: classical bit"), outcome


def test_long_keys_with_many_distinct_outcomes():
    # 8 random bits stored at the far end of a register of 2^24 bits, then a gate after the
    # measurements (trajectory path): every distinct outcome is a key of 16 million characters.
    request = (
        "(lambda c: ([c.measure_into(q, (1 << 24) - 1 - q) for q in range(8)], c.x(0),"
        " qelix.Simulator(seed=1).run(c, 5000)))(hadamards(8))"
    )
    assert outcome_of(request).startswith("ValueError: Insufficient memory for 8-qubit simulation")
    # The same register on the fast path (no mid-circuit measurement, no noise).
    request = "(lambda c: [c.measure_into(0, (1 << 24) - 1), qelix.Simulator(seed=1).run(c, 1000)])(hadamards(1))"
    assert outcome_of(request) == "ok"


def test_shots_with_many_distinct_outcomes():
    # 2^23 basis states take the sparse counting path, and twenty measurements of every
    # qubit make keys of 460 characters: millions of distinct outcomes do not fit.
    request = (
        "(lambda c: ([c.measure_all() for _ in range(20)],"
        " qelix.Simulator(seed=1).run(c, 10_000_000)))(hadamards(23))"
    )
    assert outcome_of(request).startswith("ValueError: Insufficient memory for 23-qubit simulation")
    # Many shots of few outcomes are fine.
    request = "(lambda c: (c.measure_all(), qelix.Simulator(seed=1).run(c, 3_000_000)))(hadamards(2))"
    assert outcome_of(request) == "ok"
