#pragma once
// Quantum and classical registers and the "name[index]" operands that address them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>

#include "quantum/qasm/error.h"
#include "quantum/qasm/scope.h"

namespace qelix::qasm {

/// A register's place in the flat bit list of its kind.
struct Register {
    std::size_t offset;
    std::size_t size;
};

/// Registers of one kind by name, with the running total of their sizes.
class RegisterTable {
   public:
    /// Declares `name` at the end of the flat list; a repeated name points at the new bits and
    /// the old bits stay counted. The total saturates instead of wrapping.
    void declare(std::string_view name, std::size_t size);
    /// The register called `name`, or null.
    const Register* find(std::string_view name) const;
    /// Sum of all declared sizes (saturated at the largest machine word).
    std::size_t total() const { return total_; }
    /// The flat index of `name[index]`.
    QasmResult<std::size_t> resolve(std::string_view name, std::uint64_t index) const;

   private:
    std::unordered_map<std::string_view, Register> registers_;
    std::size_t total_ = 0;
};

/// An operand of the form "name[index]".
struct IndexedName {
    std::string_view name;
    std::uint64_t index;
};

/// Reads "name[index]" (text after the last ']' is ignored); Syntax errors carry `line`.
QasmResult<IndexedName> read_indexed(std::string_view text, std::size_t line);

/// A qubit operand: a qubit argument of the enclosing gate, else "name[index]" of a quantum register.
QasmResult<std::size_t> resolve_qubit(std::string_view text, const Scope& scope, const RegisterTable& qregs,
                                      std::size_t line);

/// A top-level operand: one bit ("q[1]", size 1) or a whole register ("q").
struct Operand {
    std::size_t offset;
    std::size_t size;
    bool whole;
    /// The flat index of the operand's i-th use in a broadcast.
    std::size_t at(std::size_t i) const { return whole ? offset + i : offset; }
};

/// Resolves "name[index]" or a register name in `table`.
QasmResult<Operand> resolve_operand(std::string_view text, const RegisterTable& table, std::size_t line);

/// How many times a statement over these operands applies: the common size of its whole
/// registers, or 1 with none; registers of different sizes are a Syntax error.
QasmResult<std::size_t> broadcast_size(std::span<const Operand> operands, std::size_t line);

}  // namespace qelix::qasm
