#pragma once
#include <string_view>

#include "quantum/circuit/circuit.h"
#include "quantum/qasm/error.h"
#include "quantum/qasm/limits.h"

namespace qelix {

/// Reads OpenQASM 2.0 source into a new circuit. The first error ends parsing and no partial
/// circuit is returned; Syntax errors carry the line of the statement concerned.
QasmResult<Circuit> parse_qasm(std::string_view source);

}  // namespace qelix

namespace qelix::qasm {

/// `parse_qasm` with other bounds on the work a program may cause.
QasmResult<Circuit> parse_qasm(std::string_view source, const ParseLimits& limits);

}  // namespace qelix::qasm
