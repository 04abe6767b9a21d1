#pragma once
// Parameter expressions of gate statements: + - * / ^, sin cos tan exp ln sqrt, numbers, pi and parameter names.
#include <expected>
#include <string>
#include <string_view>

#include "quantum/qasm/scope.h"

namespace qelix::qasm {

/// Deepest parenthesis nesting an expression may use; deeper text is refused, not recursed into.
inline constexpr std::size_t MAX_EXPRESSION_NESTING = 256;

/// Evaluates a trimmed parameter text in 64-bit floating point. Errors are messages without
/// a line ("unknown identifier 'theta'"); the caller knows the statement's line.
std::expected<double, std::string> evaluate_expression(std::string_view text, const Bindings<double>& params);

}  // namespace qelix::qasm
