#include "quantum/algorithms/vqe.h"

#include <array>
#include <limits>
#include <utility>

#include "core/propagate.h"

namespace qelix {

namespace {

constexpr double FD_OFFSET = 0.05;
constexpr double FD_DIVISOR = 0.1;
constexpr std::array<double, 4> TRIAL_STEPS = {0.25, 0.125, 0.0625, 0.03125};
constexpr double MIN_DECREASE = 1e-10;
constexpr std::size_t WINDOW = 5;
constexpr double WINDOW_VARIANCE = 1e-9;

/// Population variance of the last WINDOW energies (the caller ensures there are enough).
double window_variance(const std::vector<double>& history) {
    const auto first = history.end() - WINDOW;
    double sum = 0.0;
    for (auto it = first; it != history.end(); ++it) sum += *it;
    const double mean = sum / static_cast<double>(WINDOW);
    double squares = 0.0;
    for (auto it = first; it != history.end(); ++it) squares += (*it - mean) * (*it - mean);
    return squares / static_cast<double>(WINDOW);
}

/// Evaluates the energy at varied parameter vectors on one reused state buffer.
class EnergyProbe {
   public:
    EnergyProbe(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::uint32_t shots,
                const SimulatorConfig& config)
        : hamiltonian_(hamiltonian), ansatz_(ansatz), shots_(shots), workspace_(config) {}

    Result<double> at(std::span<const double> params) {
        return vqe_energy(hamiltonian_, ansatz_, params, shots_, workspace_);
    }

    /// Central-difference gradient, the plus side of each parameter evaluated first.
    /// `shifted` is scratch space of the parameters' size.
    Status gradient(const std::vector<double>& params, std::vector<double>& shifted, std::vector<double>& out) {
        shifted = params;
        for (std::size_t i = 0; i < params.size(); ++i) {
            shifted[i] = params[i] + FD_OFFSET;
            auto plus = at(shifted);
            QELIX_TRY(plus);
            shifted[i] = params[i] - FD_OFFSET;
            auto minus = at(shifted);
            QELIX_TRY(minus);
            shifted[i] = params[i];
            out[i] = (*plus - *minus) / FD_DIVISOR;
        }
        return {};
    }

   private:
    const Hamiltonian& hamiltonian_;
    const Ansatz& ansatz_;
    std::uint32_t shots_;
    StateWorkspace workspace_;
};

}  // namespace

Result<VqeResult> run_vqe(const Hamiltonian& hamiltonian, const Ansatz& ansatz, std::vector<double> initial_params,
                          std::size_t max_iterations, std::uint32_t shots, const SimulatorConfig& config) {
    const std::size_t expected = parameter_count(ansatz, hamiltonian.num_qubits);
    if (initial_params.size() != expected)
        return std::unexpected(parameter_count_error(expected, initial_params.size()));

    EnergyProbe probe(hamiltonian, ansatz, shots, config);
    std::vector<double> params = std::move(initial_params);
    std::vector<double> best_params = params;
    std::vector<double> grad(params.size());
    std::vector<double> candidate(params.size());
    double best = std::numeric_limits<double>::infinity();
    VqeResult result;

    std::size_t t = 0;
    for (; t < max_iterations; ++t) {
        auto energy = probe.at(params);
        QELIX_TRY(energy);
        const double e = *energy;
        result.energy_history.push_back(e);
        if (e < best) {
            best = e;
            best_params = params;
        }
        QELIX_TRY(probe.gradient(params, candidate, grad));

        bool accepted = false;
        for (double step : TRIAL_STEPS) {
            for (std::size_t i = 0; i < params.size(); ++i) candidate[i] = params[i] - step * grad[i];
            auto trial = probe.at(candidate);
            QELIX_TRY(trial);
            if (e > *trial + MIN_DECREASE) {
                accepted = true;
                break;
            }
        }
        if (!accepted) break;
        params.swap(candidate);
        if (result.energy_history.size() >= WINDOW && window_variance(result.energy_history) < WINDOW_VARIANCE) break;
    }

    auto final_energy = probe.at(params);
    QELIX_TRY(final_energy);
    if (*final_energy < best) {
        result.optimal_params = std::move(params);
        result.energy = *final_energy;
    } else {
        result.optimal_params = std::move(best_params);
        result.energy = best;
    }
    result.iterations = result.energy_history.size();
    result.converged = t < max_iterations;
    return result;
}

}  // namespace qelix
