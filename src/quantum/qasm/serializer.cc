#include "quantum/qasm/serializer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <utility>
#include <string_view>
#include <variant>

#include "core/interrupt.h"
#include "quantum/qasm/classical_layout.h"

namespace qelix {

namespace {

constexpr double PI = 3.141592653589793;

/// Gates of the table that the original qelib1.inc lacks, defined (in its gates) at the top of
/// files that use them, so that strict readers know them too. The bodies are those of the
/// later qelib1.inc (crk, ryy and rzx are the usual decompositions); qelix's own reader keeps
/// its built-in gates for these names.
struct Definition {
    GateKind kind;
    std::string_view text;
};
constexpr Definition DEFINITIONS[] = {
    {GateKind::SWAP, "gate swap a, b { cx a, b; cx b, a; cx a, b; }"},
    {GateKind::SX, "gate sx a { sdg a; h a; sdg a; }"},
    {GateKind::SXdg, "gate sxdg a { s a; h a; s a; }"},
    {GateKind::CSX, "gate csx a, b { h b; cu1(pi/2) a, b; h b; }"},
    {GateKind::CRx,
     "gate crx(lambda) a, b { u1(pi/2) b; cx a, b; u3(-lambda/2,0,0) b; cx a, b; "
     "u3(lambda/2,-pi/2,0) b; }"},
    {GateKind::CRy, "gate cry(lambda) a, b { ry(lambda/2) b; cx a, b; ry(-lambda/2) b; cx a, b; }"},
    {GateKind::CU,
     "gate cu(theta,phi,lambda,gamma) c, t { u1(gamma) c; u1((lambda+phi)/2) c; "
     "u1((lambda-phi)/2) t; cx c, t; u3(-theta/2,0,-(phi+lambda)/2) t; cx c, t; u3(theta/2,phi,0) t; }"},
    {GateKind::Rxx,
     "gate rxx(theta) a, b { u3(pi/2, theta, 0) a; h b; cx a, b; u1(-theta) b; cx a, b; h b; "
     "u2(-pi, pi-theta) a; }"},
    {GateKind::Rzz, "gate rzz(theta) a, b { cx a, b; u1(theta) b; cx a, b; }"},
    {GateKind::Ryy,
     "gate ryy(theta) a, b { rx(pi/2) a; rx(pi/2) b; cx a, b; rz(theta) b; cx a, b; rx(-pi/2) a; "
     "rx(-pi/2) b; }"},
    {GateKind::Rzx, "gate rzx(theta) a, b { h b; cx a, b; rz(theta) b; cx a, b; h b; }"},
    {GateKind::CRk, "gate crk(k) a, b { cu1(2*pi/2^k) a, b; }"},
};

std::string qubit(std::size_t q) { return "q[" + std::to_string(q) + "]"; }

std::string operand_list(const std::vector<std::size_t>& targets) {
    std::string out = qubit(targets[0]);
    for (std::size_t i = 1; i < targets.size(); ++i) out += ", " + qubit(targets[i]);
    return out;
}

/// The shortest decimal text that reads back to the same double ("pi" for pi itself); the
/// non-finite values as divisions that evaluate to them.
std::string angle_text(double value) {
    if (std::isnan(value)) return "0/0";
    if (std::isinf(value)) return value > 0 ? "1/0" : "-1/0";
    if (value == PI) return "pi";
    if (value == -PI) return "-pi";
    char buffer[32];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

/// The kind and parameters the table writes for a gate: its own, or those of the standard
/// inverse of a dagger; nothing for a gate without a standard form.
std::optional<std::pair<GateKind, std::array<double, 4>>> standard_form(const Gate& gate) {
    if (gate.kind == GateKind::Custom) return std::nullopt;
    if (!gate.inverse) return std::pair{gate.kind, gate.params};
    // The gate is the dagger of its kind's own gate, whose standard inverse is written instead.
    Gate inverse = *standard_inverse(make_gate(gate.kind, gate.parameters()));
    return std::pair{inverse.kind, inverse.params};
}

/// "rx(0.5) q[0];", or nothing for a gate without a standard form.
std::optional<std::string> gate_line(const Gate& gate, const std::vector<std::size_t>& targets) {
    auto form = standard_form(gate);
    if (!form) return std::nullopt;
    const GateInfo& info = gate_info(form->first);
    std::string line(info.qasm);
    for (std::size_t i = 0; i < info.num_params; ++i) line += (i ? "," : "(") + angle_text(form->second[i]);
    if (info.num_params) line += ')';
    return line + " " + operand_list(targets) + ";";
}

std::string unsupported(const Gate& gate, const std::vector<std::size_t>& targets) {
    std::string list = "[";
    for (std::size_t i = 0; i < targets.size(); ++i) list += (i ? ", " : "") + std::to_string(targets[i]);
    return "unsupported gate " + gate.name + " on " + list + "]";
}

/// Writes the instructions with the classical registers of `layout`.
class InstructionWriter {
   public:
    InstructionWriter(const qasm::ClassicalLayout& layout, std::size_t num_qubits)
        : layout_(layout), num_qubits_(num_qubits) {}

    std::string line(const Instruction& op) const {
        if (auto* g = std::get_if<GateOp>(&op)) {
            if (auto line = gate_line(g->gate, g->targets)) return *line;
            return "// " + unsupported(g->gate, g->targets);
        }
        if (auto* c = std::get_if<ConditionalOp>(&op)) {
            auto line = gate_line(c->gate, c->targets);
            return guarded(c->classical_bits, c->value, line ? *line : unsupported(c->gate, c->targets),
                           line.has_value());
        }
        if (auto* m = std::get_if<MeasureOp>(&op)) {
            std::string line = "measure " + qubit(m->qubit) + " -> " + layout_.bit_name(m->classical_bit) + ";";
            return m->condition ? guarded(m->condition->classical_bits, m->condition->value, line, true) : line;
        }
        if (auto* r = std::get_if<ResetOp>(&op)) {
            std::string line = "reset " + qubit(r->qubit) + ";";
            return r->condition ? guarded(r->condition->classical_bits, r->condition->value, line, true) : line;
        }
        const auto& b = std::get<BarrierOp>(op);
        // An empty barrier has no QASM form ("barrier ;" does not parse) and no effect.
        if (b.qubits.empty()) return "// barrier on no qubits";
        bool all = b.qubits.size() == num_qubits_;
        for (std::size_t i = 0; all && i < num_qubits_; ++i) all = b.qubits[i] == i;
        return all ? "barrier q;" : "barrier " + operand_list(b.qubits) + ";";
    }

   private:
    /// "if(c==3) x q[0];", or a comment when the statement or its condition has no QASM form.
    std::string guarded(const std::vector<std::size_t>& bits, std::uint64_t value, const std::string& statement,
                        bool writable) const {
        std::optional<std::string> condition = layout_.condition(bits, value);
        // The whole line must be a comment: a comment after "if(...)" would leave the
        // condition to swallow the next statement when the text is read back.
        if (!writable) return "// if(" + condition.value_or("?") + ") " + statement;
        if (!condition) return "// condition on classical bits that no register holds alone: " + statement;
        return "if(" + *condition + ") " + statement;
    }

    const qasm::ClassicalLayout& layout_;
    std::size_t num_qubits_;
};

/// Which kinds the circuit writes, so that only the needed definitions are emitted.
std::array<bool, static_cast<std::size_t>(GateKind::Custom) + 1> kinds_written(const Circuit& circuit) {
    std::array<bool, static_cast<std::size_t>(GateKind::Custom) + 1> used{};
    for (const Instruction& op : circuit.instructions()) {
        const Gate* gate = nullptr;
        if (auto* g = std::get_if<GateOp>(&op)) gate = &g->gate;
        if (auto* c = std::get_if<ConditionalOp>(&op)) gate = &c->gate;
        if (!gate) continue;
        if (auto form = standard_form(*gate)) used[static_cast<std::size_t>(form->first)] = true;
    }
    return used;
}

}  // namespace

/// Work units of formatting one instruction, for interrupt polling.
constexpr std::int64_t LINE_WORK = 256;

std::string to_qasm(const Circuit& circuit) {
    std::string out = "OPENQASM 2.0;\ninclude \"qelib1.inc\";";
    auto used = kinds_written(circuit);
    for (const Definition& def : DEFINITIONS)
        if (used[static_cast<std::size_t>(def.kind)]) out.append("\n").append(def.text);
    out += "\nqreg q[" + std::to_string(circuit.num_qubits()) + "];";
    qasm::ClassicalLayout layout(circuit);
    for (const qasm::ClassicalRegister& reg : layout.registers())
        out += "\ncreg " + reg.name + "[" + std::to_string(reg.size) + "];";
    InstructionWriter writer(layout, circuit.num_qubits());
    for (const Instruction& op : circuit.instructions()) {
        out += '\n';
        out += writer.line(op);
        if (interrupted(LINE_WORK)) break;  // partial text: the caller sees interrupt_requested()
    }
    return out;
}

}  // namespace qelix
