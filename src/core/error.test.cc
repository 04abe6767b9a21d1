#include "core/error.h"

#include <gtest/gtest.h>

using namespace qelix;

TEST(Error, QuantumMessages) {
    EXPECT_EQ(QuantumError::empty_circuit().message(), "Circuit must have at least 1 qubit");
    EXPECT_EQ(QuantumError::qubit_out_of_range(5, 3).message(), "Qubit index 5 out of range (circuit has 3 qubits)");
    EXPECT_EQ(QuantumError::duplicate_qubit(1, 1).message(), "Two-qubit gate requires different qubits, got 1 and 1");
    EXPECT_EQ(QuantumError::too_many_qubits(129, 128).message(), "Circuit exceeds maximum qubit count (129 > 128)");
    EXPECT_EQ(QuantumError::qubit_count_mismatch(2, 3).message(), "Circuit qubit count mismatch (2 != 3)");
    EXPECT_EQ(QuantumError::mapping_length_mismatch(1, 2).message(), "Qubit mapping length mismatch (1 != 2)");
    EXPECT_EQ(QuantumError::insufficient_memory(40, 17592186044416).message(),
              "Insufficient memory for 40-qubit simulation (need 17592186044416 bytes)");
    EXPECT_EQ(QuantumError::invalid_shots(0).message(), "Shot count must be greater than zero, got 0");
    EXPECT_EQ(QuantumError::numerical_instability("collapsing a near-zero measurement branch").message(),
              "Numerical instability while collapsing a near-zero measurement branch");
    EXPECT_EQ(QuantumError::simulation("statevector is unavailable when noise is enabled").message(),
              "Simulation error: statevector is unavailable when noise is enabled");
}

TEST(Error, SpecificKindsKeepTheSimulationText) {
    const QuantumError errors[] = {QuantumError::invalid_circuit("a"), QuantumError::invalid_argument("a"),
                                   QuantumError::unsupported("a"), QuantumError::memory_limit("a"),
                                   QuantumError::simulation("a")};
    const QuantumErrorKind kinds[] = {QuantumErrorKind::InvalidCircuit, QuantumErrorKind::InvalidArgument,
                                      QuantumErrorKind::Unsupported, QuantumErrorKind::MemoryLimit,
                                      QuantumErrorKind::Simulation};
    for (std::size_t i = 0; i < std::size(errors); ++i) {
        EXPECT_EQ(errors[i].kind, kinds[i]);
        EXPECT_EQ(errors[i].message(), "Simulation error: a");
    }
}
