#include "quantum/algorithms/qaoa.h"

#include <array>
#include <string>
#include <limits>
#include <utility>

#include "quantum/statevector/memory.h"
#include "core/propagate.h"

namespace qelix {

namespace {

constexpr double INITIAL_ANGLE = 0.5;
constexpr double FD_OFFSET = 0.05;
constexpr double FD_DIVISOR = 0.1;
constexpr std::array<double, 3> TRIAL_STEPS = {0.2, 0.1, 0.05};
constexpr double MIN_INCREASE = 1e-10;
/// Angle vectors of p entries held at once: angles, gradients, trials, and the caller's copies.
constexpr std::uint64_t ANGLE_VECTORS = 8;
/// A generous figure for one circuit instruction with its matrix and target list.
constexpr std::uint64_t INSTRUCTION_BYTES = sizeof(Instruction) + 320;

/// Whether p layers of angles, and of circuit when anything is evaluated, fit in memory.
bool layers_fit(const Graph& graph, std::size_t p, std::size_t max_iterations) {
    std::uint64_t per_layer = ANGLE_VECTORS * sizeof(double);
    if (max_iterations > 0) {
        const std::uint64_t gates = 3 * std::uint64_t{graph.edges.size()} + graph.num_vertices;
        std::uint64_t circuit = 0;
        if (__builtin_mul_overflow(gates, INSTRUCTION_BYTES, &circuit)) return false;
        if (__builtin_add_overflow(per_layer, circuit, &per_layer)) return false;
    }
    std::uint64_t total = 0;
    if (__builtin_mul_overflow(per_layer, std::uint64_t{p}, &total)) return false;
    return can_provide(total);
}

/// Evaluates one graph at varied angles, reusing its table of cut values and one state buffer.
class CutProbe {
   public:
    CutProbe(const Graph& graph, std::uint32_t shots, const SimulatorConfig& config)
        : graph_(graph), cuts_(cut_table(graph)), shots_(shots), workspace_(config) {}

    Result<QaoaEvaluation> at(std::span<const double> gammas, std::span<const double> betas) {
        return qaoa_evaluate(graph_, gammas, betas, shots_, workspace_, cuts_);
    }

    /// Central differences of the expected cut, every gamma first and then every beta,
    /// the plus side of each angle evaluated first.
    Status gradient(std::vector<double>& gammas, std::vector<double>& betas, std::vector<double>& grad_gamma,
                    std::vector<double>& grad_beta) {
        QELIX_TRY(differentiate(gammas, gammas, betas, grad_gamma));
        return differentiate(betas, gammas, betas, grad_beta);
    }

   private:
    /// Differentiates along each element of `angles`, which is `gammas` or `betas`.
    Status differentiate(std::vector<double>& angles, const std::vector<double>& gammas,
                         const std::vector<double>& betas, std::vector<double>& out) {
        for (std::size_t i = 0; i < angles.size(); ++i) {
            const double theta = angles[i];
            angles[i] = theta + FD_OFFSET;
            auto plus = at(gammas, betas);
            angles[i] = theta - FD_OFFSET;
            auto minus = plus ? at(gammas, betas) : plus;
            angles[i] = theta;
            QELIX_TRY(minus);
            out[i] = (plus->expected_cut - minus->expected_cut) / FD_DIVISOR;
        }
        return {};
    }

    const Graph& graph_;
    std::vector<double> cuts_;
    std::uint32_t shots_;
    StateWorkspace workspace_;
};

}  // namespace

Result<QaoaResult> qaoa_maxcut(const Graph& graph, std::size_t p, std::size_t max_iterations, std::uint32_t shots,
                               const SimulatorConfig& config) {
    if (p == 0) return std::unexpected(QuantumError::invalid_argument("QAOA requires at least one layer"));
    if (graph.num_vertices > MAX_QAOA_VERTICES)
        return std::unexpected(QuantumError::too_many_qubits(graph.num_vertices, MAX_QAOA_VERTICES));
    if (!layers_fit(graph, p, max_iterations))
        return std::unexpected(QuantumError::memory_limit("QAOA with " + std::to_string(p) +
                                                          " layers needs more memory than is available"));

    CutProbe probe(graph, shots, config);
    std::vector<double> gammas(p, INITIAL_ANGLE), betas(p, INITIAL_ANGLE);
    std::vector<double> grad_gamma(p), grad_beta(p), trial_gamma(p), trial_beta(p);
    QaoaResult result{.approximation_ratio = std::nullopt,
                      .best_solution = Assignment(graph.num_vertices),
                      .optimal_gamma = {},
                      .optimal_beta = {},
                      .cost_history = {},
                      .best_cost = -std::numeric_limits<double>::infinity()};

    for (std::size_t t = 0; t < max_iterations; ++t) {
        auto current = probe.at(gammas, betas);
        QELIX_TRY(current);
        const double e = current->expected_cut;
        result.cost_history.push_back(e);
        if (e > result.best_cost || e != e) {
            result.best_cost = e;
            result.best_solution = std::move(current->assignment);
        }
        QELIX_TRY(probe.gradient(gammas, betas, grad_gamma, grad_beta));

        bool accepted = false;
        for (double step : TRIAL_STEPS) {
            for (std::size_t i = 0; i < p; ++i) {
                trial_gamma[i] = gammas[i] + step * grad_gamma[i];
                trial_beta[i] = betas[i] + step * grad_beta[i];
            }
            auto trial = probe.at(trial_gamma, trial_beta);
            QELIX_TRY(trial);
            if (trial->expected_cut > e + MIN_INCREASE) {
                gammas.swap(trial_gamma);
                betas.swap(trial_beta);
                if (trial->expected_cut > result.best_cost) {
                    result.best_cost = trial->expected_cut;
                    result.best_solution = std::move(trial->assignment);
                }
                accepted = true;
                break;
            }
        }
        if (!accepted) break;
    }

    const double optimum = max_cut_brute_force(graph);
    if (optimum > 0.0) result.approximation_ratio = result.best_cost / optimum;
    result.optimal_gamma = std::move(gammas);
    result.optimal_beta = std::move(betas);
    return result;
}

}  // namespace qelix
