#include "quantum/mps/mps.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <variant>

#include "quantum/statevector/memory.h"
#include "quantum/mps/split.h"
#include "core/propagate.h"

namespace qelix {

namespace {

QuantumError unsupported_width(const Gate& gate) {
    return QuantumError::unsupported("MPS backend does not support " + std::to_string(gate.num_qubits) +
                                     "-qubit gate '" + gate.name + "'");
}

/// A gate whose matrix does not have 4^width entries cannot come from the circuit builders.
void check_matrix(const Gate& gate, std::size_t entries) {
    if (gate.matrix.size() != entries)
        throw InternalFault("gate '" + gate.name + "' carries " + std::to_string(gate.matrix.size()) +
                            " matrix entries, expected " + std::to_string(entries));
}

/// Work memory of one split between bonds `left` and `right`, saturating at 2^64 - 1.
std::uint64_t split_bytes(std::size_t left, std::size_t right) {
    constexpr std::uint64_t MATRICES = 5;
    const unsigned __int128 bytes =
        (unsigned __int128)MATRICES * AMPLITUDE_BYTES * (2 * (unsigned __int128)left) * (2 * (unsigned __int128)right);
    return bytes > UINT64_MAX ? UINT64_MAX : std::uint64_t(bytes);
}

Complex mul(const Complex& x, const Complex& y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}

}  // namespace

MpsState MpsState::new_zero(std::size_t num_qubits, std::size_t max_bond_dim) {
    if (num_qubits == 0 || max_bond_dim == 0)
        throw InternalFault("MpsState::new_zero needs at least one qubit and max_bond_dim >= 1");
    std::vector<SiteTensor> sites(num_qubits, SiteTensor{.data = {Complex(1.0, 0.0), Complex(0.0, 0.0)}});
    return MpsState(std::move(sites), max_bond_dim);
}

std::size_t MpsState::largest_bond() const {
    std::size_t largest = 1;
    for (const SiteTensor& site : sites_) largest = std::max(largest, site.right);
    return largest;
}

Status MpsState::apply_instructions(std::span<const Instruction> instructions) {
    for (const Instruction& instruction : instructions) {
        if (std::holds_alternative<ConditionalOp>(instruction))
            return std::unexpected(QuantumError::unsupported("MPS backend does not support conditional gates"));
        const auto* op = std::get_if<GateOp>(&instruction);
        if (op == nullptr) continue;  // measurements are drawn by the sampler; barriers do nothing
        Status done;
        if (op->gate.num_qubits == 1 && op->targets.size() == 1)
            done = apply_one_site(op->targets[0], op->gate);
        else if (op->gate.num_qubits == 2 && op->targets.size() == 2)
            done = apply_two_qubit(op->targets[0], op->targets[1], op->gate);
        else
            return std::unexpected(unsupported_width(op->gate));
        QELIX_TRY(done);
    }
    return {};
}

Status MpsState::apply_one_site(std::size_t qubit, const Gate& gate) {
    if (qubit >= num_qubits()) return std::unexpected(QuantumError::qubit_out_of_range(qubit, num_qubits()));
    if (gate.num_qubits != 1)
        return std::unexpected(QuantumError::invalid_circuit("expected 1-qubit gate, got '" + gate.name + "'"));
    check_matrix(gate, 4);
    SiteTensor& site = sites_[qubit];
    std::vector<Complex> next(site.data.size());
    const std::size_t right = site.right;
    for (std::size_t l = 0; l < site.left; ++l)
        for (std::size_t r = 0; r < right; ++r) {
            const Complex a0 = site.data[(l * 2) * right + r], a1 = site.data[(l * 2 + 1) * right + r];
            next[(l * 2) * right + r] = mul(gate.matrix[0], a0) + mul(gate.matrix[1], a1);
            next[(l * 2 + 1) * right + r] = mul(gate.matrix[2], a0) + mul(gate.matrix[3], a1);
        }
    site.data = std::move(next);
    return {};
}

Status MpsState::apply_two_qubit(std::size_t a, std::size_t b, const Gate& gate) {
    if (a >= num_qubits()) return std::unexpected(QuantumError::qubit_out_of_range(a, num_qubits()));
    if (b >= num_qubits()) return std::unexpected(QuantumError::qubit_out_of_range(b, num_qubits()));
    if (a == b) return std::unexpected(QuantumError::duplicate_qubit(a, a));
    if (gate.num_qubits != 2)
        return std::unexpected(QuantumError::invalid_circuit("expected 2-qubit gate, got '" + gate.name + "'"));
    check_matrix(gate, 16);
    const Gate swap = gates::swap();
    if (a < b) {
        // Walk qubit b down to site a + 1, act, and walk it back up.
        for (std::size_t j = b; j >= a + 2; --j) QELIX_TRY(apply_adjacent(j - 1, swap));
        QELIX_TRY(apply_adjacent(a, gate));
        for (std::size_t j = a + 1; j < b; ++j) QELIX_TRY(apply_adjacent(j, swap));
        return {};
    }
    // Qubit a walks down to site b + 1, so it sits below b: act with the exchanged gate.
    for (std::size_t j = a - 1; j >= b + 1; --j) QELIX_TRY(apply_adjacent(j, swap));
    QELIX_TRY(apply_adjacent(b, exchanged_gate(gate)));
    for (std::size_t j = b + 1; j < a; ++j) QELIX_TRY(apply_adjacent(j, swap));
    return {};
}

Status MpsState::apply_adjacent(std::size_t site, const Gate& gate) {
    if (site + 1 >= num_qubits()) return std::unexpected(QuantumError::qubit_out_of_range(site + 1, num_qubits()));
    if (gate.num_qubits != 2)
        return std::unexpected(QuantumError::invalid_circuit("expected 2-qubit gate, got '" + gate.name + "'"));
    check_matrix(gate, 16);
    SiteTensor& a = sites_[site];
    SiteTensor& b = sites_[site + 1];
    // The split works on a few (2L) x (2R) matrices at once: the contraction, the gated
    // copy, the decomposition's copy and its two factors. Large bond limits let them grow
    // past what the machine has, so they are checked before anything is allocated.
    const std::uint64_t bytes = split_bytes(a.left, b.right);
    if (!can_provide(bytes)) return std::unexpected(QuantumError::insufficient_memory(num_qubits(), bytes));
    try {
        auto pair = split_pair(a, b, gate, max_bond_dim_);
        QELIX_TRY(pair);
        a = std::move(pair->first);
        b = std::move(pair->second);
    } catch (const std::bad_alloc&) {
        return std::unexpected(QuantumError::insufficient_memory(num_qubits(), bytes));
    }
    return {};
}

Gate exchanged_gate(const Gate& gate) {
    check_matrix(gate, 16);
    constexpr std::size_t PERMUTE[4] = {0, 2, 1, 3};
    Gate out{.name = gate.name + "^swap", .matrix = std::vector<Complex>(16), .num_qubits = 2};
    for (std::size_t p = 0; p < 4; ++p)
        for (std::size_t q = 0; q < 4; ++q) out.matrix[p * 4 + q] = gate.matrix[PERMUTE[p] * 4 + PERMUTE[q]];
    return out;
}

}  // namespace qelix
