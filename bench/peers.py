"""qelix against the widely used simulators (Qiskit Aer, Qulacs) on the same machine.

Run through bench/peers, which installs bench/requirements.txt into its own environment,
builds qelix and its C++ helper, pins every contender to the same thread count and writes
bench/RESULTS.md. Each (benchmark, contender) pair runs in a fresh process, so the OpenMP
runtimes of the contenders never compete for the cores; the driver keeps the median of
several runs and qelix's ratio to the fastest peer.

    python bench/peers.py [--quick] [--threads 2] [--only NAME ...] [--out FILE]

--quick runs tiny sizes, once, to check that every path starts (the smoke test uses it).
"""
import argparse
import collections
import datetime
import json
import math
import os
import platform
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
DEFAULT_HELPER = os.path.join(ROOT, "build", "peers", "bench", "peer_cases")
# Qulacs twice: as built, and after its light gate fusion (QuantumCircuitOptimizer.optimize_light,
# not timed), which merges neighbouring gates into larger matrices; Aer fuses by default.
PEERS = ("qiskit-aer", "qulacs", "qulacs-fused")
CONTENDERS = ("qelix",) + PEERS


# ---------------------------------------------------------------- circuits as gate lists
# A circuit is (num_qubits, [(name, qubits, params)], measured); every contender builds
# the same gates from it natively.


def qft_gates(n):
    gates = []
    for i in range(n):
        gates.append(("h", (i,), ()))
        for j in range(i + 1, n):
            gates.append(("crk", (j, i), (j - i + 1,)))
    for i in range(n // 2):
        gates.append(("swap", (i, n - 1 - i), ()))
    return gates


def rotation_layers(n, layers, seed):
    """`layers` times: a random U3 on every qubit, then CNOTs on alternating neighbour pairs."""
    import random

    rng = random.Random(seed)
    gates = []
    for layer in range(layers):
        for q in range(n):
            gates.append(("u3", (q,), tuple(rng.uniform(0, 2 * math.pi) for _ in range(3))))
        for q in range(layer % 2, n - 1, 2):
            gates.append(("cx", (q, q + 1), ()))
    return gates


def rotation_xyz_layers(n, layers, seed):
    """`layers` times: rx, ry or rz (at random) on every qubit, then CNOTs on alternating neighbour pairs."""
    import random

    rng = random.Random(seed)
    gates = []
    for layer in range(layers):
        for q in range(n):
            gates.append((rng.choice(("rx", "ry", "rz")), (q,), (rng.uniform(0, 2 * math.pi),)))
        for q in range(layer % 2, n - 1, 2):
            gates.append(("cx", (q, q + 1), ()))
    return gates


def random_gates(n, count, seed):
    """`count` gates drawn among rx, ry, rz, h and cx on random qubits."""
    import random

    rng = random.Random(seed)
    gates = []
    for _ in range(count):
        kind = rng.choice(("rx", "ry", "rz", "h", "cx"))
        q = rng.randrange(n)
        if kind == "cx":
            t = (q + 1 + rng.randrange(n - 1)) % n
            gates.append(("cx", (q, t), ()))
        elif kind == "h":
            gates.append(("h", (q,), ()))
        else:
            gates.append((kind, (q,), (rng.uniform(0, 2 * math.pi),)))
    return gates


def ghz_gates(n):
    return [("h", (0,), ())] + [("cx", (q, q + 1), ()) for q in range(n - 1)]


def to_qasm(n, gates, measured):
    lines = ["OPENQASM 2.0;", 'include "qelib1.inc";', f"qreg q[{n}];"]
    if measured:
        lines.append(f"creg c[{n}];")
    for name, qs, ps in gates:
        if name == "crk":
            lines.append(f"cu1({2 * math.pi / 2 ** ps[0]!r}) q[{qs[0]}],q[{qs[1]}];")
        elif name == "u3":
            lines.append(f"u3({ps[0]!r},{ps[1]!r},{ps[2]!r}) q[{qs[0]}];")
        else:
            args = ",".join(f"q[{q}]" for q in qs)
            par = f"({','.join(repr(p) for p in ps)})" if ps else ""
            lines.append(f"{name}{par} {args};")
    if measured:
        lines += [f"measure q[{q}] -> c[{q}];" for q in range(n)]
    return "\n".join(lines) + "\n"


def u3_matrix(theta, phi, lam):
    import numpy as np

    c, s = math.cos(theta / 2), math.sin(theta / 2)
    return np.array(
        [[c, -np.exp(1j * lam) * s], [np.exp(1j * phi) * s, np.exp(1j * (phi + lam)) * c]], dtype=complex
    )


# ---------------------------------------------------------------- per-contender builders


def build_qelix(n, gates, measured):
    import qelix

    c = qelix.Circuit(n)
    for name, qs, ps in gates:
        if name == "crk":
            c.crk(qs[0], qs[1], ps[0])
        else:
            getattr(c, name)(*qs, *ps)
    if measured:
        c.measure_all()
    return c


def build_qiskit(n, gates, measured):
    from qiskit import QuantumCircuit

    c = QuantumCircuit(n)
    for name, qs, ps in gates:
        if name == "crk":
            c.cp(2 * math.pi / 2 ** ps[0], qs[0], qs[1])
        elif name == "u3":
            c.u(ps[0], ps[1], ps[2], qs[0])
        elif name in ("rx", "ry", "rz"):
            getattr(c, name)(ps[0], qs[0])
        else:
            getattr(c, name)(*qs)
    if measured:
        c.measure_all()
    return c


def qulacs_gate(name, qs, ps):
    import numpy as np
    from qulacs import gate

    if name == "h":
        return gate.H(qs[0])
    if name == "cx":
        return gate.CNOT(qs[0], qs[1])
    if name == "swap":
        return gate.SWAP(qs[0], qs[1])
    if name == "crk":
        g = gate.DenseMatrix(qs[1], np.diag([1, np.exp(2j * math.pi / 2 ** ps[0])]))
        g.add_control_qubit(qs[0], 1)
        return g
    if name == "u3":
        return gate.DenseMatrix(qs[0], u3_matrix(*ps))
    # Qulacs rotations turn the other way: RX(angle) is exp(+i angle X / 2).
    return {"rx": gate.RX, "ry": gate.RY, "rz": gate.RZ}[name](qs[0], -ps[0])


def build_qulacs(n, gates, noise=None):
    from qulacs import QuantumCircuit, gate

    c = QuantumCircuit(n)
    for name, qs, ps in gates:
        c.add_gate(qulacs_gate(name, qs, ps))
        if noise is not None:
            for q in qs:
                c.add_gate(gate.DepolarizingNoise(q, noise))
    return c


def aer_simulator(threads, **options):
    from qiskit_aer import AerSimulator

    return AerSimulator(max_parallel_threads=threads, **options)


# ---------------------------------------------------------------- benchmark cases
# Each case returns a callable timed by the worker; preparation (building circuits,
# generating programs) happens before and is not timed unless the case is about it.


def case_statevector(contender, n, gates, threads):
    if contender == "qelix":
        import qelix

        circuit, sim = build_qelix(n, gates, False), qelix.Simulator(seed=1)
        return lambda: sim.statevector_array(circuit)
    if contender == "qiskit-aer":
        import qiskit_aer  # noqa: F401  (adds QuantumCircuit.save_statevector)

        c = build_qiskit(n, gates, False)
        c.save_statevector()
        sim = aer_simulator(threads, method="statevector")
        return lambda: sim.run(c).result().get_statevector().data
    from qulacs import QuantumState

    circuit = build_qulacs(n, gates)
    if contender == "qulacs-fused":
        from qulacs.circuit import QuantumCircuitOptimizer

        QuantumCircuitOptimizer().optimize_light(circuit)

    def run():
        state = QuantumState(n)
        circuit.update_quantum_state(state)
        return state.get_vector()

    return run


def case_sampling(contender, n, shots, threads):
    gates = ghz_gates(n)
    if contender == "qelix":
        import qelix

        circuit, sim = build_qelix(n, gates, True), qelix.Simulator(seed=1)
        return lambda: sim.run(circuit, shots).counts
    if contender == "qiskit-aer":
        c = build_qiskit(n, gates, True)
        sim = aer_simulator(threads)
        return lambda: sim.run(c, shots=shots, seed_simulator=1).result().get_counts()
    from qulacs import QuantumState

    circuit = build_qulacs(n, gates)

    def run():
        state = QuantumState(n)
        circuit.update_quantum_state(state)
        return collections.Counter(state.sampling(shots, 1))

    return run


NOISE = 0.01


def case_noisy(contender, n, count, shots, threads):
    gates = random_gates(n, count, seed=5)
    if contender == "qelix":
        import qelix

        circuit = build_qelix(n, gates, True)
        sim = qelix.Simulator(seed=1, noise=qelix.NoiseModel.uniform(NOISE, NOISE, 0.0))
        return lambda: sim.run(circuit, shots).counts
    if contender == "qiskit-aer":
        from qiskit_aer.noise import NoiseModel, pauli_error

        # qelix's depolarizing channel: X, Y or Z, each with probability p/3, on every
        # operand qubit after the gate.
        one = pauli_error([("X", NOISE / 3), ("Y", NOISE / 3), ("Z", NOISE / 3), ("I", 1 - NOISE)])
        model = NoiseModel()
        model.add_all_qubit_quantum_error(one, ["rx", "ry", "rz", "h"])
        model.add_all_qubit_quantum_error(one.tensor(one), ["cx"])
        c = build_qiskit(n, gates, True)
        sim = aer_simulator(threads, method="statevector", noise_model=model)
        return lambda: sim.run(c, shots=shots, seed_simulator=1).result().get_counts()
    from qulacs import QuantumState

    # Qulacs' DepolarizingNoise picks X, Y or Z each with probability p/3 as well.
    circuit = build_qulacs(n, gates, noise=NOISE)

    def run():
        counts = collections.Counter()
        state = QuantumState(n)
        for _ in range(shots):
            state.set_zero_state()
            circuit.update_quantum_state(state)
            counts[state.sampling(1)[0]] += 1
        return counts

    return run


def case_build(contender, count):
    pairs = count // 2
    if contender == "qelix":
        import qelix

        def run():
            c = qelix.Circuit(20)
            for i in range(pairs):
                q = i % 19
                c.h(q)
                c.cx(q, q + 1)
            return c

        return run
    if contender == "qiskit-aer":
        from qiskit import QuantumCircuit

        def run():
            c = QuantumCircuit(20)
            for i in range(pairs):
                q = i % 19
                c.h(q)
                c.cx(q, q + 1)
            return c

        return run
    from qulacs import QuantumCircuit

    def run():
        c = QuantumCircuit(20)
        for i in range(pairs):
            q = i % 19
            c.add_H_gate(q)
            c.add_CNOT_gate(q, q + 1)
        return c

    return run


def qasm_program(lines):
    body = ["OPENQASM 2.0;", 'include "qelib1.inc";', "qreg q[20];", "creg c[20];"]
    k = 0
    while len(body) < lines:
        q = k % 19
        body.append(f"h q[{q}];")
        body.append(f"cx q[{q}],q[{q + 1}];")
        body.append(f"rz({0.001 * (k % 1000)!r}) q[{q + 1}];")
        k += 1
    body = body[:lines - 20] + [f"measure q[{q}] -> c[{q}];" for q in range(20)]
    return "\n".join(body) + "\n"


def case_parse(contender, lines):
    source = qasm_program(lines)
    if contender == "qelix":
        import qelix

        return lambda: qelix.parse_qasm(source)
    if contender == "qiskit-aer":
        from qiskit import qasm2

        return lambda: qasm2.loads(source)
    from qulacs.converter import convert_QASM_to_qulacs_circuit

    # Its converter accepts neither classical registers nor measurements: same gates without them.
    split = [line for line in source.splitlines() if not line.startswith(("creg", "measure"))]
    return lambda: convert_QASM_to_qulacs_circuit(split)


def case_mps(contender, name, n, gates, shots, bond, threads, helper):
    source = to_qasm(n, gates, True)
    if contender == "qelix":
        return ("helper", ["mps", str(bond), str(shots)], source)
    if contender == "qiskit-aer":
        from qiskit import qasm2

        c = qasm2.loads(source)
        sim = aer_simulator(threads, method="matrix_product_state", matrix_product_state_max_bond_dimension=bond)
        return lambda: sim.run(c, shots=shots, seed_simulator=1).result().get_counts()
    return None


KERNEL_GATES = (("H on qubit 0", "h", (0,)), ("H on qubit 13", "h", (13,)), ("H on qubit 25", "h", (25,)),
                ("CNOT (25, 0)", "cx", (25, 0)), ("CNOT (12, 13)", "cx", (12, 13)))


def case_kernel(contender, n, label, threads):
    """Time of one gate on an n-qubit state: applied directly (Qulacs, qelix's helper), or
    for Aer the difference between runs with 21 and 1 copies of the gate, divided by 20."""
    _, name, qs = next(k for k in KERNEL_GATES if k[0] == label)
    if contender == "qelix":
        return ("helper", ["kernel", str(n), name] + [str(q) for q in qs], None)
    if contender == "qiskit-aer":
        import qiskit_aer  # noqa: F401  (adds QuantumCircuit.save_statevector)
        from qiskit import QuantumCircuit

        def circuit(copies):
            c = QuantumCircuit(n)
            for _ in range(copies):
                getattr(c, name)(*qs)
            c.save_statevector()
            return c

        one, many = circuit(1), circuit(21)
        sim = aer_simulator(threads, method="statevector", fusion_enable=False)

        def run():
            start = time.perf_counter()
            sim.run(many).result()
            mid = time.perf_counter()
            sim.run(one).result()
            return ("seconds", max(0.0, ((mid - start) - (time.perf_counter() - mid)) / 20))

        return run
    from qulacs import QuantumState

    state = QuantumState(n)
    state.set_Haar_random_state(1)
    g = qulacs_gate(name, qs, ())
    return lambda: g.update_quantum_state(state)


# ---------------------------------------------------------------- the benchmark table


def benchmarks(quick):
    """(group, label, builder(contender, threads, helper) -> callable / helper spec / None, repeats)."""
    sv = (8, 10) if quick else (20, 24, 26)
    # PEERS_REPEATS overrides the run count (a loaded machine cannot wait for five 24-qubit runs).
    fixed = int(os.environ.get("PEERS_REPEATS", "0"))
    reps = lambda n: fixed or (1 if quick else (3 if n >= 26 else 5))
    table = []
    for n in sv:
        table.append(("State vector", f"QFT, {n} qubits",
                      lambda c, t, h, n=n: case_statevector(c, n, qft_gates(n), t), reps(n)))
    for n in sv:
        table.append(("State vector", f"random rx/ry/rz layers + CX, 20 layers, {n} qubits",
                      lambda c, t, h, n=n: case_statevector(c, n, rotation_xyz_layers(n, 20, seed=n), t), reps(n)))
    n, shots = (8, 1000) if quick else (20, 1_000_000)
    table.append(("Sampling", f"GHZ {n} qubits, {shots:,} shots, counts",
                  lambda c, t, h, n=n, shots=shots: case_sampling(c, n, shots, t), 1 if quick else 5))
    n, count, shots = (4, 10, 20) if quick else (10, 100, 1000)
    table.append(("Noisy trajectories", f"{n} qubits, {count} random gates, depolarizing, {shots:,} shots",
                  lambda c, t, h, n=n, count=count, shots=shots: case_noisy(c, n, count, shots, t), 1 if quick else 5))
    n, shots = (10, 100) if quick else (100, 10_000)
    table.append(("Matrix product state", f"GHZ {n} qubits, {shots:,} shots",
                  lambda c, t, h, n=n, shots=shots: case_mps(c, "ghz", n, ghz_gates(n), shots, 64, t, h), 1 if quick else 5))
    n, layers = (8, 2) if quick else (50, 10)
    table.append(("Matrix product state", f"{n} qubits, {layers} brick layers, bond 64, 1,000 shots",
                  lambda c, t, h, n=n, layers=layers: case_mps(c, "brick", n, rotation_layers(n, layers, seed=50), 1000, 64, t, h),
                  1 if quick else 5))
    count = 1000 if quick else 100_000
    table.append(("Python front end", f"build a {count:,}-gate circuit",
                  lambda c, t, h, count=count: case_build(c, count), 1 if quick else 5))
    table.append(("Python front end", f"parse a {count:,}-line OpenQASM 2.0 program",
                  lambda c, t, h, count=count: case_parse(c, count), 1 if quick else 5))
    n = 12 if quick else 26
    for label, _, qs in KERNEL_GATES:
        if quick and max(qs) >= n:
            continue
        table.append((f"Kernels, {n} qubits", label,
                      lambda c, t, h, n=n, label=label: case_kernel(c, n, label, t), 1 if quick else 7))
    return table


# ---------------------------------------------------------------- agreement check


def check_agreement(n=8):
    """The contenders' final states of the QFT and random circuits (after |+> on qubit 0
    and a phase, so the QFT output is not uniform) agree to 1e-10; returns a summary line."""
    import numpy as np

    prefix = [("h", (0,), ()), ("u3", (1,), (0.3, 0.2, 0.1))]
    cases = {"QFT": prefix + qft_gates(n), "random layers": rotation_xyz_layers(n, 20, seed=n)}
    cases["noisy circuit's gates"] = random_gates(n, 100, seed=5)
    found = []
    for name, gates in cases.items():
        states = {}
        for contender in CONTENDERS:
            try:
                states[contender] = np.asarray(case_statevector(contender, n, gates, 1)())
            except ImportError:
                continue
        worst = max(float(np.max(np.abs(v - states["qelix"]))) for v in states.values())
        if worst > 1e-10:
            raise SystemExit(f"{name}: states differ by {worst:.3g} between {sorted(states)}")
        found.append(f"{name} ({', '.join(states)}: max difference {worst:.1e})")
    return f"the {n}-qubit final states agree: " + "; ".join(found)


# ---------------------------------------------------------------- worker and driver


def run_helper(helper, args, source, repeats):
    if not os.path.exists(helper):
        return {"status": "no helper (build bench/peer_cases)"}
    proc = subprocess.run([helper, str(repeats)] + args, input=source or "", capture_output=True, text=True)
    if proc.returncode != 0:
        return {"status": "error: " + (proc.stderr.strip().splitlines() or ["failed"])[-1]}
    return json.loads(proc.stdout.strip().splitlines()[-1])


def worker(index, contender, threads, helper, quick):
    group, label, make, repeats = benchmarks(quick)[index]
    if contender == "qulacs-fused" and group != "State vector":
        return {"status": "n/a"}
    try:
        body = make(contender, threads, helper)
    except ImportError as e:
        return {"status": f"not installed ({e.name})"}
    if body is None:
        return {"status": "n/a"}
    if isinstance(body, tuple):
        return run_helper(helper, body[1], body[2], repeats)
    if repeats > 3:
        body()  # warm-up: first-call costs (imports, caches, page faults) are not measured
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        out = body()
        elapsed = time.perf_counter() - start
        if isinstance(out, tuple) and out and out[0] == "seconds":
            elapsed = out[1]
        times.append(elapsed)
    return {"times": times}


def interop(n):
    """statevector (a list of tuples) against statevector_array on the same circuit."""
    import qelix

    # Two gates: the figure is about handing the buffer over, not about simulating.
    gates = [("h", (0,), ()), ("u3", (n - 1,), (0.3, 0.2, 0.1))]
    circuit, sim = build_qelix(n, gates, False), qelix.Simulator(seed=1)
    sim.statevector_array(circuit)  # imports NumPy
    timings = {}
    for name, method, repeats in (("array", sim.statevector_array, 3), ("list", sim.statevector, 1)):
        best = math.inf
        for _ in range(repeats):
            start = time.perf_counter()
            out = method(circuit)
            best = min(best, time.perf_counter() - start)
            del out
        timings[name] = best
    return timings


def versions():
    import importlib.metadata as md

    out = {}
    for dist in ("qelix", "qiskit", "qiskit-aer", "qulacs", "numpy"):
        try:
            out[dist] = md.version(dist)
        except md.PackageNotFoundError:
            out[dist] = None
    if out["qelix"] is None:
        try:
            import qelix

            out["qelix"] = getattr(qelix, "__version__", "local build")
        except ImportError:
            pass
    return out


def machine():
    model, cores = platform.processor() or "unknown", os.cpu_count()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
        with open("/proc/meminfo") as f:
            mem = int(f.readline().split()[1]) / 2**20
    except OSError:
        mem = float("nan")
    return f"{model}, {cores} cores, {mem:.1f} GiB memory, {platform.system()} {platform.release()}, " \
           f"Python {platform.python_version()}"


def fmt(seconds):
    if seconds >= 1:
        return f"{seconds:.2f} s"
    if seconds >= 1e-3:
        return f"{seconds * 1e3:.1f} ms"
    return f"{seconds * 1e6:.0f} µs"


def drive(args):
    table = benchmarks(args.quick)
    agreement = check_agreement()
    print(agreement, flush=True)
    rows, extra = [], []
    load_before = os.getloadavg()
    started = time.time()
    for index, (group, label, _, repeats) in enumerate(table):
        if args.only and not any(o.lower() in (group + " " + label).lower() for o in args.only):
            continue
        cells = {}
        for contender in args.contenders:
            cmd = [sys.executable, os.path.abspath(__file__), "--worker", str(index), contender,
                   "--threads", str(args.threads), "--helper", args.helper] + (["--quick"] if args.quick else [])
            proc = subprocess.run(cmd, capture_output=True, text=True)
            if proc.returncode != 0:
                tail = (proc.stderr.strip().splitlines() or ["crashed"])[-1]
                cells[contender] = {"status": "error: " + tail[:120]}
            else:
                cells[contender] = json.loads(proc.stdout.strip().splitlines()[-1])
            if "stream" in cells[contender]:
                extra.append((label, cells[contender]["stream"]))
        rows.append((group, label, repeats, cells))
        print(f"{group}: {label}: " + ", ".join(
            f"{c} {fmt(statistics.median(v['times'])) if 'times' in v else v['status']}" for c, v in cells.items()),
              flush=True)
    n = 10 if args.quick else 24
    proc = subprocess.run([sys.executable, os.path.abspath(__file__), "--interop", str(n)], capture_output=True, text=True)
    numpy_figure = json.loads(proc.stdout.strip().splitlines()[-1]) if proc.returncode == 0 else None
    if numpy_figure:
        numpy_figure["qubits"] = n
    report = render(args, rows, extra, load_before, os.getloadavg(), time.time() - started, agreement, numpy_figure)
    if args.out:
        with open(args.out, "w") as f:
            f.write(report)
        print(f"wrote {args.out}")
    else:
        print(report)
    return 0


def render(args, rows, extra, load_before, load_after, elapsed, agreement, numpy_figure):
    v = versions()
    lines = ["# qelix against its peers", ""]
    lines.append(f"Run {datetime.datetime.now().strftime('%Y-%m-%d %H:%M')} by `bench/peers` "
                 f"({'quick smoke sizes' if args.quick else 'full sizes'}), {elapsed / 60:.0f} min.")
    lines.append("")
    lines.append(f"- Machine: {machine()}")
    lines.append("- Versions: " + ", ".join(f"{k} {val}" for k, val in v.items() if val))
    lines.append(f"- Threads: {args.threads} for every contender (OMP_NUM_THREADS, Aer max_parallel_threads)")
    lines.append(f"- Load average (1, 5, 15 min) before the run: {', '.join(f'{x:.2f}' for x in load_before)}; "
                 f"after: {', '.join(f'{x:.2f}' for x in load_after)}")
    lines.append("- Each cell: median wall time of the runs (count in the Runs column), each contender in its own "
                 "process, after one warm-up run where more than 3 runs are made (the 26-qubit cases take minutes). Ratio: qelix's median over the fastest peer's (below 1 means qelix "
                 "is faster). The qiskit-aer column is Qiskit itself for building and parsing; Qulacs has no "
                 "matrix-product-state engine (n/a). Aer runs with its default gate fusion; qulacs-fused is "
                 "Qulacs after its light gate fusion (not timed), measured on the state-vector circuits only.")
    lines.append(f"- Checked before timing: {agreement}.")
    lines.append("")
    head = "| Benchmark | Runs | " + " | ".join(args.contenders) + " | qelix / fastest peer |"
    group = None
    for g, label, repeats, cells in rows:
        if g != group:
            group = g
            lines += ["", f"## {g}", "", head, "|" + "---|" * (len(args.contenders) + 3)]
        med = {c: statistics.median(x["times"]) for c, x in cells.items() if "times" in x}
        peer = [med[c] for c in PEERS if c in med]
        ratio = f"{med['qelix'] / min(peer):.2f}" if "qelix" in med and peer else "–"
        shown = [fmt(med[c]) if c in med else cells.get(c, {}).get("status", "–") for c in args.contenders]
        lines.append(f"| {label} | {repeats} | " + " | ".join(shown) + f" | {ratio} |")
    if extra:
        lines += ["", "Kernel times against one streaming read-and-write pass (2 threads, same buffer, "
                  "measured by the qelix helper in the same process):", "",
                  "| Gate | qelix | streaming pass | ratio |", "|---|---|---|---|"]
        for label, s in extra:
            lines.append(f"| {label} | {fmt(s['gate'])} | {fmt(s['pass'])} | {s['gate'] / s['pass']:.2f} |")
    if numpy_figure:
        f = numpy_figure
        lines += ["", f"NumPy interop, {f['qubits']} qubits (H on qubit 0, U3 on the last): `statevector` (list of tuples) "
                  f"{fmt(f['list'])}, `statevector_array` {fmt(f['array'])}: {f['list'] / f['array']:.0f}x faster."]
    return "\n".join(lines) + "\n"


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--quick", action="store_true")
    p.add_argument("--threads", type=int, default=2)
    p.add_argument("--only", nargs="*", default=[])
    p.add_argument("--contenders", nargs="*", default=list(CONTENDERS))
    p.add_argument("--helper", default=DEFAULT_HELPER)
    p.add_argument("--out", default=None)
    p.add_argument("--worker", nargs=2, metavar=("INDEX", "CONTENDER"))
    p.add_argument("--interop", type=int)
    args = p.parse_args()
    os.environ["OMP_NUM_THREADS"] = str(args.threads)
    if args.interop:
        print(json.dumps(interop(args.interop)))
        return 0
    if args.worker:
        result = worker(int(args.worker[0]), args.worker[1], args.threads, args.helper, args.quick)
        print(json.dumps(result))
        return 0
    return drive(args)


if __name__ == "__main__":
    sys.exit(main())
