#pragma once
#include <cstddef>
#include <limits>
#include <string>

#include "quantum/circuit/circuit.h"

namespace qelix {

/// Renders the circuit as a standalone SVG picture: one wire per qubit, a double wire for the
/// classical bits, instructions packed into the earliest column their wires allow. At most
/// `max_columns` columns are drawn; the rest is marked by an ellipsis.
std::string draw_svg(const Circuit& circuit, std::size_t max_columns = std::numeric_limits<std::size_t>::max());

}  // namespace qelix
