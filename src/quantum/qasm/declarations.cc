#include "quantum/qasm/declarations.h"

#include "quantum/qasm/text.h"
#include "core/propagate.h"

namespace qelix::qasm {

namespace {

constexpr std::string_view HEADER = "OPENQASM 2.0";
constexpr std::string_view STANDARD_INCLUDE = "include \"qelib1.inc\"";

QasmResult<void> declare_register(RegisterTable& table, std::string_view rest, std::size_t line) {
    auto decl = read_indexed(rest, line);
    QELIX_TRY(decl);
    table.declare(decl->name, decl->index);
    return {};
}

/// "gate name(params) args { body }", given the text after "gate ".
QasmResult<void> define_gate(Declarations& decl, std::string_view rest, std::size_t line) {
    std::size_t brace = rest.find('{');
    if (brace == std::string_view::npos)
        return std::unexpected(QasmError::syntax(line, "gate definition must contain '{'"));
    std::string_view body = trim(rest.substr(brace + 1));
    while (!body.empty() && body.back() == '}') body.remove_suffix(1);
    body = trim(body);

    auto split = split_head(trim(rest.substr(0, brace)));
    if (!split) return std::unexpected(QasmError::syntax(line, "gate statement requires operands"));
    CallHead head;
    if (!split_call_head(split->first, head)) return std::unexpected(QasmError::syntax(line, "missing closing ')'"));

    GateDefinition def{decl.definition_ids++, std::move(head.params), comma_items(split->second), {}};
    while (!body.empty()) {
        std::size_t end = body.find(';');
        std::string_view statement = trim(body.substr(0, end));
        if (!statement.empty()) def.body.push_back(statement);
        body = end == std::string_view::npos ? std::string_view{} : body.substr(end + 1);
    }
    decl.gates.insert_or_assign(to_lower(head.name), std::move(def));
    return {};
}

QasmResult<void> read_one(Declarations& decl, const Statement& statement) {
    std::string_view text = statement.text;
    std::size_t line = statement.line;
    if (text == STANDARD_INCLUDE) return {};
    if (text.starts_with("include "))
        return std::unexpected(QasmError::syntax(line, "only include \"qelib1.inc\" is supported"));
    if (text.starts_with("qreg ")) return declare_register(decl.qregs, text.substr(5), line);
    if (text.starts_with("creg ")) return declare_register(decl.cregs, text.substr(5), line);
    if (text.starts_with("gate ")) return define_gate(decl, trim(text.substr(5)), line);
    decl.operations.push_back(statement);
    return {};
}

}  // namespace

QasmResult<Declarations> read_declarations(const StatementList& statements) {
    const std::vector<Statement>& items = statements.items();
    if (items.empty()) return std::unexpected(QasmError::syntax(1, "missing OPENQASM header"));
    if (items.front().text != HEADER)
        return std::unexpected(QasmError::syntax(items.front().line, "expected 'OPENQASM 2.0;' header"));
    Declarations decl;
    for (std::size_t i = 1; i < items.size(); ++i) QELIX_TRY(read_one(decl, items[i]));
    return decl;
}

}  // namespace qelix::qasm
