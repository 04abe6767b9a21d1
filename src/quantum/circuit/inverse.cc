#include "quantum/circuit/inverse.h"

#include <string>
#include <string_view>
#include <variant>

namespace qelix {

namespace {

/// "1.571" -> "-1.571", "-0.500" -> "0.500"; a NaN has no sign to flip.
std::string negated(std::string_view angle) {
    if (angle == "NaN") return std::string(angle);
    if (angle.starts_with('-')) return std::string(angle.substr(1));
    return "-" + std::string(angle);
}

/// The comma-separated angles of a rotation name ("Rx(", "U3(", ...), or none when `name`
/// is not exactly prefix, angles, ')'.
std::vector<std::string> rotation_angles(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || !name.starts_with(prefix) || !name.ends_with(')')) return {};
    std::string_view list = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    std::vector<std::string> angles;
    while (true) {
        const std::size_t comma = list.find(',');
        angles.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos) return angles;
        list.remove_prefix(comma + 1);
    }
}

/// The name of the inverse of a gate named `name` whose matrix is not Hermitian.
std::string inverse_name(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> pairs[] = {
        {"S", "Sdg"}, {"Sdg", "S"}, {"T", "Tdg"}, {"Tdg", "T"}};
    for (auto [from, to] : pairs)
        if (name == from) return std::string(to);
    for (std::string_view prefix : {"Rx(", "Ry(", "Rz(", "Rzz("}) {
        auto angles = rotation_angles(name, prefix);
        if (angles.size() == 1) return std::string(prefix) + negated(angles[0]) + ")";
    }
    auto u3 = rotation_angles(name, "U3(");
    if (u3.size() == 3) return "U3(" + negated(u3[0]) + "," + negated(u3[2]) + "," + negated(u3[1]) + ")";
    constexpr std::string_view suffix = "^dagger";
    if (name.ends_with(suffix)) return std::string(name.substr(0, name.size() - suffix.size()));
    return std::string(name) + std::string(suffix);
}

std::string_view kind_name(const Instruction& op) {
    if (std::holds_alternative<MeasureOp>(op)) return "measurement";
    if (std::holds_alternative<ConditionalOp>(op)) return "conditional gate";
    if (std::holds_alternative<ResetOp>(op)) return "reset";
    return "non-unitary instruction";
}

}  // namespace

Gate inverse_gate(const Gate& gate) {
    Gate adjoint = dagger(gate);
    // A Hermitian unitary is its own inverse: keep it, name and matrix bits included.
    if (adjoint.matrix == gate.matrix) return gate;
    adjoint.name = inverse_name(gate.name);
    return adjoint;
}

Result<Circuit> inverse(const Circuit& circuit) {
    auto out = Circuit::with_classical_bits(circuit.num_qubits(), circuit.num_classical_bits());
    if (!out) return out;
    const auto& ops = circuit.instructions();
    for (std::size_t i = ops.size(); i-- > 0;) {
        Status ok;
        if (const auto* g = std::get_if<GateOp>(&ops[i]))
            ok = out->append_gate(inverse_gate(g->gate), g->targets);
        else if (const auto* b = std::get_if<BarrierOp>(&ops[i]))
            ok = out->barrier(b->qubits);
        else
            return std::unexpected(QuantumError::unsupported("cannot invert a circuit holding a " +
                                                             std::string(kind_name(ops[i])) + " (instruction " +
                                                             std::to_string(i) + ")"));
        if (!ok) return std::unexpected(ok.error());
    }
    return out;
}

Result<Circuit> power(const Circuit& circuit, std::int64_t exponent) {
    const std::uint64_t times = exponent < 0 ? 0 - static_cast<std::uint64_t>(exponent) : std::uint64_t(exponent);
    const std::size_t size = circuit.instructions().size();
    if (size != 0 && times > MAX_POWER_INSTRUCTIONS / size)
        return std::unexpected(QuantumError::memory_limit("power " + std::to_string(exponent) + " would exceed " +
                                                          std::to_string(MAX_POWER_INSTRUCTIONS) + " instructions"));
    auto base = exponent < 0 ? inverse(circuit) : Result<Circuit>(circuit);
    if (!base) return base;
    auto out = Circuit::create(circuit.num_qubits());
    if (!out) return out;
    for (std::uint64_t i = 0; i < times; ++i)
        if (Status ok = out->append(*base); !ok) return std::unexpected(ok.error());
    return out;
}

}  // namespace qelix
