#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "quantum/algorithms/ansatz.h"
#include "quantum/algorithms/pauli.h"
#include "quantum/algorithms/state_workspace.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// The outcome of a variational energy minimisation.
struct VqeResult {
    /// Parameters of the lowest energy seen.
    std::vector<double> optimal_params;
    /// The energy at the start of every iteration, in order.
    std::vector<double> energy_history;
    /// The lowest energy seen.
    double energy = 0.0;
    /// The length of energy_history.
    std::size_t iterations = 0;
    /// True when the loop stopped before max_iterations was used up.
    bool converged = false;
    bool operator==(const VqeResult&) const = default;
};

/// <psi(params)|H|psi(params)>: exact from the state vector when the configuration is
/// noiseless, otherwise estimated term by term from `shots` measured shots (at least 1).
Result<double> vqe_energy(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::span<const double> params,
                          std::uint32_t shots, const SimulatorConfig& config);
/// vqe_energy with the workspace's configuration, simulating on its reused buffer.
Result<double> vqe_energy(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::span<const double> params,
                          std::uint32_t shots, StateWorkspace& workspace);

/// Gradient descent on vqe_energy with central differences, a backtracking step and a
/// flat-window convergence test, starting from `initial_params`.
Result<VqeResult> run_vqe(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::vector<double> initial_params,
                          std::size_t max_iterations, std::uint32_t shots, const SimulatorConfig& config);

}  // namespace qelix
