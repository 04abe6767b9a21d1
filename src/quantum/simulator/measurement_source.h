#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace qelix {

/// Most qubits one batch of a measurement source simulates.
inline constexpr std::size_t MAX_SOURCE_QUBITS = 8;

/// Measures `k` (1..MAX_SOURCE_QUBITS) qubits in equal superposition once per entry of
/// `outcomes`, storing each outcome as a number whose bit i is qubit i's result; returns how
/// many entries it filled (fewer than asked when a run failed).
using MeasurementSource = std::function<std::size_t(std::size_t k, std::span<std::uint8_t> outcomes)>;

/// The quantum random source: H on each qubit, then every qubit measured, sampled from the
/// simulated circuit's probabilities with a generator seeded from the operating system.
/// Each width is simulated once per source; every outcome is one draw from that state, as a
/// one-shot run of a default simulator would make it.
MeasurementSource measurement_source();

}  // namespace qelix
