"""Variational algorithms: vqe_hydrogen with its defaults and qaoa_maxcut on
12-vertex graphs with p = 2 and 20 iterations.

Each figure is a median over repeated calls, reported with its ratio to a
baseline measured in the same run: the same call with a single iteration, so
the ratio shows how the full search scales against one round of evaluations.
Targets: vqe_hydrogen() < 50 ms; qaoa_maxcut on 12 vertices, p = 2, 20 iterations < 2 s.
"""
import itertools
import statistics
import time

import qelix

# A weighted 3-regular graph on 12 vertices (a ring with six chords) whose ascent
# keeps improving for all 20 iterations.
CUBIC_12 = [
    (0, 1, 0.88), (1, 2, 0.81), (2, 3, 0.54), (3, 4, 0.41), (4, 5, 0.61), (5, 6, 0.52),
    (6, 7, 0.83), (7, 8, 0.44), (8, 9, 0.58), (9, 10, 0.67), (10, 11, 0.93), (11, 0, 0.6),
    (0, 6, 0.43), (1, 7, 0.8), (2, 8, 0.69), (3, 9, 0.4), (4, 10, 0.93), (5, 11, 0.99),
]
# The complete graph K12: 66 edges, the densest 12-vertex circuit.
COMPLETE_12 = list(itertools.combinations(range(12), 2))


def median_seconds(fn, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def report(label, full, baseline, iterations, target=None):
    line = f"{label}: {full * 1e3:.1f} ms over {iterations} iterations"
    if target:
        line += f" (target < {target})"
    print(line)
    print(f"  baseline, one iteration: {baseline * 1e3:.2f} ms; ratio {full / baseline:.1f}x; "
          f"{full / max(iterations, 1) * 1e3:.1f} ms per iteration")


def bench_vqe():
    iterations = qelix.vqe_hydrogen()["iterations"]
    full = median_seconds(qelix.vqe_hydrogen, 21)
    baseline = median_seconds(lambda: qelix.vqe_hydrogen(max_iterations=1), 21)
    report("vqe_hydrogen()", full, baseline, iterations, "50 ms")


def bench_qaoa(label, edges, repeats):
    def call(max_iterations):
        return qelix.qaoa_maxcut(edges=edges, num_vertices=12, p=2, max_iterations=max_iterations)

    iterations = len(call(20)["cost_history"])
    full = median_seconds(lambda: call(20), repeats)
    baseline = median_seconds(lambda: call(1), repeats)
    report(f"qaoa_maxcut {label}, p=2, max_iterations=20", full, baseline, iterations, "2 s")
    if iterations < 20:
        print(f"  (the ascent stopped early; 20 iterations would take about "
              f"{full / iterations * 20 * 1e3:.0f} ms)")


def main():
    bench_vqe()
    bench_qaoa("weighted 3-regular 12 vertices (18 edges)", CUBIC_12, 5)
    bench_qaoa("complete graph K12 (66 edges)", COMPLETE_12, 3)


if __name__ == "__main__":
    main()
