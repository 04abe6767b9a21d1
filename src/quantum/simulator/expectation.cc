#include "quantum/simulator/expectation.h"

#include <variant>
#include <vector>

#include "quantum/mps/expectation.h"
#include "quantum/mps/route.h"
#include "quantum/simulator/trajectory.h"
#include "quantum/statevector/expectation.h"

namespace qelix {

namespace {

/// The instructions without the measurements that follow the last gate.
std::vector<Instruction> without_final_measurements(const Circuit& circuit) {
    std::vector<Instruction> ops = circuit.instructions();
    std::size_t last_gate = 0;
    for (std::size_t i = 0; i < ops.size(); ++i)
        if (!std::holds_alternative<MeasureOp>(ops[i]) && !std::holds_alternative<BarrierOp>(ops[i])) last_gate = i + 1;
    std::erase_if(ops, [&, i = std::size_t{0}](const Instruction& op) mutable {
        return i++ >= last_gate && std::holds_alternative<MeasureOp>(op);
    });
    return ops;
}

/// The mean of the observable over `shots` trajectories.
Result<double> trajectory_mean(const SimulatorConfig& config, const Circuit& circuit, const Observable& observable,
                               std::uint32_t shots) {
    auto state = StateBuffer::allocate(circuit.num_qubits());
    if (!state) return std::unexpected(state.error());
    const std::vector<Instruction> ops = without_final_measurements(circuit);
    const bool parallel = use_parallel(config, circuit);
    const NoiseModel* model = config.noise.is_ideal() ? nullptr : &config.noise;
    std::vector<std::uint8_t> register_bits(circuit.num_classical_bits());
    SeededRng rng = make_rng(config);
    double sum = 0.0;
    for (std::uint32_t shot = 0; shot < shots; ++shot) {
        if (shot > 0) state->reset();
        std::fill(register_bits.begin(), register_bits.end(), 0);
        if (Status ok = run_shot(*state, ops, register_bits, rng, parallel, model); !ok)
            return std::unexpected(ok.error());
        sum += expectation(state->amplitudes(), observable, parallel);
    }
    return sum / shots;
}

}  // namespace

Result<double> expectation(const SimulatorConfig& config, const Circuit& circuit, const Observable& observable,
                           std::uint32_t shots) {
    if (shots == 0) return std::unexpected(QuantumError::invalid_shots(0));
    if (Status ok = check_observable(observable, circuit.num_qubits()); !ok) return std::unexpected(ok.error());
    if (Status ok = check_gates(circuit); !ok) return std::unexpected(ok.error());
    const bool noisy = !config.noise.is_ideal();
    if (auto bond = mps_bond_limit(config, circuit, Request::Counts)) {
        if (noisy) return std::unexpected(QuantumError::unsupported("MPS backend does not yet support noise models"));
        if (needs_trajectories(circuit))
            return std::unexpected(QuantumError::unsupported("MPS backend does not support mid-circuit measurements"));
        auto chain = simulate_mps(circuit, *bond);
        if (!chain) return std::unexpected(chain.error());
        return expectation(*chain, observable);
    }
    if (noisy || needs_trajectories(circuit)) return trajectory_mean(config, circuit, observable, shots);
    auto state = statevector(config, circuit);
    if (!state) return std::unexpected(state.error());
    return expectation(state->amplitudes(), observable, use_parallel(config, circuit));
}

}  // namespace qelix
