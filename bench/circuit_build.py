"""Building a 100,000-gate circuit from Python (h and cx in a loop).

Reports the median time and its ratio to a baseline measured in the same run:
the same loop appending tuples to a Python list, i.e. the cost of the Python
loop and calls themselves.
"""
import statistics
import time

import qelix

GATES = 100_000
REPEATS = 7


def build_circuit():
    c = qelix.Circuit(20)
    for i in range(GATES // 2):
        q = i % 19
        c.h(q)
        c.cx(q, q + 1)
    return c


def build_list():
    ops = []
    for i in range(GATES // 2):
        q = i % 19
        ops.append(("h", q))
        ops.append(("cx", q, q + 1))
    return ops


def median_seconds(fn):
    times = []
    for _ in range(REPEATS):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    assert build_circuit().gate_count == GATES
    ours = median_seconds(build_circuit)
    baseline = median_seconds(build_list)
    print(f"build {GATES} gates: {ours * 1e3:.1f} ms (target < 200 ms)")
    print(f"baseline list of tuples: {baseline * 1e3:.1f} ms; ratio {ours / baseline:.2f}x")


if __name__ == "__main__":
    main()
