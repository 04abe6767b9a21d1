#include "quantum/circuit/draw.h"

#include <gtest/gtest.h>

using namespace qelix;

namespace {
Circuit make(std::size_t n) { return Circuit::create(n).value(); }
}  // namespace

TEST(Draw, EmptyCircuitHasPrefixesOnly) { EXPECT_EQ(draw(make(2)), "q0: \nq1: "); }

TEST(Draw, GatesAndControls) {
    Circuit c = make(2);
    ASSERT_TRUE(c.h(0) && c.cnot(0, 1));
    EXPECT_EQ(draw(c), "q0: [H]---@---\nq1: ------X---");
    Circuit d = make(3);
    ASSERT_TRUE(d.cnot(0, 2));
    EXPECT_EQ(draw(d), "q0: ---@---\nq1: ---|---\nq2: ---X---");
    Circuit e = make(2);
    ASSERT_TRUE(e.cz(0, 1));
    EXPECT_EQ(draw(e), "q0: [CZ]-\nq1: [CZ]-");
}

TEST(Draw, WidthsFollowNames) {
    Circuit c = make(1);
    ASSERT_TRUE(c.sx(0) && c.rx(0, 1.5707963));
    EXPECT_EQ(draw(c), "q0: [SX]-[Rx(1.571)]");
    Circuit d = make(2);
    ASSERT_TRUE(d.swap(1, 0));
    EXPECT_EQ(draw(d), "q0: [SWAP]-\nq1: [SWAP]-");
}

TEST(Draw, MeasureBarrierAndConditionals) {
    Circuit c = make(2);
    ASSERT_TRUE(c.measure_all() && c.barrier_all());
    EXPECT_EQ(draw(c), "q0: [M]----|-\nq1: ---[M]-|-");
    ASSERT_TRUE(c.append_conditional({0}, 1, gates::x(), {1}));
    ASSERT_TRUE(c.append_conditional({0, 1}, 2, gates::cnot(), {1, 0}));
    EXPECT_EQ(draw(c), "q0: [M]----|------X?---\nq1: ---[M]-|-[X?]--@?---");
}

TEST(Draw, WideQubitLabelsShiftRows) {
    Circuit c = make(11);
    ASSERT_TRUE(c.h(10));
    std::string out = draw(c);
    EXPECT_NE(out.find("q9: ---\nq10: [H]"), std::string::npos);
}

TEST(Draw, ResetsAndConditionalMeasurements) {
    Circuit c = make(2);
    (void)c.measure(0);
    (void)c.reset(1);
    (void)c.reset(0, Condition{{0}, 1});
    (void)c.measure_if(Condition{{0}, 0}, 1, 0);
    EXPECT_EQ(draw(c), "q0: [M]---|0>?------\nq1: ---|0>-----[M?]-");
}
