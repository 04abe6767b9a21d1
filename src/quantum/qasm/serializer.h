#pragma once
#include <string>

#include "quantum/circuit/circuit.h"

namespace qelix {

/// Writes the circuit as OpenQASM 2.0 text (lines joined by "\n", no final line break): one
/// register q, one register c, one line per instruction. Never fails: an operation that has
/// no QASM form becomes a comment line, which the parser skips. An interrupted call
/// (core/interrupt.h) stops early with part of the text.
std::string to_qasm(const Circuit& circuit);

}  // namespace qelix
