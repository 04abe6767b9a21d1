#include "quantum/algorithms/ansatz.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

using namespace qelix;

namespace {

/// "Name@targets" for every gate instruction, for compact comparisons.
std::vector<std::string> gate_list(const Circuit& c) {
    std::vector<std::string> out;
    for (const Instruction& op : c.instructions()) {
        const auto& g = std::get<GateOp>(op);
        std::string s = g.gate.name + "@";
        for (std::size_t t : g.targets) s += std::to_string(t);
        out.push_back(s);
    }
    return out;
}

Circuit empty(std::size_t n) { return *Circuit::create(n); }

}  // namespace

TEST(Ansatz, ParameterCounts) {
    EXPECT_EQ(parameter_count(Ansatz::ry_chain(), 3), 3u);
    EXPECT_EQ(parameter_count(Ansatz::layered(2), 3), 12u);
    EXPECT_EQ(parameter_count(Ansatz::layered(0), 3), 0u);
    EXPECT_EQ(parameter_count(Ansatz::uccsd_demo(), 5), 2u);
    const std::size_t huge = std::numeric_limits<std::size_t>::max() / 2 + 1;
    EXPECT_EQ(parameter_count(Ansatz::layered(huge), 1), std::numeric_limits<std::size_t>::max());
}

TEST(Ansatz, RyChainOrder) {
    Circuit c = empty(3);
    ASSERT_TRUE(append_ansatz(c, Ansatz::ry_chain(), std::vector<double>{0.5, -0.5, 1.0}));
    EXPECT_EQ(gate_list(c),
              (std::vector<std::string>{"Ry(0.500)@0", "Ry(-0.500)@1", "Ry(1.000)@2", "CNOT@01", "CNOT@12"}));
    // Fewer parameters touch fewer qubits; more than the register fails in the builder.
    Circuit short_chain = empty(3);
    ASSERT_TRUE(append_ansatz(short_chain, Ansatz::ry_chain(), std::vector<double>{0.5}));
    EXPECT_EQ(gate_list(short_chain), (std::vector<std::string>{"Ry(0.500)@0"}));
    Circuit c2 = empty(2);
    auto err = append_ansatz(c2, Ansatz::ry_chain(), std::vector<double>{0.0, 0.0, 0.0});
    ASSERT_FALSE(err);
    EXPECT_EQ(err.error().message(), "Qubit index 2 out of range (circuit has 2 qubits)");
}

TEST(Ansatz, LayeredOrder) {
    Circuit c = empty(2);
    ASSERT_TRUE(append_ansatz(c, Ansatz::layered(2), std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(gate_list(c),
              (std::vector<std::string>{"Ry(1.000)@0", "Rz(2.000)@0", "Ry(3.000)@1", "Rz(4.000)@1", "CNOT@01",
                                        "Ry(5.000)@0", "Rz(6.000)@0", "Ry(7.000)@1", "Rz(8.000)@1", "CNOT@01"}));
    // Too few parameters are refused before anything is appended.
    Circuit c2 = empty(2);
    auto err = append_ansatz(c2, Ansatz::layered(1), std::vector<double>{1, 2, 3});
    ASSERT_FALSE(err);
    EXPECT_EQ(err.error().message(), "Simulation error: ansatz expects 4 parameters, got 3");
    EXPECT_TRUE(c2.instructions().empty());
}

TEST(Ansatz, UccsdDemo) {
    Circuit c = empty(2);
    ASSERT_TRUE(append_ansatz(c, Ansatz::uccsd_demo(), std::vector<double>{1.5, 0.5}));
    EXPECT_EQ(gate_list(c),
              (std::vector<std::string>{"Ry(1.500)@0", "Ry(0.500)@1", "CNOT@01", "Rz(1.000)@1", "CNOT@01"}));
    const std::string message = "Simulation error: demo UCCSD ansatz currently expects 2 qubits and 2 parameters";
    Circuit three = empty(3);
    EXPECT_EQ(append_ansatz(three, Ansatz::uccsd_demo(), std::vector<double>{1.0, 2.0}).error().message(), message);
    Circuit two = empty(2);
    EXPECT_EQ(append_ansatz(two, Ansatz::uccsd_demo(), std::vector<double>{1.0}).error().message(), message);
    EXPECT_TRUE(three.instructions().empty());
}
