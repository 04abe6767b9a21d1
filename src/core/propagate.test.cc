#include "core/propagate.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"

using namespace qelix;

namespace {

Result<int> parse(int v) {
    if (v < 0) return std::unexpected(QuantumError::invalid_argument("negative"));
    return v;
}

/// Counts the steps that ran: a failing step must stop the rest.
Result<int> twice(int v, int& steps) {
    auto first = parse(v);
    QELIX_TRY(first);
    ++steps;
    QELIX_TRY(parse(*first - 1));
    ++steps;
    return *first * 2;
}

std::expected<void, std::string> described(int v) {
    QELIX_TRY_MAP(parse(v), [](const QuantumError& e) { return "bad input: " + e.message(); });
    return {};
}

}  // namespace

TEST(Propagate, ReturnsTheFirstErrorAndSkipsTheRest) {
    int steps = 0;
    EXPECT_EQ(twice(3, steps), 6);
    EXPECT_EQ(steps, 2);
    steps = 0;
    EXPECT_EQ(twice(0, steps).error(), QuantumError::invalid_argument("negative"));
    EXPECT_EQ(steps, 1);
    steps = 0;
    EXPECT_FALSE(twice(-1, steps));
    EXPECT_EQ(steps, 0);
}

TEST(Propagate, MapConvertsTheError) {
    EXPECT_TRUE(described(1));
    EXPECT_EQ(described(-1).error(), "bad input: Simulation error: negative");
}
