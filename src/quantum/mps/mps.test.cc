#include "quantum/mps/mps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "quantum/mps/amplitude.h"
#include "quantum/mps/split.h"
#include "quantum/mps/test_util.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;
using mps_testing::run_mps;

namespace {

std::vector<Complex> run_dense(const Circuit& c) {
    StateBuffer state = StateBuffer::allocate(c.num_qubits()).value();
    state.apply_circuit(c, false);
    return {state.amplitudes().begin(), state.amplitudes().end()};
}

void expect_close(const std::vector<Complex>& got, const std::vector<Complex>& want, double tolerance) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_LT(std::abs(got[k] - want[k]), tolerance) << "index " << k;
}

double norm_squared(const MpsState& state) {
    double sum = 0.0;
    const std::vector<Complex> amps = dense_amplitudes(state).value();
    for (const Complex& a : amps) sum += std::norm(a);
    return sum;
}

/// Prepares basis state `index` with X gates.
Circuit basis(std::size_t num_qubits, std::size_t index) {
    Circuit c = Circuit::create(num_qubits).value();
    for (std::size_t q = 0; q < num_qubits; ++q)
        if ((index >> q) & 1) {
            EXPECT_TRUE(c.x(q));
        }
    return c;
}

std::string error_of(const Status& status) { return status ? "ok" : status.error().message(); }

}  // namespace

TEST(Mps, NewZeroIsProductOfZeros) {
    MpsState state = MpsState::new_zero(3, 4);
    EXPECT_EQ(state.num_qubits(), 3u);
    EXPECT_EQ(state.max_bond_dim(), 4u);
    for (const SiteTensor& site : state.sites()) {
        EXPECT_EQ(site.left, 1u);
        EXPECT_EQ(site.right, 1u);
        EXPECT_EQ(site.data, (std::vector<Complex>{1.0, 0.0}));
    }
    EXPECT_THROW(MpsState::new_zero(0, 4), InternalFault);
    EXPECT_THROW(MpsState::new_zero(2, 0), InternalFault);
}

TEST(Mps, AgreesWithStateVectorOnRandomCircuits) {
    // Bonds of n qubits never need more than 2^(n/2), so a limit of 64 is never binding here.
    for (std::size_t n = 1; n <= 12; ++n)
        for (std::uint64_t seed = 0; seed < 3; ++seed) {
            Circuit c = mps_testing::random_circuit(n, 12 * n, 1000 * n + seed);
            SCOPED_TRACE(testing::Message() << n << " qubits, seed " << seed);
            expect_close(dense_amplitudes(run_mps(c, 64)).value(), run_dense(c), 1e-10);
        }
}

TEST(Mps, RoutesDistantPairsInBothOrders) {
    // cx(0, 2) brings qubit 2 down to site 1; cx(2, 0) uses the exchanged gate. Either
    // way the chain must return to qubit q on site q, which the basis states check.
    for (auto [control, target] : {std::pair{0, 2}, std::pair{2, 0}, std::pair{0, 4}, std::pair{4, 1}})
        for (std::size_t index = 0; index < 32; ++index) {
            Circuit c = basis(5, index);
            ASSERT_TRUE(c.cnot(control, target));
            std::vector<Complex> got = dense_amplitudes(run_mps(c, 8)).value();
            const std::size_t flipped = (index >> control) & 1 ? index ^ (std::size_t{1} << target) : index;
            EXPECT_NEAR(std::abs(got[flipped]), 1.0, 1e-12) << control << "->" << target << " on " << index;
        }
    // An entangled input with phases, against the state-vector engine.
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.h(0) && c.ry(1, 0.7) && c.h(2) && c.t(2) && c.cnot(2, 0) && c.cy(0, 2) && c.rzz(2, 1, 0.3));
    expect_close(dense_amplitudes(run_mps(c, 8)).value(), run_dense(c), 1e-12);
}

TEST(Mps, ExchangedGateSwapsLocalBits) {
    Gate g = exchanged_gate(gates::cnot());
    EXPECT_EQ(g.name, "CNOT^swap");
    EXPECT_EQ(g.num_qubits, 2u);
    // CNOT with the control as low local bit: flips the high bit when the low bit is set.
    std::vector<Complex> want(16);
    for (auto [row, col] : {std::pair{0, 0}, std::pair{3, 1}, std::pair{2, 2}, std::pair{1, 3}})
        want[row * 4 + col] = 1.0;
    EXPECT_EQ(g.matrix, want);
    EXPECT_EQ(exchanged_gate(gates::swap()).matrix, gates::swap().matrix);
}

TEST(Mps, ProductStatesKeepBondOne) {
    SeededRng rng = SeededRng::from_seed_u64(5);
    Circuit c = Circuit::create(10).value();
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(c.u3(rng.gen_range_u64(0, 10), rng.next_f64() * 3, rng.next_f64() * 3, rng.next_f64() * 3));
        // SWAPs (and the routing SWAPs they need) only reorder a product state.
        if (i % 10 == 9) {
            ASSERT_TRUE(c.swap(rng.gen_range_u64(0, 5), rng.gen_range_u64(5, 10)));
        }
    }
    for (std::size_t limit : {1, 2, 64}) EXPECT_EQ(run_mps(c, limit).largest_bond(), 1u) << limit;
    // Entangling gates that cancel leave no bond behind either.
    ASSERT_TRUE(c.h(3) && c.cnot(3, 6) && c.cnot(3, 6) && c.h(3));
    EXPECT_EQ(run_mps(c, 16).largest_bond(), 1u);
    expect_close(dense_amplitudes(run_mps(c, 16)).value(), run_dense(c), 1e-12);
}

TEST(Mps, TruncationLowersTheNorm) {
    Circuit bell = Circuit::create(2).value();
    ASSERT_TRUE(bell.h(0) && bell.cnot(0, 1));
    MpsState full = run_mps(bell, 2);
    EXPECT_EQ(full.largest_bond(), 2u);
    EXPECT_NEAR(norm_squared(full), 1.0, 1e-12);

    // The two singular values are equal; one is kept and not rescaled.
    MpsState cut = run_mps(bell, 1);
    EXPECT_EQ(cut.largest_bond(), 1u);
    EXPECT_NEAR(norm_squared(cut), 0.5, 1e-12);
    std::vector<Complex> amps = dense_amplitudes(cut).value();
    EXPECT_NEAR(std::abs(amps[0]) + std::abs(amps[3]), FRAC_1_SQRT_2, 1e-12);
    EXPECT_NEAR(std::abs(amps[1]) + std::abs(amps[2]), 0.0, 1e-15);
}

TEST(Mps, KeptRankRule) {
    const double values[] = {1.0, 0.5, 1e-12, 0.25};
    // Counting stops at the first value not above the cutoff, even if larger ones follow.
    EXPECT_EQ(kept_rank(values, 4, 64), 2u);
    EXPECT_EQ(kept_rank(values, 4, 1), 1u);
    const double zeros[] = {0.0, 0.0};
    EXPECT_EQ(kept_rank(zeros, 2, 64), 1u);
    const double nan[] = {std::numeric_limits<double>::quiet_NaN(), 1.0};
    EXPECT_EQ(kept_rank(nan, 2, 64), 1u);
}

TEST(Mps, GateChecksInOrder) {
    MpsState state = MpsState::new_zero(3, 4);
    EXPECT_EQ(error_of(state.apply_one_site(3, gates::h())), "Qubit index 3 out of range (circuit has 3 qubits)");
    EXPECT_EQ(error_of(state.apply_one_site(0, gates::cnot())), "Simulation error: expected 1-qubit gate, got 'CNOT'");
    EXPECT_EQ(error_of(state.apply_two_qubit(5, 7, gates::h())), "Qubit index 5 out of range (circuit has 3 qubits)");
    EXPECT_EQ(error_of(state.apply_two_qubit(0, 7, gates::h())), "Qubit index 7 out of range (circuit has 3 qubits)");
    EXPECT_EQ(error_of(state.apply_two_qubit(1, 1, gates::h())),
              "Two-qubit gate requires different qubits, got 1 and 1");
    EXPECT_EQ(error_of(state.apply_two_qubit(0, 2, gates::h())), "Simulation error: expected 2-qubit gate, got 'H'");
    EXPECT_EQ(error_of(state.apply_adjacent(2, gates::cnot())), "Qubit index 3 out of range (circuit has 3 qubits)");
    EXPECT_EQ(error_of(state.apply_adjacent(0, gates::x())), "Simulation error: expected 2-qubit gate, got 'X'");
    // Nothing above touched the chain.
    EXPECT_EQ(dense_amplitudes(state).value()[0], Complex(1.0, 0.0));
    Gate broken = gates::x();
    broken.matrix.resize(3);
    EXPECT_THROW((void)state.apply_one_site(0, broken), InternalFault);
}

TEST(Mps, InstructionWalkRefusesWhatItCannotRun) {
    Gate three{.name = "CCX", .matrix = std::vector<Complex>(64), .num_qubits = 3};
    const std::pair<Instruction, std::string> cases[] = {
        {GateOp{gates::cnot(), {0}}, "Simulation error: MPS backend does not support 2-qubit gate 'CNOT'"},
        {GateOp{three, {0, 1, 2}}, "Simulation error: MPS backend does not support 3-qubit gate 'CCX'"},
        {GateOp{gates::h(), {0, 1}}, "Simulation error: MPS backend does not support 1-qubit gate 'H'"},
        {ConditionalOp{{0}, 1, gates::x(), {0}}, "Simulation error: MPS backend does not support conditional gates"},
    };
    for (const auto& [bad, message] : cases) {
        MpsState state = MpsState::new_zero(3, 4);
        // The walk stops at the bad instruction: the X before it stays applied.
        std::vector<Instruction> program{GateOp{gates::x(), {1}}, MeasureOp{0, 0}, BarrierOp{{0, 1}}, bad,
                                         GateOp{gates::x(), {2}}};
        EXPECT_EQ(error_of(state.apply_instructions(program)), message);
        std::vector<Complex> amps = dense_amplitudes(state).value();
        EXPECT_EQ(amps[2], Complex(1.0, 0.0));
    }
}

TEST(Mps, FailedDecompositionIsReported) {
    // A NaN angle poisons the two-site matrix; the split refuses instead of spreading NaN.
    Circuit c = Circuit::create(2).value();
    ASSERT_TRUE(c.h(0) && c.rzz(0, 1, std::numeric_limits<double>::quiet_NaN()));
    MpsState state = MpsState::new_zero(2, 4);
    EXPECT_EQ(error_of(state.apply_instructions(c.instructions())), "Simulation error: MPS SVD failed to compute U");
}
