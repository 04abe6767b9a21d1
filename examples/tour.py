"""A tour of qelix: build circuits, draw them and look at their figures."""
import qelix


def section(title):
    print(f"\n== {title} ==")


def show(circuit):
    print(circuit.draw())
    print(f"{circuit!r}: gate_count={circuit.gate_count}, depth={circuit.depth}, "
          f"classical bits={circuit.num_classical_bits}")


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

    section("Errors are exceptions with clear messages")
    try:
        bell.cx(1, 1)
    except ValueError as error:
        print(f"ValueError: {error}")


if __name__ == "__main__":
    main()
