#include "quantum/qasm/declarations.h"

#include "core/interrupt.h"
#include "core/propagate.h"
#include "quantum/qasm/text.h"

namespace qelix::qasm {

namespace {

/// The qelib1.inc gates of three or more qubits other than ccx, as the library defines them.
/// They read as definitions that every program has (and may replace).
constexpr std::string_view QELIB1_DEFINITIONS = R"(
gate cswap a, b, c { cx c, b; ccx a, b, c; cx c, b; }
gate rccx a, b, c {
  u2(0, pi) c; u1(pi/4) c; cx b, c; u1(-pi/4) c; cx a, c; u1(pi/4) c; cx b, c; u1(-pi/4) c; u2(0, pi) c;
}
gate rc3x a, b, c, d {
  u2(0, pi) d; u1(pi/4) d; cx c, d; u1(-pi/4) d; u2(0, pi) d; cx a, d; u1(pi/4) d; cx b, d; u1(-pi/4) d;
  cx a, d; u1(pi/4) d; cx b, d; u1(-pi/4) d; u2(0, pi) d; u1(pi/4) d; cx c, d; u1(-pi/4) d; u2(0, pi) d;
}
gate c3x a, b, c, d {
  h d; p(pi/8) a; p(pi/8) b; p(pi/8) c; p(pi/8) d; cx a, b; p(-pi/8) b; cx a, b; cx b, c; p(-pi/8) c;
  cx a, c; p(pi/8) c; cx b, c; p(-pi/8) c; cx a, c; cx c, d; p(-pi/8) d; cx b, d; p(pi/8) d; cx c, d;
  p(-pi/8) d; cx a, d; p(pi/8) d; cx c, d; p(-pi/8) d; cx b, d; p(pi/8) d; cx c, d; p(-pi/8) d; cx a, d;
  h d;
}
gate c3sqrtx a, b, c, d {
  h d; cu1(pi/8) a, d; h d; cx a, b; h d; cu1(-pi/8) b, d; h d; cx a, b; h d; cu1(pi/8) b, d; h d;
  cx b, c; h d; cu1(-pi/8) c, d; h d; cx a, c; h d; cu1(pi/8) c, d; h d; cx b, c; h d; cu1(-pi/8) c, d;
  h d; cx a, c; h d; cu1(pi/8) c, d; h d;
}
gate c4x a, b, c, d, e {
  h e; cu1(pi/2) d, e; h e; c3x a, b, c, d; h e; cu1(-pi/2) d, e; h e; c3x a, b, c, d; c3sqrtx a, b, c, e;
}
)";

QasmResult<void> declare_register(RegisterTable& table, std::string_view rest, std::size_t line) {
    auto decl = read_indexed(rest, line);
    QELIX_TRY(decl);
    table.declare(decl->name, decl->index);
    return {};
}

/// "name(params) args", the header of a definition or an opaque declaration.
QasmResult<GateDefinition> read_header(Declarations& decl, std::string_view header, std::size_t line,
                                       std::string& name) {
    auto split = split_head(header);
    if (!split) return std::unexpected(QasmError::syntax(line, "gate statement requires operands"));
    CallHead head;
    if (!split_call_head(split->first, head)) return std::unexpected(QasmError::syntax(line, "missing closing ')'"));
    name = to_lower(head.name);
    return GateDefinition{decl.definition_ids++, std::move(head.params), comma_items(split->second), {}};
}

/// "gate name(params) args { body }", given the text after "gate ".
QasmResult<void> define_gate(Declarations& decl, std::string_view rest, std::size_t line) {
    std::size_t brace = rest.find('{');
    if (brace == std::string_view::npos)
        return std::unexpected(QasmError::syntax(line, "gate definition must contain '{'"));
    std::string_view body = trim(rest.substr(brace + 1));
    while (!body.empty() && body.back() == '}') body.remove_suffix(1);
    body = trim(body);

    std::string name;
    auto def = read_header(decl, trim(rest.substr(0, brace)), line, name);
    QELIX_TRY(def);
    while (!body.empty()) {
        std::size_t end = body.find(';');
        std::string_view statement = trim(body.substr(0, end));
        if (!statement.empty()) def->body.push_back(statement);
        body = end == std::string_view::npos ? std::string_view{} : body.substr(end + 1);
    }
    decl.gates.insert_or_assign(std::move(name), std::move(*def));
    return {};
}

/// "opaque name(params) args", given the text after "opaque ".
QasmResult<void> declare_opaque(Declarations& decl, std::string_view rest, std::size_t line) {
    std::string name;
    auto def = read_header(decl, rest, line, name);
    QELIX_TRY(def);
    def->opaque = true;
    decl.gates.insert_or_assign(std::move(name), std::move(*def));
    return {};
}

QasmResult<void> read_one(Declarations& decl, const Statement& statement) {
    std::string_view text = statement.text;
    std::size_t line = statement.line;
    if (auto rest = after_keyword(text, "include")) {
        if (*rest == "\"qelib1.inc\"") return {};
        return std::unexpected(QasmError::syntax(line, "only include \"qelib1.inc\" is supported"));
    }
    if (auto rest = after_keyword(text, "qreg")) return declare_register(decl.qregs, *rest, line);
    if (auto rest = after_keyword(text, "creg")) return declare_register(decl.cregs, *rest, line);
    if (auto rest = after_keyword(text, "gate")) return define_gate(decl, *rest, line);
    if (auto rest = after_keyword(text, "opaque")) return declare_opaque(decl, *rest, line);
    decl.operations.push_back(statement);
    return {};
}

/// Defines the qelib1.inc gates that expand into others; the text is fixed, so this cannot fail.
void define_library(Declarations& decl) {
    static const StatementList library = std::move(*split_statements(QELIB1_DEFINITIONS));
    for (const Statement& statement : library.items())
        (void)define_gate(decl, *after_keyword(statement.text, "gate"), 0);
}

}  // namespace

QasmResult<Declarations> read_declarations(const StatementList& statements) {
    const std::vector<Statement>& items = statements.items();
    if (items.empty()) return std::unexpected(QasmError::syntax(1, "missing OPENQASM header"));
    auto version = after_keyword(items.front().text, "OPENQASM");
    if (!version || *version != "2.0")
        return std::unexpected(QasmError::syntax(items.front().line, "expected 'OPENQASM 2.0;' header"));
    Declarations decl;
    define_library(decl);
    for (std::size_t i = 1; i < items.size(); ++i) {
        QELIX_TRY(read_one(decl, items[i]));
        if (interrupted(static_cast<std::int64_t>(items[i].text.size())))
            return std::unexpected(QasmError::interrupted());
    }
    return decl;
}

}  // namespace qelix::qasm
