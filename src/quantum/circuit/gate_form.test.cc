#include "quantum/circuit/gate_form.h"

#include <gtest/gtest.h>

#include <cmath>

#include "quantum/circuit/inverse.h"

using namespace qelix;

namespace {

/// Rebuilds a gate from its form with the standard constructors.
Gate rebuilt(const GateForm& f) {
    if (f.name == "rx") return gates::rx(f.params[0]);
    if (f.name == "ry") return gates::ry(f.params[0]);
    if (f.name == "rz") return gates::rz(f.params[0]);
    if (f.name == "rzz") return gates::rzz(f.params[0]);
    if (f.name == "u3") return gates::u3(f.params[0], f.params[1], f.params[2]);
    Gate g = gates::crk(1);
    g.matrix[15] = std::polar(1.0, f.params[0]);
    return g;
}

}  // namespace

TEST(GateForm, FixedGatesHaveTheirQelibNames) {
    EXPECT_EQ(gate_form(gates::h()), (GateForm{"h", {}}));
    EXPECT_EQ(gate_form(gates::sdg()), (GateForm{"sdg", {}}));
    EXPECT_EQ(gate_form(gates::cnot()), (GateForm{"cx", {}}));
    EXPECT_EQ(gate_form(gates::swap()), (GateForm{"swap", {}}));
    EXPECT_EQ(gate_form(Gate{"H^dagger", gates::h().matrix, 1}), std::nullopt);
}

TEST(GateForm, ParametersRebuildTheSameMatrix) {
    for (double theta : {0.0, 0.3, -1.2, 2.9, 3.5, -6.0}) {
        for (const Gate& g : {gates::rx(theta), gates::ry(theta), gates::rz(theta), gates::rzz(theta),
                              gates::u3(theta, 0.7 * theta, -0.4), gates::u3(theta, 0.0, 1.1), gates::crk(3),
                              inverse_gate(gates::rx(theta)), inverse_gate(gates::crk(2))}) {
            auto form = gate_form(g);
            ASSERT_TRUE(form) << g.name;
            Gate back = rebuilt(*form);
            for (std::size_t i = 0; i < g.matrix.size(); ++i)
                EXPECT_LT(std::abs(back.matrix[i] - g.matrix[i]), 1e-12) << g.name << " entry " << i;
        }
    }
    EXPECT_NEAR(gate_form(gates::crk(2))->params[0], TWO_PI / 4, 1e-15);
    EXPECT_EQ(gate_form(gates::crk(2))->name, "cu1");
}
