#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "quantum/simulator/simulator.h"

namespace qelix {

/// The error of the first failing circuit of a batch, and its index in the list.
struct BatchError {
    std::size_t index;
    QuantumError error;
};

/// `run` of every circuit with the same configuration and shot count, each result equal
/// to what a call of its own gives. Circuits narrower than PARALLEL_MIN_QUBITS are spread
/// over the worker pool when the configuration allows it (each still runs on one thread,
/// so nothing depends on the split); wider ones run one after another with parallel kernels.
std::expected<std::vector<QuantumResult>, BatchError> run_batch(const SimulatorConfig& config,
                                                                std::span<const Circuit* const> circuits,
                                                                std::uint32_t shots);

}  // namespace qelix
