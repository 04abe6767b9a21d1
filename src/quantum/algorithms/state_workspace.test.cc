#include "quantum/algorithms/state_workspace.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qelix;

namespace {

Circuit sample_circuit(std::size_t n, double angle) {
    Circuit c = *Circuit::create(n);
    for (std::size_t q = 0; q < n; ++q) EXPECT_TRUE(c.ry(q, angle * static_cast<double>(q + 1)));
    for (std::size_t q = 1; q < n; ++q) EXPECT_TRUE(c.cnot(q - 1, q));
    EXPECT_TRUE(c.rz(0, angle));
    return c;
}

std::vector<Complex> driver_state(const SimulatorConfig& config, const Circuit& c) {
    auto state = statevector(config, c);
    EXPECT_TRUE(state);
    auto amps = std::as_const(*state).amplitudes();
    return {amps.begin(), amps.end()};
}

}  // namespace

TEST(StateWorkspace, ReusedBufferMatchesTheDriverBitwise) {
    const SimulatorConfig config{.seed = 4};
    StateWorkspace workspace(config);
    // Widths change between runs; every state is the driver's, bit for bit.
    for (std::size_t n : {3u, 3u, 5u, 2u, 2u}) {
        const Circuit c = sample_circuit(n, 0.3 + 0.1 * static_cast<double>(n));
        auto state = workspace.run(c);
        ASSERT_TRUE(state);
        EXPECT_EQ(std::vector<Complex>(state->begin(), state->end()), driver_state(config, c)) << n;
    }
}

TEST(StateWorkspace, DriverErrorsPassThrough) {
    const SimulatorConfig noisy{.seed = 1, .noise = NoiseModel::uniform(0.1, 0.1, 0.0)};
    StateWorkspace workspace(noisy);
    auto state = workspace.run(sample_circuit(2, 0.5));
    ASSERT_FALSE(state);
    EXPECT_EQ(state.error().message(), "Simulation error: statevector is unavailable when noise is enabled");

    const SimulatorConfig ideal{.seed = 1};
    StateWorkspace plain(ideal);
    ASSERT_TRUE(plain.run(sample_circuit(2, 0.5)));
    Circuit mid = sample_circuit(2, 0.5);
    ASSERT_TRUE(mid.measure(0));
    ASSERT_TRUE(mid.h(0));
    EXPECT_FALSE(plain.run(mid));
}
