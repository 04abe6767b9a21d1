#include "quantum/algorithms/qaoa.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace qelix;

namespace {

const double INF = std::numeric_limits<double>::infinity();

SimulatorConfig ideal(std::uint64_t seed = 1) { return SimulatorConfig{.seed = seed}; }

SimulatorConfig barely_noisy(std::uint64_t seed) {
    return SimulatorConfig{.seed = seed, .noise = NoiseModel::uniform(1e-12, 1e-12, 0.0)};
}

Graph square() { return *named_graph("square"); }

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

}  // namespace

TEST(QaoaCircuit, LayerOrder) {
    const Graph g{{{0, 1, 1.0}, {2, 1, -0.5}}, 3};
    auto c = qaoa_circuit(g, std::vector<double>{0.25}, std::vector<double>{0.75});
    ASSERT_TRUE(c);
    EXPECT_EQ(gate_list(*c),
              (std::vector<std::string>{"H@0", "H@1", "H@2", "CNOT@01", "Rz(0.500)@1", "CNOT@01", "CNOT@21",
                                        "Rz(-0.250)@1", "CNOT@21", "Rx(1.500)@0", "Rx(1.500)@1", "Rx(1.500)@2"}));
    auto two_layers = qaoa_circuit(g, std::vector<double>{0.1, 0.2}, std::vector<double>{0.3, 0.4});
    EXPECT_EQ(two_layers->gate_count(), 3u + 2 * (6 + 3));
}

TEST(QaoaCircuit, Errors) {
    const std::vector<double> one = {0.5};
    EXPECT_EQ(qaoa_circuit(Graph{{{1, 1, 1.0}}, 2}, one, one).error().message(),
              "Two-qubit gate requires different qubits, got 1 and 1");
    EXPECT_EQ(qaoa_circuit(Graph{{{0, 4, 1.0}}, 2}, one, one).error().message(),
              "Qubit index 4 out of range (circuit has 2 qubits)");
    EXPECT_EQ(qaoa_circuit(Graph{{}, 0}, one, one).error().message(), "Circuit must have at least 1 qubit");
    EXPECT_EQ(qaoa_circuit(Graph{{}, 129}, one, one).error().message(),
              "Circuit exceeds maximum qubit count (129 > 128)");
    EXPECT_EQ(qaoa_circuit(square(), one, std::vector<double>{0.5, 0.5}).error().message(),
              "Simulation error: QAOA expects as many betas as gammas, got 2 and 1");
}

TEST(QaoaEvaluate, UniformStateAtZeroAngles) {
    // With every angle 0 the state stays uniform: the expected cut is half the total
    // weight and the first of the equally likely maximum cuts is reported.
    const std::vector<double> zero = {0.0};
    auto e = qaoa_evaluate(square(), zero, zero, 1, ideal());
    ASSERT_TRUE(e);
    EXPECT_NEAR(e->expected_cut, 2.0, 1e-12);
    EXPECT_EQ(e->assignment, (Assignment{true, false, true, false}));
}

TEST(QaoaEvaluate, TableAndDirectPathsAgreeBitwise) {
    const Graph g{{{0, 1, 0.7}, {1, 2, 1.3}, {2, 3, 0.4}, {3, 0, 2.1}, {0, 2, -0.6}}, 4};
    const std::vector<double> gammas = {0.31, -0.2}, betas = {0.9, 0.15};
    auto direct = qaoa_evaluate(g, gammas, betas, 1, ideal());
    const std::vector<double> cuts = cut_table(g);
    const SimulatorConfig config = ideal();
    StateWorkspace workspace(config);
    auto table = qaoa_evaluate(g, gammas, betas, 1, workspace, cuts);
    EXPECT_EQ(*table, *qaoa_evaluate(g, gammas, betas, 1, workspace, cuts));
    ASSERT_TRUE(direct);
    EXPECT_EQ(*direct, *table);
    EXPECT_EQ(*direct, *qaoa_evaluate(g, gammas, betas, 77, ideal(123)));
    EXPECT_GT(direct->expected_cut, 0.0);
    EXPECT_LT(direct->expected_cut, max_cut_brute_force(g));
}

TEST(QaoaEvaluate, SampledEstimate) {
    const Graph g = *named_graph("petersen_5");
    const std::vector<double> gammas = {0.4}, betas = {0.3};
    const double exact = qaoa_evaluate(g, gammas, betas, 1, ideal())->expected_cut;
    auto a = qaoa_evaluate(g, gammas, betas, 4000, barely_noisy(5));
    auto b = qaoa_evaluate(g, gammas, betas, 4000, barely_noisy(5));
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, *b);
    EXPECT_NEAR(a->expected_cut, exact, 0.1);
    // The reported assignment is a largest cut among the observed outcomes: 4 here.
    EXPECT_EQ(cut_value(g, a->assignment), 4.0);
    // Zero shots still measure once.
    EXPECT_TRUE(qaoa_evaluate(g, gammas, betas, 0, barely_noisy(5)));
}

TEST(QaoaMaxcut, ZeroIterationsReportTheEvaluatedStart) {
    auto r = qaoa_maxcut(square(), 2, 0, 1000, ideal());
    ASSERT_TRUE(r);
    const std::vector<double> start{0.5, 0.5};
    auto evaluated = qaoa_evaluate(square(), start, start, 1000, ideal());
    ASSERT_TRUE(evaluated);
    EXPECT_EQ(r->best_cost, evaluated->expected_cut);
    EXPECT_EQ(r->best_solution, evaluated->assignment);
    EXPECT_TRUE(r->cost_history.empty());
    EXPECT_EQ(r->optimal_gamma, start);
    EXPECT_EQ(r->optimal_beta, start);
    ASSERT_TRUE(r->approximation_ratio);
    EXPECT_EQ(*r->approximation_ratio, r->best_cost / 4.0);
    // The one evaluation iteration 0 would also make: no different from a first history entry.
    EXPECT_EQ(qaoa_maxcut(square(), 2, 1, 1000, ideal())->cost_history.front(), r->best_cost);
    // It is a real evaluation, so a graph the circuit builder refuses fails here too.
    EXPECT_EQ(qaoa_maxcut(Graph{{{0, 0, 1.0}}, 2}, 1, 0, 1, ideal()).error(), QuantumError::duplicate_qubit(0, 0));
}

TEST(QaoaMaxcut, SquareInvariants) {
    auto r = qaoa_maxcut(square(), 2, 20, 1000, ideal(3));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->cost_history.empty());
    EXPECT_LE(r->cost_history.size(), 20u);
    for (double e : r->cost_history) EXPECT_GE(r->best_cost, e);
    ASSERT_TRUE(r->approximation_ratio);
    EXPECT_EQ(*r->approximation_ratio, r->best_cost / 4.0);
    EXPECT_GT(*r->approximation_ratio, 0.5);
    EXPECT_LE(*r->approximation_ratio, 1.0);
    EXPECT_LE(cut_value(square(), r->best_solution), 4.0);
    EXPECT_EQ(r->optimal_gamma.size(), 2u);
    EXPECT_EQ(r->optimal_beta.size(), 2u);
    // The exact path ignores seed and shots.
    EXPECT_EQ(*r, *qaoa_maxcut(square(), 2, 20, 5, ideal(999)));
}

TEST(QaoaMaxcut, DegenerateGraphs) {
    auto empty = qaoa_maxcut(Graph{{}, 3}, 2, 20, 1, ideal());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->cost_history, (std::vector<double>{0.0}));
    EXPECT_EQ(empty->best_cost, 0.0);
    EXPECT_FALSE(empty->approximation_ratio);

    auto negative = qaoa_maxcut(Graph{{{0, 1, -1.0}, {1, 2, -2.0}}, 3}, 1, 5, 1, ideal());
    ASSERT_TRUE(negative);
    EXPECT_FALSE(negative->approximation_ratio);

    auto triangle = qaoa_maxcut(*named_graph("triangle"), 1, 10, 1, ideal());
    ASSERT_TRUE(triangle);
    EXPECT_EQ(*triangle->approximation_ratio, triangle->best_cost / 2.0);
}

TEST(QaoaMaxcut, Errors) {
    EXPECT_EQ(qaoa_maxcut(square(), 0, 5, 1, ideal()).error().message(),
              "Simulation error: QAOA requires at least one layer");
    EXPECT_EQ(qaoa_maxcut(Graph{{{0, 1, 1.0}}, 13}, 1, 5, 1, ideal()).error().message(),
              "Circuit exceeds maximum qubit count (13 > 12)");
    EXPECT_EQ(qaoa_maxcut(Graph{{{0, 1, 1.0}, {2, 2, 1.0}}, 3}, 1, 5, 1, ideal()).error().message(),
              "Two-qubit gate requires different qubits, got 2 and 2");
    EXPECT_EQ(qaoa_maxcut(Graph{{}, 0}, 1, 5, 1, ideal()).error().message(), "Circuit must have at least 1 qubit");
    const std::size_t huge = std::size_t{1} << 60;
    EXPECT_EQ(qaoa_maxcut(square(), huge, 0, 1, ideal()).error().message(),
              "Simulation error: QAOA with 1152921504606846976 layers needs more memory than is available");
}
