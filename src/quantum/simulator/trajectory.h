#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

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

/// Runs one shot of `instructions` on `state` (not reset first), measurement outcomes and
/// noise events drawn from `rng` in order, recording into `register_bits` (as many as the
/// circuit's classical bits). Without a model no channel is applied.
Status run_shot(StateBuffer& state, std::span<const Instruction> instructions, std::vector<std::uint8_t>& register_bits,
                SeededRng& rng, bool parallel, const NoiseModel* model);

/// Runs `circuit` once per shot on a fresh |0...0>, every measurement outcome and noise
/// event drawn from `rng` in circuit order, and counts the final classical registers
/// (key character i = classical bit i). Without a model no channel is applied. The
/// first error ends the run and discards the counts.
Result<QuantumResult> run_trajectories(const Circuit& circuit, std::uint32_t shots, SeededRng& rng, bool parallel,
                                       const NoiseModel* model);

}  // namespace qelix
