#include "quantum/qasm/expansion.h"

#include "quantum/qasm/expression.h"
#include "core/propagate.h"

namespace qelix::qasm {

QasmResult<void> GateExpander::read_call(std::string_view text, const Scope& scope, std::size_t line) {
    auto split = split_head(text);
    if (!split) return std::unexpected(QasmError::syntax(line, "gate statement requires operands"));
    if (!split_call_head(split->first, call_.head))
        return std::unexpected(QasmError::syntax(line, "missing closing ')'"));
    call_.name.assign(call_.head.name);
    for (char& c : call_.name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    call_.params.clear();
    for (std::string_view param : call_.head.params) {
        auto value = evaluate_expression(param, scope.params);
        QELIX_TRY_MAP(value, [line](std::string message) { return QasmError::syntax(line, std::move(message)); });
        call_.params.push_back(*value);
    }
    call_.qubits.clear();
    comma_items(split->second, call_.operands);
    for (std::string_view operand : call_.operands) {
        auto qubit = resolve_qubit(operand, scope, decl_.qregs, line);
        QELIX_TRY(qubit);
        call_.qubits.push_back(*qubit);
    }
    return {};
}

QasmResult<void> GateExpander::dispatch(std::size_t line, std::vector<PlacedGate>& out) {
    if (emit_builtin(call_.name, call_.params, call_.qubits, out)) return {};
    auto found = decl_.gates.find(call_.name);
    if (found == decl_.gates.end()) return std::unexpected(QasmError::unknown_gate(call_.name));
    const GateDefinition& def = found->second;
    auto counts = [&](const char* what, std::size_t want, std::size_t got) {
        return QasmError::syntax(line, "gate '" + call_.name + "' expects " + std::to_string(want) + " " + what +
                                           ", got " + std::to_string(got));
    };
    if (def.params.size() != call_.params.size())
        return std::unexpected(counts("parameters", def.params.size(), call_.params.size()));
    if (def.qubits.size() != call_.qubits.size())
        return std::unexpected(counts("operands", def.qubits.size(), call_.qubits.size()));
    // Names are bound afresh for every call, so a definition that reaches itself again would
    // repeat the same expansion forever.
    if (active_[def.id])
        return std::unexpected(QasmError::syntax(line, "gate '" + call_.name + "' is defined in terms of itself"));
    if (depth_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.def = &def;
    frame.next = 0;
    frame.scope.params.clear();
    frame.scope.qubits.clear();
    for (std::size_t i = 0; i < def.params.size(); ++i) frame.scope.params.bind(def.params[i], call_.params[i]);
    for (std::size_t i = 0; i < def.qubits.size(); ++i) frame.scope.qubits.bind(def.qubits[i], call_.qubits[i]);
    frame.scope.params.seal();
    frame.scope.qubits.seal();
    active_[def.id] = true;
    return {};
}

QasmResult<void> GateExpander::charge(std::size_t text_size, std::size_t gates, std::size_t line) {
    text_used_ += text_size + 1;
    gates_used_ += gates;
    if (text_used_ > limits_.expanded_text)
        return std::unexpected(QasmError::syntax(
            line,
            "gate expansion reads more than " + std::to_string(limits_.expanded_text) + " characters of gate bodies"));
    if (gates_used_ > limits_.expanded_gates)
        return std::unexpected(QasmError::syntax(
            line, "gate expansion produces more than " + std::to_string(limits_.expanded_gates) + " gates"));
    return {};
}

void GateExpander::unwind() {
    for (; depth_ > 0; --depth_) active_[frames_[depth_ - 1].def->id] = false;
}

QasmResult<void> GateExpander::expand(std::string_view text, std::size_t line, std::vector<PlacedGate>& out) {
    static const Scope top_level;
    auto fail = [&](QasmError error) {
        unwind();
        return std::unexpected(std::move(error));
    };
    if (auto ok = read_call(text, top_level, line); !ok) return fail(ok.error());
    if (auto ok = dispatch(line, out); !ok) return fail(ok.error());
    while (depth_ > 0) {
        Frame& frame = frames_[depth_ - 1];
        if (frame.next == frame.def->body.size()) {
            active_[frame.def->id] = false;
            --depth_;
            continue;
        }
        std::string_view statement = frame.def->body[frame.next++];
        if (auto ok = read_call(statement, frame.scope, line); !ok) return fail(ok.error());
        std::size_t before = out.size();
        if (auto ok = dispatch(line, out); !ok) return fail(ok.error());  // may add a frame
        if (auto ok = charge(statement.size(), out.size() - before, line); !ok) return fail(ok.error());
    }
    return {};
}

}  // namespace qelix::qasm
