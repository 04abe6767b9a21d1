#include "quantum/simulator/measurement_source.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace qelix;

TEST(MeasurementSource, OutcomesAreFairCoins) {
    MeasurementSource source = measurement_source();
    std::vector<std::uint8_t> outcomes(4096);
    EXPECT_EQ(source(0, outcomes), 0u);
    EXPECT_EQ(source(MAX_SOURCE_QUBITS + 1, outcomes), 0u);
    EXPECT_EQ(source(5, std::span(outcomes).first(64)), 64u);
    for (std::size_t i = 0; i < 64; ++i) EXPECT_LT(outcomes[i], 32u);
    // 4096 outcomes of 8 qubits: a stuck qubit shows up as a count far from half ones at its
    // position (the bounds are 6 standard deviations), a skewed source in the byte counts.
    ASSERT_EQ(source(MAX_SOURCE_QUBITS, outcomes), outcomes.size());
    std::array<int, MAX_SOURCE_QUBITS> ones{};
    std::array<int, 256> values{};
    for (std::uint8_t outcome : outcomes) {
        ++values[outcome];
        for (std::size_t q = 0; q < MAX_SOURCE_QUBITS; ++q) ones[q] += outcome >> q & 1;
    }
    for (std::size_t q = 0; q < MAX_SOURCE_QUBITS; ++q) {
        EXPECT_GT(ones[q], 2048 - 192) << "qubit " << q;
        EXPECT_LT(ones[q], 2048 + 192) << "qubit " << q;
    }
    for (int count : values) EXPECT_LT(count, 48);
}
