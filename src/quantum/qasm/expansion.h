#pragma once
// Turns one gate statement into gates, expanding user definitions without recursion.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "quantum/qasm/error.h"
#include "quantum/qasm/builtin.h"
#include "quantum/qasm/declarations.h"
#include "quantum/qasm/limits.h"
#include "quantum/qasm/text.h"

namespace qelix::qasm {

/// Expands gate statements against the first pass's registers and definitions. The expansion
/// limits are shared by all statements of one program.
class GateExpander {
   public:
    GateExpander(const Declarations& decl, const ParseLimits& limits)
        : decl_(decl), limits_(limits), active_(decl.definition_ids, false) {}

    /// Appends the gates that the top-level gate statement `text` yields to `out`, once per
    /// position when its operands include whole registers.
    QasmResult<void> expand(std::string_view text, std::size_t line, std::vector<PlacedGate>& out);

   private:
    /// A gate statement with its parameters evaluated and its operands resolved.
    struct Call {
        CallHead head;
        std::vector<std::string_view> operands;
        std::string name;  ///< lower case
        std::vector<double> params;
        std::vector<std::size_t> qubits;
    };
    /// One user definition being expanded: its bindings and the next body statement to read.
    struct Frame {
        const GateDefinition* def = nullptr;
        Scope scope;
        std::size_t next = 0;
    };

    /// Reads name, parameters and operand texts of a gate statement into `call`.
    QasmResult<void> read_call(std::string_view text, const Scope& scope, std::size_t line, Call& call);
    /// Emits the built-in `call`, or enters the user definition it names.
    QasmResult<void> dispatch(const Call& call, std::size_t line, std::vector<PlacedGate>& out);
    /// Reads the bodies of the open definitions until none is left.
    QasmResult<void> run_frames(std::size_t line, std::vector<PlacedGate>& out);
    QasmResult<void> charge(std::size_t text_size, std::size_t gates, std::size_t line);
    /// Leaves every open definition (after an error, or at the end of a statement).
    void unwind();

    const Declarations& decl_;
    const ParseLimits& limits_;
    std::vector<bool> active_;  ///< Definitions currently being expanded, by id.
    // The frames and the call are reused from statement to statement to spare allocations:
    // frames_[0, depth_) are open.
    std::vector<Frame> frames_;
    std::size_t depth_ = 0;
    Call call_;  ///< The body statement being read.
    Call top_;   ///< The top-level statement, applied once per broadcast position.
    std::vector<Operand> operands_;
    std::size_t gates_used_ = 0;
    std::size_t text_used_ = 0;
};

}  // namespace qelix::qasm
