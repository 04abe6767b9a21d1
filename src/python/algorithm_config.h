#pragma once
// The simulator configuration every algorithm function runs with.
#include <cstdint>
#include <optional>

#include "quantum/simulator/simulator.h"

namespace qelix::py {

/// State vector, ideal noise, parallel kernels, and the caller's seed if any.
inline SimulatorConfig algorithm_config(std::optional<std::uint64_t> seed) {
    return SimulatorConfig{
        .seed = seed, .backend = Backend::state_vector(), .noise = NoiseModel::ideal(), .parallel = true};
}

}  // namespace qelix::py
