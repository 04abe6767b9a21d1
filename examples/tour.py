"""A tour of qelix: build circuits, draw them, look at their figures and exchange them as OpenQASM."""
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

    section("Errors are exceptions with clear messages")
    try:
        bell.cx(1, 1)
    except ValueError as error:
        print(f"ValueError: {error}")
    try:
        qelix.parse_qasm("OPENQASM 2.0;\nqreg q[1];\nrx(1-2) q[0];")
    except ValueError as error:
        print(f"ValueError: {error}")


if __name__ == "__main__":
    main()
