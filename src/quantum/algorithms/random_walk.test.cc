#include "quantum/algorithms/random_walk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace qelix;

namespace {

void expect_probabilities(std::size_t steps, const std::vector<double>& expected) {
    auto walk = random_walk(steps);
    ASSERT_TRUE(walk.has_value());
    ASSERT_EQ(walk->probabilities.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(walk->probabilities[i], expected[i], 1e-12) << i;
    EXPECT_NEAR(walk->variance, static_cast<double>(steps), 1e-12);
}

/// Probabilities summed, and the largest difference between x and -x.
std::pair<double, double> total_and_asymmetry(const std::vector<double>& p) {
    double total = 0.0, asymmetry = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        total += p[i];
        asymmetry = std::max(asymmetry, std::abs(p[i] - p[p.size() - 1 - i]));
    }
    return {total, asymmetry};
}

}  // namespace

TEST(RandomWalk, FirstStepsMatchTheHandComputedDistributions) {
    auto zero = random_walk(0);
    ASSERT_TRUE(zero.has_value());
    EXPECT_EQ(zero->positions, std::vector<std::int64_t>{0});
    EXPECT_NEAR(zero->probabilities[0], 1.0, 1e-12);
    EXPECT_EQ(zero->variance, 0.0);

    auto one = random_walk(1);
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(one->positions, (std::vector<std::int64_t>{-1, 0, 1}));
    expect_probabilities(1, {0.5, 0.0, 0.5});
    expect_probabilities(2, {0.25, 0.0, 0.5, 0.0, 0.25});
    expect_probabilities(3, {0.125, 0.0, 0.375, 0.0, 0.375, 0.0, 0.125});
}

TEST(RandomWalk, IsNormalisedSymmetricAndZeroAtTheWrongParity) {
    for (std::size_t steps : {4u, 5u, 17u, 100u, 101u, 2048u, 2049u, 5000u}) {
        auto walk = random_walk(steps);
        ASSERT_TRUE(walk.has_value());
        ASSERT_EQ(walk->positions.size(), 2 * steps + 1);
        EXPECT_EQ(walk->positions.front(), -static_cast<std::int64_t>(steps));
        EXPECT_EQ(walk->positions.back(), static_cast<std::int64_t>(steps));
        auto [total, asymmetry] = total_and_asymmetry(walk->probabilities);
        EXPECT_NEAR(total, 1.0, 1e-10) << steps;
        EXPECT_LT(asymmetry, 1e-12) << steps;
        for (std::size_t i = 1; i < walk->probabilities.size(); i += 2)
            ASSERT_EQ(walk->probabilities[i], 0.0) << "steps " << steps << " index " << i;
    }
}

TEST(RandomWalk, SpectralEvolutionAgreesWithStepwiseEvolution) {
    for (std::size_t steps : {0u, 1u, 2u, 3u, 10u, 99u, 512u, 1500u}) {
        auto stepwise = walk_probabilities_stepwise(steps);
        auto spectral = walk_probabilities_spectral(steps);
        ASSERT_EQ(stepwise.size(), spectral.size());
        for (std::size_t i = 0; i < stepwise.size(); ++i)
            ASSERT_NEAR(stepwise[i], spectral[i], 1e-13) << "steps " << steps << " index " << i;
    }
}

TEST(RandomWalk, SpreadsBallisticallyUnlikeAClassicalWalk) {
    // The Hadamard walk's second moment approaches (1 - 1/sqrt(2)) t^2; a classical
    // walk's equals t.
    for (std::size_t steps : {1000u, 4000u}) {
        auto walk = random_walk(steps);
        ASSERT_TRUE(walk.has_value());
        double t = static_cast<double>(steps);
        EXPECT_NEAR(walk->variance / (t * t), 1.0 - 1.0 / std::sqrt(2.0), 2e-3) << steps;
    }
}

TEST(RandomWalk, RefusesStepCountsThatCannotBeAllocated) {
    EXPECT_EQ(random_walk_bytes(0), WALK_BYTES_PER_POSITION);
    EXPECT_EQ(random_walk_bytes(10, 4), 21 * (WALK_BYTES_PER_POSITION + 4));
    EXPECT_FALSE(random_walk_bytes(std::numeric_limits<std::size_t>::max()).has_value());
    EXPECT_FALSE(random_walk_bytes(std::size_t{1} << 60).has_value());
    EXPECT_FALSE(random_walk_bytes(1, std::numeric_limits<std::uint64_t>::max()).has_value());

    auto huge = random_walk(std::numeric_limits<std::size_t>::max());
    ASSERT_FALSE(huge.has_value());
    EXPECT_EQ(huge.error().kind, QuantumErrorKind::MemoryLimit);
    EXPECT_EQ(huge.error().message(),
              "Simulation error: random walk of 18446744073709551615 steps needs more than "
              "2^64 bytes, more than the system can provide");
    auto large = random_walk(std::size_t{1} << 50);
    ASSERT_FALSE(large.has_value());
    EXPECT_EQ(large.error().message(), "Simulation error: random walk of 1125899906842624 steps needs " +
                                           std::to_string(((std::uint64_t{1} << 51) + 1) * 96) +
                                           " bytes, more than the system can provide");
}
