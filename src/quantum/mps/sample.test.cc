#include "quantum/mps/sample.h"

#include <gtest/gtest.h>

#include <cmath>

#include "quantum/mps/amplitude.h"
#include "quantum/mps/test_util.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;

namespace {

using mps_testing::run_mps;

std::vector<WordCount> sample_seeded(const MpsState& state, std::uint32_t shots, std::uint64_t seed) {
    SeededRng rng = SeededRng::from_seed_u64(seed);
    return sample(state, shots, rng).value();
}

std::uint64_t total(const std::vector<WordCount>& pairs) {
    std::uint64_t sum = 0;
    for (const auto& [word, count] : pairs) sum += count;
    return sum;
}

double frequency(const std::vector<WordCount>& pairs, OutcomeWord word) {
    for (const auto& [w, count] : pairs)
        if (w == word) return double(count) / double(total(pairs));
    return 0.0;
}

}  // namespace

TEST(MpsSample, BasisStateGivesOneWord) {
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.x(0));
    EXPECT_EQ(sample_seeded(run_mps(c, 4), 10, 1), (std::vector<WordCount>{{OutcomeWord::of(1), 10}}));
}

TEST(MpsSample, BellPairsAndTheirOrder) {
    Circuit bell = Circuit::create(2).value();
    ASSERT_TRUE(bell.h(0) && bell.cnot(0, 1));
    const std::vector<WordCount> pairs = sample_seeded(run_mps(bell, 2), 4000, 3);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_GE(pairs[0].second, pairs[1].second);
    for (const auto& [word, count] : pairs) {
        EXPECT_TRUE(word == OutcomeWord::of(0) || word == OutcomeWord::of(3));
        EXPECT_NEAR(double(count) / 4000, 0.5, 0.03);
    }
    // A seed repeats its draws exactly.
    EXPECT_EQ(sample_seeded(run_mps(bell, 2), 4000, 3), pairs);

    // Four equally likely words: counts descend, equal counts list the smaller word first.
    Circuit uniform = Circuit::create(2).value();
    ASSERT_TRUE(uniform.h(0) && uniform.h(1));
    const std::vector<WordCount> spread = sample_seeded(run_mps(uniform, 2), 8, 11);
    EXPECT_EQ(total(spread), 8u);
    for (std::size_t i = 1; i < spread.size(); ++i) {
        EXPECT_GE(spread[i - 1].second, spread[i].second);
        if (spread[i - 1].second == spread[i].second) {
            EXPECT_LT(spread[i - 1].first, spread[i].first);
        }
    }
}

TEST(MpsSample, FollowsUnequalAmplitudes) {
    // cos(1)|00> + sin(1)|11>: the split leaves the weights on the second site, so the
    // first qubit's odds must take the rest of the chain into account.
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.ry(0, 2.0) && c.cnot(0, 1) && c.cnot(1, 2));
    const std::vector<WordCount> pairs = sample_seeded(run_mps(c, 4), 20000, 5);
    EXPECT_EQ(pairs.size(), 2u);
    EXPECT_NEAR(frequency(pairs, OutcomeWord::of(0)), std::pow(std::cos(1.0), 2), 0.015);
    EXPECT_NEAR(frequency(pairs, OutcomeWord::of(7)), std::pow(std::sin(1.0), 2), 0.015);
}

TEST(MpsSample, MatchesStateVectorDistribution) {
    Circuit c = mps_testing::random_circuit(6, 40, 77);
    StateBuffer dense = StateBuffer::allocate(6).value();
    dense.apply_circuit(c, false);
    const std::vector<double> p = dense.probabilities();
    const std::vector<WordCount> pairs = sample_seeded(run_mps(c, 64), 40000, 9);
    for (std::size_t k = 0; k < p.size(); ++k)
        EXPECT_NEAR(frequency(pairs, OutcomeWord::of(k)), p[k], 4 * std::sqrt(p[k] / 40000) + 1e-3) << k;
}

TEST(MpsSample, WideGhzUsesBothHalvesOfTheWord) {
    Circuit c = Circuit::create(100).value();
    ASSERT_TRUE(c.h(0));
    for (std::size_t q = 0; q + 1 < 100; ++q) ASSERT_TRUE(c.cnot(q, q + 1));
    MpsState state = run_mps(c, 64);
    EXPECT_EQ(state.largest_bond(), 2u);
    const OutcomeWord ones{~std::uint64_t{0}, (std::uint64_t{1} << 36) - 1};
    const std::vector<WordCount> pairs = sample_seeded(state, 2000, 21);
    ASSERT_EQ(pairs.size(), 2u);
    for (const auto& [word, count] : pairs) EXPECT_TRUE(word == OutcomeWord{} || word == ones);
    EXPECT_NEAR(std::abs(amplitude(state, ones)), FRAC_1_SQRT_2, 1e-12);
    EXPECT_NEAR(std::abs(amplitude(state, OutcomeWord{})), FRAC_1_SQRT_2, 1e-12);
    EXPECT_EQ(amplitude(state, OutcomeWord::of(1)), Complex(0.0, 0.0));
    std::vector<std::uint8_t> every(100);
    for (std::size_t q = 0; q < 100; ++q) every[q] = static_cast<std::uint8_t>(q);
    EXPECT_EQ(word_key(ones, every), std::string(100, '1'));
    EXPECT_EQ(word_key(ones, std::vector<std::uint8_t>{99, 3, 0xff}), "110");
    EXPECT_EQ(word_key(OutcomeWord{0, 1}, std::vector<std::uint8_t>{64, 63}), "10");
}

TEST(MpsSample, TruncatedStateStillSamples) {
    // With one singular value kept the Bell pair becomes a single product term of norm 1/sqrt(2).
    Circuit bell = Circuit::create(2).value();
    ASSERT_TRUE(bell.h(0) && bell.cnot(0, 1));
    const std::vector<WordCount> pairs = sample_seeded(run_mps(bell, 1), 100, 4);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_TRUE(pairs[0].first == OutcomeWord::of(0) || pairs[0].first == OutcomeWord::of(3));
    EXPECT_EQ(pairs[0].second, 100u);
}
