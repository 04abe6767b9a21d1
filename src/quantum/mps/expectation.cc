#include "quantum/mps/expectation.h"

#include <array>
#include <vector>

namespace qelix {

namespace {

using Matrix2 = std::array<Complex, 4>;

/// The operator as <s|O|s'> at 2 * s + s'.
Matrix2 operator_of(char pauli) {
    const Complex i(0.0, 1.0);
    switch (pauli) {
        case 'X': return {0.0, 1.0, 1.0, 0.0};
        case 'Y': return {0.0, -i, i, 0.0};
        case 'Z': return {1.0, 0.0, 0.0, -1.0};
        default: return {1.0, 0.0, 0.0, 1.0};
    }
}

/// The environment after one more site: E'(r, r') = sum conj(A(l,s,r)) E(l,l') O(s,s') A(l',s',r').
std::vector<Complex> advance(const std::vector<Complex>& env, const SiteTensor& a, const Matrix2& op) {
    const std::size_t left = a.left, right = a.right;
    // x(l, s', r') = sum over l' of E(l, l') A(l', s', r')
    std::vector<Complex> x(left * 2 * right);
    for (std::size_t l = 0; l < left; ++l)
        for (std::size_t lp = 0; lp < left; ++lp) {
            const Complex e = env[l * left + lp];
            if (e == Complex(0.0, 0.0)) continue;
            for (std::size_t sr = 0; sr < 2 * right; ++sr) x[l * 2 * right + sr] += e * a.data[lp * 2 * right + sr];
        }
    // y(l, s, r') = sum over s' of O(s, s') x(l, s', r')
    std::vector<Complex> y(x.size());
    for (std::size_t l = 0; l < left; ++l)
        for (std::size_t s = 0; s < 2; ++s)
            for (std::size_t r = 0; r < right; ++r)
                y[(l * 2 + s) * right + r] =
                    op[2 * s] * x[(l * 2) * right + r] + op[2 * s + 1] * x[(l * 2 + 1) * right + r];
    // E'(r, r') = sum over l, s of conj(A(l, s, r)) y(l, s, r')
    std::vector<Complex> next(right * right);
    for (std::size_t ls = 0; ls < 2 * left; ++ls)
        for (std::size_t r = 0; r < right; ++r) {
            const Complex c = std::conj(a.data[ls * right + r]);
            if (c == Complex(0.0, 0.0)) continue;
            for (std::size_t rp = 0; rp < right; ++rp) next[r * right + rp] += c * y[ls * right + rp];
        }
    return next;
}

}  // namespace

Complex pauli_product_expectation(const MpsState& state, std::span<const char> paulis) {
    std::vector<Complex> env{Complex(1.0, 0.0)};
    const auto& sites = state.sites();
    for (std::size_t q = 0; q < sites.size(); ++q)
        env = advance(env, sites[q], operator_of(q < paulis.size() ? paulis[q] : 'I'));
    return env.empty() ? Complex(0.0, 0.0) : env[0];
}

double squared_norm(const MpsState& state) { return pauli_product_expectation(state, {}).real(); }

double expectation(const MpsState& state, const Observable& observable) {
    const double norm = squared_norm(state);
    double total = 0.0;
    std::vector<char> paulis(state.num_qubits(), 'I');
    for (const ObservableTerm& term : observable) {
        for (const PauliOnQubit& f : term.factors) paulis[f.qubit] = f.pauli;
        total += term.coefficient * pauli_product_expectation(state, paulis).real();
        for (const PauliOnQubit& f : term.factors) paulis[f.qubit] = 'I';
    }
    return norm > 0.0 ? total / norm : total;
}

}  // namespace qelix
