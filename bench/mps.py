"""Matrix-product-state backend timings.

1. A 100-qubit GHZ circuit sampled for 10,000 shots (target < 0.5 s).
2. 50 qubits, 10 brick layers of random two-qubit gates on neighbours, max_bond_dim 64
   (target < 5 s). Each two-qubit gate is random single-qubit rotations around two
   CNOTs in opposite directions, enough to drive the bonds to the limit of 64.

Each figure is the median of a few runs, reported with its ratio to a baseline measured
in the same run: the state-vector backend on the 20-qubit version of the same circuit
(the widest it handles in comparable time). The state-vector baseline may use both cores
(parallel kernels from 16 qubits); the matrix-product state runs on one.
"""
import random
import statistics
import sys
import time

import qelix

REPEATS = 3
GHZ_SHOTS = 10_000
BRICK_LAYERS = 10
BRICK_SHOTS = 100


def ghz(n):
    c = qelix.Circuit(n)
    c.h(0)
    for q in range(n - 1):
        c.cx(q, q + 1)
    c.measure_all()
    return c


def brick(n, layers=BRICK_LAYERS, seed=2024):
    rng = random.Random(seed)
    angle = lambda: rng.uniform(0.0, 6.283185307179586)
    c = qelix.Circuit(n)
    for layer in range(layers):
        for q in range(layer % 2, n - 1, 2):
            c.u3(q, angle(), angle(), angle())
            c.u3(q + 1, angle(), angle(), angle())
            c.cx(q, q + 1)
            c.ry(q, angle())
            c.rz(q + 1, angle())
            c.cx(q + 1, q)
    c.measure_all()
    return c


def median_seconds(fn):
    """Median wall time and median CPU time of this process (the latter is steadier on a busy machine)."""
    wall, cpu = [], []
    for _ in range(REPEATS):
        start, start_cpu = time.perf_counter(), time.process_time()
        fn()
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return statistics.median(wall), statistics.median(cpu)


def report(name, ours, baseline, target):
    (wall, cpu), (base_wall, _) = ours, baseline
    verdict = "ok" if wall < target else "OVER TARGET"
    print(f"{name}: {wall:.3f} s, cpu {cpu:.3f} s (target < {target} s, {verdict}); "
          f"state-vector baseline {base_wall:.3f} s; ratio {wall / base_wall:.2f}x")
    return wall < target


def main():
    mps = qelix.Simulator(seed=1, backend="mps", max_bond_dim=64)
    sv = qelix.Simulator(seed=1)

    wide_ghz, small_ghz = ghz(100), ghz(20)
    counts = mps.run(wide_ghz, GHZ_SHOTS).counts
    assert set(counts) == {"0" * 100, "1" * 100}, counts.keys()
    ok = report(f"GHZ 100 qubits, {GHZ_SHOTS} shots",
                median_seconds(lambda: mps.run(wide_ghz, GHZ_SHOTS)),
                median_seconds(lambda: sv.run(small_ghz, GHZ_SHOTS)), 0.5)

    wide_brick, small_brick = brick(50), brick(20)
    ok &= report(f"brick 50 qubits x {BRICK_LAYERS} layers, bond 64, {BRICK_SHOTS} shots",
                 median_seconds(lambda: mps.run(wide_brick, BRICK_SHOTS)),
                 median_seconds(lambda: sv.run(small_brick, BRICK_SHOTS)), 5.0)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
