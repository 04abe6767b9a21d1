#include "quantum/simulator/batch.h"

#include <exception>
#include <mutex>
#include <optional>

#include "quantum/statevector/parallel.h"

namespace qelix {

std::expected<std::vector<QuantumResult>, BatchError> run_batch(const SimulatorConfig& config,
                                                                std::span<const Circuit* const> circuits,
                                                                std::uint32_t shots) {
    bool spread = config.parallel;
    for (const Circuit* c : circuits) spread = spread && c->num_qubits() < PARALLEL_MIN_QUBITS;
    std::vector<std::optional<Result<QuantumResult>>> outcomes(circuits.size());
    // An exception must not leave a worker thread: the first one is kept and rethrown here.
    std::exception_ptr thrown;
    std::mutex thrown_mutex;
    parallel_for(circuits.size(), spread, [&](std::size_t begin, std::size_t end) {
        try {
            for (std::size_t i = begin; i < end; ++i) outcomes[i] = run(config, *circuits[i], shots);
        } catch (...) {
            std::lock_guard lock(thrown_mutex);
            if (!thrown) thrown = std::current_exception();
        }
    });
    if (thrown) std::rethrow_exception(thrown);
    std::vector<QuantumResult> results;
    results.reserve(circuits.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (!*outcomes[i]) return std::unexpected(BatchError{i, outcomes[i]->error()});
        results.push_back(std::move(**outcomes[i]));
    }
    return results;
}

}  // namespace qelix
