#include "quantum/circuit/svg.h"

#include <gtest/gtest.h>

using namespace qelix;

namespace {
Circuit make(std::size_t n) { return Circuit::create(n).value(); }

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

/// The picture's width attribute.
int width_of(const std::string& svg) {
    std::size_t at = svg.find("width=\"") + 7;
    return std::stoi(svg.substr(at, svg.find('"', at) - at));
}
}  // namespace

TEST(Svg, WiresAndLabels) {
    std::string svg = draw_svg(make(3));
    EXPECT_TRUE(svg.starts_with("<svg xmlns=\"http://www.w3.org/2000/svg\""));
    EXPECT_TRUE(svg.ends_with("</svg>"));
    EXPECT_EQ(occurrences(svg, "<line"), 3u);
    EXPECT_NE(svg.find(">q2</text>"), std::string::npos);
    EXPECT_EQ(svg.find(">c"), std::string::npos);
}

TEST(Svg, GatesShareColumnsWhenTheirWiresAreFree) {
    Circuit one = make(3);
    ASSERT_TRUE(one.h(0) && one.h(1) && one.h(2));
    Circuit two = make(3);
    ASSERT_TRUE(two.h(0) && two.cnot(0, 1) && two.h(2));  // h(2) moves up beside h(0)
    Circuit crossing = make(3);
    ASSERT_TRUE(crossing.cnot(0, 2) && crossing.h(1));  // the CNOT's line passes qubit 1
    EXPECT_LT(width_of(draw_svg(one)), width_of(draw_svg(two)));
    EXPECT_EQ(width_of(draw_svg(two)), width_of(draw_svg(crossing)));
}

TEST(Svg, GateShapes) {
    Circuit c = make(2);
    ASSERT_TRUE(c.cnot(0, 1) && c.swap(0, 1) && c.rx(0, 0.5) && c.crk(0, 1, 3));
    ASSERT_TRUE(c.append_gate(dagger(gates::rx(0.5)), {1}));
    std::string svg = draw_svg(c);
    EXPECT_EQ(occurrences(svg, "r=\"11\""), 1u);                 // the CNOT target
    EXPECT_NE(svg.find(">Rx\u2020</text>"), std::string::npos);  // daggers show as a cross
    EXPECT_NE(svg.find(">0.500</text>"), std::string::npos);
    EXPECT_NE(svg.find(">R3</text>"), std::string::npos);  // CR3 is a control and an R3 box
}

TEST(Svg, MeasurementsConditionsAndBarriers) {
    Circuit c = make(2);
    ASSERT_TRUE(c.measure_all() && c.barrier_all());
    ASSERT_TRUE(c.append_conditional({0, 1}, 2, gates::x(), {1}));
    std::string svg = draw_svg(c);
    EXPECT_NE(svg.find(">c2</text>"), std::string::npos);
    EXPECT_NE(svg.find(">c[0,1]=2</text>"), std::string::npos);
    EXPECT_NE(svg.find("stroke-dasharray=\"3 2\""), std::string::npos);  // a conditional gate
    EXPECT_NE(svg.find("stroke-dasharray=\"4 3\""), std::string::npos);  // a barrier
}

TEST(Svg, LongCircuitsAreCutAtTheColumnLimit) {
    Circuit c = make(1);
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(c.h(0));
    EXPECT_EQ(draw_svg(c).find("\u2026"), std::string::npos);
    std::string cut = draw_svg(c, 4);
    EXPECT_NE(cut.find("\u2026"), std::string::npos);
    EXPECT_EQ(occurrences(cut, ">H</text>"), 4u);
}

TEST(Svg, ResetsAreBoxesAndConditionsLinkTheClassicalWire) {
    Circuit c = Circuit::with_classical_bits(2, 1).value();
    ASSERT_TRUE(c.reset(0));
    ASSERT_TRUE(c.reset(1, Condition{{0}, 1}));
    const std::string svg = draw_svg(c);
    EXPECT_NE(svg.find("|0&gt;"), std::string::npos);
    EXPECT_NE(svg.find("c[0]=1"), std::string::npos);
}
