#pragma once
#include <string>

#include "quantum/circuit/circuit.h"

namespace qelix {

/// Renders the circuit as text: one row per qubit, one column per instruction.
std::string draw(const Circuit& circuit);

}  // namespace qelix
