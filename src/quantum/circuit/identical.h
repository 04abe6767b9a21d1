#pragma once
#include "quantum/circuit/circuit.h"

namespace qelix {

/// The same 64 bits (so NaN equals the same NaN and +0.0 differs from -0.0).
bool same_bits(double a, double b);
/// Name, width and every matrix entry bit for bit.
bool identical(const Gate& a, const Gate& b);
/// Width, classical bits and every instruction exactly, gate matrices bit for bit:
/// a circuit is identical to its copy even when a gate holds a NaN.
bool identical(const Circuit& a, const Circuit& b);

}  // namespace qelix
