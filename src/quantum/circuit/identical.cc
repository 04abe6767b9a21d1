#include "quantum/circuit/identical.h"

#include <bit>
#include <cstdint>
#include <variant>

namespace qelix {

namespace {

bool identical(const Instruction& a, const Instruction& b) {
    if (a.index() != b.index()) return false;
    if (const auto* g = std::get_if<GateOp>(&a)) {
        const auto& h = std::get<GateOp>(b);
        return g->targets == h.targets && identical(g->gate, h.gate);
    }
    if (const auto* c = std::get_if<ConditionalOp>(&a)) {
        const auto& d = std::get<ConditionalOp>(b);
        return c->classical_bits == d.classical_bits && c->value == d.value && c->targets == d.targets &&
               identical(c->gate, d.gate);
    }
    // The remaining kinds hold integers only.
    return a == b;
}

}  // namespace

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

bool identical(const Gate& a, const Gate& b) {
    if (a.name != b.name || a.num_qubits != b.num_qubits || a.matrix.size() != b.matrix.size()) return false;
    for (std::size_t i = 0; i < a.matrix.size(); ++i)
        if (!same_bits(a.matrix[i].real(), b.matrix[i].real()) || !same_bits(a.matrix[i].imag(), b.matrix[i].imag()))
            return false;
    return true;
}

bool identical(const Circuit& a, const Circuit& b) {
    if (a.num_qubits() != b.num_qubits() || a.num_classical_bits() != b.num_classical_bits()) return false;
    const auto& x = a.instructions();
    const auto& y = b.instructions();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!identical(x[i], y[i])) return false;
    return true;
}

}  // namespace qelix
