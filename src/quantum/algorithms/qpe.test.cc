#include "quantum/algorithms/qpe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qelix;

namespace {

void prepare_one(Circuit& c, std::size_t q) { (void)c.x(q); }
void prepare_plus(Circuit& c, std::size_t q) { (void)c.h(q); }
void prepare_minus(Circuit& c, std::size_t q) {
    (void)c.x(q);
    (void)c.h(q);
}

PhaseEstimationResult estimate(const Gate& gate, const EigenstatePreparation& prep, std::size_t bits,
                               std::uint32_t shots = 1024) {
    auto result = phase_estimation(gate, prep, bits, shots, SimulatorConfig{});
    if (!result) ADD_FAILURE() << result.error().message();
    return result.value_or(PhaseEstimationResult{});
}

}  // namespace

TEST(PhaseEstimation, KnownEigenphasesRoundToTheRegister) {
    EXPECT_EQ(estimate(gates::s(), prepare_one, 3), (PhaseEstimationResult{{{2, 1024}}, 0.25, 2, 3}));
    EXPECT_EQ(estimate(gates::t(), prepare_one, 3), (PhaseEstimationResult{{{1, 1024}}, 0.125, 1, 3}));
    // round(0.125 * 2) = 0 and round(0.125 * 4) = round(0.5) = 1 (halves away from zero).
    EXPECT_EQ(estimate(gates::t(), prepare_one, 1), (PhaseEstimationResult{{{0, 1024}}, 0.0, 0, 1}));
    EXPECT_EQ(estimate(gates::t(), prepare_one, 2), (PhaseEstimationResult{{{1, 1024}}, 0.25, 1, 2}));
    EXPECT_EQ(estimate(gates::z(), prepare_one, 3).measured_value, 4u);
    EXPECT_EQ(estimate(gates::x(), prepare_minus, 3).phase, 0.5);
    EXPECT_EQ(estimate(gates::x(), prepare_plus, 3).phase, 0.0);
    EXPECT_EQ(estimate(gates::t(), prepare_one, 10).measured_value, 128u);
    Gate identity{"I", {1.0, 0.0, 0.0, 1.0}, 1};
    EXPECT_EQ(estimate(identity, nullptr, 3, 7), (PhaseEstimationResult{{{0, 7}}, 0.0, 0, 3}));
    EXPECT_EQ(estimate(gates::s(), prepare_one, 3, 0).counts, (std::map<std::uint64_t, std::uint32_t>{{2, 0}}));
}

TEST(PhaseEstimation, PhasesJustBelowOneTurnWrapToZero) {
    // Sdg on |1> has phase 3/4; with one bit round(1.5) = 2 wraps to register value 0.
    EXPECT_EQ(estimate(gates::sdg(), prepare_one, 1).measured_value, 0u);
    EXPECT_EQ(estimate(gates::sdg(), prepare_one, 2).measured_value, 3u);
    EXPECT_EQ(estimate(gates::rz(-1e-13), prepare_one, 8).measured_value, 0u);
}

TEST(PhaseEstimation, RefusesBadRequests) {
    auto zero = phase_estimation(gates::s(), prepare_one, 0, 1, {});
    ASSERT_FALSE(zero);
    EXPECT_EQ(zero.error().message(), "Simulation error: QPE requires at least one precision qubit");
    auto wide = phase_estimation(gates::cnot(), prepare_one, 3, 1, {});
    ASSERT_FALSE(wide);
    EXPECT_EQ(wide.error().message(), "Simulation error: QPE currently supports only single-qubit unitaries");
    auto not_eigen = phase_estimation(gates::x(), prepare_one, 3, 1, {});
    ASSERT_FALSE(not_eigen);
    EXPECT_EQ(not_eigen.error().message(),
              "Simulation error: provided state is not an eigenstate of the supplied unitary");
    EXPECT_EQ(phase_estimation(gates::s(), prepare_one, 128, 1, {}).error(), QuantumError::too_many_qubits(129, 128));
    auto largest = std::numeric_limits<std::size_t>::max();
    EXPECT_EQ(phase_estimation(gates::s(), prepare_one, largest, 1, {}).error().kind, QuantumErrorKind::TooManyQubits);
    // The widest allowed register cannot be allocated: the simulator's memory error.
    auto huge = phase_estimation(gates::s(), prepare_one, 127, 1, {});
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error().kind, QuantumErrorKind::InsufficientMemory);
    auto noisy = phase_estimation(gates::s(), prepare_one, 3, 1, {.noise = NoiseModel::uniform(0.1, 0.1, 0.1)});
    ASSERT_FALSE(noisy);
    EXPECT_EQ(noisy.error().kind, QuantumErrorKind::Unsupported);
}

TEST(Eigenvalue, ChecksBothComponents) {
    const double f = FRAC_1_SQRT_2;
    Complex i(0.0, 1.0);
    EXPECT_EQ(*eigenvalue(gates::s(), 0.0, 1.0), i);
    EXPECT_EQ(*eigenvalue(gates::z(), 1.0, 0.0), Complex(1.0, 0.0));
    auto minus = eigenvalue(gates::x(), f, -f);
    ASSERT_TRUE(minus);
    EXPECT_NEAR(std::abs(*minus - Complex(-1.0, 0.0)), 0.0, 1e-12);
    // A component at the tolerance is ignored by the second estimate.
    EXPECT_TRUE(eigenvalue(gates::s(), 1e-7, 1.0).has_value());
    auto reference = eigenvalue(gates::s(), 1e-7, 1e-7);
    ASSERT_FALSE(reference);
    EXPECT_EQ(reference.error().message(),
              "Simulation error: eigenstate preparation produced a near-zero reference amplitude");
    auto mixed = eigenvalue(gates::s(), f, f);
    ASSERT_FALSE(mixed);
    EXPECT_EQ(mixed.error().message(), "Simulation error: provided state is not an eigenstate of the supplied unitary");
    // A basis state that the gate moves elsewhere is no eigenvector either.
    EXPECT_FALSE(eigenvalue(gates::x(), 0.0, 1.0).has_value());
    EXPECT_FALSE(eigenvalue(gates::h(), 1.0, 0.0).has_value());
    EXPECT_THROW((void)eigenvalue(gates::cnot(), 1.0, 0.0), InternalFault);
}
