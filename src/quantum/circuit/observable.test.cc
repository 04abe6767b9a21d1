#include "quantum/circuit/observable.h"

#include <gtest/gtest.h>

using namespace qelix;

TEST(Observable, DenseAndSparseLabelsNameTheSameTerm) {
    ObservableTerm dense = parse_term(0.5, "ZIY").value();
    EXPECT_EQ(dense, (ObservableTerm{0.5, {{0, 'Z'}, {2, 'Y'}}}));
    EXPECT_EQ(parse_term(0.5, "Z0 Y2").value(), dense);
    EXPECT_EQ(parse_term(0.5, "  Z0   Y2 ").value(), dense);
    EXPECT_EQ(parse_term(1.0, "").value(), (ObservableTerm{1.0, {}}));
    EXPECT_EQ(parse_term(1.0, "III").value(), (ObservableTerm{1.0, {}}));
    EXPECT_EQ(parse_term(1.0, "X12").value(), (ObservableTerm{1.0, {{12, 'X'}}}));
}

TEST(Observable, RefusesMalformedLabelsAndQubitsOutsideTheCircuit) {
    EXPECT_EQ(parse_term(1.0, "ZQ").error().message(),
              "Simulation error: invalid Pauli label 'ZQ': character 1 is not I, X, Y or Z");
    EXPECT_EQ(parse_term(1.0, "Z0 Z0").error().message(),
              "Simulation error: invalid Pauli label 'Z0 Z0': qubit 0 appears twice");
    EXPECT_EQ(parse_term(1.0, "ZZ Z").error().message(),
              "Simulation error: invalid Pauli label 'ZZ Z': expected a letter X, Y or Z and a qubit index, got 'ZZ'");
    for (const char* bad : {"Z", "z0", "Z-1", "Z1x", "Z99999999999999999999999"})
        EXPECT_FALSE(parse_term(1.0, std::string(bad) + " X0").has_value()) << bad;
    Observable o{parse_term(1.0, "Z0 X3").value()};
    EXPECT_TRUE(check_observable(o, 4));
    EXPECT_EQ(check_observable(o, 3).error().message(), "Qubit index 3 out of range (circuit has 3 qubits)");
}
