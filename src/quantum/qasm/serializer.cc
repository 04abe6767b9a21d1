#include "quantum/qasm/serializer.h"

#include <optional>
#include <string_view>
#include <variant>

#include "core/interrupt.h"

namespace qelix {

namespace {

std::string qubit(std::size_t q) { return "q[" + std::to_string(q) + "]"; }

std::string operand_list(const std::vector<std::size_t>& targets) {
    std::string out = qubit(targets[0]);
    for (std::size_t i = 1; i < targets.size(); ++i) out += ", " + qubit(targets[i]);
    return out;
}

/// Angles are printed as the display name shows them; the non-finite ones that the name
/// prints as words are written as divisions that evaluate to the same value.
std::string angle_text(std::string_view angle) {
    if (angle == "NaN") return "0/0";
    if (angle == "inf") return "1/0";
    if (angle == "-inf") return "-1/0";
    return std::string(angle);
}

/// "(a,b,c)" of a name such as "U3(1.571,0.000,3.142)", from its first '('.
std::string angle_list(std::string_view name) {
    std::string_view list = name.substr(name.find('(') + 1);
    list.remove_suffix(1);
    std::string out = "(";
    while (true) {
        std::size_t comma = list.find(',');
        out += angle_text(list.substr(0, comma));
        if (comma == std::string_view::npos) break;
        out += ',';
        list.remove_prefix(comma + 1);
    }
    return out + ")";
}

/// A rotation name exactly as the constructors write it: prefix, angles, closing ')'. Inverse
/// gates ("Rx(0.500)^dagger") do not end in ')' and so are not taken for rotations.
bool is_rotation(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && name.starts_with(prefix) && name.ends_with(')');
}

/// "CR" followed by decimal digits only; "CR2^dagger" has no QASM form.
bool is_controlled_phase(std::string_view name) {
    return name.size() > 2 && name.starts_with("CR") &&
           name.find_first_not_of("0123456789", 2) == std::string_view::npos;
}

/// The QASM gate line ("h q[0];"), or nothing when the gate has no QASM form.
std::optional<std::string> gate_line(const Gate& gate, const std::vector<std::size_t>& targets) {
    std::string_view name = gate.name;
    if (targets.size() == 1) {
        static constexpr std::pair<std::string_view, std::string_view> fixed[] = {
            {"H", "h"}, {"X", "x"}, {"Y", "y"}, {"Z", "z"}, {"S", "s"}, {"Sdg", "sdg"}, {"T", "t"}, {"Tdg", "tdg"}};
        for (auto [display, qasm] : fixed)
            if (name == display) return std::string(qasm) + " " + qubit(targets[0]) + ";";
        static constexpr std::pair<std::string_view, std::string_view> rotations[] = {
            {"Rx(", "rx"}, {"Ry(", "ry"}, {"Rz(", "rz"}, {"U3(", "u3"}};
        for (auto [prefix, qasm] : rotations)
            if (is_rotation(name, prefix)) return std::string(qasm) + angle_list(name) + " " + qubit(targets[0]) + ";";
    } else if (targets.size() == 2) {
        std::string operands = " " + operand_list(targets) + ";";
        if (name == "CZ") return "cz" + operands;
        if (name == "CNOT") return "cx" + operands;
        if (name == "SWAP") return "swap" + operands;
        if (is_controlled_phase(name)) return "crk(" + std::string(name.substr(2)) + ")" + operands;
    }
    return std::nullopt;
}

std::string unsupported(const Gate& gate, const std::vector<std::size_t>& targets) {
    std::string list = "[";
    for (std::size_t i = 0; i < targets.size(); ++i) list += (i ? ", " : "") + std::to_string(targets[i]);
    return "unsupported gate " + gate.name + " on " + list + "]";
}

std::string instruction_line(const Instruction& op, std::size_t num_qubits) {
    if (auto* g = std::get_if<GateOp>(&op)) {
        if (auto line = gate_line(g->gate, g->targets)) return *line;
        return "// " + unsupported(g->gate, g->targets);
    }
    if (auto* c = std::get_if<ConditionalOp>(&op)) {
        std::string condition = "if(c==" + std::to_string(c->value) + ")";
        if (auto line = gate_line(c->gate, c->targets)) return condition + " " + *line;
        // The whole line must be a comment: a comment after "if(...)" would leave the
        // condition to swallow the next statement when the text is read back.
        return "// " + condition + " " + unsupported(c->gate, c->targets);
    }
    if (auto* m = std::get_if<MeasureOp>(&op))
        return "measure " + qubit(m->qubit) + " -> c[" + std::to_string(m->classical_bit) + "];";
    const auto& b = std::get<BarrierOp>(op);
    // An empty barrier has no QASM form ("barrier ;" does not parse) and no effect.
    if (b.qubits.empty()) return "// barrier on no qubits";
    bool all = b.qubits.size() == num_qubits;
    for (std::size_t i = 0; all && i < num_qubits; ++i) all = b.qubits[i] == i;
    return all ? "barrier q;" : "barrier " + operand_list(b.qubits) + ";";
}

}  // namespace

/// Work units of formatting one instruction, for interrupt polling.
constexpr std::int64_t LINE_WORK = 256;

std::string to_qasm(const Circuit& circuit) {
    std::string out = "OPENQASM 2.0;\ninclude \"qelib1.inc\";\nqreg q[" + std::to_string(circuit.num_qubits()) + "];";
    if (circuit.num_classical_bits() != 0) out += "\ncreg c[" + std::to_string(circuit.num_classical_bits()) + "];";
    for (const Instruction& op : circuit.instructions()) {
        out += '\n';
        out += instruction_line(op, circuit.num_qubits());
        if (interrupted(LINE_WORK)) break;  // partial text: the caller sees interrupt_requested()
    }
    return out;
}

}  // namespace qelix
