#include "quantum/mps/amplitude.h"

#include "core/interrupt.h"

namespace qelix {

namespace {

Complex mul(const Complex& x, const Complex& y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}

/// out(r) = sum over l ascending of v(l) * A(l, s, r), for r < right.
void step(const Complex* v, const SiteTensor& site, std::size_t s, Complex* out) {
    for (std::size_t r = 0; r < site.right; ++r) out[r] = Complex(0.0, 0.0);
    for (std::size_t l = 0; l < site.left; ++l) {
        const Complex* row = &site.data[(l * 2 + s) * site.right];
        for (std::size_t r = 0; r < site.right; ++r) out[r] += mul(v[l], row[r]);
    }
}

}  // namespace

Complex amplitude(const MpsState& state, const OutcomeWord& index) {
    std::vector<Complex> v{Complex(1.0, 0.0)}, next;
    for (std::size_t q = 0; q < state.num_qubits(); ++q) {
        const SiteTensor& site = state.sites()[q];
        next.resize(site.right);
        step(v.data(), site, index.bit(q) ? 1 : 0, next.data());
        std::swap(v, next);
    }
    return v.empty() ? Complex(0.0, 0.0) : v[0];
}

Result<std::vector<Complex>> dense_amplitudes(const MpsState& state) {
    const std::size_t n = state.num_qubits();
    if (n > MPS_MAX_DENSE_QUBITS) return std::unexpected(QuantumError::too_many_qubits(n, MPS_MAX_DENSE_QUBITS));
    // Indices sharing their low bits share the start of the sweep of amplitude(), so the
    // chain is swept once for all of them: layer q holds, for every prefix p of bits
    // 0..q, the vector v_p of that sweep after site q. The arithmetic per index is the
    // same as amplitude()'s. Bonds never exceed 2^(q+1) after site q, nor 2^(n-q-1),
    // so no layer holds more than 2^n entries.
    std::vector<Complex> v{Complex(1.0, 0.0)}, next;
    std::size_t width = 1;  // length of each prefix's vector
    for (std::size_t q = 0; q < n; ++q) {
        const SiteTensor& site = state.sites()[q];
        const std::size_t prefixes = std::size_t{1} << q;
        next.assign(2 * prefixes * site.right, Complex(0.0, 0.0));
        for (std::size_t s = 0; s < 2; ++s)
            for (std::size_t p = 0; p < prefixes; ++p) step(&v[p * width], site, s, &next[(p | (s << q)) * site.right]);
        std::swap(v, next);
        width = site.right;
        if (interrupted(static_cast<std::int64_t>(2 * prefixes * site.left * site.right)))
            return std::unexpected(QuantumError::interrupted());
    }
    if (width == 1) return v;
    std::vector<Complex> out(std::size_t{1} << n);
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = width == 0 ? Complex(0.0, 0.0) : v[k * width];
    return out;
}

}  // namespace qelix
