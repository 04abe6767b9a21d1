#pragma once
#include <optional>
#include <span>

#include "quantum/simulator/simulator.h"

namespace qelix {

/// Runs the many small noiseless circuits of a variational search on one reused
/// amplitude buffer. Each result is the state `statevector(config, circuit)` returns,
/// bit for bit, without a fresh allocation and memory probe per evaluation.
class StateWorkspace {
   public:
    /// The configuration must outlive the workspace.
    explicit StateWorkspace(const SimulatorConfig& config) : config_(config) {}

    const SimulatorConfig& config() const { return config_; }

    /// The final state of `circuit`, valid until the next call; errors as statevector().
    Result<std::span<const Complex>> run(const Circuit& circuit);

   private:
    /// Whether the driver would run this circuit on the plain state-vector engine.
    bool plain_state_vector(const Circuit& circuit) const;

    const SimulatorConfig& config_;
    std::optional<StateBuffer> buffer_;
};

}  // namespace qelix
