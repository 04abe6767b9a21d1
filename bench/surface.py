"""Observables and batches against Qiskit Aer on the same machine.

- expectation: 20-term Pauli sums (a chain on the low qubits, whose terms share one
  cache-blocked pass, and random strings over all qubits, one pass each) on the 24-qubit
  state of a layered circuit, with
  `Simulator.expectation` against Aer's EstimatorV2 and against Aer's own
  save_expectation_value. Every figure includes simulating the circuit once (Aer fuses
  gates, qelix does not); the 20-term minus the 1-term time isolates the observable.
- batch: 10,000 eight-qubit circuits of 50 gates, 100 shots each, as circuits per second:
  `Simulator.run_batch`, a Python loop over `Simulator.run`, and Aer's batched `run`.

Run in the environment of bench/peers (it has Qiskit Aer), with the module on PYTHONPATH:

    OMP_NUM_THREADS=2 PYTHONPATH=build/dev/python build/peers-venv/bin/python bench/surface.py [--quick]
"""
import argparse
import os
import random
import statistics
import time

import qelix

THREADS = int(os.environ.get("OMP_NUM_THREADS", "2"))


def best_of(fn, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times), statistics.median(times)


def layered(n, layers, seed):
    """(name, qubits, params) gates: RY and RZ on every qubit, then a CNOT ladder, `layers` times."""
    rng = random.Random(seed)
    gates = []
    for _ in range(layers):
        for q in range(n):
            gates.append(("ry", (q,), (rng.uniform(0, 3),)))
            gates.append(("rz", (q,), (rng.uniform(0, 3),)))
        for q in range(n - 1):
            gates.append(("cx", (q, q + 1), ()))
    return gates


def random_gates(n, count, seed):
    rng = random.Random(seed)
    gates = []
    for _ in range(count):
        if rng.random() < 0.3:
            a, b = rng.sample(range(n), 2)
            gates.append(("cx", (a, b), ()))
        else:
            gates.append((rng.choice(("rx", "ry", "rz")), (rng.randrange(n),), (rng.uniform(0, 6),)))
    return gates


def hamiltonian(n):
    """20 terms of a Heisenberg chain with a field: ZZ, XX, YY on neighbours and X fields."""
    terms = []
    for i in range(7):
        for p in "ZXY" if i < 4 else "Z":
            label = ["I"] * n
            label[i] = label[i + 1] = p
            terms.append((0.5 + 0.1 * i, "".join(label)))
    while len(terms) < 20:
        q = len(terms) - 15
        label = ["I"] * n
        label[q] = "X"
        terms.append((-0.3, "".join(label)))
    return terms


def qelix_circuit(n, gates, measure=False):
    c = qelix.Circuit(n)
    for name, qubits, params in gates:
        getattr(c, name)(*qubits, *params)
    if measure:
        c.measure_all()
    return c


def qiskit_circuit(n, gates, measure=False):
    from qiskit import QuantumCircuit

    c = QuantumCircuit(n)
    for name, qubits, params in gates:
        getattr(c, name)(*params, *qubits)
    if measure:
        c.measure_all()
    return c


def spread_terms(n, count, seed):
    """Pauli strings over all qubits, each flipping its own set: one pass per term."""
    rng = random.Random(seed)
    return [(rng.uniform(-1, 1), "".join(rng.choice("IXYZ") for _ in range(n))) for _ in range(count)]


def expectation_case(n, repeats, terms, title, gates=None):
    from qiskit.quantum_info import SparsePauliOp
    from qiskit_aer import AerSimulator
    from qiskit_aer.primitives import EstimatorV2

    gates = gates if gates is not None else layered(n, 3, 1)
    sim = qelix.Simulator()
    c = qelix_circuit(n, gates)
    # Qiskit labels put qubit 0 last: reverse ours.
    op = SparsePauliOp.from_list([(label[::-1], coef) for coef, label in terms])
    qc = qiskit_circuit(n, gates)
    estimator = EstimatorV2(options={"backend_options": {"max_parallel_threads": THREADS}})
    aer = AerSimulator(method="statevector", max_parallel_threads=THREADS)

    def saved(ts):
        q = qc.copy()
        q.save_expectation_value(SparsePauliOp.from_list([(label[::-1], coef) for coef, label in ts]), list(range(n)))
        return q

    saved_all, saved_one = saved(terms), saved(terms[:1])
    ours = sim.expectation(c, terms)
    theirs = estimator.run([(qc, op)]).result()[0].data.evs
    assert abs(ours - float(theirs)) < 1e-9, (ours, theirs)

    rows = [
        ("qelix Simulator.expectation, 20 terms", best_of(lambda: sim.expectation(c, terms), repeats)),
        ("qelix Simulator.expectation, 1 term", best_of(lambda: sim.expectation(c, terms[:1]), repeats)),
        ("Aer EstimatorV2, 20 terms", best_of(lambda: estimator.run([(qc, op)]).result(), repeats)),
        ("Aer save_expectation_value, 20 terms", best_of(lambda: aer.run(saved_all).result(), repeats)),
        ("Aer save_expectation_value, 1 term", best_of(lambda: aer.run(saved_one).result(), repeats)),
    ]
    print(f"\n## Expectation: {title}, {n} qubits, {len(gates)} gates, {THREADS} threads")
    print("| contender | best s | median s |\n|---|---|---|")
    for name, (best, median) in rows:
        print(f"| {name} | {best:.3f} | {median:.3f} |")
    best = [row[1][0] for row in rows]
    print(f"\nwhole call, qelix / fastest Aer: {best[0] / min(best[2], best[3]):.2f}")
    # The circuit is simulated in both the 20-term and the 1-term call: the difference is
    # what the other 19 terms cost.
    print(f"19 further terms, qelix / Aer: {(best[0] - best[1]) / max(best[3] - best[4], 1e-9):.2f} (goal <= 0.5)")


def batch_case(count, repeats):
    from qiskit_aer import AerSimulator

    gate_lists = [random_gates(8, 50, seed) for seed in range(count)]
    ours = [qelix_circuit(8, g, measure=True) for g in gate_lists]
    theirs = [qiskit_circuit(8, g, measure=True) for g in gate_lists]
    sim = qelix.Simulator(seed=1)
    aer = AerSimulator(method="statevector", max_parallel_threads=THREADS)
    assert sim.run_batch(ours[:50], 100) == [sim.run(c, 100) for c in ours[:50]]
    rows = [
        ("qelix run_batch", best_of(lambda: sim.run_batch(ours, 100), repeats)),
        ("qelix loop over run", best_of(lambda: [sim.run(c, 100) for c in ours], repeats)),
        ("Aer batched run", best_of(lambda: aer.run(theirs, shots=100).result(), max(1, repeats // 2))),
    ]
    print(f"\n## Batch: {count} circuits of 8 qubits and 50 gates, 100 shots each, {THREADS} threads")
    print("| contender | circuits/s (best) | circuits/s (median) |\n|---|---|---|")
    for name, (best, median) in rows:
        print(f"| {name} | {count / best:,.0f} | {count / median:,.0f} |")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--quick", action="store_true", help="tiny sizes, once")
    parser.add_argument("--repeats", type=int, default=3, help="timed runs per contender (best and median kept)")
    parser.add_argument("--only", choices=("expectation", "batch"), help="run one of the two cases")
    args = parser.parse_args()
    local = "20-term Heisenberg chain with fields on qubits 0-7"
    spread = "20 random Pauli strings over all qubits"
    if args.quick:
        expectation_case(10, 1, hamiltonian(10), local)
        expectation_case(10, 1, spread_terms(10, 20, 1), spread)
        batch_case(100, 1)
    else:
        if args.only != "batch":
            expectation_case(24, args.repeats, hamiltonian(24), local)
            expectation_case(24, args.repeats, spread_terms(24, 20, 1), spread)
            # A cheap state (one RY on every qubit; not Clifford, so Aer cannot switch to a
            # stabilizer simulation): the times are mostly the observable's.
            ry_layer = [("ry", (q,), (0.3 + 0.1 * q,)) for q in range(24)]
            expectation_case(24, args.repeats, hamiltonian(24), local + ", RY-layer state", ry_layer)
            expectation_case(24, args.repeats, spread_terms(24, 20, 1), spread + ", RY-layer state", ry_layer)
        if args.only != "expectation":
            batch_case(10_000, args.repeats)


if __name__ == "__main__":
    main()
