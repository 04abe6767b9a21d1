#pragma once
#include <cstdint>

#include "quantum/circuit/circuit.h"

namespace qelix {

/// Largest number of instructions `power` builds.
inline constexpr std::size_t MAX_POWER_INSTRUCTIONS = std::size_t{1} << 26;

/// The inverse of a gate, matrix the exact conjugate transpose. Hermitian gates (H, X,
/// CNOT, ...) are their own inverse and come back unchanged; S and T become Sdg and Tdg
/// (and back); rotations keep their name with the angles negated, so "Rx(0.500)" becomes
/// "Rx(-0.500)" and "U3(a,b,c)" becomes "U3(-a,-c,-b)"; any other gate gets "^dagger"
/// appended, or removed when its name already ends in it.
Gate inverse_gate(const Gate& gate);

/// The circuit run backwards: instructions in reverse order, every gate replaced by
/// inverse_gate, barriers kept. Measurements and conditionals have no inverse and are
/// refused with a Simulation error naming the first one.
Result<Circuit> inverse(const Circuit& circuit);

/// The circuit repeated `exponent` times (as by `append`, so measurements get fresh
/// classical bits); a negative exponent repeats the inverse. Exponent 0 gives an empty
/// circuit of the same width. More than MAX_POWER_INSTRUCTIONS instructions are refused.
Result<Circuit> power(const Circuit& circuit, std::int64_t exponent);

}  // namespace qelix
