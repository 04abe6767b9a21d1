#pragma once
// The gates the parser knows without a definition (qelib1 names) and what they produce.
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "quantum/circuit/gate.h"

namespace qelix::qasm {

/// One produced gate with its flat targets.
struct PlacedGate {
    Gate gate;
    std::vector<std::size_t> targets;
};

/// Appends the gates of a built-in call and returns true, or returns false when the lower-case
/// name with these parameter and operand counts is not built in (crk only for whole k >= 0).
bool emit_builtin(std::string_view name, std::span<const double> params, std::span<const std::size_t> qubits,
                  std::vector<PlacedGate>& out);

}  // namespace qelix::qasm
