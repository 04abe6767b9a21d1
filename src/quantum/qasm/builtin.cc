#include "quantum/qasm/builtin.h"

#include <cmath>
#include <cstdint>

#include "quantum/circuit/library.h"

namespace qelix::qasm {

namespace {

constexpr double HALF_PI = 1.5707963267948966;
/// 2^64 as a double: whole values from here on saturate to the largest k.
constexpr double TWO_POW_64 = 18446744073709551616.0;

/// The qelib1.inc names that are another spelling of a table gate (u1 and p stay Rz, as
/// they are equal up to a global phase).
struct Alias {
    std::string_view name;
    GateKind kind;
};
constexpr Alias ALIASES[] = {{"u1", GateKind::Rz}, {"p", GateKind::Rz}, {"u", GateKind::U3}, {"cp", GateKind::CP}};

/// crk(k) is built in for whole k >= 0 only (within 1e-9, as written k may carry noise).
bool emit_crk(double k, std::span<const std::size_t> q, std::vector<PlacedGate>& out) {
    double whole = std::round(k);
    // Also false for NaN and infinities, whose distance to a whole number is NaN.
    if (!(k >= 0.0) || !(std::fabs(k - whole) < 1e-9)) return false;
    std::uint64_t exponent = whole >= TWO_POW_64 ? UINT64_MAX : static_cast<std::uint64_t>(whole);
    out.push_back({gates::crk(exponent), {q[0], q[1]}});
    return true;
}

/// The gates that qelib1.inc spells in ways the table does not: no-ops, u2 and ccx.
bool emit_special(std::string_view name, std::span<const double> p, std::span<const std::size_t> q,
                  std::vector<PlacedGate>& out) {
    if (q.size() == 1 && ((name == "id" && p.empty()) || (name == "u0" && p.size() == 1))) return true;
    if (q.size() == 1 && name == "u2" && p.size() == 2) {
        out.push_back({gates::u3(HALF_PI, p[0], p[1]), {q[0]}});
        return true;
    }
    if (q.size() == 3 && name == "ccx" && p.empty()) {
        for (const SequenceStep& step : toffoli_sequence()) {
            std::vector<std::size_t> targets{q[step.a]};
            if (step.b != SequenceStep::NONE) targets.push_back(q[step.b]);
            out.push_back({make_gate(step.kind), std::move(targets)});
        }
        return true;
    }
    if (q.size() == 2 && name == "crk" && p.size() == 1) return emit_crk(p[0], q, out);
    return false;
}

std::optional<GateKind> kind_of(std::string_view name) {
    for (const Alias& alias : ALIASES)
        if (alias.name == name) return alias.kind;
    if (name == "crk") return std::nullopt;  // whole k only, see emit_crk
    return kind_of_qasm(name);
}

}  // namespace

bool emit_builtin(std::string_view name, std::span<const double> params, std::span<const std::size_t> qubits,
                  std::vector<PlacedGate>& out) {
    if (emit_special(name, params, qubits, out)) return true;
    std::optional<GateKind> kind = kind_of(name);
    if (!kind) return false;
    const GateInfo& info = gate_info(*kind);
    if (info.num_qubits != qubits.size() || info.num_params != params.size()) return false;
    out.push_back({make_gate(*kind, params), std::vector<std::size_t>(qubits.begin(), qubits.end())});
    return true;
}

}  // namespace qelix::qasm
