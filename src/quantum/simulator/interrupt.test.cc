// Every long call of the quantum library stops with its Interrupted error once the
// caller's interrupt check says so, and a check that keeps saying "go on" changes no
// result by a single bit.
#include <gtest/gtest.h>

#include "core/interrupt.h"
#include "quantum/algorithms/graph.h"
#include "quantum/algorithms/qaoa.h"
#include "quantum/algorithms/random_walk.h"
#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"
#include "quantum/simulator/simulator.h"

using namespace qelix;

namespace {

/// A check asked at every chance (no interval) that always answers `stop`.
template <bool stop>
InterruptCheck answer() {
    return {[](void*) { return stop; }, nullptr, std::chrono::steady_clock::duration::zero()};
}

Circuit layered(std::size_t n, std::size_t gates, bool measured) {
    Circuit c = Circuit::create(n).value();
    for (std::size_t k = 0; k < gates / 2; ++k) {
        (void)c.ry(k % n, 0.1 * double(k));
        (void)c.cx(k % n, (k + 1) % n);
    }
    if (measured) (void)c.measure_all();
    return c;
}

Graph ring(std::size_t n) {
    Graph g{.edges = {}, .num_vertices = n};
    for (std::size_t i = 0; i < n; ++i) g.edges.push_back(Edge{i, (i + 1) % n, 1.0});
    return g;
}

SimulatorConfig config_with(Backend backend, NoiseModel noise) {
    return SimulatorConfig{.seed = 7, .backend = backend, .noise = std::move(noise), .parallel = false};
}

/// The results of every kind of long call, or their errors.
struct Calls {
    Result<QuantumResult> fast, shots, noisy, mps;
    Result<StateBuffer> state;
    Result<RandomWalkResult> stepwise, spectral;
    QasmResult<Circuit> parsed;
    Result<QaoaResult> qaoa;
};

Calls run_all() {
    const Circuit c = layered(12, 200, true), wide = layered(22, 60, false);
    Circuit bell = Circuit::create(2).value();
    (void)bell.h(0);
    (void)bell.measure_all();
    std::string text = "OPENQASM 2.0;\ninclude \"qelib1.inc\";\nqreg q[2];\n";
    for (int i = 0; i < 20000; ++i) text += "h q[0];\n";
    const SimulatorConfig ideal = config_with(Backend::state_vector(), NoiseModel::ideal());
    return Calls{
        .fast = run(ideal, c, 100),
        .shots = run(ideal, bell, 100000),
        .noisy = run(config_with(Backend::state_vector(), NoiseModel::ibm()), c, 20),
        .mps = run(config_with(Backend::mps(16), NoiseModel::ideal()), layered(40, 200, true), 100),
        .state = statevector(ideal, wide),
        .stepwise = random_walk(2000),
        .spectral = random_walk(20000),
        .parsed = parse_qasm(text),
        .qaoa = qaoa_maxcut(ring(10), 3, 5, 100, ideal),
    };
}

}  // namespace

TEST(InterruptedCalls, StopWithTheirInterruptedError) {
    InterruptScope scope(answer<true>());
    const Calls got = run_all();
    const QuantumError stopped = QuantumError::interrupted();
    EXPECT_EQ(got.fast.error(), stopped);
    EXPECT_EQ(got.shots.error(), stopped);
    EXPECT_EQ(got.noisy.error(), stopped);
    EXPECT_EQ(got.mps.error(), stopped);
    EXPECT_EQ(got.state.error(), stopped);
    EXPECT_EQ(got.stepwise.error(), stopped);
    EXPECT_EQ(got.spectral.error(), stopped);
    EXPECT_EQ(got.parsed.error(), QasmError::interrupted());
    EXPECT_EQ(got.qaoa.error(), stopped);
    EXPECT_TRUE(scope.fired());
}

TEST(InterruptedCalls, ACheckThatNeverStopsChangesNoBit) {
    const Calls plain = run_all();
    InterruptScope scope(answer<false>());
    const Calls checked = run_all();
    EXPECT_FALSE(scope.fired());
    EXPECT_EQ(checked.fast.value().counts, plain.fast.value().counts);
    EXPECT_EQ(checked.shots.value().counts, plain.shots.value().counts);
    EXPECT_EQ(checked.noisy.value().counts, plain.noisy.value().counts);
    EXPECT_EQ(checked.mps.value().counts, plain.mps.value().counts);
    const auto a = checked.state.value().amplitudes(), b = plain.state.value().amplitudes();
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
    EXPECT_EQ(checked.stepwise.value(), plain.stepwise.value());
    EXPECT_EQ(checked.spectral.value(), plain.spectral.value());
    EXPECT_EQ(to_qasm(checked.parsed.value()), to_qasm(plain.parsed.value()));
    EXPECT_EQ(checked.qaoa.value().cost_history, plain.qaoa.value().cost_history);
}

TEST(InterruptedCalls, SerializerStopsWithPartOfTheText) {
    const Circuit c = layered(4, 4000, false);
    const std::string full = to_qasm(c);
    InterruptScope scope(answer<true>());
    const std::string part = to_qasm(c);
    EXPECT_TRUE(scope.fired());
    EXPECT_LT(part.size(), full.size());
    EXPECT_EQ(full.substr(0, part.size()), part);
}
