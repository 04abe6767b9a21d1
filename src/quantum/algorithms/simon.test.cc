#include "quantum/algorithms/simon.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace qelix;

namespace {

BitString bits_of(std::uint64_t value, std::size_t n) {
    BitString out(n);
    for (std::size_t k = 0; k < n; ++k) out[k] = (value >> k) & 1;
    return out;
}

std::uint64_t value_of(const BitString& bits) {
    std::uint64_t v = 0;
    for (std::size_t k = 0; k < bits.size(); ++k) v |= std::uint64_t{bits[k]} << k;
    return v;
}

/// f(x) of the oracle, read off the basis state that the oracle maps |x>|0> to.
std::uint64_t oracle_output(const BitString& secret, std::uint64_t x) {
    std::size_t n = secret.size();
    Circuit c = *Circuit::create(2 * n);
    for (std::size_t k = 0; k < n; ++k)
        if ((x >> k) & 1) (void)c.x(k);
    EXPECT_TRUE(simon_oracle(c, 0, n, secret));
    auto state = statevector({}, c);
    auto amplitudes = state->amplitudes();
    for (std::size_t index = 0; index < amplitudes.size(); ++index)
        if (std::norm(amplitudes[index]) > 0.5) {
            EXPECT_EQ(index & ((std::size_t{1} << n) - 1), x) << "the input register is left alone";
            return index >> n;
        }
    ADD_FAILURE() << "no basis state";
    return 0;
}

}  // namespace

TEST(SimonOracle, CollidesExactlyOnPairsDifferingByTheSecret) {
    for (std::size_t n = 1; n <= 4; ++n)
        for (std::uint64_t s = 1; s < (std::uint64_t{1} << n); ++s) {
            BitString secret = bits_of(s, n);
            std::vector<std::uint64_t> f;
            for (std::uint64_t x = 0; x < (std::uint64_t{1} << n); ++x) f.push_back(oracle_output(secret, x));
            for (std::uint64_t x = 0; x < f.size(); ++x)
                for (std::uint64_t y = x + 1; y < f.size(); ++y)
                    ASSERT_EQ(f[x] == f[y], (x ^ y) == s) << "s=" << s << " x=" << x << " y=" << y;
        }
}

TEST(SimonOracle, RefusesAZeroSecretAndBadOffsetsWithoutChanges) {
    Circuit c = *Circuit::create(4);
    auto zero = simon_oracle(c, 0, 2, {false, false});
    ASSERT_FALSE(zero);
    EXPECT_EQ(zero.error().message(), "Simulation error: Simon oracle secret must be non-zero");
    EXPECT_EQ(simon_oracle(c, 0, 3, {true, true}).error(), QuantumError::qubit_out_of_range(4, 4));
    // Fails at the third gate: the first two must not stay behind.
    EXPECT_EQ(simon_oracle(c, 0, 2, {true, true, true}).error(), QuantumError::qubit_out_of_range(4, 4));
    EXPECT_TRUE(c.instructions().empty());
}

TEST(Simon, WorkedCases) {
    EXPECT_EQ(*simon_hidden_xor({true}, {}), (SimonResult{{true}, 0}));
    EXPECT_EQ(*simon_hidden_xor({true, false}, {}), (SimonResult{{true, false}, 1}));
    EXPECT_EQ(*simon_hidden_xor({true, true}, {}), (SimonResult{{true, true}, 1}));
    EXPECT_EQ(*simon_hidden_xor({false, true}, {}), (SimonResult{{false, true}, 1}));
}

TEST(Simon, EveryNonZeroSecretUpToSixBitsIsRecoveredWithNMinusOneEquations) {
    for (std::size_t n = 2; n <= 6; ++n)
        for (std::uint64_t s = 1; s < (std::uint64_t{1} << n); ++s) {
            auto result = simon_hidden_xor(bits_of(s, n), SimulatorConfig{.seed = s});
            ASSERT_TRUE(result) << result.error().message();
            ASSERT_EQ(value_of(result->secret), s) << "n=" << n;
            ASSERT_EQ(result->iterations_needed, n - 1) << "n=" << n << " s=" << s;
        }
}

TEST(Simon, RefusesEmptyAndOversizedSecrets) {
    auto empty = simon_hidden_xor({}, {});
    ASSERT_FALSE(empty);
    EXPECT_EQ(empty.error().message(), "Simulation error: Simon's algorithm requires at least one input qubit");
    auto zero = simon_hidden_xor({false, false, false}, {});
    ASSERT_FALSE(zero);
    EXPECT_EQ(zero.error().message(), "Simulation error: Simon oracle secret must be non-zero");
    BitString wide(65, false);
    wide[3] = true;
    EXPECT_EQ(simon_hidden_xor(wide, {}).error(), QuantumError::too_many_qubits(130, 128));
    // 64 bits fit the circuit but not the state vector.
    BitString widest(64, true);
    EXPECT_EQ(simon_hidden_xor(widest, {}).error().kind, QuantumErrorKind::InsufficientMemory);
}

TEST(Simon, NoisyRunsGatherFreshOutcomesUnderASeed) {
    // Noise weak enough that every shot is an ideal outcome, strong enough to take
    // the shot-by-shot path.
    SimulatorConfig config{.seed = 11, .noise = NoiseModel::uniform(1e-12, 1e-12, 0.0)};
    std::size_t recovered = 0;
    for (std::uint64_t s = 1; s < 16; ++s) {
        auto result = simon_hidden_xor(bits_of(s, 4), config);
        ASSERT_TRUE(result) << result.error().message();
        EXPECT_EQ(*simon_hidden_xor(bits_of(s, 4), config), *result) << "seeded runs repeat";
        EXPECT_LE(result->iterations_needed, 3u);
        if (result->iterations_needed == 3) {
            EXPECT_EQ(value_of(result->secret), s);
            ++recovered;
        }
    }
    // Rounds drawing the same outcome would stop at one equation every time.
    EXPECT_GE(recovered, 12u);
}
