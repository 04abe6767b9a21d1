#pragma once
// The first pass over a QASM program: header, includes, registers and gate definitions.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "quantum/qasm/error.h"
#include "quantum/qasm/registers.h"
#include "quantum/qasm/statements.h"

namespace qelix::qasm {

/// A user gate: parameter names, qubit-argument names and body statements (views into the source).
struct GateDefinition {
    std::size_t id;  ///< Dense number used to mark definitions that are being expanded.
    std::vector<std::string_view> params;
    std::vector<std::string_view> qubits;
    std::vector<std::string_view> body;
    /// Declared with "opaque": known by name and shape, but with no body to apply.
    bool opaque = false;
};

/// Hash that lets the definition table be searched with a string_view.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

/// Definitions by lower-case name.
using DefinitionTable = std::unordered_map<std::string, GateDefinition, NameHash, std::equal_to<>>;

/// Everything the first pass collects; the operations are left for the second pass.
struct Declarations {
    RegisterTable qregs;
    RegisterTable cregs;
    DefinitionTable gates;
    /// Number of definitions ever stored (replaced ones included), the bound of every id.
    std::size_t definition_ids = 0;
    /// Statements that are neither header, include, register nor definition, in order.
    std::vector<Statement> operations;
};

/// Checks the header and reads every declaration; the first error ends the pass.
QasmResult<Declarations> read_declarations(const StatementList& statements);

}  // namespace qelix::qasm
