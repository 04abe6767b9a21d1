#pragma once
#include <cstddef>

namespace qelix::qasm {

/// Bounds on the work one program may make the parser do. A few lines of nested gate
/// definitions can describe more gates than memory holds, or endless calls that produce
/// nothing; the defaults are far above what a simulable program needs.
struct ParseLimits {
    /// Gates that expanding user definitions may produce, over the whole program.
    std::size_t expanded_gates = std::size_t{1} << 20;
    /// Characters of definition bodies that expansion may read, over the whole program.
    std::size_t expanded_text = std::size_t{1} << 26;
    /// Classical-bit references that all conditionals may hold together; each conditional
    /// gate lists every bit of its register.
    std::size_t condition_bits = std::size_t{1} << 24;
};

}  // namespace qelix::qasm
