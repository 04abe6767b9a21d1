#include <algorithm>

#include "quantum/algorithms/vqe.h"
#include "core/propagate.h"

namespace qelix {

namespace {

Result<double> exact_energy(const Hamiltonian& hamiltonian, const Circuit& ansatz_circuit, StateWorkspace& workspace) {
    for (const PauliTerm& term : hamiltonian.terms) QELIX_TRY(check_factors(term.factors, hamiltonian.num_qubits));
    auto state = workspace.run(ansatz_circuit);
    QELIX_TRY(state);
    const std::span<const Complex> amplitudes = *state;
    double total = 0.0;
    for (const PauliTerm& term : hamiltonian.terms) {
        double value = 1.0;
        if (!term.is_identity()) value = amplitudes.empty() ? 0.0 : pauli_expectation(term.factors, amplitudes);
        total += term.coefficient * value;
    }
    return total;
}

/// Rotates every factor's axis onto Z and measures all qubits in order.
Status append_measurement_basis(Circuit& circuit, const PauliTerm& term) {
    for (const PauliFactor& f : term.factors) {
        Status ok;
        if (f.pauli == Pauli::X) ok = circuit.h(f.qubit);
        if (f.pauli == Pauli::Y) {
            ok = circuit.sdg(f.qubit);
            if (ok) ok = circuit.h(f.qubit);
        }
        QELIX_TRY(ok);
    }
    for (std::size_t q = 0; q < circuit.num_qubits(); ++q) QELIX_TRY(circuit.measure(q));
    return {};
}

Result<double> sampled_energy(const Hamiltonian& hamiltonian, const Circuit& ansatz_circuit, std::uint32_t shots,
                              const SimulatorConfig& config) {
    double total = 0.0;
    for (const PauliTerm& term : hamiltonian.terms) {
        if (term.is_identity()) {
            total += term.coefficient;
            continue;
        }
        Circuit circuit = ansatz_circuit;
        QELIX_TRY(append_measurement_basis(circuit, term));
        auto result = run(config, circuit, std::max<std::uint32_t>(shots, 1));
        QELIX_TRY(result);
        double value = 0.0;
        for (const auto& [key, count] : result->counts)
            value += static_cast<double>(key_parity(term.factors, key)) * static_cast<double>(count) /
                     static_cast<double>(result->total_shots);
        total += term.coefficient * value;
    }
    return total;
}

}  // namespace

Result<double> vqe_energy(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::span<const double> params,
                          std::uint32_t shots, StateWorkspace& workspace) {
    auto circuit = Circuit::create(hamiltonian.num_qubits);
    QELIX_TRY(circuit);
    QELIX_TRY(append_ansatz(*circuit, ansatz, params));
    const SimulatorConfig& config = workspace.config();
    if (config.noise.is_ideal()) return exact_energy(hamiltonian, *circuit, workspace);
    return sampled_energy(hamiltonian, *circuit, shots, config);
}

Result<double> vqe_energy(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::span<const double> params,
                          std::uint32_t shots, const SimulatorConfig& config) {
    StateWorkspace workspace(config);
    return vqe_energy(hamiltonian, ansatz, params, shots, workspace);
}

}  // namespace qelix
