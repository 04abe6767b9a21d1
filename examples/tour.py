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

    section("Variational eigensolver for hydrogen")
    vqe = qelix.vqe_hydrogen()
    history = vqe["energy_history"]
    print(f"start energy  {history[0]:.4f} Ha (all-zero state)" if history else "no iterations")
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

    section("Errors are exceptions with clear messages")
    try:
        bell.cx(1, 1)
    except ValueError as error:
        print(f"ValueError: {error}")


if __name__ == "__main__":
    main()
