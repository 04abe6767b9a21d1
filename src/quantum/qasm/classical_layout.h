#pragma once
// The classical registers a written program declares, chosen so that every condition names
// exactly its bits.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quantum/circuit/circuit.h"

namespace qelix::qasm {

/// One declared classical register: flat bits [offset, offset + size).
struct ClassicalRegister {
    std::string name;
    std::size_t offset;
    std::size_t size;
};

/// Registers that cover the classical bits in order, so that reading the text back numbers
/// every bit as before. A run of bits that a condition reads becomes a register of its own;
/// a circuit whose conditions all read every bit (or that has none) keeps the one register c.
class ClassicalLayout {
   public:
    explicit ClassicalLayout(const Circuit& circuit);

    /// The registers in declaration order (none without classical bits).
    const std::vector<ClassicalRegister>& registers() const { return registers_; }
    /// "c[3]" or "c1[0]": how the text names a classical bit.
    std::string bit_name(std::size_t bit) const;
    /// "c1==5" for a condition whose bits are exactly one register, else nothing.
    std::optional<std::string> condition(const std::vector<std::size_t>& bits, std::uint64_t value) const;

   private:
    std::vector<ClassicalRegister> registers_;
};

}  // namespace qelix::qasm
