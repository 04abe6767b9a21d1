"""Many Python threads on shared objects.

Long calls (simulations, algorithms, parsing, crypto) give up the interpreter lock while
the core works, and Python code that a call runs (an argument's __index__, a sequence's
__getitem__) may switch threads in the middle of it: borrows must keep both kinds of
interleaving from reading an object that is being changed, with the documented
RuntimeError texts, and every result must stay correct.
"""
import sys
import threading
import time

import pytest
import qelix


@pytest.fixture(autouse=True)
def frequent_switches():
    old = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)
    yield
    sys.setswitchinterval(old)


def run_threads(count, work):
    errors = []

    def body(index):
        try:
            work(index)
        except BaseException as error:  # noqa: BLE001 - reported below with the thread's index
            errors.append((index, repr(error)))

    threads = [threading.Thread(target=body, args=(i,)) for i in range(count)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []


def circuit_for(index):
    n = 2 + index % 4
    c = qelix.Circuit(n)
    c.h(0)
    for q in range(1, n):
        c.cx(q - 1, q)
    c.rz(n - 1, 0.25 * index)
    c.measure_all()
    return c


def mid_circuit_for(index):
    c = qelix.Circuit(3)
    c.h(0)
    c.measure(0)
    c.x(1)
    c.ry(2, 0.1 * index)
    c.measure_all()
    return c


def test_threads_share_one_simulator_and_one_noise_model():
    model = qelix.NoiseModel.ibm()
    ideal = qelix.Simulator(seed=11)
    noisy = qelix.Simulator(seed=5, noise=model)
    threads = 8
    expected = {
        i: (
            ideal.run(circuit_for(i), 300).counts,
            noisy.run(circuit_for(i), 100).counts,
            noisy.run(mid_circuit_for(i), 100).counts,
            qelix.Simulator(seed=i, noise=model).run(mid_circuit_for(i), 50).counts,
            ideal.probabilities(circuit_for(i)),
        )
        for i in range(threads)
    }

    def work(i):
        for _ in range(15):
            got = (
                ideal.run(circuit_for(i), 300).counts,
                noisy.run(circuit_for(i), 100).counts,
                noisy.run(mid_circuit_for(i), 100).counts,
                qelix.Simulator(seed=i, noise=model).run(mid_circuit_for(i), 50).counts,
                ideal.probabilities(circuit_for(i)),
            )
            assert got == expected[i]

    run_threads(threads, work)
    assert repr(model) == "NoiseModel(single_qubit_channels=3, two_qubit_channels=3, measurement_channels=1)"


def test_readers_of_one_circuit_while_another_thread_draws_it():
    c = qelix.Circuit(4)
    c.h(0)
    c.cx(0, 1)
    c.crk(1, 2, 3)
    c.barrier_all()
    c.measure_all()
    drawing, text, qasm = c.draw(), str(c), c.to_qasm()
    sim = qelix.Simulator(seed=2)
    counts = sim.run(c, 200).counts

    def work(i):
        for _ in range(40):
            if i == 0:
                assert c.draw() == drawing and str(c) == text
            elif i % 3 == 1:
                assert c.to_qasm() == qasm and qelix.to_qasm(c) == qasm
                assert (len(c), c.depth, c.num_qubits) == (3, 3, 4)
            elif i % 3 == 2:
                assert sim.run(c, 200).counts == counts
            else:
                mine = qelix.Circuit(4)
                mine.append(c)
                mine.compose(c, [3, 2, 1, 0])
                assert len(mine) == 6

    run_threads(6, work)
    assert c.draw() == drawing


class CallbackIndex:
    """An index whose conversion runs `hook` first (and so may switch threads)."""

    def __init__(self, value, hook):
        self.value, self.hook = value, hook

    def __index__(self):
        self.hook()
        return self.value


def test_reentrant_use_during_argument_conversion_raises_borrow_errors():
    c = qelix.Circuit(2)
    c.h(0)
    before = c.to_qasm()
    # Reading the circuit while one of its own builders converts an argument.
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        c.x(CallbackIndex(1, c.draw))
    # Changing it from the inside of its own builder.
    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        c.x(CallbackIndex(1, lambda: c.h(1)))
    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        c.qft([0, CallbackIndex(1, lambda: c.z(0))])
    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        c.append(c)
    assert c.to_qasm() == before
    # A simulator reads the circuit under a shared borrow: other readers are fine.
    sim = qelix.Simulator(seed=1)
    assert sim.run(c, CallbackIndex(50, c.draw)).total_shots == 50
    assert c.to_qasm() == before


def test_threads_switching_inside_a_builder_see_borrow_errors_not_torn_circuits():
    c = qelix.Circuit(3)
    c.h(0)
    conflicts = []
    stop = threading.Event()

    def slow_index():
        time.sleep(0.001)  # releases the interpreter lock in the middle of c.x(...)

    def writer(_):
        added = 0
        try:
            while added < 50:
                try:
                    c.x(CallbackIndex(2, slow_index))
                    added += 1
                except RuntimeError as error:  # a reader's to_qasm holds the circuit, lock released
                    conflicts.append(str(error))
        finally:
            stop.set()  # the readers stop even if the writer fails

    def reader(_):
        while not stop.is_set():
            try:
                text = c.to_qasm()
            except RuntimeError as error:
                conflicts.append(str(error))
                continue
            lines = text.split("\n")
            assert lines[:4] == ["OPENQASM 2.0;", 'include "qelib1.inc";', "qreg q[3];", "h q[0];"]
            assert set(lines[4:]) <= {"x q[2];"}

    run_threads(3, lambda i: writer(i) if i == 0 else reader(i))
    assert len(c) == 51
    assert set(conflicts) <= {"Already mutably borrowed", "Already borrowed"}


def long_circuit(n=20, gates=400):
    """A circuit whose simulation takes a good fraction of a second or more."""
    c = qelix.Circuit(n)
    for k in range(gates // 2):
        c.h(k % n)
        c.cx(k % n, (k + 1) % n)
    return c


def test_python_threads_run_while_a_simulation_runs():
    # The counter notes the longest time it went without running. With the lock held
    # throughout the call, that would be the whole call.
    longest, done = [0.0], threading.Event()

    def count():
        last = time.monotonic()
        while not done.is_set():
            now = time.monotonic()
            longest[0] = max(longest[0], now - last)
            last = now

    c, sim = long_circuit(), qelix.Simulator(parallel=False)
    counter = threading.Thread(target=count)
    counter.start()
    try:
        start = time.monotonic()
        sim.run(c, 1)
        duration = time.monotonic() - start
    finally:
        done.set()
        counter.join()
    assert longest[0] < duration / 2


def test_two_simulations_run_side_by_side():
    sim = qelix.Simulator(seed=3, parallel=False)
    small = circuit_for(2)
    expected = sim.run(small, 100).counts
    started, finished = threading.Event(), threading.Event()
    beside = []

    def long_run():
        started.set()
        sim.run(long_circuit(), 1)
        finished.set()

    def short_runs():
        started.wait()
        while not finished.is_set():
            counts = sim.run(small, 100).counts
            if not finished.is_set():
                beside.append(counts == expected)

    run_threads(2, lambda i: (long_run if i == 0 else short_runs)())
    # Serialised calls would let at most one or two short runs slip in around the long one.
    assert len(beside) >= 10 and all(beside)


def test_a_circuit_being_simulated_refuses_changes_from_other_threads():
    c = long_circuit()
    c.measure_all()
    sim = qelix.Simulator(seed=1, parallel=False)
    gates, qasm, runs = c.gate_count, [], []
    runner = threading.Thread(target=lambda: runs.append(sim.run(c, 5)))
    runner.start()
    refused, added = None, 0
    while runner.is_alive() and refused is None:
        try:
            c.x(0)  # succeeds only before the run has borrowed the circuit
            added += 1
        except RuntimeError as error:
            refused = str(error)
            # Reading is a shared borrow: allowed beside the run.
            qasm.append(qelix.to_qasm(c))
    runner.join()
    assert refused == "Already borrowed"
    assert c.gate_count == gates + added and qasm[0] == c.to_qasm()
    assert sum(runs[0].counts.values()) == 5
    c.x(0)  # the run released its borrow
    assert c.gate_count == gates + added + 1


def test_expectation_and_batches_let_other_threads_run():
    c = qelix.Circuit(22)
    for q in range(22):
        c.h(q)
    ticks = [0]
    done = threading.Event()

    def count():
        while not done.is_set():
            ticks[0] += 1

    worker = threading.Thread(target=count)
    worker.start()
    try:
        qelix.Simulator().expectation(c, {"Z0 Z21": 1.0, "X3": 0.5})
        qelix.Simulator(seed=1).run_batch([c, c], 10)
    finally:
        done.set()
        worker.join()
    assert ticks[0] > 100
