#include "quantum/algorithms/gf2.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

using namespace qelix;

namespace {

BitString bits_of(std::uint64_t value, std::size_t n) {
    BitString out(n);
    for (std::size_t k = 0; k < n; ++k) out[k] = (value >> k) & 1;
    return out;
}

/// The first a = 1, 2, ... with even parity against every equation, by enumeration.
BitString first_solution_by_search(const std::vector<BitString>& equations, std::size_t n) {
    for (std::uint64_t a = 1; a < (std::uint64_t{1} << n); ++a) {
        bool ok = true;
        for (const BitString& e : equations) {
            bool parity = false;
            for (std::size_t k = 0; k < n && k < e.size(); ++k) parity ^= ((a >> k) & 1) && e[k];
            ok = ok && !parity;
        }
        if (ok) return bits_of(a, n);
    }
    return BitString(n, false);
}

/// Rank by brute force: log2 of the size of the span.
std::size_t rank_by_span(const std::vector<BitString>& equations, std::size_t n) {
    std::vector<bool> seen(std::size_t{1} << n);
    std::size_t count = 0;
    for (std::uint64_t mask = 0; mask < (std::uint64_t{1} << equations.size()); ++mask) {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < equations.size(); ++i)
            if ((mask >> i) & 1)
                for (std::size_t k = 0; k < n; ++k) v ^= std::uint64_t{equations[i][k]} << k;
        if (!seen[v]) seen[v] = true, ++count;
    }
    std::size_t rank = 0;
    while ((std::size_t{1} << rank) < count) ++rank;
    return rank;
}

}  // namespace

TEST(Gf2, RankAndSolutionAgreeWithExhaustiveSearch) {
    std::mt19937_64 gen(12345);
    for (std::size_t n = 1; n <= 7; ++n) {
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<BitString> equations;
            std::size_t rows = gen() % (n + 2);
            for (std::size_t r = 0; r < rows; ++r) equations.push_back(bits_of(gen() % (std::uint64_t{1} << n), n));
            ASSERT_EQ(gf2_rank(equations, n), rank_by_span(equations, n)) << "n=" << n << " trial " << trial;
            ASSERT_EQ(solve_secret(equations, n), first_solution_by_search(equations, n))
                << "n=" << n << " trial " << trial;
        }
    }
}

TEST(Gf2, IndependenceMeansTheRankGrows) {
    std::vector<BitString> equations{{true, true, false}, {false, true, true}};
    EXPECT_TRUE(is_independent(equations, {false, false, true}, 3));
    EXPECT_FALSE(is_independent(equations, {true, false, true}, 3));
    EXPECT_FALSE(is_independent(equations, {false, false, false}, 3));
    EXPECT_FALSE(is_independent({}, {false, false}, 2));
    EXPECT_TRUE(is_independent({}, {false, true}, 2));
    // Only the first n bits count.
    EXPECT_FALSE(is_independent({{true, false}}, {true, false, true}, 2));
}

TEST(Gf2, RankNMinusOneEquationsOrthogonalToASecretRecoverIt) {
    std::mt19937_64 gen(7);
    std::size_t n = 6;
    for (std::uint64_t secret = 1; secret < (std::uint64_t{1} << n); ++secret) {
        std::vector<BitString> equations;
        while (gf2_rank(equations, n) < n - 1) {
            std::uint64_t y = gen() % (std::uint64_t{1} << n);
            if (__builtin_popcountll(y & secret) % 2 == 0 && is_independent(equations, bits_of(y, n), n))
                equations.push_back(bits_of(y, n));
        }
        ASSERT_EQ(solve_secret(equations, n), bits_of(secret, n)) << secret;
    }
}

TEST(Gf2, EdgeCasesOfSolving) {
    EXPECT_EQ(solve_secret({}, 4), bits_of(1, 4));
    EXPECT_EQ(solve_secret({}, 0), BitString{});
    // Full rank: only zero is orthogonal.
    EXPECT_EQ(solve_secret({bits_of(1, 2), bits_of(2, 2)}, 2), bits_of(0, 2));
    // Wide strings beyond one machine word are solved too.
    std::size_t n = 64;
    std::vector<BitString> equations;
    for (std::size_t k = 0; k + 1 < n; ++k)
        equations.push_back(bits_of((std::uint64_t{1} << k) | (std::uint64_t{1} << 63), n));
    EXPECT_EQ(gf2_rank(equations, n), n - 1);
    EXPECT_EQ(solve_secret(equations, n), BitString(n, true));
}
