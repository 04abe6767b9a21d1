"""A tour of qelix: build circuits, draw them, simulate them with and without noise, exchange them
as OpenQASM, run algorithms."""
import math

import qelix


def section(title):
    print(f"\n== {title} ==")


def show(circuit):
    print(circuit.draw())
    print(f"{circuit!r}: gate_count={circuit.gate_count}, depth={circuit.depth}, "
          f"classical bits={circuit.num_classical_bits}")


def classical_walk_variance(steps):
    """Second moment of a fair coin-flip walk, from its binomial distribution."""
    total = 0.0
    for right in range(steps + 1):
        x = 2 * right - steps
        total += x * x * math.comb(steps, right) / 2**steps
    return total


def algorithms():
    section("Shor factoring (emulated order finding)")
    for n in (15, 21):
        shor = qelix.shor_factor(n, seed=7)
        p, q = shor["factors"]
        print(f"{n} = {p} x {q}  (base {shor['base_a']}, period {shor['period']}, attempts {shor['attempts']})")

    section("Phase estimation of the T gate")
    for bits in (1, 2, 3, 6):
        qpe = qelix.phase_estimation("t", "one", bits)
        print(f"{bits} counting qubits: register {qpe['measured_value']}, phase {qpe['phase']} (exact 1/8)")

    section("Simon's hidden XOR")
    secret = [True, False, True, True, False, True]
    simon = qelix.simon_hidden_xor(secret)
    found = "".join("1" if b else "0" for b in simon["secret"])
    print(f"secret {found} (bit 0 first) from {simon['iterations_needed']} independent outcomes; "
          f"matches: {simon['secret'] == secret}")

    section("Quantum walk spreads linearly, a classical walk by the square root")
    print(f"{'steps':>6} {'quantum sd':>11} {'classical sd':>13}")
    for steps in (10, 100, 1000):
        quantum = qelix.random_walk(steps)["variance"]
        print(f"{steps:>6} {math.sqrt(quantum):>11.2f} {math.sqrt(classical_walk_variance(steps)):>13.2f}")


def main():
    print(f"qelix {qelix.__version__}")

    section("Bell pair")
    bell = qelix.Circuit(2)
    bell.h(0)
    bell.cx(0, 1)
    bell.measure_all()
    show(bell)

    section("Toffoli from the library decomposition")
    toffoli = qelix.Circuit(3)
    toffoli.toffoli(0, 1, 2)
    show(toffoli)

    section("Quantum Fourier transform and its inverse")
    qft = qelix.Circuit(3)
    qft.qft([0, 1, 2])
    qft.barrier_all()
    qft.iqft([0, 1, 2])
    show(qft)

    section("Rotations and composition")
    layer = qelix.Circuit(2)
    layer.ry(0, 0.5)
    layer.rzz(0, 1, 1.25)
    wide = qelix.Circuit(4)
    wide.compose(layer, [3, 1])
    wide.compose(layer, [0, 2])
    show(wide)

    section("Simulating the Bell pair")
    sim = qelix.Simulator(seed=7)
    result = sim.run(bell, shots=1000)
    print(repr(result), result.counts)
    print(f"P(00) = {result.probability('00')}, <Z0> = {result.expectation_z(0):+.3f}")
    print("amplitudes:", sim.statevector(bell))
    result.histogram()  # through sys.stdout, in order with print()

    section("The same pair on noisy superconducting hardware")
    noisy = qelix.Simulator(seed=7, noise=qelix.NoiseModel.ibm())
    print(qelix.NoiseModel.ibm())
    print(noisy.run(bell, shots=1000))

    section("Mid-circuit measurement")
    mid = qelix.Circuit(2)
    mid.h(0)
    mid.measure(0)
    mid.cx(0, 1)  # a gate after a measurement: every shot is simulated on its own
    mid.measure(1)
    print(mid.draw())
    print(sim.run(mid, shots=1000))

    section("OpenQASM 2.0 in and out")
    source = """OPENQASM 2.0;
include "qelib1.inc";
qreg data[2];
qreg flag[1];
creg m[1];
// a user gate with a parameter, expanded inline
gate entangle(theta) a, b {
  ry(theta) a;
  cx a, b;
}
entangle(pi / 2) data[0], data[1];
measure data[1] -> m[0];
if(m==1) x flag[0];
"""
    program = qelix.parse_qasm(source)
    show(program)
    print(program.to_qasm())
    # flag is flipped exactly when data[1] was measured as 1: counts hold only 00 and 11 (m, then
    # the final measurement of flag).
    program.measure(2)
    print("m, flag:", sim.run(program, shots=1000).counts)

    section("A 100-qubit GHZ state as a matrix-product state")
    ghz = qelix.Circuit(100)
    ghz.h(0)
    for q in range(99):
        ghz.cx(q, q + 1)
    ghz.measure_all()
    chain = qelix.Simulator(seed=7, backend="mps", max_bond_dim=64)
    ghz_result = chain.run(ghz, shots=10_000)
    # 2^100 amplitudes would never fit; the chain keeps bonds of dimension 2.
    print(chain)
    print(ghz_result)

    algorithms()

    section("Variational eigensolver for hydrogen")
    vqe = qelix.vqe_hydrogen()
    history = vqe["energy_history"]
    print(f"start energy  {history[0]:.4f} Ha (Hartree-Fock state)" if history else "no iterations")
    print(f"final energy  {vqe['energy']:.4f} Ha after {vqe['iterations']} iterations "
          f"(converged: {vqe['converged']})")
    print(f"parameters    [{', '.join(f'{p:.4f}' for p in vqe['params'])}]")

    section("QAOA MaxCut on the square")
    qaoa = qelix.qaoa_maxcut(graph="square")
    print(f"expected cut  {qaoa['best_cost']:.4f} of 4 "
          f"(ratio {qaoa['approximation_ratio']:.3f}) over {len(qaoa['cost_history'])} iterations")
    print(f"best cut      {qaoa['best_solution']} (character i is vertex i's side)")
    print(f"angles        gamma {[round(g, 4) for g in qaoa['optimal_gamma']]}, "
          f"beta {[round(b, 4) for b in qaoa['optimal_beta']]}")

    section("Post-quantum cryptography")
    crypto = qelix.crypto
    for level in ("level1", "level3", "level5"):
        public_key, secret_key = crypto.kem_keygen(level)
        ciphertext, secret = crypto.kem_encapsulate(public_key)
        agreed = crypto.kem_decapsulate(secret_key, ciphertext) == secret
        print(f"ML-KEM {level}: public key {len(public_key)} B, ciphertext {len(ciphertext)} B, "
              f"shared secret agreed: {agreed}")
    message = b"hello, post-quantum world"
    for scheme in ("ml_dsa", "slh_dsa"):
        public_key, secret_key = crypto.sign_keygen(scheme)
        signature = crypto.sign(secret_key, message)
        print(f"{scheme}: signature {len(signature)} B, verifies: {crypto.verify(public_key, message, signature)}, "
              f"on another message: {crypto.verify(public_key, message + b'!', signature)}")
    print(f"sha3_256(message) = {crypto.sha3_256(message).hex()}")
    print(f"random bytes from measured qubits: {crypto.random_bytes(16).hex()}")
    print(f"random_u64() = {crypto.random_u64()}, random_bits(12) = {crypto.random_bits(12)}")

    section("Errors are exceptions with clear messages")
    try:
        bell.cx(1, 1)
    except ValueError as error:
        print(f"ValueError: {error}")
    try:
        sim.statevector(qelix.Circuit(40))
    except ValueError as error:
        print(f"ValueError: {error}")
    try:
        qelix.phase_estimation("x")
    except ValueError as error:
        print(f"ValueError: {error}")
    try:
        qelix.parse_qasm("OPENQASM 2.0;\nqreg q[1];\nrx(1-2) q[0];")
    except ValueError as error:
        print(f"ValueError: {error}")


if __name__ == "__main__":
    main()
