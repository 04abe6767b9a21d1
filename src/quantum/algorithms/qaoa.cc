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

/// Whether p layers of angles and of circuit fit in memory.
bool layers_fit(const Graph& graph, std::size_t p) {
    std::uint64_t per_layer = ANGLE_VECTORS * sizeof(double);
    const std::uint64_t gates = 3 * std::uint64_t{graph.edges.size()} + graph.num_vertices;
    std::uint64_t circuit = 0;
    if (__builtin_mul_overflow(gates, INSTRUCTION_BYTES, &circuit)) return false;
    if (__builtin_add_overflow(per_layer, circuit, &per_layer)) return false;
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

    /// The first trial step along the gradient that raises the expected cut above `current`
    /// by more than MIN_INCREASE, its angles moved into `gammas` and `betas`; nothing when
    /// no step does.
    Result<std::optional<QaoaEvaluation>> ascend(std::vector<double>& gammas, std::vector<double>& betas,
                                                 const std::vector<double>& grad_gamma,
                                                 const std::vector<double>& grad_beta, double current) {
        std::vector<double> trial_gamma(gammas.size()), trial_beta(betas.size());
        for (double step : TRIAL_STEPS) {
            for (std::size_t i = 0; i < gammas.size(); ++i) {
                trial_gamma[i] = gammas[i] + step * grad_gamma[i];
                trial_beta[i] = betas[i] + step * grad_beta[i];
            }
            auto trial = at(trial_gamma, trial_beta);
            QELIX_TRY(trial);
            if (trial->expected_cut > current + MIN_INCREASE) {
                gammas.swap(trial_gamma);
                betas.swap(trial_beta);
                return std::optional<QaoaEvaluation>(std::move(*trial));
            }
        }
        return std::optional<QaoaEvaluation>();
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
    if (!layers_fit(graph, p))
        return std::unexpected(QuantumError::memory_limit("QAOA with " + std::to_string(p) +
                                                          " layers needs more memory than is available"));

    CutProbe probe(graph, shots, config);
    std::vector<double> gammas(p, INITIAL_ANGLE), betas(p, INITIAL_ANGLE);
    std::vector<double> grad_gamma(p), grad_beta(p);
    QaoaResult result{.approximation_ratio = std::nullopt,
                      .best_solution = Assignment(graph.num_vertices),
                      .optimal_gamma = {},
                      .optimal_beta = {},
                      .cost_history = {},
                      .best_cost = -std::numeric_limits<double>::infinity()};
    if (max_iterations == 0) {
        // No iteration: the result is the starting angles, evaluated, rather than a cost of -inf.
        auto start = probe.at(gammas, betas);
        QELIX_TRY(start);
        result.best_cost = start->expected_cut;
        result.best_solution = std::move(start->assignment);
    }

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
        auto accepted = probe.ascend(gammas, betas, grad_gamma, grad_beta, e);
        QELIX_TRY(accepted);
        if (!*accepted) break;
        if ((*accepted)->expected_cut > result.best_cost) {
            result.best_cost = (*accepted)->expected_cut;
            result.best_solution = std::move((*accepted)->assignment);
        }
    }

    const double optimum = max_cut_brute_force(graph);
    if (optimum > 0.0) result.approximation_ratio = result.best_cost / optimum;
    result.optimal_gamma = std::move(gammas);
    result.optimal_beta = std::move(betas);
    return result;
}

}  // namespace qelix
