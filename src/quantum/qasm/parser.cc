#include "quantum/qasm/parser.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quantum/qasm/declarations.h"
#include "quantum/qasm/expansion.h"
#include "quantum/qasm/statements.h"
#include "core/interrupt.h"
#include "quantum/qasm/text.h"
#include "core/propagate.h"

namespace qelix {

namespace {

using qasm::PlacedGate;

/// A circuit error reported as a Syntax error of the statement that caused it.
QasmError at_line(std::size_t line, const QuantumError& error) { return QasmError::syntax(line, error.message()); }

/// The second pass: operations in order, appended to the circuit.
class OperationReader {
   public:
    OperationReader(const qasm::Declarations& decl, const qasm::ParseLimits& limits, Circuit& circuit)
        : decl_(decl), limits_(limits), circuit_(circuit), expander_(decl, limits) {}

    QasmResult<void> read(const qasm::Statement& statement) {
        std::string_view text = statement.text;
        line_ = statement.line;
        if (auto rest = qasm::after_keyword(text, "barrier")) return barrier(*rest);
        if (is_conditional(text)) return conditional(text);
        return operation(text, std::nullopt);
    }

   private:
    /// "if" then '(' (blanks allowed between them).
    static bool is_conditional(std::string_view text) {
        return text.starts_with("if") && qasm::trim(text.substr(2)).starts_with('(');
    }

    /// A measure, reset or gate statement, applied under `condition` when there is one.
    QasmResult<void> operation(std::string_view text, const std::optional<Condition>& condition) {
        if (auto rest = qasm::after_keyword(text, "measure")) return measure(*rest, condition);
        if (auto rest = qasm::after_keyword(text, "reset")) return reset(*rest, condition);
        if (condition) return conditional_gates(text, *condition);
        return gates(text);
    }

    QasmResult<void> measure(std::string_view rest, const std::optional<Condition>& condition) {
        std::size_t arrow = rest.find("->");
        if (arrow == std::string_view::npos) return syntax("measurement must use '->'");
        auto qubits = qasm::resolve_operand(rest.substr(0, arrow), decl_.qregs, line_);
        QELIX_TRY(qubits);
        auto bits = qasm::resolve_operand(rest.substr(arrow + 2), decl_.cregs, line_);
        QELIX_TRY(bits);
        if (qubits->whole != bits->whole || qubits->size != bits->size)
            return syntax("measure needs a qubit and a bit, or two registers of the same size");
        for (std::size_t i = 0; i < qubits->size; ++i) {
            Status ok = condition ? circuit_.measure_if(*condition, qubits->at(i), bits->at(i))
                                  : circuit_.measure_into(qubits->at(i), bits->at(i));
            if (auto checked = check(ok); !checked) return checked;
        }
        return {};
    }

    QasmResult<void> reset(std::string_view rest, const std::optional<Condition>& condition) {
        auto qubits = qasm::resolve_operand(rest, decl_.qregs, line_);
        QELIX_TRY(qubits);
        for (std::size_t i = 0; i < qubits->size; ++i) QELIX_TRY(check(circuit_.reset(qubits->at(i), condition)));
        return {};
    }

    QasmResult<void> barrier(std::string_view rest) {
        std::vector<std::size_t> qubits;
        for (std::string_view item : qasm::comma_items(rest)) {
            auto operand = qasm::resolve_operand(item, decl_.qregs, line_);
            QELIX_TRY(operand);
            // A qubit named twice ("barrier q[0], q;") is kept once, where it first appears.
            for (std::size_t i = 0; i < operand->size; ++i)
                if (std::find(qubits.begin(), qubits.end(), operand->offset + i) == qubits.end())
                    qubits.push_back(operand->offset + i);
        }
        return check(circuit_.barrier(std::move(qubits)));
    }

    QasmResult<void> conditional(std::string_view text) {
        std::size_t open = text.find('(');
        if (open == std::string_view::npos) return syntax("conditional statement missing '('");
        std::size_t close = text.find(')', open);
        if (close == std::string_view::npos) return syntax("conditional statement missing ')'");
        std::string_view condition = text.substr(open + 1, close - open - 1);
        std::size_t equals = condition.find("==");
        if (equals == std::string_view::npos) return syntax("conditional must use '=='");
        std::string_view name = qasm::trim(condition.substr(0, equals));
        const qasm::Register* reg = decl_.cregs.find(name);
        if (!reg) return std::unexpected(QasmError::undeclared_register(std::string(name)));
        auto value = qasm::parse_unsigned(qasm::trim(condition.substr(equals + 2)));
        if (!value) return syntax("conditional value must be an integer");
        Condition whole{std::vector<std::size_t>(reg->size), *value};
        for (std::size_t i = 0; i < reg->size; ++i) whole.classical_bits[i] = reg->offset + i;
        return operation(qasm::trim(text.substr(close + 1)), whole);
    }

    QasmResult<void> conditional_gates(std::string_view text, const Condition& condition) {
        placed_.clear();
        QELIX_TRY(expander_.expand(text, line_, placed_));
        std::size_t size = condition.classical_bits.size();
        if (!placed_.empty() && size > (limits_.condition_bits - condition_bits_) / placed_.size())
            return syntax("conditionals reference more than " + std::to_string(limits_.condition_bits) +
                          " classical bits in total");
        condition_bits_ += size * placed_.size();
        for (PlacedGate& g : placed_)
            if (auto ok = check(circuit_.append_conditional(condition.classical_bits, condition.value,
                                                            std::move(g.gate), std::move(g.targets)));
                !ok)
                return ok;
        return {};
    }

    QasmResult<void> gates(std::string_view text) {
        placed_.clear();
        QELIX_TRY(expander_.expand(text, line_, placed_));
        for (PlacedGate& g : placed_) QELIX_TRY(check(circuit_.append_gate(std::move(g.gate), std::move(g.targets))));
        return {};
    }

    QasmResult<void> syntax(std::string message) const {
        return std::unexpected(QasmError::syntax(line_, std::move(message)));
    }
    QasmResult<void> check(const Status& status) const {
        QELIX_TRY_MAP(status, [this](const QuantumError& error) { return at_line(line_, error); });
        return {};
    }

    const qasm::Declarations& decl_;
    const qasm::ParseLimits& limits_;
    Circuit& circuit_;
    qasm::GateExpander expander_;
    std::vector<PlacedGate> placed_;  ///< Gates of the current statement, reused between statements.
    std::size_t condition_bits_ = 0;
    std::size_t line_ = 0;
};

}  // namespace

QasmResult<Circuit> parse_qasm(std::string_view source) { return qasm::parse_qasm(source, qasm::ParseLimits{}); }

}  // namespace qelix

namespace qelix::qasm {

QasmResult<Circuit> parse_qasm(std::string_view source, const ParseLimits& limits) {
    // Editors on some systems start a UTF-8 file with a byte-order mark.
    if (source.starts_with("\xEF\xBB\xBF")) source.remove_prefix(3);
    auto statements = qasm::split_statements(source);
    QELIX_TRY(statements);
    auto decl = qasm::read_declarations(*statements);
    QELIX_TRY(decl);

    std::size_t num_qubits = decl->qregs.total();
    if (num_qubits == 0) return std::unexpected(QasmError::syntax(1, "at least one qreg declaration is required"));
    auto circuit = Circuit::with_classical_bits(num_qubits, decl->cregs.total());
    QELIX_TRY_MAP(circuit, [](const QuantumError& error) { return at_line(1, error); });

    OperationReader reader(*decl, limits, *circuit);
    for (const qasm::Statement& statement : decl->operations) {
        QELIX_TRY(reader.read(statement));
        // Reading a statement costs a few passes over its text and the gates it places.
        if (interrupted(static_cast<std::int64_t>(16 * statement.text.size())))
            return std::unexpected(QasmError::interrupted());
    }
    return std::move(*circuit);
}

}  // namespace qelix::qasm
