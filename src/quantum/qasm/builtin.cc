#include "quantum/qasm/builtin.h"

#include <cmath>
#include <cstdint>

namespace qelix::qasm {

namespace {

constexpr double HALF_PI = 1.5707963267948966;
/// 2^64 as a double: whole values from here on saturate to the largest k.
constexpr double TWO_POW_64 = 18446744073709551616.0;

Gate one_qubit_fixed(std::string_view name, bool& found) {
    found = true;
    if (name == "h") return gates::h();
    if (name == "x") return gates::x();
    if (name == "y") return gates::y();
    if (name == "z") return gates::z();
    if (name == "s") return gates::s();
    if (name == "sdg") return gates::sdg();
    if (name == "t") return gates::t();
    if (name == "tdg") return gates::tdg();
    found = false;
    return {};
}

void put(std::vector<PlacedGate>& out, Gate gate, std::size_t q) { out.push_back({std::move(gate), {q}}); }
void put(std::vector<PlacedGate>& out, Gate gate, std::size_t a, std::size_t b) {
    out.push_back({std::move(gate), {a, b}});
}

/// The 15-gate H/T/Tdg/CNOT decomposition of a doubly controlled NOT.
void emit_ccx(std::size_t a, std::size_t b, std::size_t c, std::vector<PlacedGate>& out) {
    put(out, gates::h(), c);
    put(out, gates::cnot(), b, c);
    put(out, gates::tdg(), c);
    put(out, gates::cnot(), a, c);
    put(out, gates::t(), c);
    put(out, gates::cnot(), b, c);
    put(out, gates::tdg(), c);
    put(out, gates::cnot(), a, c);
    put(out, gates::t(), b);
    put(out, gates::t(), c);
    put(out, gates::h(), c);
    put(out, gates::cnot(), a, b);
    put(out, gates::t(), a);
    put(out, gates::tdg(), b);
    put(out, gates::cnot(), a, b);
}

bool emit_one_qubit(std::string_view name, std::span<const double> p, std::size_t q, std::vector<PlacedGate>& out) {
    switch (p.size()) {
        case 0: {
            if (name == "id") return true;
            bool found = false;
            Gate gate = one_qubit_fixed(name, found);
            if (found) put(out, std::move(gate), q);
            return found;
        }
        case 1:
            if (name == "rx") return put(out, gates::rx(p[0]), q), true;
            if (name == "ry") return put(out, gates::ry(p[0]), q), true;
            if (name == "rz" || name == "u1") return put(out, gates::rz(p[0]), q), true;
            return false;
        case 2:
            if (name == "u2") return put(out, gates::u3(HALF_PI, p[0], p[1]), q), true;
            return false;
        case 3:
            if (name == "u3" || name == "u") return put(out, gates::u3(p[0], p[1], p[2]), q), true;
            return false;
        default: return false;
    }
}

bool emit_two_qubit(std::string_view name, std::span<const double> p, std::size_t a, std::size_t b,
                    std::vector<PlacedGate>& out) {
    if (p.empty()) {
        if (name == "cx") return put(out, gates::cnot(), a, b), true;
        if (name == "cz") return put(out, gates::cz(), a, b), true;
        if (name == "swap") return put(out, gates::swap(), a, b), true;
        return false;
    }
    if (p.size() == 1 && name == "crk") {
        double k = p[0];
        double whole = std::round(k);
        // Also false for NaN and infinities, whose distance to a whole number is NaN.
        if (!(k >= 0.0) || !(std::fabs(k - whole) < 1e-9)) return false;
        std::uint64_t exponent = whole >= TWO_POW_64 ? UINT64_MAX : static_cast<std::uint64_t>(whole);
        put(out, gates::crk(exponent), a, b);
        return true;
    }
    return false;
}

}  // namespace

bool emit_builtin(std::string_view name, std::span<const double> params, std::span<const std::size_t> qubits,
                  std::vector<PlacedGate>& out) {
    switch (qubits.size()) {
        case 1: return emit_one_qubit(name, params, qubits[0], out);
        case 2: return emit_two_qubit(name, params, qubits[0], qubits[1], out);
        case 3:
            if (name != "ccx" || !params.empty()) return false;
            emit_ccx(qubits[0], qubits[1], qubits[2], out);
            return true;
        default: return false;
    }
}

}  // namespace qelix::qasm
