#pragma once
// The character-level reader that turns QASM source into statements.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quantum/qasm/error.h"

namespace qelix::qasm {

/// One statement: its trimmed text (without the ';') and the line of its first non-blank character.
struct Statement {
    std::string_view text;
    std::size_t line;
};

/// The statements of one source text; the texts point into `storage`, so the list is not copyable.
class StatementList {
   public:
    StatementList() = default;
    StatementList(const StatementList&) = delete;
    StatementList& operator=(const StatementList&) = delete;
    StatementList(StatementList&&) = default;
    StatementList& operator=(StatementList&&) = default;

    /// The statements in source order.
    const std::vector<Statement>& items() const { return items_; }

   private:
    friend QasmResult<StatementList> split_statements(std::string_view source);
    /// Heap-allocated so that moving the list never moves the characters the views point at.
    std::unique_ptr<std::string> storage_ = std::make_unique<std::string>();
    std::vector<Statement> items_;
};

/// Drops comments (from "//" to the end of the line, and the '\r' of "\r\n"), then splits the
/// text at ';' outside braces and after each '}' that closes the outermost brace. A line break
/// inside a statement reads as one blank. Unterminated text at the end is a Syntax error.
QasmResult<StatementList> split_statements(std::string_view source);

}  // namespace qelix::qasm
