#include "quantum/circuit/circuit.h"

#include <gtest/gtest.h>

using namespace qelix;

namespace {

Circuit make(std::size_t n) { return Circuit::create(n).value(); }

template <class T>
std::string error_of(const Result<T>& s) {
    return s ? "" : s.error().message();
}

const GateOp& gate_at(const Circuit& c, std::size_t i) { return std::get<GateOp>(c.instructions().at(i)); }

}  // namespace

TEST(Circuit, CreationLimits) {
    EXPECT_TRUE(Circuit::create(128).has_value());
    EXPECT_EQ(Circuit::create(129).error(), QuantumError::too_many_qubits(129, 128));
    EXPECT_EQ(Circuit::create(0).error(), QuantumError::empty_circuit());
    auto c = Circuit::with_classical_bits(2, 5).value();
    EXPECT_EQ(c.num_classical_bits(), 5u);
    EXPECT_FALSE(Circuit::with_classical_bits(2, MAX_CLASSICAL_BITS + 1).has_value());
}

TEST(Circuit, GateValidationOrderLeavesCircuitUnchanged) {
    Circuit c = make(2);
    EXPECT_EQ(error_of(c.h(2)), "Qubit index 2 out of range (circuit has 2 qubits)");
    EXPECT_EQ(c.cnot(1, 1).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.cnot(3, 1).error(), QuantumError::qubit_out_of_range(3, 2));
    EXPECT_EQ(c.cnot(0, 3).error(), QuantumError::qubit_out_of_range(3, 2));
    EXPECT_EQ(c.cnot(5, 5).error(), QuantumError::qubit_out_of_range(5, 2));
    EXPECT_EQ(c.barrier({0, 0}).error(), QuantumError::duplicate_qubit(0, 0));
    EXPECT_EQ(c.barrier({0, 2, 2}).error(), QuantumError::qubit_out_of_range(2, 2));
    EXPECT_TRUE(c.instructions().empty());
    EXPECT_TRUE(c.barrier({}).has_value());
    EXPECT_EQ(c.instructions().size(), 1u);
}

TEST(Circuit, AppendGateChecks) {
    Circuit c = make(2);
    EXPECT_EQ(error_of(c.append_gate(gates::cnot(), {0})), "Simulation error: gate 'CNOT' expects 2 targets, got 1");
    Gate wide{"W", std::vector<Complex>(64), 3};
    EXPECT_EQ(error_of(c.append_gate(wide, {0, 1, 2})), "Simulation error: gate 'W' uses unsupported width 3");
    EXPECT_EQ(c.append_gate(gates::cnot(), {1, 1}).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.append_gate(gates::cnot(), {0, 4}).error(), QuantumError::qubit_out_of_range(4, 2));
    EXPECT_TRUE(c.instructions().empty());
    EXPECT_TRUE(c.append_gate(gates::h(), {1}).has_value());
}

TEST(Circuit, ConditionalChecks) {
    Circuit c = make(2);
    EXPECT_EQ(error_of(c.append_conditional({0}, 1, gates::x(), {0})),
              "Simulation error: classical bit 0 out of range (circuit has 0 classical bits)");
    ASSERT_TRUE(c.measure(0).has_value());
    EXPECT_EQ(error_of(c.append_conditional({}, 1, gates::x(), {0})),
              "Simulation error: conditional gates require at least one classical bit");
    EXPECT_EQ(error_of(c.append_conditional({0, 3}, 1, gates::x(), {0})),
              "Simulation error: classical bit 3 out of range (circuit has 1 classical bits)");
    EXPECT_EQ(error_of(c.append_conditional({0}, 1, gates::x(), {0, 1})),
              "Simulation error: gate 'X' expects 1 targets, got 2");
    EXPECT_EQ(c.append_conditional({0}, 1, gates::cnot(), {1, 1}).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.append_conditional({}, 1, gates::x(), {0}).error().kind, QuantumErrorKind::InvalidCircuit);
    EXPECT_EQ(c.instructions().size(), 1u);
    EXPECT_TRUE(c.append_conditional({0}, 1, gates::cnot(), {1, 0}).has_value());
    EXPECT_EQ(c.num_classical_bits(), 1u);
}

TEST(Circuit, MeasurementAllocatesClassicalBits) {
    Circuit c = make(3);
    EXPECT_EQ(c.measure(0).value(), 0u);
    EXPECT_EQ(c.measure(1).value(), 1u);
    ASSERT_TRUE(c.measure_into(0, 7).has_value());
    EXPECT_EQ(c.num_classical_bits(), 8u);
    EXPECT_EQ(c.measure(1).value(), 8u);
    ASSERT_TRUE(c.measure_into(2, 3).has_value());
    EXPECT_EQ(c.num_classical_bits(), 9u);
    EXPECT_FALSE(c.measure(3).has_value());
    ASSERT_TRUE(c.measure_all().has_value());
    EXPECT_EQ(std::get<MeasureOp>(c.instructions().back()), (MeasureOp{2, 11}));
    EXPECT_EQ(c.num_classical_bits(), 12u);
}

TEST(Circuit, HugeClassicalBitsAreRefusedWithoutChange) {
    Circuit c = make(1);
    EXPECT_EQ(error_of(c.measure_into(0, SIZE_MAX)),
              "Simulation error: classical bit 18446744073709551615 exceeds the limit of 16777216 classical bits");
    EXPECT_FALSE(c.measure_into(0, MAX_CLASSICAL_BITS).has_value());
    EXPECT_EQ(c.num_classical_bits(), 0u);
    ASSERT_TRUE(c.measure_into(0, MAX_CLASSICAL_BITS - 1).has_value());
    EXPECT_EQ(error_of(c.measure(0)), "Simulation error: circuit would exceed the limit of 16777216 classical bits");
    EXPECT_FALSE(c.measure_all().has_value());
    EXPECT_EQ(c.instructions().size(), 1u);
}

TEST(Circuit, GateCountAndDepth) {
    Circuit c = make(2);
    ASSERT_TRUE(c.h(0) && c.h(1) && c.cnot(0, 1) && c.measure_all());
    EXPECT_EQ(c.gate_count(), 3u);
    EXPECT_EQ(c.depth(), 2u);
    Circuit d = make(2);
    ASSERT_TRUE(d.h(0) && d.barrier_all() && d.h(1));
    EXPECT_EQ(d.depth(), 1u);
    EXPECT_EQ(make(3).depth(), 0u);
}

TEST(Circuit, AppendRenumbersMeasurements) {
    Circuit other = make(2);
    ASSERT_TRUE(other.measure_into(0, 5) && other.measure_into(1, 2) && other.h(0));
    Circuit c = make(2);
    ASSERT_TRUE(c.measure(0).has_value());
    ASSERT_TRUE(c.append(other).has_value());
    EXPECT_EQ(std::get<MeasureOp>(c.instructions()[1]), (MeasureOp{0, 1}));
    EXPECT_EQ(std::get<MeasureOp>(c.instructions()[2]), (MeasureOp{1, 2}));
    EXPECT_EQ(c.num_classical_bits(), 3u);
    EXPECT_EQ(c.append(make(3)).error(), QuantumError::qubit_count_mismatch(2, 3));
}

TEST(Circuit, ComposeMapsQubitsAndKeepsConditionals) {
    Circuit other = make(2);
    ASSERT_TRUE(other.cnot(0, 1));
    ASSERT_TRUE(other.measure_into(1, 3));
    ASSERT_TRUE(other.append_conditional({3}, 1, gates::x(), {0}));
    Circuit c = make(3);
    std::vector<std::size_t> map{2, 0};
    ASSERT_TRUE(c.compose(other, map).has_value());
    EXPECT_EQ(gate_at(c, 0).targets, (std::vector<std::size_t>{2, 0}));
    EXPECT_EQ(std::get<MeasureOp>(c.instructions()[1]), (MeasureOp{0, 0}));
    auto cond = std::get<ConditionalOp>(c.instructions()[2]);
    EXPECT_EQ(cond.classical_bits, (std::vector<std::size_t>{3}));
    EXPECT_EQ(cond.targets, (std::vector<std::size_t>{2}));
    EXPECT_EQ(c.num_classical_bits(), 4u);

    std::vector<std::size_t> short_map{0}, dup{1, 1}, wide{0, 3};
    EXPECT_EQ(c.compose(other, short_map).error(), QuantumError::mapping_length_mismatch(1, 2));
    EXPECT_EQ(c.compose(other, dup).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.compose(other, wide).error(), QuantumError::qubit_out_of_range(3, 3));
    EXPECT_EQ(c.instructions().size(), 3u);
}

TEST(Circuit, AppendToItselfDuplicatesOnce) {
    Circuit c = make(1);
    ASSERT_TRUE(c.h(0) && c.measure(0));
    ASSERT_TRUE(c.append(c).has_value());
    EXPECT_EQ(c.instructions().size(), 4u);
    EXPECT_EQ(c.num_classical_bits(), 2u);
}

TEST(Circuit, CopiesAreIndependent) {
    Circuit c = make(2);
    ASSERT_TRUE(c.h(0));
    Circuit copy = c;
    ASSERT_TRUE(copy.x(1));
    EXPECT_EQ(c.gate_count(), 1u);
    EXPECT_EQ(copy.gate_count(), 2u);
}
