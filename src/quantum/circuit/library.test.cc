#include <gtest/gtest.h>

#include <cmath>

#include "quantum/circuit/circuit.h"

using namespace qelix;

namespace {

/// A naive dense simulator, independent of the engine, to check what the expansions compute.
std::vector<Complex> run_on_basis(const Circuit& c, std::size_t basis) {
    std::vector<Complex> state(std::size_t{1} << c.num_qubits());
    state[basis] = 1.0;
    for (const Instruction& op : c.instructions()) {
        const GateOp& g = std::get<GateOp>(op);
        std::vector<Complex> next(state.size());
        std::size_t dim = std::size_t{1} << g.targets.size();
        for (std::size_t i = 0; i < state.size(); ++i) {
            std::size_t col = 0, rest = i;
            for (std::size_t t : g.targets) {
                col = col * 2 + ((i >> t) & 1);
                rest &= ~(std::size_t{1} << t);
            }
            for (std::size_t row = 0; row < dim; ++row) {
                std::size_t j = rest;
                for (std::size_t k = 0; k < g.targets.size(); ++k)
                    if ((row >> (g.targets.size() - 1 - k)) & 1) j |= std::size_t{1} << g.targets[k];
                next[j] += g.gate.matrix[row * dim + col] * state[i];
            }
        }
        state = std::move(next);
    }
    return state;
}

std::vector<std::string> names(const Circuit& c) {
    std::vector<std::string> out;
    for (const Instruction& op : c.instructions()) {
        const GateOp& g = std::get<GateOp>(op);
        std::string s = g.gate.name;
        for (std::size_t t : g.targets) s += " " + std::to_string(t);
        out.push_back(s);
    }
    return out;
}

}  // namespace

TEST(Library, ToffoliSequenceAndAction) {
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.toffoli(0, 1, 2).has_value());
    EXPECT_EQ(names(c),
              (std::vector<std::string>{"H 2", "CNOT 1 2", "Tdg 2", "CNOT 0 2", "T 2", "CNOT 1 2", "Tdg 2", "CNOT 0 2",
                                        "T 1", "T 2", "H 2", "CNOT 0 1", "T 0", "Tdg 1", "CNOT 0 1"}));
    EXPECT_EQ(c.gate_count(), 15u);
    for (std::size_t basis = 0; basis < 8; ++basis) {
        std::size_t expected = basis == 3 ? 7 : basis == 7 ? 3 : basis;
        EXPECT_NEAR(std::abs(run_on_basis(c, basis)[expected]), 1.0, 1e-12) << basis;
    }
}

TEST(Library, ToffoliValidation) {
    Circuit c = Circuit::create(3).value();
    EXPECT_EQ(c.toffoli(0, 0, 2).error(), QuantumError::duplicate_qubit(0, 0));
    EXPECT_EQ(c.toffoli(0, 1, 0).error(), QuantumError::duplicate_qubit(0, 0));
    EXPECT_EQ(c.toffoli(0, 1, 1).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.toffoli(0, 1, 5).error(), QuantumError::qubit_out_of_range(5, 3));
    EXPECT_EQ(c.toffoli(4, 1, 5).error(), QuantumError::qubit_out_of_range(4, 3));
    EXPECT_TRUE(c.instructions().empty());
}

TEST(Library, QftAndIqftSequences) {
    std::vector<std::size_t> q{0, 1, 2};
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.qft(q).has_value());
    EXPECT_EQ(names(c), (std::vector<std::string>{"H 0", "CR2 1 0", "CR3 2 0", "H 1", "CR2 2 1", "H 2", "SWAP 0 2"}));
    Circuit d = Circuit::create(3).value();
    ASSERT_TRUE(d.iqft(q).has_value());
    EXPECT_EQ(names(d), (std::vector<std::string>{"SWAP 0 2", "H 2", "CR2^dagger 2 1", "H 1", "CR3^dagger 2 0",
                                                  "CR2^dagger 1 0", "H 0"}));
    auto phase = std::get<GateOp>(d.instructions()[2]).gate.matrix[15];
    EXPECT_NEAR(phase.imag(), -1.0, 1e-12);
}

TEST(Library, QftThenIqftIsIdentity) {
    std::vector<std::size_t> q{3, 0, 2, 1};
    Circuit c = Circuit::create(4).value();
    ASSERT_TRUE(c.qft(q) && c.iqft(q));
    for (std::size_t basis = 0; basis < 16; ++basis)
        EXPECT_NEAR(std::abs(run_on_basis(c, basis)[basis]), 1.0, 1e-12) << basis;
}

TEST(Library, QftOfBasisStateHasUniformMagnitudes) {
    std::vector<std::size_t> q{0, 1, 2};
    Circuit c = Circuit::create(3).value();
    ASSERT_TRUE(c.qft(q).has_value());
    for (Complex a : run_on_basis(c, 5)) EXPECT_NEAR(std::abs(a), 1.0 / std::sqrt(8.0), 1e-12);
}

TEST(Library, QftListValidation) {
    Circuit c = Circuit::create(3).value();
    std::vector<std::size_t> empty, dup{1, 1}, wide{0, 7, 0};
    EXPECT_TRUE(c.qft(empty) && c.iqft(empty));
    EXPECT_EQ(c.qft(dup).error(), QuantumError::duplicate_qubit(1, 1));
    EXPECT_EQ(c.iqft(wide).error(), QuantumError::duplicate_qubit(0, 0));
    EXPECT_TRUE(c.instructions().empty());
}
