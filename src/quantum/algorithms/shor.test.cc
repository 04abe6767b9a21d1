#include "quantum/algorithms/shor.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>

using namespace qelix;

namespace {

SimulatorConfig seeded(std::uint64_t seed) { return SimulatorConfig{.seed = seed}; }

/// The defining search: bases j = 2 .. floor(sqrt(n)) + 1, raising j until reaching n.
std::optional<std::uint64_t> root_by_search(std::uint64_t n) {
    auto b = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(n))) + 1;
    for (std::uint64_t j = 2; j <= b; ++j) {
        std::uint64_t p = j * j;
        while (p < n) p *= j;
        if (p == n) return j;
    }
    return std::nullopt;
}

bool is_prime(std::uint64_t n) {
    if (n < 2) return false;
    for (std::uint64_t d = 2; d * d <= n; ++d)
        if (n % d == 0) return false;
    return true;
}

}  // namespace

TEST(Shor, RejectsNumbersBelowFour) {
    for (std::uint64_t n : {0u, 1u, 2u, 3u}) {
        auto result = shor_factor(n, seeded(1));
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), QuantumError::invalid_argument("N must be at least 4"));
        EXPECT_EQ(result.error().message(), "Simulation error: N must be at least 4");
    }
}

TEST(Shor, EvenNumbersAndPerfectPowersTakeTheShortcuts) {
    EXPECT_EQ(*shor_factor(4, {}), (ShorResult{4, {2, 2}, 2, 0, 1, true}));
    EXPECT_EQ(*shor_factor(1000, {}), (ShorResult{1000, {2, 500}, 2, 0, 1, true}));
    EXPECT_EQ(*shor_factor(9, {}), (ShorResult{9, {3, 3}, 3, 0, 1, true}));
    EXPECT_EQ(*shor_factor(27, {}), (ShorResult{27, {3, 9}, 3, 0, 1, true}));
    EXPECT_EQ(*shor_factor(81, {}), (ShorResult{81, {3, 27}, 3, 0, 1, true}));
    // Above the register limit, but a perfect power needs no register.
    EXPECT_EQ(*shor_factor(729, {}), (ShorResult{729, {3, 243}, 3, 0, 1, true}));
    std::uint64_t big = 3486784401;  // 3^20 = 9^10 = 81^5
    EXPECT_EQ(shor_factor(big, {})->factors, std::make_pair(std::uint64_t{3}, big / 3));
}

TEST(Shor, RegisterLimitAcceptsUpTo255) {
    auto over = shor_factor(257, seeded(3));
    ASSERT_FALSE(over.has_value());
    EXPECT_EQ(over.error(), QuantumError::too_many_qubits(17, 16));
    EXPECT_EQ(over.error().message(), "Circuit exceeds maximum qubit count (17 > 16)");
    EXPECT_TRUE(shor_factor(255, seeded(3)).has_value());
    // The largest odd 64-bit number is no perfect power: no false match from saturation.
    auto top = shor_factor(std::numeric_limits<std::uint64_t>::max(), seeded(3));
    ASSERT_FALSE(top.has_value());
    EXPECT_EQ(top.error(), QuantumError::too_many_qubits(128, 16));
}

TEST(Shor, PrimesFailAfterAllAllowedAttempts) {
    EXPECT_EQ(*shor_factor(7, seeded(5)), (ShorResult{7, {1, 7}, 0, 0, 5, false}));
    EXPECT_EQ(*shor_factor(251, seeded(5)), (ShorResult{251, {1, 251}, 0, 0, 10, false}));
    EXPECT_EQ(*shor_factor(5, {}), (ShorResult{5, {1, 5}, 0, 0, 3, false}));
}

TEST(Shor, FifteenSucceedsFromEveryStartingBase) {
    for (std::uint64_t seed = 0; seed < 200; ++seed) {
        ShorResult r = *shor_factor(15, seeded(seed));
        ASSERT_TRUE(r.success) << seed;
        if (r.base_a == 11) {
            EXPECT_EQ(r.factors, std::make_pair(std::uint64_t{3}, std::uint64_t{5}));
            EXPECT_EQ(r.period_r, 2u);
        } else {
            EXPECT_EQ(r.factors, std::make_pair(std::uint64_t{5}, std::uint64_t{3}));
        }
        EXPECT_NE(r.base_a, 14u);  // period 2 but 14 = -1 mod 15: skipped
        // Only a start at 14 needs a second base, which is then 2.
        if (r.base_a != 2) {
            EXPECT_EQ(r.attempts, 1u);
        } else {
            EXPECT_LE(r.attempts, 2u);
        }
        EXPECT_EQ(*shor_factor(15, seeded(seed)), r) << "seeded runs repeat";
    }
}

TEST(Shor, EveryOddCompositeUpTo255FactorsOrFailsCleanly) {
    for (std::uint64_t n = 9; n <= 255; n += 2) {
        if (is_prime(n)) continue;
        for (std::uint64_t seed : {1u, 2u, 3u}) {
            ShorResult r = *shor_factor(n, seeded(seed));
            EXPECT_EQ(r.n, n);
            if (!r.success) {
                std::uint64_t coprime = 0;
                for (std::uint64_t a = 2; a < n; ++a) coprime += std::gcd(a, n) == 1;
                EXPECT_EQ(
                    r, (ShorResult{
                           n, {1, n}, 0, 0, static_cast<std::uint32_t>(std::min<std::uint64_t>(coprime, 10)), false}));
                continue;
            }
            auto [p, q] = r.factors;
            EXPECT_TRUE(p >= 2 && p < n && p * q == n) << n;
            EXPECT_GE(r.attempts, 1u);
            EXPECT_LE(r.attempts, 10u);
            if (r.period_r != 0) {
                EXPECT_EQ(std::gcd(r.base_a, n), 1u) << n;
                EXPECT_EQ(pow_mod(r.base_a, r.period_r, n), 1u) << n;
                EXPECT_EQ(r.period_r % 2, 0u) << n;
            }
        }
    }
}

TEST(Shor, PerfectPowerRootMatchesTheDefiningSearch) {
    for (std::uint64_t n = 4; n < 50000; ++n) ASSERT_EQ(perfect_power_root(n), root_by_search(n)) << n;
    EXPECT_EQ(perfect_power_root(std::uint64_t{1} << 63), 2u);
    EXPECT_EQ(perfect_power_root(4294967291ull * 4294967291ull), 4294967291ull);
    EXPECT_EQ(perfect_power_root(std::numeric_limits<std::uint64_t>::max()), std::nullopt);
    EXPECT_EQ(perfect_power_root(12157665459056928801ull), 3u);  // 3^40
}

TEST(Shor, ModularHelpers) {
    EXPECT_EQ(multiplicative_order(2, 15), 4u);
    EXPECT_EQ(multiplicative_order(14, 15), 2u);
    EXPECT_EQ(multiplicative_order(3, 15), std::nullopt);  // not coprime
    EXPECT_EQ(pow_mod(7, 4, 15), 1u);
    EXPECT_EQ(pow_mod(7, 0, 15), 1u);
    EXPECT_EQ(pow_mod(5, 3, 1), 0u);
    EXPECT_EQ(pow_mod(255, 1ull << 40, 256), 1u);
}

TEST(Shor, ContinuedFractionsReadBackThePeriod) {
    EXPECT_EQ(period_denominator(0.5, 15), 2u);
    EXPECT_EQ(period_denominator(0.75, 15), 4u);
    EXPECT_EQ(period_denominator(0.0, 15), 1u);
    EXPECT_EQ(period_denominator(1.0, 15), 0u);
    EXPECT_EQ(period_denominator(-0.25, 15), 0u);
    // 85/256 is close to 1/3: the next convergent's denominator exceeds n.
    EXPECT_EQ(period_denominator(85.0 / 256.0, 15), 3u);
    EXPECT_EQ(period_denominator(171.0 / 256.0, 21), 3u);
    EXPECT_EQ(period_denominator(43.0 / 256.0, 21), 6u);
}
