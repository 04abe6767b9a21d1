#include "quantum/circuit/gate_form.h"

namespace qelix {

std::optional<GateForm> gate_form(const Gate& gate) {
    // A dagger is named by the table gate equal to it (Sdg for S^dagger, Rx(-t) for Rx(t)^dagger).
    std::optional<Gate> named = gate;
    if (gate.inverse) {
        Gate base = gate;
        base.inverse = false;
        named = standard_inverse(base);
    }
    if (!named || named->kind == GateKind::Custom) return std::nullopt;
    const std::span<const double> params = named->parameters();
    // Other toolkits know CR{k} as the controlled phase cu1(2*pi / 2^k).
    if (named->kind == GateKind::CRk) return GateForm{"cu1", {crk_phase(params[0])}};
    return GateForm{std::string(gate_info(named->kind).qasm), {params.begin(), params.end()}};
}

}  // namespace qelix
