#include "quantum/simulator/expectation.h"

#include <gtest/gtest.h>

#include "quantum/simulator/batch.h"

using namespace qelix;

namespace {

Observable z0() { return {parse_term(1.0, "Z0").value()}; }

SimulatorConfig seeded(std::uint64_t seed) {
    SimulatorConfig config;
    config.seed = seed;
    return config;
}

}  // namespace

TEST(Expectation, NoiselessReadsTheStateBeforeFinalMeasurements) {
    Circuit c = Circuit::create(2).value();
    ASSERT_TRUE(c.x(0));
    ASSERT_TRUE(c.h(1));
    ASSERT_TRUE(c.measure_all());
    Observable o{parse_term(2.0, "Z0").value(), parse_term(0.5, "X1").value(), parse_term(1.0, "").value()};
    EXPECT_NEAR(expectation(seeded(1), c, o, 1).value(), -2.0 + 0.5 + 1.0, 1e-15);
    SimulatorConfig mps = seeded(1);
    mps.backend = Backend::mps(4);
    EXPECT_NEAR(expectation(mps, c, o, 1).value(), -0.5, 1e-15);
}

TEST(Expectation, NoiseAndMidCircuitMeasurementsAverageTrajectories) {
    Circuit c = Circuit::create(1).value();
    ASSERT_TRUE(c.x(0));
    SimulatorConfig flip = seeded(2);
    flip.noise.single_qubit_channels = {{ChannelKind::BitFlip, 1.0}};
    EXPECT_EQ(expectation(flip, c, z0(), 10).value(), 1.0);  // X then a certain flip back
    Circuit m = Circuit::create(1).value();
    ASSERT_TRUE(m.h(0));
    ASSERT_TRUE(m.measure(0));
    ASSERT_TRUE(m.h(0));
    ASSERT_TRUE(m.h(0));
    // Each trajectory collapses to |0> or |1>: the mean of +-1 over 4000 shots is near 0.
    double mean = expectation(seeded(3), m, z0(), 4000).value();
    EXPECT_LT(std::abs(mean), 0.06);
    EXPECT_EQ(mean, expectation(seeded(3), m, z0(), 4000).value());
}

TEST(Expectation, RefusalsMatchTheRunRoutes) {
    Circuit c = Circuit::create(2).value();
    ASSERT_TRUE(c.h(0));
    EXPECT_EQ(expectation(seeded(1), c, z0(), 0).error().message(), "Shot count must be greater than zero, got 0");
    EXPECT_EQ(expectation(seeded(1), c, {parse_term(1.0, "Z5").value()}, 1).error().message(),
              "Qubit index 5 out of range (circuit has 2 qubits)");
    SimulatorConfig noisy_mps = seeded(1);
    noisy_mps.backend = Backend::mps(8);
    noisy_mps.noise = NoiseModel::ibm();
    EXPECT_EQ(expectation(noisy_mps, c, z0(), 1).error().message(),
              "Simulation error: MPS backend does not yet support noise models");
    ASSERT_TRUE(c.rx(1, std::nan("")));
    EXPECT_FALSE(expectation(seeded(1), c, z0(), 1).has_value());
}

TEST(RunBatch, EachResultEqualsItsOwnRun) {
    std::vector<Circuit> circuits;
    for (std::size_t i = 0; i < 40; ++i) {
        Circuit c = Circuit::create(1 + i % 5).value();
        ASSERT_TRUE(c.h(0));
        ASSERT_TRUE(c.rx(i % c.num_qubits(), 0.1 * double(i)));
        ASSERT_TRUE(c.measure_all());
        circuits.push_back(std::move(c));
    }
    std::vector<const Circuit*> pointers;
    for (const Circuit& c : circuits) pointers.push_back(&c);
    for (bool parallel : {false, true}) {
        SimulatorConfig config = seeded(9);
        config.parallel = parallel;
        auto results = run_batch(config, pointers, 100).value();
        ASSERT_EQ(results.size(), circuits.size());
        for (std::size_t i = 0; i < circuits.size(); ++i)
            EXPECT_EQ(results[i].counts, run(config, circuits[i], 100).value().counts) << i;
    }
    EXPECT_EQ(run_batch(seeded(1), pointers, 0).error().index, 0u);
}
