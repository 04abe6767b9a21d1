#pragma once
// Small text tools shared by the statement splitter, the expression reader and the parser.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qelix::qasm {

/// True for the ASCII whitespace characters that separate QASM tokens.
constexpr bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

/// `text` without leading and trailing blanks.
std::string_view trim(std::string_view text);

/// ASCII lower-case copy; other bytes are kept as they are.
std::string to_lower(std::string_view text);

/// The items between the commas that stand outside parentheses, trimmed, empty ones dropped.
/// A ')' never takes the nesting below zero.
std::vector<std::string_view> comma_items(std::string_view text);
/// `comma_items` into a reused list (cleared first).
void comma_items(std::string_view text, std::vector<std::string_view>& out);

/// A statement split at the first blank outside parentheses (where the count of '(' minus ')'
/// so far is zero) that does not stand between the name and its '(': the head and the operand
/// text. Empty when no operand text follows the head.
std::optional<std::pair<std::string_view, std::string_view>> split_head(std::string_view statement);

/// The trimmed text after `word` when `text` starts with that word followed by a blank.
std::optional<std::string_view> after_keyword(std::string_view text, std::string_view word);

/// An optional '+' followed by decimal digits that fit 64 bits; nothing else.
std::optional<std::uint64_t> parse_unsigned(std::string_view text);

/// A name with an optional parenthesised list, as in "rx(pi/2)" or "g(a, b)".
struct CallHead {
    std::string_view name;
    std::vector<std::string_view> params;
};

/// Splits a head at its first '(' and last ')' into the name and the parameter items; false
/// when a '(' has no later ')'. Without '(' the whole head is the name.
bool split_call_head(std::string_view head, CallHead& out);

}  // namespace qelix::qasm
