#include "quantum/simulator/measurement_source.h"

#include <gtest/gtest.h>

#include <array>

using namespace qelix;

TEST(MeasurementSource, OutcomesAreFairCoins) {
    MeasurementSource source = measurement_source();
    EXPECT_EQ(source(5)->size(), 5u);
    EXPECT_FALSE(source(0));
    EXPECT_FALSE(source(MAX_SOURCE_QUBITS + 1));
    // 512 outcomes of 8 qubits: a stuck qubit or a mis-ordered key shows up as a count
    // far from half ones at its position.
    std::array<int, MAX_SOURCE_QUBITS> ones{};
    for (int i = 0; i < 512; ++i) {
        std::string key = source(MAX_SOURCE_QUBITS).value();
        for (std::size_t q = 0; q < key.size(); ++q) ones[q] += key[q] == '1';
    }
    for (std::size_t q = 0; q < MAX_SOURCE_QUBITS; ++q) {
        EXPECT_GT(ones[q], 180) << "qubit " << q;
        EXPECT_LT(ones[q], 332) << "qubit " << q;
    }
}
