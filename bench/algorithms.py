"""Algorithm figures: the quantum walk, Simon's problem and Shor factoring.

Each figure is the median of several runs, with a target, and a ratio to a
baseline measured in the same run on the same amount of data:
- random_walk(100000): one pure-Python pass over its 200,001 (x, p) pairs
  (the variance sum), i.e. the cost of merely reading the result back;
- simon_hidden_xor with a 10-bit secret (a 20-qubit state of 2^20 amplitudes):
  a pure-Python loop of 2^20 iterations that does nothing;
- shor_factor over every odd composite up to 255: trial division of the same
  numbers in pure Python.
"""
import statistics
import time

import qelix

REPEATS = 5
WALK_STEPS = 100_000
SIMON_SECRET = [True, False, True, True, False, False, True, False, True, True]


def median_seconds(fn, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def odd_composites(limit):
    return [n for n in range(9, limit + 1, 2) if any(n % d == 0 for d in range(3, int(n**0.5) + 1, 2))]


def walk():
    return qelix.random_walk(WALK_STEPS)


def walk_baseline(result=walk()):
    return sum(x * x * p for x, p in zip(result["positions"], result["probabilities"]))


def simon():
    r = qelix.simon_hidden_xor(SIMON_SECRET, seed=1)
    assert r["secret"] == SIMON_SECRET


def simon_baseline():
    for _ in range(2 ** (2 * len(SIMON_SECRET))):
        pass


COMPOSITES = odd_composites(255)


def shor_all():
    for n in COMPOSITES:
        r = qelix.shor_factor(n, seed=n)
        assert r["success"] and r["factors"][0] * r["factors"][1] == n, r


def trial_division_all():
    for n in COMPOSITES:
        next(d for d in range(3, n, 2) if n % d == 0)


def report(label, target, ours, baseline, baseline_label):
    status = "ok" if ours < target else "OVER TARGET"
    print(f"{label}: {ours * 1e3:.1f} ms (target < {target * 1e3:.0f} ms, {status})")
    print(f"  baseline {baseline_label}: {baseline * 1e3:.2f} ms; ratio {ours / baseline:.1f}x")


def main():
    report(f"random_walk({WALK_STEPS})", 1.0, median_seconds(walk), median_seconds(walk_baseline),
           "Python pass over the result")
    report(f"simon_hidden_xor, {len(SIMON_SECRET)}-bit secret", 1.0, median_seconds(simon),
           median_seconds(simon_baseline), "empty Python loop of 2^20")
    report(f"shor_factor over the {len(COMPOSITES)} odd composites up to 255", 1.0, median_seconds(shor_all),
           median_seconds(trial_division_all), "Python trial division")


if __name__ == "__main__":
    main()
