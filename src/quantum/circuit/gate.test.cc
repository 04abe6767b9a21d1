#include "quantum/circuit/gate.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelix;

namespace {

void expect_near(Complex a, Complex b) {
    EXPECT_NEAR(a.real(), b.real(), 1e-12);
    EXPECT_NEAR(a.imag(), b.imag(), 1e-12);
}

/// (a * b) for square row-major matrices of dimension dim.
std::vector<Complex> multiply(const std::vector<Complex>& a, const std::vector<Complex>& b, std::size_t dim) {
    std::vector<Complex> out(dim * dim);
    for (std::size_t r = 0; r < dim; ++r)
        for (std::size_t c = 0; c < dim; ++c)
            for (std::size_t k = 0; k < dim; ++k) out[r * dim + c] += a[r * dim + k] * b[k * dim + c];
    return out;
}

}  // namespace

TEST(Gate, NamesFormatAnglesWithThreeDecimals) {
    EXPECT_EQ(gates::rx(1.5707963).name, "Rx(1.571)");
    EXPECT_EQ(gates::rx(3.14159).name, "Rx(3.142)");
    EXPECT_EQ(gates::rz(0.0).name, "Rz(0.000)");
    EXPECT_EQ(gates::ry(-0.5).name, "Ry(-0.500)");
    EXPECT_EQ(gates::u3(1.5707963, 0.0, 3.14159265).name, "U3(1.571,0.000,3.142)");
    EXPECT_EQ(gates::rzz(2.0).name, "Rzz(2.000)");
    EXPECT_EQ(gates::crk(3).name, "CR3");
    EXPECT_EQ(format_angle(std::nan("")), "NaN");
    EXPECT_EQ(format_angle(-INFINITY), "-inf");
}

TEST(Gate, StandardMatricesAreExact) {
    EXPECT_EQ(gates::h().matrix[3], Complex(-0.7071067811865476, 0.0));
    EXPECT_EQ(gates::t().matrix[3], Complex(0.7071067811865476, 0.7071067811865476));
    EXPECT_EQ(gates::tdg().matrix[3], Complex(0.7071067811865476, -0.7071067811865476));
    EXPECT_EQ(gates::sx().matrix[1], Complex(0.5, -0.5));
    EXPECT_EQ(gates::y().matrix[1], Complex(0.0, -1.0));
    auto cnot = gates::cnot().matrix;
    EXPECT_EQ(cnot[0 * 4 + 0], 1.0);
    EXPECT_EQ(cnot[1 * 4 + 1], 1.0);
    EXPECT_EQ(cnot[2 * 4 + 3], 1.0);
    EXPECT_EQ(cnot[3 * 4 + 2], 1.0);
    auto swap = gates::swap().matrix;
    EXPECT_EQ(swap[1 * 4 + 2], 1.0);
    EXPECT_EQ(swap[3 * 4 + 3], 1.0);
    auto cy = gates::cy().matrix;
    EXPECT_EQ(cy[2 * 4 + 3], Complex(0.0, -1.0));
    EXPECT_EQ(cy[3 * 4 + 2], Complex(0.0, 1.0));
}

TEST(Gate, RotationsUseHalfAngles) {
    double theta = 0.7;
    auto rz = gates::rz(theta).matrix;
    EXPECT_EQ(rz[0], Complex(std::cos(-theta / 2), std::sin(-theta / 2)));
    EXPECT_EQ(rz[3], Complex(std::cos(theta / 2), std::sin(theta / 2)));
    auto rx = gates::rx(theta).matrix;
    expect_near(rx[1], Complex(0.0, -std::sin(theta / 2)));
    auto rzz = gates::rzz(theta).matrix;
    EXPECT_EQ(rzz[0], rz[0]);
    EXPECT_EQ(rzz[5], rz[3]);
    EXPECT_EQ(rzz[15], rz[0]);
    auto u3 = gates::u3(theta, 0.3, 0.2).matrix;
    expect_near(u3[1], -std::polar(1.0, 0.2) * std::sin(theta / 2));
    expect_near(u3[3], std::polar(1.0, 0.5) * std::cos(theta / 2));
}

TEST(Gate, ControlledPhaseAngles) {
    expect_near(gates::crk(2).matrix[15], Complex(0.0, 1.0));
    expect_near(gates::crk(1).matrix[15], Complex(-1.0, 0.0));
    EXPECT_EQ(gates::crk(0).matrix[15], Complex(std::cos(TWO_PI), std::sin(TWO_PI)));
    EXPECT_EQ(gates::crk(5000).matrix[15], Complex(1.0, 0.0));
    EXPECT_EQ(gates::crk(UINT64_MAX).matrix[15], Complex(1.0, 0.0));
}

TEST(Gate, DaggerIsConjugateTranspose) {
    Gate cy = gates::cy();
    Gate d = dagger(cy);
    EXPECT_EQ(d.name, "CY^dagger");
    EXPECT_EQ(d.num_qubits, 2u);
    for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(d.matrix[r * 4 + c], std::conj(cy.matrix[c * 4 + r]));
    auto product = multiply(gates::t().matrix, dagger(gates::t()).matrix, 2);
    expect_near(product[0], 1.0);
    expect_near(product[1], 0.0);
    expect_near(product[3], 1.0);
    auto hh = multiply(gates::h().matrix, gates::h().matrix, 2);
    expect_near(hh[0], 1.0);
    expect_near(hh[1], 0.0);
}

TEST(GateTable, EveryKindBuildsAUnitaryOfItsWidthWithItsParameters) {
    const double params[] = {0.3, -1.1, 2.5, 0.7};
    for (const GateInfo& info : gate_table()) {
        Gate g = make_gate(info.kind, std::span(params, info.num_params));
        SCOPED_TRACE(g.name);
        EXPECT_EQ(g.kind, info.kind);
        EXPECT_EQ(g.num_qubits, info.num_qubits);
        EXPECT_EQ(g.parameters().size(), info.num_params);
        EXPECT_EQ(kind_of_qasm(info.qasm), info.kind);
        std::size_t dim = std::size_t{1} << info.num_qubits;
        auto product = multiply(g.matrix, dagger(g).matrix, dim);
        for (std::size_t r = 0; r < dim; ++r)
            for (std::size_t c = 0; c < dim; ++c) expect_near(product[r * dim + c], r == c ? 1.0 : 0.0);
    }
    EXPECT_EQ(make_gate(GateKind::CRx, std::vector{0.5}).name, "CRx(0.500)");
    EXPECT_EQ(make_gate(GateKind::CU, std::vector{0.5, 0.0, 1.0, -2.0}).name, "CU(0.500,0.000,1.000,-2.000)");
    EXPECT_EQ(gates::crk(UINT64_MAX).name, "CR18446744073709551615");
}

TEST(GateTable, StandardInverseEqualsTheDaggerEntryForEntry) {
    const double params[] = {0.3, -1.1, 2.5, 0.7};
    for (const GateInfo& info : gate_table()) {
        Gate g = make_gate(info.kind, std::span(params, info.num_params));
        SCOPED_TRACE(g.name);
        auto inverse = standard_inverse(g);
        ASSERT_TRUE(inverse.has_value());
        EXPECT_FALSE(inverse->inverse);
        Gate d = dagger(g);
        EXPECT_TRUE(d.inverse);
        EXPECT_FALSE(dagger(d).inverse);
        for (std::size_t i = 0; i < d.matrix.size(); ++i) {
            if (info.kind == GateKind::CSX)
                expect_near(inverse->matrix[i], d.matrix[i]);  // written as a CU, equal within rounding
            else
                EXPECT_EQ(inverse->matrix[i], d.matrix[i]) << i;
        }
        EXPECT_EQ(standard_inverse(d)->matrix, g.matrix);
    }
    EXPECT_EQ(standard_inverse(gates::s())->name, "Sdg");
    EXPECT_EQ(standard_inverse(gates::crk(2))->kind, GateKind::CP);
    EXPECT_FALSE(standard_inverse(Gate{"I", {1.0, 0.0, 0.0, 1.0}, 1}).has_value());
}
