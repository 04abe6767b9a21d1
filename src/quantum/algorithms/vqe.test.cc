#include "quantum/algorithms/vqe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace qelix;

namespace {

constexpr double ZERO_STATE_ENERGY = -1.0524 + 0.3979 - 0.3979 - 0.0112;
const double PI = std::numbers::pi;

SimulatorConfig ideal(std::uint64_t seed = 1) { return SimulatorConfig{.seed = seed}; }

SimulatorConfig barely_noisy(std::uint64_t seed) {
    return SimulatorConfig{.seed = seed, .noise = NoiseModel::uniform(1e-12, 1e-12, 0.0)};
}

double h2_energy(std::vector<double> params, const SimulatorConfig& config = ideal()) {
    return *vqe_energy(h2_hamiltonian(), Ansatz::ry_chain(), params, 100, config);
}

Hamiltonian single_y() { return Hamiltonian{{{{{0, Pauli::Y}}, 1.0}}, 1}; }

}  // namespace

TEST(VqeEnergy, HydrogenWorkedValues) {
    EXPECT_NEAR(h2_energy({0.0, 0.0}), -1.0636, 1e-12);
    EXPECT_NEAR(h2_energy({0.0, 0.0}), ZERO_STATE_ENERGY, 1e-12);
    // At theta_1 = 0 only the XX term follows theta_0: E = -1.0636 + 0.1809 sin(theta_0).
    for (double t0 : {-2.5, -PI / 2, -0.3, 0.7, 2.0})
        EXPECT_NEAR(h2_energy({t0, 0.0}), -1.0636 + 0.1809 * std::sin(t0), 1e-12);
    EXPECT_NEAR(h2_energy({-PI / 2, 0.0}), -1.2445, 1e-12);
    // The sign of theta_1 does not matter.
    for (double t1 : {0.2, 1.1, 2.9}) EXPECT_NEAR(h2_energy({0.4, t1}), h2_energy({0.4, -t1}), 1e-12);
}

TEST(VqeEnergy, YTermWithLayeredAnsatz) {
    auto plus = vqe_energy(single_y(), Ansatz::layered(1), std::vector<double>{PI / 2, PI / 2}, 1, ideal());
    auto minus = vqe_energy(single_y(), Ansatz::layered(1), std::vector<double>{PI / 2, -PI / 2}, 1, ideal());
    EXPECT_NEAR(*plus, 1.0, 1e-12);
    EXPECT_NEAR(*minus, -1.0, 1e-12);
    // The measured estimate of an eigenstate is exact whatever the shots.
    auto sampled = vqe_energy(single_y(), Ansatz::layered(1), std::vector<double>{PI / 2, PI / 2}, 50, barely_noisy(3));
    EXPECT_EQ(*sampled, 1.0);
}

TEST(VqeEnergy, SampledEstimateTracksExactEnergy) {
    const std::vector<double> params = {-1.2, 0.4};
    const double exact = h2_energy(params);
    const auto config = barely_noisy(11);
    auto a = vqe_energy(h2_hamiltonian(), Ansatz::ry_chain(), params, 4000, config);
    auto b = vqe_energy(h2_hamiltonian(), Ansatz::ry_chain(), params, 4000, config);
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, *b);
    EXPECT_NEAR(*a, exact, 0.05);
    EXPECT_NE(*a, exact);
    // Zero shots still run one shot per term; a pure identity needs none.
    EXPECT_TRUE(vqe_energy(h2_hamiltonian(), Ansatz::ry_chain(), params, 0, config));
    const Hamiltonian offset{{{{}, 2.5}}, 1};
    EXPECT_EQ(*vqe_energy(offset, Ansatz::ry_chain(), std::vector<double>{0.3}, 10, config), 2.5);
}

TEST(VqeEnergy, Errors) {
    const std::vector<double> two = {0.0, 0.0};
    EXPECT_EQ(vqe_energy(Hamiltonian{{}, 0}, Ansatz::ry_chain(), {}, 1, ideal()).error().message(),
              "Circuit must have at least 1 qubit");
    EXPECT_EQ(vqe_energy(Hamiltonian{{}, 129}, Ansatz::ry_chain(), {}, 1, ideal()).error().message(),
              "Circuit exceeds maximum qubit count (129 > 128)");
    const Hamiltonian three{{{{{0, Pauli::Z}}, 1.0}}, 3};
    EXPECT_EQ(vqe_energy(three, Ansatz::uccsd_demo(), two, 1, ideal()).error().message(),
              "Simulation error: demo UCCSD ansatz currently expects 2 qubits and 2 parameters");
    EXPECT_EQ(
        vqe_energy(h2_hamiltonian(), Ansatz::ry_chain(), std::vector<double>{0, 0, 0}, 1, ideal()).error().message(),
        "Qubit index 2 out of range (circuit has 2 qubits)");
    // An X factor beyond the register fails on both paths; a Z factor there reads as |0>.
    const Hamiltonian stray_x{{{{{2, Pauli::X}}, 1.0}}, 2};
    EXPECT_EQ(vqe_energy(stray_x, Ansatz::ry_chain(), two, 1, ideal()).error().message(),
              "Qubit index 2 out of range (circuit has 2 qubits)");
    EXPECT_EQ(vqe_energy(stray_x, Ansatz::ry_chain(), two, 1, barely_noisy(1)).error().message(),
              "Qubit index 2 out of range (circuit has 2 qubits)");
    const Hamiltonian stray_z{{{{{2, Pauli::Z}}, 0.5}}, 2};
    EXPECT_EQ(*vqe_energy(stray_z, Ansatz::ry_chain(), two, 1, ideal()), 0.5);
    EXPECT_EQ(*vqe_energy(stray_z, Ansatz::ry_chain(), two, 10, barely_noisy(1)), 0.5);
}

TEST(RunVqe, ZeroIterationsEvaluatesTheStart) {
    auto r = run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0, 0.0}, 0, 1000, ideal());
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->energy, -1.0636, 1e-12);
    EXPECT_EQ(r->optimal_params, (std::vector<double>{0.0, 0.0}));
    EXPECT_TRUE(r->energy_history.empty());
    EXPECT_EQ(r->iterations, 0u);
    EXPECT_FALSE(r->converged);
}

TEST(RunVqe, HydrogenDescentInvariants) {
    auto r = run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0, 0.0}, 30, 1000, ideal(5));
    ASSERT_TRUE(r);
    ASSERT_FALSE(r->energy_history.empty());
    EXPECT_NEAR(r->energy_history.front(), -1.0636, 1e-12);
    for (std::size_t i = 1; i < r->energy_history.size(); ++i)
        EXPECT_LE(r->energy_history[i], r->energy_history[i - 1]) << i;
    EXPECT_LE(r->energy, r->energy_history.front());
    EXPECT_EQ(r->iterations, r->energy_history.size());
    EXPECT_EQ(r->converged, r->iterations < 30);
    ASSERT_EQ(r->optimal_params.size(), 2u);
    EXPECT_EQ(r->optimal_params[1], 0.0);
    EXPECT_LT(r->energy, -1.2);
    EXPECT_GE(r->energy, -1.2445 - 1e-9);
    // Seeds do not touch the exact path.
    EXPECT_EQ(*r, *run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0, 0.0}, 30, 7, ideal(99)));
}

TEST(RunVqe, LimitsAndOtherShapes) {
    auto one = run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0, 0.0}, 1, 1, ideal());
    ASSERT_TRUE(one);
    EXPECT_EQ(one->iterations, 1u);
    EXPECT_FALSE(one->converged);
    EXPECT_LT(one->energy, one->energy_history[0]);

    auto y = run_vqe(single_y(), Ansatz::layered(1), {0.3, 0.2}, 200, 1, ideal());
    ASSERT_TRUE(y);
    EXPECT_TRUE(y->converged);
    EXPECT_NEAR(y->energy, -1.0, 1e-3);

    auto demo = run_vqe(h2_hamiltonian(), Ansatz::uccsd_demo(), {0.0, 0.0}, 10, 1, ideal());
    ASSERT_TRUE(demo);
    EXPECT_LE(demo->energy, demo->energy_history.front());
}

TEST(RunVqe, ParameterAndShapeErrors) {
    const Hamiltonian three{{{{{0, Pauli::Z}}, 1.0}}, 3};
    EXPECT_EQ(run_vqe(three, Ansatz::uccsd_demo(), {0.0, 0.0}, 5, 1, ideal()).error().message(),
              "Simulation error: demo UCCSD ansatz currently expects 2 qubits and 2 parameters");
    EXPECT_EQ(run_vqe(three, Ansatz::uccsd_demo(), {0.0, 0.0, 0.0}, 5, 1, ideal()).error().message(),
              "Simulation error: ansatz expects 2 parameters, got 3");
    EXPECT_EQ(run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0}, 5, 1, ideal()).error().message(),
              "Simulation error: ansatz expects 2 parameters, got 1");
    EXPECT_EQ(run_vqe(h2_hamiltonian(), Ansatz::layered(2), {0.0}, 5, 1, ideal()).error().message(),
              "Simulation error: ansatz expects 8 parameters, got 1");
    // Evaluation errors end the run, even with no iterations left to do.
    const Hamiltonian stray_x{{{{{2, Pauli::X}}, 1.0}}, 2};
    EXPECT_EQ(run_vqe(stray_x, Ansatz::ry_chain(), {0.0, 0.0}, 0, 1, ideal()).error().message(),
              "Qubit index 2 out of range (circuit has 2 qubits)");
}
