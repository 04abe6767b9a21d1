#include "quantum/circuit/gate_form.h"

#include <cmath>
#include <string_view>
#include <utility>

namespace qelix {

namespace {

/// Whether `name` is `prefix` followed by an argument list: "Rx(1.571)", "CR3".
bool shaped(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && name.starts_with(prefix) && !name.ends_with("^dagger");
}

/// The angles of U3(theta, phi, lambda) = [c, -e^(i lambda) s; e^(i phi) s, e^(i(phi+lambda)) c].
std::vector<double> u3_angles(const std::vector<Complex>& m) {
    const double theta = 2.0 * std::atan2(std::abs(m[2]), m[0].real());
    if (std::abs(m[2]) > 0.0) return {theta, std::arg(m[2]), std::arg(-m[1])};
    // No off-diagonal part: only phi + lambda is defined; give it all to lambda.
    return {theta, 0.0, std::arg(m[3] * (m[0].real() < 0 ? -1.0 : 1.0))};
}

}  // namespace

std::optional<GateForm> gate_form(const Gate& gate) {
    static constexpr std::pair<std::string_view, std::string_view> fixed[] = {
        {"H", "h"},     {"X", "x"},   {"Y", "y"},     {"Z", "z"},   {"S", "s"},   {"Sdg", "sdg"},  {"T", "t"},
        {"Tdg", "tdg"}, {"SX", "sx"}, {"CNOT", "cx"}, {"CY", "cy"}, {"CZ", "cz"}, {"SWAP", "swap"}};
    const std::string_view name = gate.name;
    const std::vector<Complex>& m = gate.matrix;
    for (auto [display, qasm] : fixed)
        if (name == display) return GateForm{std::string(qasm), {}};
    if (gate.num_qubits == 1 && m.size() == 4) {
        if (shaped(name, "Rx(")) return GateForm{"rx", {2.0 * std::atan2(-m[1].imag(), m[0].real())}};
        if (shaped(name, "Ry(")) return GateForm{"ry", {2.0 * std::atan2(m[2].real(), m[0].real())}};
        if (shaped(name, "Rz(")) return GateForm{"rz", {2.0 * std::arg(m[3])}};
        if (shaped(name, "U3(")) return GateForm{"u3", u3_angles(m)};
    }
    if (gate.num_qubits == 2 && m.size() == 16) {
        if (shaped(name, "Rzz(")) return GateForm{"rzz", {2.0 * std::arg(m[5])}};
        // CR{k} and its inverse CR{k}^dagger: the phase of the last diagonal entry.
        if (name.starts_with("CR")) return GateForm{"cu1", {std::arg(m[15])}};
    }
    return std::nullopt;
}

}  // namespace qelix
