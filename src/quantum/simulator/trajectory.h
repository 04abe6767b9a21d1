#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "quantum/circuit/circuit.h"
#include "quantum/simulator/noise.h"
#include "quantum/simulator/result.h"
#include "quantum/random/rng.h"
#include "quantum/statevector/gate_run.h"
#include "quantum/statevector/statevector.h"

namespace qelix {

/// Applies each channel of `channels`, in order, to `qubit` after a gate or at a
/// barrier, drawing from `rng` as each channel kind prescribes. Pauli errors join the
/// run's queue like gates; a channel that reads the state applies the queue first.
Status apply_channels(GateRun& run, std::size_t qubit, std::span<const NoiseChannel> channels, SeededRng& rng);

/// Applies the measurement channels to a recorded bit; the state is not touched.
unsigned apply_readout_channels(unsigned bit, std::span<const NoiseChannel> channels, SeededRng& rng);

/// Runs `circuit` once per shot on a fresh |0...0>, every measurement outcome and noise
/// event drawn from `rng` in circuit order, and counts the final classical registers
/// (key character i = classical bit i). Without a model no channel is applied. The
/// first error ends the run and discards the counts.
Result<QuantumResult> run_trajectories(const Circuit& circuit, std::uint32_t shots, SeededRng& rng, bool parallel,
                                       const NoiseModel* model);

}  // namespace qelix
