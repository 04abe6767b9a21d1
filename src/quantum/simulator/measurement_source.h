#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace qelix {

/// Most qubits one call of a measurement source simulates.
inline constexpr std::size_t MAX_SOURCE_QUBITS = 8;

/// Measures `k` (1..MAX_SOURCE_QUBITS) qubits in equal superposition once; returns the outcome
/// key (one '0'/'1' per qubit, qubit 0 first) or nothing when the run failed.
using MeasurementSource = std::function<std::optional<std::string>(std::size_t k)>;

/// The quantum random source: H on each qubit, measure all, one unseeded shot on a
/// default simulator (its generator seeded from the operating system).
MeasurementSource measurement_source();

}  // namespace qelix
