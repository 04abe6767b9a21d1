"""Ctrl-C latency and threads running beside long calls.

1. For each long call, the time from SIGINT to KeyboardInterrupt (goal < 0.5 s), with the
   signal sent at several points of the call: the largest of those is reported.
2. A pure-Python thread counting while a 24-qubit simulation runs on the main thread
   (with the interpreter lock held throughout it would get no ticks at all).
3. Two threads simulating at once against one after the other: on 2 free cores a ratio
   near 0.5, with the process using 2 cores; the CPU the process got is printed beside
   it, since a busy machine may give the whole process one core or less.

Run with `PYTHONPATH=build/dev/python .venv/bin/python bench/interrupt.py` after
scripts/test. The machine's load (os.getloadavg) is printed beside the figures.
"""
import os
import random
import signal
import threading
import time

import qelix

DELAYS = (0.2, 0.7, 1.5)


def brickwork(n, layers):
    rnd = random.Random(1)
    c = qelix.Circuit(n)
    for layer in range(layers):
        for q in range(n):
            c.ry(q, rnd.random())
        for q in range(layer % 2, n - 1, 2):
            c.cx(q, q + 1)
    return c


def layered(n, gates):
    c = qelix.Circuit(n)
    for k in range(gates // 2):
        c.h(k % n)
        c.cx(k % n, (k + 1) % n)
    return c


def bell():
    c = qelix.Circuit(2)
    c.h(0)
    c.cx(0, 1)
    c.measure_all()
    return c


def workloads():
    sv26 = layered(26, 10_000)
    noisy = brickwork(12, 20)
    noisy.measure_all()
    mps = brickwork(128, 40)
    text = 'OPENQASM 2.0;\ninclude "qelib1.inc";\nqreg q[2];\n' + "h q[0];\n" * 3_000_000
    edges = [(i, (i * 5 + 3) % 12) for i in range(12)]
    return {
        "26 qubits, 10,000 gates": lambda: qelix.Simulator().run(sv26, 1),
        "noisy 12 qubits, 10^6 shots": lambda: qelix.Simulator(noise=qelix.NoiseModel.ibm()).run(noisy, 10**6),
        "mps 128 qubits, bond 64": lambda: qelix.Simulator(backend="mps", max_bond_dim=64).run(mps, 10),
        "run(bell, 2**32 - 1)": lambda: qelix.Simulator().run(bell(), 2**32 - 1),
        "random_walk(4 * 10**6)": lambda: qelix.random_walk(4 * 10**6),
        "qaoa_maxcut(12 vertices, p=60)": lambda: qelix.qaoa_maxcut(edges=edges, num_vertices=12, p=60),
        "random_bytes(1 << 20)": lambda: qelix.crypto.random_bytes(1 << 20),
        "parse_qasm(3,000,000 lines)": lambda: qelix.parse_qasm(text),
    }


def latency(call, delay):
    """Seconds from SIGINT to KeyboardInterrupt, or None when the call ended first."""
    sent = []

    def fire():
        time.sleep(delay)
        sent.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)

    timer = threading.Thread(target=fire)
    timer.start()
    try:
        call()
    except KeyboardInterrupt:
        timer.join()
        return time.monotonic() - sent[0]
    timer.join()
    return None


def ticks_during(call):
    ticks = [0]
    done = threading.Event()

    def count():
        while not done.is_set():
            ticks[0] += 1

    counter = threading.Thread(target=count)
    counter.start()
    start = time.monotonic()
    call()
    elapsed = time.monotonic() - start
    done.set()
    counter.join()
    return ticks[0], elapsed


def side_by_side(call):
    """Wall time of two concurrent calls over two serial ones, and the CPU the process got
    per wall second while they ran (a machine that gives the process one core's worth
    shows a ratio near 1 even though both threads run)."""
    start = time.monotonic()
    call()
    call()
    serial = time.monotonic() - start
    threads = [threading.Thread(target=call) for _ in range(2)]
    start, cpu = time.monotonic(), time.process_time()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    wall = time.monotonic() - start
    return wall / serial, (time.process_time() - cpu) / wall


def main():
    print(f"load average before: {os.getloadavg()}")
    for name, call in workloads().items():
        seen = [latency(call, d) for d in DELAYS]
        shown = ", ".join("finished" if s is None else f"{s:.3f}" for s in seen)
        worst = max((s for s in seen if s is not None), default=float("nan"))
        print(f"{name:34s} max {worst:.3f} s  ({shown})  load {os.getloadavg()[0]:.1f}", flush=True)
    serial_circuit = layered(22, 400)
    ticks, elapsed = ticks_during(lambda: qelix.Simulator(parallel=False).run(serial_circuit, 1))
    print(f"python thread during a {elapsed:.2f} s simulation: {ticks} ticks")
    ratio, cores = side_by_side(lambda: qelix.Simulator(parallel=False).run(serial_circuit, 1))
    print(f"two threads side by side / one after the other: {ratio:.2f} (process used {cores:.2f} cores)"
          f"  load {os.getloadavg()[0]:.1f}")


if __name__ == "__main__":
    main()
