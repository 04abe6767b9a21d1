#pragma once
#include <cstdint>

#include "quantum/circuit/circuit.h"
#include "quantum/circuit/observable.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

/// <psi|O|psi> of the circuit's final state for a Pauli sum. Measurements after the last
/// gate are ignored (the state before them is read, as by `statevector`). Noiseless
/// circuits are evaluated exactly, once: on the state vector, or by contraction on the
/// matrix-product-state backend. With noise, or mid-circuit measurements and conditionals,
/// the value is the mean over `shots` trajectories, each drawn as one shot of `run`.
Result<double> expectation(const SimulatorConfig& config, const Circuit& circuit, const Observable& observable,
                           std::uint32_t shots);

}  // namespace qelix
