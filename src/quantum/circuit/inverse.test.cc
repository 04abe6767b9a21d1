#include "quantum/circuit/inverse.h"

#include <gtest/gtest.h>

#include <cmath>

#include "quantum/circuit/identical.h"
#include "quantum/mps/test_util.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;

TEST(Inverse, CircuitThenInverseIsTheIdentityOnRandomCircuits) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        Circuit c = mps_testing::random_circuit(5, 40, seed);
        Circuit both = c;
        ASSERT_TRUE(both.append(inverse(c).value()));
        StateBuffer state = StateBuffer::allocate(5).value();
        // Start from a non-trivial state so that phases matter too.
        for (std::size_t q = 0; q < 5; ++q) state.apply_one_qubit(q, gates::h(), false);
        std::vector<Complex> before(state.amplitudes().begin(), state.amplitudes().end());
        state.apply_circuit(both, false);
        for (std::size_t k = 0; k < before.size(); ++k) EXPECT_LT(std::abs(state.amplitudes()[k] - before[k]), 1e-12);
        EXPECT_TRUE(identical(inverse(inverse(c).value()).value(), c)) << seed;
    }
}

TEST(Inverse, StandardGatesInvertToStandardNames) {
    EXPECT_TRUE(identical(inverse_gate(gates::h()), gates::h()));
    EXPECT_TRUE(identical(inverse_gate(gates::cnot()), gates::cnot()));
    EXPECT_EQ(inverse_gate(gates::s()).name, "Sdg");
    EXPECT_EQ(inverse_gate(gates::tdg()).name, "T");
    EXPECT_EQ(inverse_gate(gates::rx(0.5)).name, "Rx(-0.500)");
    EXPECT_EQ(inverse_gate(gates::rzz(-1.0)).name, "Rzz(1.000)");
    EXPECT_EQ(inverse_gate(gates::u3(1.0, 2.0, 3.0)).name, "U3(-1.000,-3.000,-2.000)");
    EXPECT_EQ(inverse_gate(gates::crk(2)).name, "CR2^dagger");
    EXPECT_EQ(inverse_gate(dagger(gates::crk(2))).name, "CR2");
    // The renamed inverses carry the matrices their names promise.
    Gate u = inverse_gate(gates::u3(1.0, 2.0, 3.0));
    Gate expected = gates::u3(-1.0, -3.0, -2.0);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_LT(std::abs(u.matrix[i] - expected.matrix[i]), 1e-15);
}

TEST(Inverse, RefusesMeasurementsAndConditionals) {
    Circuit c = Circuit::create(2).value();
    ASSERT_TRUE(c.h(0));
    ASSERT_TRUE(c.measure(0));
    EXPECT_EQ(inverse(c).error().message(),
              "Simulation error: cannot invert a circuit holding a measurement (instruction 1)");
    Circuit d = Circuit::with_classical_bits(1, 1).value();
    ASSERT_TRUE(d.append_conditional({0}, 1, gates::x(), {0}));
    EXPECT_EQ(inverse(d).error().message(),
              "Simulation error: cannot invert a circuit holding a conditional gate (instruction 0)");
}

TEST(Inverse, PowerRepeatsAndNegativePowersInvert) {
    Circuit c = Circuit::create(2).value();
    ASSERT_TRUE(c.s(0));
    ASSERT_TRUE(c.barrier({0, 1}));
    ASSERT_TRUE(c.cnot(0, 1));
    EXPECT_EQ(power(c, 3).value().instructions().size(), 9u);
    EXPECT_TRUE(power(c, 0).value().instructions().empty());
    Circuit twice_inverse = inverse(c).value();
    ASSERT_TRUE(twice_inverse.append(inverse(c).value()));
    EXPECT_TRUE(identical(power(c, -2).value(), twice_inverse));
    EXPECT_FALSE(power(c, std::int64_t{1} << 40).has_value());
}

TEST(Identical, ComparesBitsNotValues) {
    Circuit a = Circuit::create(1).value();
    ASSERT_TRUE(a.rx(0, std::nan("")));
    EXPECT_TRUE(identical(a, Circuit(a)));
    EXPECT_FALSE(a == Circuit(a));  // value comparison: NaN differs from itself
    Circuit plus = Circuit::create(1).value(), minus = Circuit::create(1).value();
    ASSERT_TRUE(plus.append_gate(Gate{"G", {Complex(1, 0.0), 0.0, 0.0, 1.0}, 1}, {0}));
    ASSERT_TRUE(minus.append_gate(Gate{"G", {Complex(1, -0.0), 0.0, 0.0, 1.0}, 1}, {0}));
    EXPECT_TRUE(plus == minus);
    EXPECT_FALSE(identical(plus, minus));
    EXPECT_FALSE(identical(Circuit::create(1).value(), Circuit::with_classical_bits(1, 1).value()));
}
