#include "quantum/simulator/measurement_source.h"

#include <array>
#include <memory>
#include <optional>

#include "quantum/circuit/circuit.h"
#include "quantum/simulator/sampler.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

namespace {

// H on each of k qubits, then every qubit measured in order.
std::optional<Circuit> superposition_circuit(std::size_t k) {
    Result<Circuit> circuit = Circuit::create(k);
    if (!circuit) return std::nullopt;
    for (std::size_t q = 0; q < k; ++q) {
        if (!circuit->h(q)) return std::nullopt;
    }
    if (!circuit->measure_all()) return std::nullopt;
    return std::move(*circuit);
}

}  // namespace

MeasurementSource measurement_source() {
    // The settings of a default Simulator(): no seed, ideal noise, parallel allowed. A shot
    // of the fast path is one next_f64 draw looked up in the circuit's probabilities, and
    // the measured qubits are 0..k-1 in order, so the drawn basis index is the outcome.
    struct State {
        SimulatorConfig config;
        std::array<std::optional<Sampler>, MAX_SOURCE_QUBITS + 1> samplers;
        std::optional<SeededRng> rng;
    };
    auto state = std::make_shared<State>();
    return [state](std::size_t k, std::span<std::uint8_t> outcomes) -> std::size_t {
        if (k == 0 || k > MAX_SOURCE_QUBITS) return 0;
        std::optional<Sampler>& sampler = state->samplers[k];
        if (!sampler) {
            std::optional<Circuit> circuit = superposition_circuit(k);
            if (!circuit) return 0;
            Result<Probabilities> probabilities = qelix::probabilities(state->config, *circuit);
            if (!probabilities) return 0;
            sampler.emplace(std::move(*probabilities));
        }
        if (!state->rng) state->rng = SeededRng::from_entropy();
        for (std::uint8_t& outcome : outcomes)
            outcome = static_cast<std::uint8_t>(sampler->index_for(state->rng->next_f64()));
        return outcomes.size();
    };
}

}  // namespace qelix
