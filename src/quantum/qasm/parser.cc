#include "quantum/qasm/parser.h"

#include <string>
#include <utility>
#include <vector>

#include "quantum/qasm/declarations.h"
#include "quantum/qasm/expansion.h"
#include "quantum/qasm/statements.h"
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
        if (text.starts_with("measure ")) return measure(text.substr(8));
        if (text.starts_with("barrier ")) return barrier(text.substr(8));
        if (text.starts_with("if(") || text.starts_with("if (")) return conditional(text);
        return gates(text);
    }

   private:
    QasmResult<void> measure(std::string_view rest) {
        std::size_t arrow = rest.find("->");
        if (arrow == std::string_view::npos) return syntax("measurement must use '->'");
        static const qasm::Scope top_level;
        auto qubit = qasm::resolve_qubit(rest.substr(0, arrow), top_level, decl_.qregs, line_);
        QELIX_TRY(qubit);
        auto target = qasm::read_indexed(rest.substr(arrow + 2), line_);
        QELIX_TRY(target);
        auto bit = decl_.cregs.resolve(target->name, target->index);
        QELIX_TRY(bit);
        return check(circuit_.measure_into(*qubit, *bit));
    }

    QasmResult<void> barrier(std::string_view rest) {
        static const qasm::Scope top_level;
        std::vector<std::size_t> qubits;
        for (std::string_view item : qasm::comma_items(rest)) {
            if (item.find('[') == std::string_view::npos) {
                const qasm::Register* reg = decl_.qregs.find(item);
                if (!reg) return std::unexpected(QasmError::undeclared_register(std::string(item)));
                for (std::size_t i = 0; i < reg->size; ++i) qubits.push_back(reg->offset + i);
                continue;
            }
            auto qubit = qasm::resolve_qubit(item, top_level, decl_.qregs, line_);
            QELIX_TRY(qubit);
            qubits.push_back(*qubit);
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

        placed_.clear();
        QELIX_TRY(expander_.expand(qasm::trim(text.substr(close + 1)), line_, placed_));
        if (!placed_.empty() && reg->size > (limits_.condition_bits - condition_bits_) / placed_.size())
            return syntax("conditionals reference more than " + std::to_string(limits_.condition_bits) +
                          " classical bits in total");
        condition_bits_ += reg->size * placed_.size();
        for (PlacedGate& g : placed_) {
            std::vector<std::size_t> bits(reg->size);
            for (std::size_t i = 0; i < reg->size; ++i) bits[i] = reg->offset + i;
            QELIX_TRY(
                check(circuit_.append_conditional(std::move(bits), *value, std::move(g.gate), std::move(g.targets))));
        }
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
    auto statements = qasm::split_statements(source);
    QELIX_TRY(statements);
    auto decl = qasm::read_declarations(*statements);
    QELIX_TRY(decl);

    std::size_t num_qubits = decl->qregs.total();
    if (num_qubits == 0) return std::unexpected(QasmError::syntax(1, "at least one qreg declaration is required"));
    auto circuit = Circuit::with_classical_bits(num_qubits, decl->cregs.total());
    QELIX_TRY_MAP(circuit, [](const QuantumError& error) { return at_line(1, error); });

    OperationReader reader(*decl, limits, *circuit);
    for (const qasm::Statement& statement : decl->operations) QELIX_TRY(reader.read(statement));
    return std::move(*circuit);
}

}  // namespace qelix::qasm
