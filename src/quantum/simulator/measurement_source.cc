#include "quantum/simulator/measurement_source.h"

#include <array>
#include <memory>

#include "quantum/circuit/circuit.h"
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
    // The settings of a default Simulator(): no seed, ideal noise, parallel allowed.
    // Each batch's circuit depends only on k, so a request builds each width once.
    struct State {
        SimulatorConfig config;
        std::array<std::optional<Circuit>, MAX_SOURCE_QUBITS + 1> circuits;
    };
    auto state = std::make_shared<State>();
    return [state](std::size_t k) -> std::optional<std::string> {
        if (k == 0 || k > MAX_SOURCE_QUBITS) return std::nullopt;
        std::optional<Circuit>& circuit = state->circuits[k];
        if (!circuit) circuit = superposition_circuit(k);
        if (!circuit) return std::nullopt;
        Result<QuantumResult> result = run(state->config, *circuit, 1);
        if (!result) return std::nullopt;
        return result->most_probable().first;
    };
}

}  // namespace qelix
