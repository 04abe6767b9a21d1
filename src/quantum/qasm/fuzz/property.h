#pragma once
// The property the fuzz target checks on every input, shared with the regression tests: the
// text written for a parsed circuit reads back to the same text, less the comment lines of
// operations that have no QASM form.
#include <optional>
#include <string>
#include <string_view>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

namespace qelix::qasm {

/// Bounds for fuzzing: small enough that every input runs fast under the sanitizers.
inline constexpr ParseLimits FUZZ_LIMITS{
    .expanded_gates = 1 << 16, .expanded_text = 1 << 20, .condition_bits = 1 << 20};

/// The text without its comment lines.
inline std::string without_comment_lines(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.starts_with("//")) {
            if (!out.empty()) out += '\n';
            out += line;
        }
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return out;
}

/// Parses `source`; for a circuit, writes it, reads it back and writes it again. Returns a
/// description of what went wrong, or nothing when the input behaved.
inline std::optional<std::string> reread_problem(std::string_view source) {
    auto circuit = parse_qasm(source, FUZZ_LIMITS);
    if (!circuit) {
        if (circuit.error().message().empty()) return "empty error message";
        return std::nullopt;
    }
    std::string text = to_qasm(*circuit);
    auto back = qelix::parse_qasm(text);
    if (!back) {
        // Conditionals come back on the whole register c, which may hold more bits in total.
        if (back.error().message().find("conditionals reference more than") != std::string::npos) return std::nullopt;
        return "written text does not parse: " + back.error().message() + "\n" + text;
    }
    std::string again = to_qasm(*back);
    if (again != without_comment_lines(text)) return "text changed on the way back:\n" + text + "\n---\n" + again;
    return std::nullopt;
}

}  // namespace qelix::qasm
