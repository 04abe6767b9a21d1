// libFuzzer target for the OpenQASM parser (built and run by scripts/fuzz-qasm).
// Any input must parse or fail with an error value; a circuit that parses must survive
// to_qasm -> parse_qasm -> to_qasm, losing only the comment lines of operations that have no
// QASM form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

namespace {

/// The text without its comment lines.
std::string without_comment_lines(std::string_view text) {
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

[[noreturn]] void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s\n%s\n", what, detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Smaller bounds than the defaults keep every run fast under the sanitizers; the same code
    // enforces them.
    static const qelix::qasm::ParseLimits limits{
        .expanded_gates = 1 << 16, .expanded_text = 1 << 20, .condition_bits = 1 << 20};
    std::string_view source(reinterpret_cast<const char*>(data), size);
    auto circuit = qelix::qasm::parse_qasm(source, limits);
    if (!circuit) {
        if (circuit.error().message().empty()) fail("empty error message", "");
        return 0;
    }
    std::string text = qelix::to_qasm(*circuit);
    auto back = qelix::parse_qasm(text);
    if (!back) {
        // Conditionals come back on the whole register c, which may hold more bits in total.
        if (back.error().message().find("conditionals reference more than") != std::string::npos) return 0;
        fail(("written text does not parse: " + back.error().message()).c_str(), text);
    }
    std::string again = qelix::to_qasm(*back);
    if (again != without_comment_lines(text)) fail("text changed on the way back", text + "\n---\n" + again);
    return 0;
}
