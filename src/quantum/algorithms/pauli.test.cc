#include "quantum/algorithms/pauli.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace qelix;

namespace {

const double R = FRAC_1_SQRT_2;

double term_expectation(std::vector<PauliFactor> factors, const std::vector<Complex>& state) {
    return pauli_expectation(factors, state);
}

}  // namespace

TEST(Pauli, HydrogenHamiltonianTermsInOrder) {
    const Hamiltonian h = h2_hamiltonian();
    ASSERT_EQ(h.num_qubits, 2u);
    ASSERT_EQ(h.terms.size(), 5u);
    EXPECT_TRUE(h.terms[0].is_identity());
    EXPECT_EQ(h.terms[0].coefficient, -1.0524);
    EXPECT_EQ(h.terms[1], (PauliTerm{{{1, Pauli::Z}}, 0.3979}));
    EXPECT_EQ(h.terms[2], (PauliTerm{{{0, Pauli::Z}}, -0.3979}));
    EXPECT_EQ(h.terms[3], (PauliTerm{{{0, Pauli::Z}, {1, Pauli::Z}}, -0.0112}));
    EXPECT_EQ(h.terms[4], (PauliTerm{{{0, Pauli::X}, {1, Pauli::X}}, 0.1809}));
}

TEST(Pauli, ExpectationsOnBasisStates) {
    // |01> as an index: qubit 0 set.
    const std::vector<Complex> one_on_q0 = {0.0, 1.0, 0.0, 0.0};
    EXPECT_EQ(term_expectation({{0, Pauli::Z}}, one_on_q0), -1.0);
    EXPECT_EQ(term_expectation({{1, Pauli::Z}}, one_on_q0), 1.0);
    EXPECT_EQ(term_expectation({{0, Pauli::Z}, {1, Pauli::Z}}, one_on_q0), -1.0);
    EXPECT_EQ(term_expectation({{0, Pauli::X}}, one_on_q0), 0.0);
    EXPECT_EQ(term_expectation({{1, Pauli::Y}}, one_on_q0), 0.0);
    EXPECT_EQ(term_expectation({{0, Pauli::I}}, one_on_q0), 1.0);
    // A Z factor beyond the register acts as on |0>.
    EXPECT_EQ(term_expectation({{5, Pauli::Z}}, one_on_q0), 1.0);
}

TEST(Pauli, ExpectationsOnSuperpositions) {
    const std::vector<Complex> plus = {R, R};
    const std::vector<Complex> plus_i = {R, Complex(0.0, R)};
    const std::vector<Complex> minus_i = {R, Complex(0.0, -R)};
    EXPECT_NEAR(term_expectation({{0, Pauli::X}}, plus), 1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::Y}}, plus), 0.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::Y}}, plus_i), 1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::Y}}, minus_i), -1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::X}}, plus_i), 0.0, 1e-15);

    // Bell state (|00> + |11>)/sqrt 2: XX = ZZ = 1, YY = -1, single factors 0.
    const std::vector<Complex> bell = {R, 0.0, 0.0, R};
    EXPECT_NEAR(term_expectation({{0, Pauli::X}, {1, Pauli::X}}, bell), 1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::Z}, {1, Pauli::Z}}, bell), 1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::Y}, {1, Pauli::Y}}, bell), -1.0, 1e-15);
    EXPECT_NEAR(term_expectation({{0, Pauli::X}}, bell), 0.0, 1e-15);
    // Two X on one qubit cancel.
    EXPECT_NEAR(term_expectation({{0, Pauli::X}, {0, Pauli::X}}, bell), 1.0, 1e-15);
}

TEST(Pauli, FactorsBeyondTheRegister) {
    EXPECT_TRUE(check_factors(std::vector<PauliFactor>{{0, Pauli::X}, {7, Pauli::Z}, {9, Pauli::I}}, 2));
    auto bad = check_factors(std::vector<PauliFactor>{{1, Pauli::Z}, {2, Pauli::Y}}, 2);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message(), "Qubit index 2 out of range (circuit has 2 qubits)");
    EXPECT_FALSE(check_factors(std::vector<PauliFactor>{{3, Pauli::X}}, 3));
}

TEST(Pauli, KeyParity) {
    const std::vector<PauliFactor> zz = {{0, Pauli::Z}, {1, Pauli::Z}};
    EXPECT_EQ(key_parity(zz, "00"), 1);
    EXPECT_EQ(key_parity(zz, "10"), -1);
    EXPECT_EQ(key_parity(zz, "01"), -1);
    EXPECT_EQ(key_parity(zz, "11"), 1);
    // Identity factors and qubits beyond the key do not count.
    const std::vector<PauliFactor> mixed = {{0, Pauli::I}, {1, Pauli::X}, {4, Pauli::Y}};
    EXPECT_EQ(key_parity(mixed, "11"), -1);
    EXPECT_EQ(key_parity(mixed, "10"), 1);
    EXPECT_EQ(key_parity({}, "1111"), 1);
}
