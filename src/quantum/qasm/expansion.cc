#include "quantum/qasm/expansion.h"

#include "quantum/qasm/expression.h"
#include "core/propagate.h"

namespace qelix::qasm {

QasmResult<void> GateExpander::read_call(std::string_view text, const Scope& scope, std::size_t line, Call& call) {
    auto split = split_head(text);
    if (!split) return std::unexpected(QasmError::syntax(line, "gate statement requires operands"));
    if (!split_call_head(split->first, call.head))
        return std::unexpected(QasmError::syntax(line, "missing closing ')'"));
    call.name.assign(call.head.name);
    for (char& c : call.name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    call.params.clear();
    for (std::string_view param : call.head.params) {
        auto value = evaluate_expression(param, scope.params);
        QELIX_TRY_MAP(value, [line](std::string message) { return QasmError::syntax(line, std::move(message)); });
        call.params.push_back(*value);
    }
    comma_items(split->second, call.operands);
    return {};
}

QasmResult<void> GateExpander::dispatch(const Call& call, std::size_t line, std::vector<PlacedGate>& out) {
    if (emit_builtin(call.name, call.params, call.qubits, out)) return {};
    auto found = decl_.gates.find(call.name);
    if (found == decl_.gates.end()) return std::unexpected(QasmError::unknown_gate(call.name));
    const GateDefinition& def = found->second;
    auto counts = [&](const char* what, std::size_t want, std::size_t got) {
        return QasmError::syntax(line, "gate '" + call.name + "' expects " + std::to_string(want) + " " + what +
                                           ", got " + std::to_string(got));
    };
    if (def.params.size() != call.params.size())
        return std::unexpected(counts("parameters", def.params.size(), call.params.size()));
    if (def.qubits.size() != call.qubits.size())
        return std::unexpected(counts("operands", def.qubits.size(), call.qubits.size()));
    if (def.opaque)
        return std::unexpected(QasmError::syntax(line, "gate '" + call.name + "' is opaque and cannot be applied"));
    // Names are bound afresh for every call, so a definition that reaches itself again would
    // repeat the same expansion forever.
    if (active_[def.id])
        return std::unexpected(QasmError::syntax(line, "gate '" + call.name + "' is defined in terms of itself"));
    if (depth_ == frames_.size()) frames_.emplace_back();
    Frame& frame = frames_[depth_++];
    frame.def = &def;
    frame.next = 0;
    frame.scope.params.clear();
    frame.scope.qubits.clear();
    for (std::size_t i = 0; i < def.params.size(); ++i) frame.scope.params.bind(def.params[i], call.params[i]);
    for (std::size_t i = 0; i < def.qubits.size(); ++i) frame.scope.qubits.bind(def.qubits[i], call.qubits[i]);
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

QasmResult<void> GateExpander::run_frames(std::size_t line, std::vector<PlacedGate>& out) {
    while (depth_ > 0) {
        Frame& frame = frames_[depth_ - 1];
        if (frame.next == frame.def->body.size()) {
            active_[frame.def->id] = false;
            --depth_;
            continue;
        }
        std::string_view statement = frame.def->body[frame.next++];
        // A barrier inside a definition orders nothing once the body is inlined.
        if (after_keyword(statement, "barrier")) continue;
        QELIX_TRY(read_call(statement, frame.scope, line, call_));
        call_.qubits.clear();
        for (std::string_view operand : call_.operands) {
            auto qubit = resolve_qubit(operand, frame.scope, decl_.qregs, line);
            QELIX_TRY(qubit);
            call_.qubits.push_back(*qubit);
        }
        std::size_t before = out.size();
        QELIX_TRY(dispatch(call_, line, out));  // may add a frame
        QELIX_TRY(charge(statement.size(), out.size() - before, line));
    }
    return {};
}

QasmResult<void> GateExpander::expand(std::string_view text, std::size_t line, std::vector<PlacedGate>& out) {
    static const Scope top_level;
    QELIX_TRY(read_call(text, top_level, line, top_));
    operands_.clear();
    for (std::string_view operand : top_.operands) {
        auto resolved = resolve_operand(operand, decl_.qregs, line);
        QELIX_TRY(resolved);
        operands_.push_back(*resolved);
    }
    auto positions = broadcast_size(operands_, line);
    QELIX_TRY(positions);
    for (std::size_t i = 0; i < *positions; ++i) {
        top_.qubits.clear();
        for (const Operand& operand : operands_) top_.qubits.push_back(operand.at(i));
        QasmResult<void> ok = dispatch(top_, line, out);
        if (ok) ok = run_frames(line, out);
        if (!ok) {
            unwind();
            return ok;
        }
    }
    return {};
}

}  // namespace qelix::qasm
