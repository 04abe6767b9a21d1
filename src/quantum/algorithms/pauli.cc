#include "quantum/algorithms/pauli.h"

namespace qelix {

namespace {

bool bit_set(std::size_t index, std::size_t q) { return q < 64 && ((index >> q) & 1) != 0; }

}  // namespace

Hamiltonian h2_hamiltonian() {
    return Hamiltonian{
        .terms =
            {
                {.factors = {}, .coefficient = -1.0524},
                {.factors = {{1, Pauli::Z}}, .coefficient = 0.3979},
                {.factors = {{0, Pauli::Z}}, .coefficient = -0.3979},
                {.factors = {{0, Pauli::Z}, {1, Pauli::Z}}, .coefficient = -0.0112},
                {.factors = {{0, Pauli::X}, {1, Pauli::X}}, .coefficient = 0.1809},
            },
        .num_qubits = 2,
    };
}

Status check_factors(std::span<const PauliFactor> factors, std::size_t num_qubits) {
    for (const PauliFactor& f : factors)
        if ((f.pauli == Pauli::X || f.pauli == Pauli::Y) && f.qubit >= num_qubits)
            return std::unexpected(QuantumError::qubit_out_of_range(f.qubit, num_qubits));
    return {};
}

double pauli_expectation(std::span<const PauliFactor> factors, std::span<const Complex> state) {
    const Complex i_unit(0.0, 1.0);
    double total = 0.0;
    for (std::size_t k = 0; k < state.size(); ++k) {
        // P|k> = c|image>, the factors applied in order to the running index.
        std::size_t image = k;
        Complex c(1.0, 0.0);
        for (const PauliFactor& f : factors) {
            switch (f.pauli) {
                case Pauli::I: break;
                case Pauli::X: image ^= std::size_t{1} << f.qubit; break;
                case Pauli::Y:
                    c *= bit_set(image, f.qubit) ? -i_unit : i_unit;
                    image ^= std::size_t{1} << f.qubit;
                    break;
                case Pauli::Z:
                    if (bit_set(image, f.qubit)) c = -c;
                    break;
            }
        }
        if (image >= state.size()) throw InternalFault("Pauli factor moved a basis index out of the register");
        total += (std::conj(state[image]) * c * state[k]).real();
    }
    return total;
}

int key_parity(std::span<const PauliFactor> factors, std::string_view key) {
    int parity = 1;
    for (const PauliFactor& f : factors)
        if (f.pauli != Pauli::I && f.qubit < key.size() && key[f.qubit] != '0') parity = -parity;
    return parity;
}

}  // namespace qelix
