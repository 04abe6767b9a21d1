#include "quantum/qasm/expression.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelix::qasm;

namespace {

constexpr double PI = 3.141592653589793;

double eval(std::string_view text, const Bindings<double>& params = {}) {
    auto value = evaluate_expression(text, params);
    EXPECT_TRUE(value.has_value()) << text << ": " << value.error();
    return value.value_or(NAN);
}

std::string error(std::string_view text, const Bindings<double>& params = {}) {
    auto value = evaluate_expression(text, params);
    return value ? "no error" : value.error();
}

}  // namespace

TEST(Expression, ArithmeticIsLeftToRightWithPrecedence) {
    EXPECT_EQ(eval("pi/2"), 1.5707963267948966);
    EXPECT_EQ(eval("-pi"), -PI);
    EXPECT_EQ(eval("2*(1 + 0.5)"), 3.0);
    EXPECT_EQ(eval("1 - 2"), -1.0);
    EXPECT_EQ(eval("8 / 4 / 2"), 1.0);
    EXPECT_EQ(eval("1 - 2 - 3"), -4.0);
    EXPECT_EQ(eval("2 + 3 * 4"), 14.0);
    EXPECT_EQ(eval(" ( ( 7 ) ) "), 7.0);
    EXPECT_EQ(eval("1 - -2"), 3.0);
    EXPECT_EQ(eval("2 * -3"), -6.0);
}

TEST(Expression, SignsAndLiterals) {
    EXPECT_EQ(eval("++1"), 1.0);
    EXPECT_EQ(eval("- - 1"), 1.0);
    EXPECT_EQ(eval("+-+-+-2"), -2.0);
    EXPECT_TRUE(std::signbit(eval("-0")));
    EXPECT_EQ(eval("1e3"), 1000.0);
    EXPECT_EQ(eval("1E-3"), 0.001);
    EXPECT_EQ(eval("1e+2"), 100.0);
    EXPECT_EQ(eval(".5"), 0.5);
    EXPECT_EQ(eval("5."), 5.0);
    EXPECT_EQ(eval("0.1"), 0.1);
    EXPECT_EQ(eval("1e999"), INFINITY);
    EXPECT_EQ(eval("0.0001e400"), INFINITY);
    EXPECT_EQ(eval("1e-999"), 0.0);
    EXPECT_EQ(eval("123456789e-400"), 0.0);
}

TEST(Expression, DivisionByZeroFollowsFloatingPoint) {
    EXPECT_EQ(eval("1/0"), INFINITY);
    EXPECT_EQ(eval("-1/0"), -INFINITY);
    EXPECT_TRUE(std::isnan(eval("0/0")));
}

TEST(Expression, PiIsAWholeWord) {
    Bindings<double> params;
    params.bind("pin", 5.0);
    params.bind("pivot", 6.0);
    params.seal();
    EXPECT_EQ(eval("pin + pivot", params), 11.0);
    EXPECT_EQ(eval("pi", params), 3.141592653589793);
    EXPECT_EQ(error("2pi"), "unexpected token in expression '2pi'");
}

TEST(Expression, IdentifiersAreLettersDigitsAndUnderscores) {
    Bindings<double> params;
    params.bind("theta", 2.0);
    params.bind("_a", 3.0);
    params.bind("theta", 4.0);  // a later binding hides an earlier one
    params.seal();
    EXPECT_EQ(eval("theta * _a", params), 12.0);
    EXPECT_EQ(error("theta1", params), "unknown identifier 'theta1'");
    EXPECT_EQ(error("theta"), "unknown identifier 'theta'");
    EXPECT_EQ(error("e5"), "unknown identifier 'e5'");
}

TEST(Expression, NumbersEndWhereTheLiteralEnds) {
    EXPECT_EQ(eval("1-2"), -1.0);
    EXPECT_EQ(eval("1+2"), 3.0);
    EXPECT_EQ(eval("2*3-1"), 5.0);
    EXPECT_EQ(eval("1e-3-1"), 1e-3 - 1);
    EXPECT_EQ(eval(".5E+1"), 5.0);
    EXPECT_EQ(error("1.2.3"), "invalid numeric literal '1.2.3'");
    EXPECT_EQ(error("1e"), "invalid numeric literal '1e'");
    EXPECT_EQ(error("."), "invalid numeric literal '.'");
    EXPECT_EQ(error("1 +"), "invalid numeric literal ''");
    EXPECT_EQ(error(""), "invalid numeric literal ''");
    EXPECT_EQ(error("*2"), "invalid numeric literal ''");
}

TEST(Expression, StructuralErrors) {
    EXPECT_EQ(error("(1 + 2"), "missing closing ')' in expression");
    EXPECT_EQ(error("((1)"), "missing closing ')' in expression");
    EXPECT_EQ(error("1 2"), "unexpected token in expression '1 2'");
    EXPECT_EQ(error("1)"), "unexpected token in expression '1)'");
    EXPECT_EQ(error("1 ^"), "invalid numeric literal ''");
    EXPECT_EQ(error("sin 1"), "unknown identifier 'sin'");
    // The first error wins even when later text is also wrong.
    EXPECT_EQ(error("x + (1"), "unknown identifier 'x'");
}

TEST(Expression, DeepNestingIsRefusedWithoutRecursingIntoIt) {
    std::string ok = std::string(MAX_EXPRESSION_NESTING, '(') + "1" + std::string(MAX_EXPRESSION_NESTING, ')');
    EXPECT_EQ(eval(ok), 1.0);
    std::string deep(1'000'000, '(');
    EXPECT_EQ(error(deep), "expression nested deeper than 256 parentheses");
    std::string signs(1'000'000, '-');
    EXPECT_EQ(eval(signs + "1"), 1.0);
}

TEST(Expression, FunctionsAndRightAssociativePower) {
    EXPECT_EQ(eval("2^3^2"), 512.0);
    EXPECT_EQ(eval("-2^2"), -4.0);
    EXPECT_EQ(eval("2^-1"), 0.5);
    EXPECT_EQ(eval("2*3^2"), 18.0);
    EXPECT_EQ(eval("sin(pi/2)"), std::sin(3.141592653589793 / 2));
    EXPECT_EQ(eval("cos (0) + tan(0) + exp(0) + ln(1) + sqrt(4)"), 4.0);
    EXPECT_EQ(eval("2*pi/2^3"), 6.283185307179586 / 8);
}
