#include "quantum/statevector/expectation.h"

#include <gtest/gtest.h>

#include <bit>

#include "quantum/random/rng.h"

using namespace qelix;

namespace {

/// <psi|P|psi> by applying each Pauli's 2x2 matrix to a copy of the state, one factor at a time.
Complex naive(const std::vector<Complex>& psi, const ObservableTerm& term) {
    std::vector<Complex> phi = psi;
    const Complex i(0.0, 1.0);
    for (const PauliOnQubit& f : term.factors) {
        const std::size_t bit = std::size_t{1} << f.qubit;
        for (std::size_t k = 0; k < phi.size(); ++k) {
            if (k & bit) continue;
            const Complex a = phi[k], b = phi[k | bit];
            if (f.pauli == 'X') phi[k] = b, phi[k | bit] = a;
            if (f.pauli == 'Y') phi[k] = -i * b, phi[k | bit] = i * a;
            if (f.pauli == 'Z') phi[k | bit] = -b;
        }
    }
    Complex sum = 0.0;
    for (std::size_t k = 0; k < psi.size(); ++k) sum += std::conj(psi[k]) * phi[k];
    return sum;
}

std::vector<Complex> random_state(std::size_t n, SeededRng& rng) {
    std::vector<Complex> psi(std::size_t{1} << n);
    double norm = 0.0;
    for (Complex& a : psi) {
        a = Complex(rng.next_f64() - 0.5, rng.next_f64() - 0.5);
        norm += std::norm(a);
    }
    for (Complex& a : psi) a /= std::sqrt(norm);
    return psi;
}

Observable random_observable(std::size_t n, std::size_t terms, SeededRng& rng) {
    Observable o;
    for (std::size_t t = 0; t < terms; ++t) {
        std::string label;
        for (std::size_t q = 0; q < n; ++q) label += "IXYZ"[rng.gen_range_u64(0, 4)];
        o.push_back(parse_term(rng.next_f64() * 2 - 1, label).value());
    }
    return o;
}

}  // namespace

TEST(StatevectorExpectation, MatchesAnIndependentPauliApplication) {
    SeededRng rng = SeededRng::from_seed_u64(11);
    for (std::size_t n : {1, 3, 6, 15}) {
        std::vector<Complex> psi = random_state(n, rng);
        Observable o = random_observable(n, 12, rng);
        o.push_back(o[0]);  // a repeated term shares its pass
        o.push_back(ObservableTerm{0.25, {}});
        double expected = 0.0;
        for (const ObservableTerm& t : o) {
            Complex value = naive(psi, t);
            EXPECT_NEAR(value.imag(), 0.0, 1e-12);  // Pauli strings are Hermitian
            expected += t.coefficient * value.real();
        }
        EXPECT_NEAR(expectation(psi, o, false), expected, 1e-12) << n;
    }
}

TEST(StatevectorExpectation, ParallelAndSerialAgreeBitForBit) {
    SeededRng rng = SeededRng::from_seed_u64(5);
    std::vector<Complex> psi = random_state(17, rng);
    Observable o = random_observable(17, 6, rng);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(expectation(psi, o, true)),
              std::bit_cast<std::uint64_t>(expectation(psi, o, false)));
}
