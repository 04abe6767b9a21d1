#include "quantum/simulator/result.h"

#include <gtest/gtest.h>

using namespace qelix;

namespace {
QuantumResult bell() { return {.counts = {{"00", 500}, {"11", 500}}, .num_bits = 2, .total_shots = 1000}; }
}  // namespace

TEST(QuantumResult, Queries) {
    QuantumResult r = bell();
    EXPECT_EQ(r.probability("00"), 0.5);
    EXPECT_EQ(r.probability("01"), 0.0);
    EXPECT_EQ(r.probability("0"), 0.0);
    EXPECT_EQ(r.expectation_z(0).value(), 0.0);
    EXPECT_EQ(r.expectation_z(2).error(), QuantumError::qubit_out_of_range(2, 2));
    auto [state, count] = r.most_probable();
    EXPECT_TRUE(state == "00" || state == "11");
    EXPECT_EQ(count, 500u);
    EXPECT_EQ(QuantumResult{}.most_probable(), (std::pair<std::string, std::uint32_t>{"", 0}));

    QuantumResult skew{.counts = {{"10", 3}, {"00", 1}}, .num_bits = 2, .total_shots = 4};
    EXPECT_EQ(skew.expectation_z(0).value(), -0.5);
    EXPECT_EQ(skew.expectation_z(1).value(), 1.0);
    EXPECT_EQ(skew.most_probable(), (std::pair<std::string, std::uint32_t>{"10", 3}));
    // A key too short to have the character counts as +1.
    QuantumResult ragged{.counts = {{"1", 1}, {"", 1}}, .num_bits = 2, .total_shots = 2};
    EXPECT_EQ(ragged.expectation_z(1).value(), 1.0);
}

TEST(QuantumResult, MostProbableTiesGoToTheLastInMapOrder) {
    QuantumResult r{.counts = {{"a", 2}, {"b", 2}, {"c", 1}, {"d", 2}}, .num_bits = 1, .total_shots = 7};
    std::string last;
    for (const auto& [state, count] : r.counts)
        if (count == 2) last = state;
    EXPECT_EQ(r.most_probable().first, last);
}

TEST(QuantumResult, HistogramRowsAreStableByCount) {
    QuantumResult r{.counts = {{"00", 1}, {"01", 5}, {"10", 1}, {"11", 3}}, .num_bits = 2, .total_shots = 10};
    std::vector<std::string> collected_ones;
    for (const auto& [state, count] : r.counts)
        if (count == 1) collected_ones.push_back(state);
    auto rows = r.histogram_data();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (HistogramRow{"01", 5, 0.5}));
    EXPECT_EQ(rows[1], (HistogramRow{"11", 3, 0.3}));
    EXPECT_EQ(rows[2].state, collected_ones[0]);
    EXPECT_EQ(rows[3].state, collected_ones[1]);
}

TEST(QuantumResult, TextForms) {
    QuantumResult r = bell();
    EXPECT_EQ(r.repr(), "QuantumResult(1000 shots, 2 outcomes)");
    std::string text = r.histogram_text();
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Results (1000 shots, 2 qubits):\n");
    std::string bar(30, '#');
    EXPECT_NE(text.find("  |00>:   500 ( 50.0%) " + bar + "\n"), std::string::npos);
    EXPECT_NE(text.find("  |11>:   500 ( 50.0%) " + bar + "\n"), std::string::npos);

    QuantumResult tail{.counts = {{"0", 1000}, {"1", 1}}, .num_bits = 1, .total_shots = 1001};
    EXPECT_EQ(tail.histogram_text(),
              "Results (1001 shots, 1 qubits):\n  |0>:  1000 ( 99.9%) " + bar + "\n  |1>:     1 (  0.1%) \n");
    EXPECT_EQ(tail.str(), "QuantumResult (1001 shots):\n  |0> : 1000 (99.9%)\n  |1> : 1 (0.1%)");

    QuantumResult one{.counts = {{"1", 7}}, .num_bits = 1, .total_shots = 7};
    EXPECT_EQ(one.str(), "QuantumResult (7 shots):\n  |1> : 7 (100.0%)");
    EXPECT_EQ(QuantumResult{}.str(), "QuantumResult (0 shots):");
    EXPECT_EQ(QuantumResult{}.histogram_text(), "Results (0 shots, 0 qubits):\n");

    // Bars scale in saturating 32-bit arithmetic: 4294967295 / top.
    QuantumResult big{.counts = {{"0", 4000000000u}, {"1", 200000000u}}, .num_bits = 1, .total_shots = 4200000000u};
    std::string big_text = big.histogram_text();
    EXPECT_NE(big_text.find("(  4.8%) " + std::string(1, '#') + "\n"), std::string::npos);
    EXPECT_NE(big_text.find("( 95.2%) " + std::string(1, '#') + "\n"), std::string::npos);
}
