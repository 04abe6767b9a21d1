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

/// Terms sharing one flip mask, and where their values go.
struct Group {
    std::uint64_t flip = 0;
    std::vector<PauliMasks> terms;
    std::vector<std::size_t> members;
};

/// Sums of every term of `groups` in one sweep over fixed blocks: blocks of BLOCK amplitudes
/// when every flip stays inside such a block (so a block serves all groups while it is in
/// cache), otherwise blocks of BLOCK pair numbers of the single group given.
void sweep(std::span<const Complex> psi, std::span<const Group> groups, bool local, bool parallel,
           std::vector<double>& values) {
    std::size_t width = 0;
    for (const Group& g : groups) width += g.terms.size();
    const std::size_t count = local ? psi.size() : psi.size() / 2;
    const std::size_t blocks = (count + BLOCK - 1) / BLOCK;
    std::vector<double> partial(blocks * width, 0.0);
    parallel_for(blocks, parallel, [&](std::size_t b0, std::size_t b1) {
        for (std::size_t b = b0; b < b1; ++b) {
            const std::size_t begin = b * BLOCK, end = std::min(count, begin + BLOCK);
            double* out = &partial[b * width];
            for (const Group& g : groups) {
                if (g.flip == 0)
                    diagonal_sums(psi.data(), g.terms, begin, end, out);
                else if (local)
                    pair_sums(psi.data(), g.flip, g.terms, begin / 2, end / 2, out);
                else
                    pair_sums(psi.data(), g.flip, g.terms, begin, end, out);
                out += g.terms.size();
            }
        }
    });
    std::vector<double> sums(width, 0.0);
    for (std::size_t b = 0; b < blocks; ++b)
        for (std::size_t t = 0; t < width; ++t) sums[t] += partial[b * width + t];
    std::size_t t = 0;
    for (const Group& g : groups)
        for (std::size_t member : g.members) values[member] = sums[t++];
}

}  // namespace

double expectation(std::span<const Complex> amplitudes, const Observable& observable, bool parallel) {
    // Group the terms by flip mask (ordered, so the grouping is the same on every run).
    std::map<std::uint64_t, Group> by_flip;
    for (std::size_t t = 0; t < observable.size(); ++t) {
        const PauliMasks m = masks_of(observable[t]);
        Group& g = by_flip[m.flip];
        g.flip = m.flip;
        g.terms.push_back(m);
        g.members.push_back(t);
    }
    // Flips inside a block share one sweep; each other flip gets a sweep of its own.
    const std::uint64_t block = std::min<std::uint64_t>(BLOCK, amplitudes.size());
    std::vector<Group> local, far;
    for (auto& [flip, g] : by_flip) (flip < block ? local : far).push_back(std::move(g));
    std::vector<double> values(observable.size());
    if (!local.empty()) sweep(amplitudes, local, true, parallel, values);
    for (const Group& g : far) sweep(amplitudes, {&g, 1}, false, parallel, values);
    double total = 0.0;
    for (std::size_t t = 0; t < observable.size(); ++t) total += observable[t].coefficient * values[t];
    return total;
}

}  // namespace qelix
