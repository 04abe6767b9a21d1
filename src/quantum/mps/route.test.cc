#include "quantum/mps/route.h"

#include <gtest/gtest.h>

#include <cmath>

#include "quantum/mps/test_util.h"

using namespace qelix;

namespace {

SimulatorConfig with_backend(Backend backend, std::uint64_t seed = 1) {
    return {.seed = seed, .backend = backend, .noise = NoiseModel::ideal(), .parallel = true};
}

SimulatorConfig noisy(Backend backend) {
    SimulatorConfig config = with_backend(backend);
    config.noise = NoiseModel::ibm();
    return config;
}

Circuit bell(bool measure = true) {
    Circuit c = Circuit::create(2).value();
    EXPECT_TRUE(c.h(0) && c.cnot(0, 1));
    if (measure) {
        EXPECT_TRUE(c.measure_all());
    }
    return c;
}

/// h(0), measure(0), x(0): a gate after a measurement.
Circuit mid_circuit() {
    Circuit c = Circuit::create(2).value();
    EXPECT_TRUE(c.h(0) && c.measure(0) && c.x(0));
    return c;
}

std::string run_error(const SimulatorConfig& config, const Circuit& c) {
    auto r = run(config, c, 10);
    return r ? "ok" : r.error().message();
}

std::string statevector_error(const SimulatorConfig& config, const Circuit& c) {
    auto r = statevector(config, c);
    return r ? "ok" : r.error().message();
}

const char* const MPS_NOISE = "Simulation error: MPS backend does not yet support noise models";
const char* const MPS_MID = "Simulation error: MPS backend does not support mid-circuit measurements";
const char* const MPS_BOND = "Simulation error: MPS backend requires max_bond_dim >= 1";

}  // namespace

TEST(MpsRoute, BackendChoice) {
    Circuit small = Circuit::create(20).value(), wide = Circuit::create(21).value();
    const Request counts = Request::Counts;
    EXPECT_EQ(mps_bond_limit(with_backend(Backend::state_vector()), wide, counts), std::nullopt);
    EXPECT_EQ(mps_bond_limit(with_backend(Backend::mps(3)), small, counts), 3u);
    EXPECT_EQ(mps_bond_limit(noisy(Backend::mps(0)), small, Request::DenseState), 0u);
    EXPECT_EQ(mps_bond_limit(with_backend(Backend::automatic()), small, counts), std::nullopt);
    EXPECT_EQ(mps_bond_limit(with_backend(Backend::automatic()), wide, counts), 64u);
}

TEST(MpsRoute, AutoTakesTheStateVectorWhereTheChainCannotServe) {
    const SimulatorConfig automatic = with_backend(Backend::automatic());
    Circuit wide = Circuit::create(22).value();
    ASSERT_TRUE(wide.x(21) && wide.measure(21));
    Circuit mid = Circuit::create(22).value();
    ASSERT_TRUE(mid.h(0) && mid.measure(0));  // ends in measurements: the chain still serves counts
    ASSERT_TRUE(mps_can_serve(automatic, mid, Request::Counts));
    ASSERT_TRUE(mid.x(1));  // now a gate follows a measurement
    EXPECT_FALSE(mps_can_serve(automatic, mid, Request::Counts));
    EXPECT_FALSE(mps_can_serve(noisy(Backend::automatic()), wide, Request::Counts));
    EXPECT_FALSE(mps_can_serve(automatic, wide, Request::DenseState));

    // Each answers on the state vector, as the default backend would.
    const SimulatorConfig plain = with_backend(Backend::state_vector());
    EXPECT_EQ(run(automatic, mid, 4).value().counts, run(plain, mid, 4).value().counts);
    EXPECT_EQ(run(noisy(Backend::automatic()), wide, 4).value().counts,
              run(noisy(Backend::state_vector()), wide, 4).value().counts);
    StateBuffer dense = statevector(automatic, wide).value();
    EXPECT_EQ(dense.amplitudes()[std::size_t{1} << 21], Complex(1.0, 0.0));
    // Where the state vector cannot fit, the chain answers with its own refusal.
    Circuit huge = Circuit::create(64).value();
    EXPECT_EQ(mps_bond_limit(noisy(Backend::automatic()), huge, Request::Counts), 64u);
    EXPECT_EQ(run_error(noisy(Backend::automatic()), huge), MPS_NOISE);
}

TEST(MpsRoute, RunChecksInOrder) {
    const Backend none = Backend::mps(0);
    EXPECT_EQ(run(noisy(none), mid_circuit(), 0).error(), QuantumError::invalid_shots(0));
    EXPECT_EQ(run_error(noisy(none), mid_circuit()), MPS_NOISE);
    EXPECT_EQ(run_error(with_backend(none), mid_circuit()), MPS_MID);
    EXPECT_EQ(run_error(with_backend(none), bell()), MPS_BOND);
    EXPECT_EQ(run_error(with_backend(Backend::mps(1)), bell()), "ok");
    // Conditionals need shot-by-shot execution too, so they get the mid-circuit refusal.
    Circuit conditional = Circuit::create(2).value();
    ASSERT_TRUE(conditional.measure(0));
    ASSERT_TRUE(conditional.append_conditional({0}, 1, gates::x(), {1}));
    EXPECT_EQ(run_error(with_backend(Backend::mps(4)), conditional), MPS_MID);
}

TEST(MpsRoute, StatevectorChecksInOrder) {
    const Backend none = Backend::mps(0);
    EXPECT_EQ(statevector_error(noisy(none), mid_circuit()),
              "Simulation error: statevector is unavailable when noise is enabled");
    EXPECT_EQ(statevector_error(with_backend(none), mid_circuit()),
              "Simulation error: statevector is unavailable for circuits with mid-circuit measurements");
    EXPECT_EQ(statevector_error(with_backend(none), bell()), MPS_BOND);
    EXPECT_EQ(probabilities(with_backend(Backend::mps(2)), Circuit::create(25).value()).error(),
              QuantumError::too_many_qubits(25, 20));
    EXPECT_EQ(statevector(with_backend(Backend::mps(2)), Circuit::create(20).value())->size(), std::size_t{1} << 20);
}

TEST(MpsRoute, StatevectorMatchesTheStateVectorBackend) {
    Circuit c = mps_testing::random_circuit(10, 120, 31);
    ASSERT_TRUE(c.measure_all());  // terminal measurements are ignored by both
    StateBuffer want = statevector(with_backend(Backend::state_vector()), c).value();
    StateBuffer got = statevector(with_backend(Backend::mps(32)), c).value();
    for (std::size_t k = 0; k < want.size(); ++k)
        EXPECT_LT(std::abs(got.amplitudes()[k] - want.amplitudes()[k]), 1e-10) << k;
    Probabilities p = probabilities(with_backend(Backend::mps(32)), c).value();
    for (std::size_t k = 0; k < want.size(); ++k) EXPECT_EQ(p[k], std::norm(got.amplitudes()[k]));
    // Auto keeps circuits of up to 20 qubits on the state vector, bit for bit.
    StateBuffer automatic = statevector(with_backend(Backend::automatic()), c).value();
    EXPECT_TRUE(std::equal(automatic.amplitudes().begin(), automatic.amplitudes().end(), want.amplitudes().begin()));

    // The bond limit is honoured on this route: a Bell pair cut to one value loses half its weight.
    StateBuffer cut = statevector(with_backend(Backend::mps(1)), bell(false)).value();
    EXPECT_NEAR(std::norm(cut.amplitudes()[0]) + std::norm(cut.amplitudes()[3]), 0.5, 1e-12);
}

TEST(MpsRoute, RunKeysAndResult) {
    QuantumResult r = run(with_backend(Backend::mps(4), 7), bell(), 1000).value();
    EXPECT_EQ(r.num_bits, 2u);
    EXPECT_EQ(r.total_shots, 1000u);
    EXPECT_EQ(r.counts.size(), 2u);
    EXPECT_EQ(r.counts["00"] + r.counts["11"], 1000u);
    EXPECT_EQ(run(with_backend(Backend::mps(4), 7), bell(), 1000).value().counts, r.counts);

    // No measurement: one character per qubit, qubit 0 leftmost.
    Circuit x = Circuit::create(3).value();
    ASSERT_TRUE(x.x(0));
    EXPECT_EQ(run(with_backend(Backend::mps(4)), x, 5).value().counts, (Counts{{"100", 5}}));

    // Only qubit 2 measured: the words of the other qubits fold into two keys.
    Circuit partial = Circuit::create(3).value();
    ASSERT_TRUE(partial.h(0) && partial.h(1) && partial.x(2) && partial.measure(2));
    QuantumResult folded = run(with_backend(Backend::mps(4)), partial, 400).value();
    EXPECT_EQ(folded.num_bits, 1u);
    EXPECT_EQ(folded.counts, (Counts{{"1", 400}}));

    // Auto above 20 qubits: the chain runs with bond limit 64.
    Circuit wide = Circuit::create(21).value();
    ASSERT_TRUE(wide.x(20) && wide.measure(20) && wide.measure(0));
    EXPECT_EQ(run(with_backend(Backend::automatic()), wide, 3).value().counts, (Counts{{"10", 3}}));
}

TEST(MpsRoute, HundredQubitGhz) {
    Circuit c = Circuit::create(100).value();
    ASSERT_TRUE(c.h(0));
    for (std::size_t q = 0; q + 1 < 100; ++q) ASSERT_TRUE(c.cnot(q, q + 1));
    ASSERT_TRUE(c.measure_all());
    QuantumResult r = run(with_backend(Backend::mps(64), 3), c, 1000).value();
    ASSERT_EQ(r.counts.size(), 2u);
    const std::uint32_t zeros = r.counts[std::string(100, '0')], ones = r.counts[std::string(100, '1')];
    EXPECT_EQ(zeros + ones, 1000u);
    EXPECT_NEAR(zeros / 1000.0, 0.5, 0.06);
}
