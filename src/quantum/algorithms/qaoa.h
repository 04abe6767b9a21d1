#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "quantum/algorithms/graph.h"
#include "quantum/algorithms/state_workspace.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// The expected cut of one QAOA state and the assignment it reports.
struct QaoaEvaluation {
    double expected_cut = 0.0;
    Assignment assignment;
    bool operator==(const QaoaEvaluation&) const = default;
};

/// The outcome of a QAOA MaxCut search.
struct QaoaResult {
    /// best_cost / optimum when the optimum is positive.
    std::optional<double> approximation_ratio;
    /// The assignment reported with the best expected cut.
    Assignment best_solution;
    /// Final cost-layer angles, one per layer.
    std::vector<double> optimal_gamma;
    /// Final mixer angles, one per layer.
    std::vector<double> optimal_beta;
    /// The expected cut at the start of every iteration.
    std::vector<double> cost_history;
    /// The highest expected cut seen; -inf when nothing was evaluated.
    double best_cost = 0.0;
    bool operator==(const QaoaResult&) const = default;
};

/// The p-layer QAOA circuit: H on every vertex, then per layer a CNOT-Rz-CNOT per edge
/// and an Rx mixer on every vertex. gammas and betas must have the same length.
Result<Circuit> qaoa_circuit(const Graph& graph, std::span<const double> gammas, std::span<const double> betas);

/// The expected cut of the QAOA state and its most likely best assignment: exact from
/// the state vector when noiseless, otherwise from max(shots, 1) measured shots.
Result<QaoaEvaluation> qaoa_evaluate(const Graph& graph, std::span<const double> gammas, std::span<const double> betas,
                                     std::uint32_t shots, const SimulatorConfig& config);

/// qaoa_evaluate with the workspace's configuration, simulating on its reused buffer and
/// looking every basis state's cut up in `cuts` = cut_table(graph).
Result<QaoaEvaluation> qaoa_evaluate(const Graph& graph, std::span<const double> gammas, std::span<const double> betas,
                                     std::uint32_t shots, StateWorkspace& workspace, std::span<const double> cuts);

/// Gradient ascent of the expected cut over p layers of angles, with backtracking
/// steps, compared at the end with the brute-force optimum.
Result<QaoaResult> qaoa_maxcut(const Graph& graph, std::size_t p, std::size_t max_iterations, std::uint32_t shots,
                               const SimulatorConfig& config);

}  // namespace qelix
