#include "quantum/statevector/expectation.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "quantum/statevector/parallel.h"

namespace qelix {

namespace {

/// Amplitudes per partial sum; fixed, so the summation order never depends on threads.
constexpr std::size_t BLOCK = std::size_t{1} << 13;

/// A Pauli string as masks: P|k> = i^y_count (-1)^popcount(k & sign) |k ^ flip>.
struct PauliMasks {
    std::uint64_t flip = 0;
    std::uint64_t sign = 0;
    unsigned y_count = 0;
};

PauliMasks masks_of(const ObservableTerm& term) {
    PauliMasks m;
    for (const PauliOnQubit& f : term.factors) {
        const std::uint64_t bit = std::uint64_t{1} << f.qubit;
        if (f.pauli != 'Z') m.flip |= bit;
        if (f.pauli != 'X') m.sign |= bit;
        if (f.pauli == 'Y') ++m.y_count;
    }
    return m;
}

/// Re(i^y * w) for the product w = conj(psi[k ^ flip]) * psi[k].
double phased_real(double re, double im, unsigned y_count) {
    switch (y_count % 4) {
        case 0: return re;
        case 1: return -im;
        case 2: return -re;
        default: return im;
    }
}

/// +v or -v by the parity of k & sign.
double signed_by(std::uint64_t k, std::uint64_t sign, double v) { return __builtin_parityll(k & sign) ? -v : v; }

/// Diagonal terms (no flip): adds sum over k in [begin, end) of +-|psi_k|^2 to out[t].
void diagonal_sums(const Complex* psi, std::span<const PauliMasks> terms, std::size_t begin, std::size_t end,
                   double* out) {
    for (std::size_t k = begin; k < end; ++k) {
        const double p = psi[k].real() * psi[k].real() + psi[k].imag() * psi[k].imag();
        for (std::size_t t = 0; t < terms.size(); ++t) out[t] += signed_by(k, terms[t].sign, p);
    }
}

/// Flipping terms: visits each pair (k, k ^ flip) once, k with the flip's top bit clear, for
/// pair numbers j in [begin, end). With w = conj(psi[k ^ flip]) psi[k], the partner's
/// product is conj(w), so one read of both amplitudes serves both indices.
void pair_sums(const Complex* psi, std::uint64_t flip, std::span<const PauliMasks> terms, std::size_t begin,
               std::size_t end, double* out) {
    const unsigned top = 63 - unsigned(__builtin_clzll(flip));
    const std::uint64_t low = (std::uint64_t{1} << top) - 1;
    for (std::size_t j = begin; j < end; ++j) {
        const std::uint64_t k = ((j & ~low) << 1) | (j & low), partner = k ^ flip;
        const Complex a = psi[k], b = psi[partner];
        const double re = b.real() * a.real() + b.imag() * a.imag();
        const double im = b.real() * a.imag() - b.imag() * a.real();
        for (std::size_t t = 0; t < terms.size(); ++t) {
            const unsigned y = terms[t].y_count;
            out[t] += signed_by(k, terms[t].sign, phased_real(re, im, y)) +
                      signed_by(partner, terms[t].sign, phased_real(re, -im, y));
        }
    }
}

/// <P_t> for every term of a group sharing one flip mask, in one pass.
std::vector<double> group_values(std::span<const Complex> psi, std::uint64_t flip, std::span<const PauliMasks> terms,
                                 bool parallel) {
    const std::size_t count = flip == 0 ? psi.size() : psi.size() / 2;
    const std::size_t blocks = (count + BLOCK - 1) / BLOCK;
    std::vector<double> partial(blocks * terms.size(), 0.0);
    parallel_for(blocks, parallel, [&](std::size_t b0, std::size_t b1) {
        for (std::size_t b = b0; b < b1; ++b) {
            const std::size_t begin = b * BLOCK, end = std::min(count, begin + BLOCK);
            double* out = &partial[b * terms.size()];
            if (flip == 0)
                diagonal_sums(psi.data(), terms, begin, end, out);
            else
                pair_sums(psi.data(), flip, terms, begin, end, out);
        }
    });
    std::vector<double> values(terms.size(), 0.0);
    for (std::size_t b = 0; b < blocks; ++b)
        for (std::size_t t = 0; t < terms.size(); ++t) values[t] += partial[b * terms.size() + t];
    return values;
}

}  // namespace

double expectation(std::span<const Complex> amplitudes, const Observable& observable, bool parallel) {
    // Group the terms by flip mask (ordered, so the grouping is the same on every run).
    std::map<std::uint64_t, std::vector<std::size_t>> groups;
    std::vector<PauliMasks> masks;
    for (std::size_t t = 0; t < observable.size(); ++t) {
        masks.push_back(masks_of(observable[t]));
        groups[masks.back().flip].push_back(t);
    }
    std::vector<double> values(observable.size());
    for (const auto& [flip, members] : groups) {
        std::vector<PauliMasks> terms;
        for (std::size_t t : members) terms.push_back(masks[t]);
        std::vector<double> group = group_values(amplitudes, flip, terms, parallel);
        for (std::size_t i = 0; i < members.size(); ++i) values[members[i]] = group[i];
    }
    double total = 0.0;
    for (std::size_t t = 0; t < observable.size(); ++t) total += observable[t].coefficient * values[t];
    return total;
}

}  // namespace qelix
