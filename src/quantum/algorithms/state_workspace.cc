#include "quantum/algorithms/state_workspace.h"

#include <utility>

#include "core/propagate.h"

namespace qelix {

bool StateWorkspace::plain_state_vector(const Circuit& circuit) const {
    const Backend& backend = config_.backend;
    const bool engine = backend.kind == BackendKind::StateVector ||
                        (backend.kind == BackendKind::Auto && circuit.num_qubits() <= AUTO_MAX_STATEVECTOR_QUBITS);
    return engine && config_.noise.is_ideal() && !needs_trajectories(circuit);
}

Result<std::span<const Complex>> StateWorkspace::run(const Circuit& circuit) {
    if (plain_state_vector(circuit) && buffer_ && buffer_->num_qubits() == circuit.num_qubits()) {
        buffer_->reset();
        buffer_->apply_circuit(circuit, use_parallel(config_, circuit));
    } else {
        // First use, or anything unusual: the driver allocates and reports its errors.
        auto state = statevector(config_, circuit);
        QELIX_TRY(state);
        buffer_ = std::move(*state);
    }
    return std::as_const(*buffer_).amplitudes();
}

}  // namespace qelix
