#include "quantum/simulator/simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "quantum/simulator/test_util.h"

using namespace qelix;

namespace {

SimulatorConfig seeded(std::uint64_t seed) { return {.seed = seed, .backend = {}, .noise = {}, .parallel = true}; }

Circuit bell(bool measure = true) {
    Circuit c = Circuit::create(2).value();
    (void)c.h(0);
    (void)c.cnot(0, 1);
    if (measure) (void)c.measure_all();
    return c;
}

}  // namespace

TEST(Simulator, ShotCountIsCheckedFirst) {
    SimulatorConfig noisy = seeded(1);
    noisy.noise = NoiseModel::ibm();
    noisy.backend = Backend::mps(0);
    EXPECT_EQ(run(noisy, bell(), 0).error(), QuantumError::invalid_shots(0));
    EXPECT_EQ(run(noisy, bell(), 0).error().message(), "Shot count must be greater than zero, got 0");
}

TEST(Simulator, FastPathKeys) {
    QuantumResult r = run(seeded(42), bell(), 1000).value();
    EXPECT_EQ(r.total_shots, 1000u);
    EXPECT_EQ(r.num_bits, 2u);
    EXPECT_EQ(r.counts.size(), 2u);
    EXPECT_EQ(r.counts["00"] + r.counts["11"], 1000u);
    EXPECT_EQ(run(seeded(42), bell(), 1000).value().counts, r.counts);

    Circuit x = Circuit::create(3).value();
    (void)x.x(0);
    EXPECT_EQ(run(seeded(1), x, 10).value().counts, (Counts{{"100", 10}}));

    Circuit one = Circuit::create(3).value();
    (void)one.x(2);
    (void)one.measure(2);
    QuantumResult single = run(seeded(1), one, 10).value();
    EXPECT_EQ(single.counts, (Counts{{"1", 10}}));
    EXPECT_EQ(single.num_bits, 1u);
}

TEST(Simulator, KeysAreTheClassicalRegisterOnEveryRoute) {
    SimulatorConfig noisy = seeded(1);
    noisy.noise = NoiseModel::uniform(0, 0, 1e-300);
    SimulatorConfig mps = seeded(1);
    mps.backend = Backend::mps(4);
    // Bits never written read '0'; a bit written twice shows its last measurement.
    auto expect_keys = [&](Circuit c, const std::string& key) {
        EXPECT_EQ(run(seeded(1), c, 5).value().counts, (Counts{{key, 5}})) << key;
        EXPECT_EQ(run(mps, c, 5).value().counts, (Counts{{key, 5}})) << key;
        EXPECT_EQ(run(noisy, c, 5).value().counts, (Counts{{key, 5}})) << key;
        (void)c.z(0);  // a gate after the measurements: the trajectory route
        EXPECT_EQ(run(seeded(1), c, 5).value().counts, (Counts{{key, 5}})) << key;
    };
    Circuit into = Circuit::create(1).value();
    (void)into.x(0);
    (void)into.measure_into(0, 2);
    expect_keys(into, "001");
    Circuit crossed = Circuit::create(2).value();
    (void)crossed.x(0);
    (void)crossed.measure_into(0, 1);
    (void)crossed.measure_into(1, 0);
    expect_keys(crossed, "01");
    Circuit overwritten = Circuit::create(2).value();
    (void)overwritten.x(1);
    (void)overwritten.measure_into(1, 0);
    (void)overwritten.measure_into(0, 0);
    expect_keys(overwritten, "0");
    Circuit parsed = Circuit::with_classical_bits(2, 2).value();
    (void)parsed.x(0);
    (void)parsed.measure_into(0, 1);
    expect_keys(parsed, "01");
    // measure and measure_all number their bits in measurement order, as before.
    Circuit repeat = Circuit::create(2).value();
    (void)repeat.x(1);
    (void)repeat.measure(1);
    (void)repeat.measure(0);
    (void)repeat.measure(1);
    expect_keys(repeat, "101");
}

TEST(Simulator, Routing) {
    Circuit mid = Circuit::create(1).value();
    (void)mid.h(0);
    (void)mid.measure(0);
    (void)mid.x(0);
    EXPECT_TRUE(needs_trajectories(mid));
    Circuit end = Circuit::create(2).value();
    (void)end.h(0);
    (void)end.x(1);
    (void)end.barrier_all();
    (void)end.measure_all();
    (void)end.barrier_all();
    EXPECT_FALSE(needs_trajectories(end));
    Circuit conditional = Circuit::create(1).value();
    (void)conditional.append_conditional({}, 0, gates::x(), {0});
    (void)conditional.measure(0);
    (void)conditional.append_conditional({0}, 0, gates::x(), {0});
    EXPECT_TRUE(needs_trajectories(conditional));

    // A model that is ideal (zero or NaN probabilities only) keeps the fast path.
    Circuit c = Circuit::create(2).value();
    (void)c.h(0);
    SimulatorConfig ideal = seeded(1);
    ideal.noise = NoiseModel::uniform(0, NAN, 0);
    EXPECT_EQ(run(ideal, c, 50).value().counts, run(seeded(1), c, 50).value().counts);

    SimulatorConfig small = seeded(1);
    EXPECT_TRUE(use_parallel(small, Circuit::create(16).value()));
    EXPECT_FALSE(use_parallel(small, Circuit::create(15).value()));
    small.parallel = false;
    EXPECT_FALSE(use_parallel(small, Circuit::create(20).value()));
}

TEST(Simulator, StatevectorAndProbabilities) {
    StateBuffer state = statevector(seeded(1), bell(true)).value();
    EXPECT_EQ(state.amplitudes()[0], Complex(FRAC_1_SQRT_2, 0));
    EXPECT_EQ(state.amplitudes()[3], Complex(FRAC_1_SQRT_2, 0));
    Probabilities p = probabilities(seeded(1), bell(true)).value();
    EXPECT_EQ(p[0], FRAC_1_SQRT_2 * FRAC_1_SQRT_2);
    EXPECT_EQ(p[1], 0.0);

    Circuit mid = Circuit::create(1).value();
    (void)mid.h(0);
    (void)mid.measure(0);
    (void)mid.h(0);
    const char* mid_message = "Simulation error: statevector is unavailable for circuits with mid-circuit measurements";
    EXPECT_EQ(statevector(seeded(1), mid).error().message(), mid_message);
    EXPECT_EQ(probabilities(seeded(1), mid).error().message(), mid_message);
    SimulatorConfig noisy = seeded(1);
    noisy.noise = NoiseModel::ibm();
    const char* noise_message = "Simulation error: statevector is unavailable when noise is enabled";
    EXPECT_EQ(statevector(noisy, Circuit::create(1).value()).error().message(), noise_message);
    EXPECT_EQ(statevector(noisy, mid).error().message(), noise_message);

    EXPECT_EQ(statevector(seeded(1), Circuit::create(40).value()).error(),
              QuantumError::insufficient_memory(40, 17592186044416ULL));
    EXPECT_EQ(run(seeded(1), Circuit::create(64).value(), 1).error(),
              QuantumError::insufficient_memory(64, UINT64_MAX));
}

TEST(Simulator, FastPathCountsEqualTheLinearWalk) {
    Circuit c = Circuit::create(7).value();
    for (std::size_t q = 0; q < 7; ++q) (void)c.ry(q, 0.3 + 0.2 * q);
    for (std::size_t q = 0; q + 1 < 7; ++q) (void)c.cnot(q, q + 1);
    (void)c.measure(3);
    (void)c.measure(0);
    QuantumResult fast = run(seeded(99), c, 5000).value();

    std::vector<double> p = statevector(seeded(99), c).value().probabilities();
    SeededRng rng = SeededRng::from_seed_u64(99);
    Counts expected;
    for (int shot = 0; shot < 5000; ++shot) {
        std::uint64_t k = testing_util::linear_walk(p, rng.next_f64());
        ++expected[outcome_key(k, KeyQubits{3, 0})];
    }
    EXPECT_EQ(fast.counts, expected);
}

TEST(Simulator, UnseededRunsDiffer) {
    Circuit c = Circuit::create(10).value();
    for (std::size_t q = 0; q < 10; ++q) (void)c.h(q);
    SimulatorConfig unseeded;
    EXPECT_NE(run(unseeded, c, 200).value().counts, run(unseeded, c, 200).value().counts);
}

TEST(SimulatorNonFinite, GatesWithNonFiniteEntriesAreRefusedBeforeSimulating) {
    const double nan = std::nan(""), inf = INFINITY;
    for (Gate gate : {gates::rx(nan), gates::ry(inf), gates::u3(0.0, -inf, 0.0)}) {
        Circuit c = Circuit::create(31).value();  // too large to simulate: the check comes first
        (void)c.h(0);
        (void)c.append_gate(gate, {1});
        std::string message = "Simulation error: gate '" + gate.name + "' has a non-finite matrix entry";
        // Every backend gives the same refusal: the matrix-product-state one included.
        for (Backend backend : {Backend{}, Backend::mps(8), Backend::automatic()}) {
            SimulatorConfig config = seeded(1);
            config.backend = backend;
            auto state = statevector(config, c);
            auto probs = probabilities(config, c);
            auto counts = run(config, c, 10);
            auto no_shots = run(config, c, 0);
            ASSERT_FALSE(state || probs || counts || no_shots);
            EXPECT_EQ(state.error().message(), message);
            EXPECT_EQ(probs.error().message(), message);
            EXPECT_EQ(counts.error().message(), message);
            EXPECT_EQ(no_shots.error().kind, QuantumErrorKind::InvalidShots);
        }
    }
    // A conditional gate is refused even though no shot may apply it.
    Circuit c = Circuit::with_classical_bits(1, 1).value();
    (void)c.append_conditional({0}, 1, gates::rz(nan), {0});
    auto counts = run(seeded(1), c, 10);
    ASSERT_FALSE(counts);
    EXPECT_EQ(counts.error().message(), "Simulation error: gate 'Rz(NaN)' has a non-finite matrix entry");
}

TEST(SimulatorUnitary, GatesThatAreNotUnitaryAreRefusedAndOrdinaryAnglesPass) {
    // phi + lambda rounds at 1e16, so the last entry no longer fits the other three.
    const Gate broken = gates::u3(1.0, 1e16, 1.0);
    const std::string prefix = "Simulation error: gate '" + broken.name + "' is not unitary (U^dagger U is off";
    Circuit c = Circuit::with_classical_bits(2, 1).value();
    (void)c.h(0);
    (void)c.append_gate(broken, {0});
    Circuit conditional = Circuit::with_classical_bits(1, 1).value();
    (void)conditional.append_conditional({0}, 1, broken, {0});
    for (Backend backend : {Backend{}, Backend::mps(8), Backend::automatic()}) {
        SimulatorConfig config = seeded(1);
        config.backend = backend;
        for (const auto& outcome : {run(config, c, 10), run(config, conditional, 10)}) {
            ASSERT_FALSE(outcome);
            EXPECT_EQ(outcome.error().message().rfind(prefix, 0), 0u) << outcome.error().message();
        }
        ASSERT_FALSE(statevector(config, c));
        EXPECT_EQ(statevector(config, c).error().message().rfind(prefix, 0), 0u);
    }
    // Every standard gate at random angles up to 10^5 rad runs, with a normalised state.
    SeededRng rng = SeededRng::from_seed_u64(5);
    auto angle = [&] { return (rng.next_f64() * 2.0 - 1.0) * (rng.next_f64() < 0.5 ? 10.0 : 1e5); };
    Circuit ordinary = Circuit::create(2).value();
    for (int i = 0; i < 500; ++i) {
        (void)ordinary.u3(0, angle(), angle(), angle());
        (void)ordinary.rx(1, angle());
        (void)ordinary.ry(0, angle());
        (void)ordinary.rz(1, angle());
        (void)ordinary.rzz(0, 1, angle());
        (void)ordinary.crk(1, 0, static_cast<std::uint64_t>(i % 70));
        (void)ordinary.sx(0);
        (void)ordinary.cy(0, 1);
    }
    auto state = statevector(seeded(1), ordinary);
    ASSERT_TRUE(state) << state.error().message();
    double norm = 0.0;
    for (std::size_t k = 0; k < 4; ++k) norm += std::norm(state->amplitudes()[k]);
    EXPECT_NEAR(norm, 1.0, 1e-9);
}

TEST(Simulator, ResetsRunShotByShot) {
    Circuit c = Circuit::create(2).value();
    (void)c.x(0), (void)c.h(1), (void)c.reset(0), (void)c.reset(1);
    (void)c.x(1);
    (void)c.measure_all();
    EXPECT_TRUE(needs_trajectories(c));
    auto counts = run(seeded(3), c, 50)->counts;
    EXPECT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts["01"], 50u);
    // A conditional reset and a conditional measurement act only when the condition holds.
    Circuit d = Circuit::create(2).value();
    (void)d.h(0), (void)d.measure(0), (void)d.x(1);
    (void)d.reset(1, Condition{{0}, 1});
    (void)d.measure_if(Condition{{0}, 0}, 1, 1);
    const QuantumResult conditional = run(seeded(4), d, 200).value();
    for (const auto& [key, count] : conditional.counts) EXPECT_TRUE(key == "01" || key == "10") << key;
    EXPECT_EQ(statevector(seeded(1), c).error().message(),
              "Simulation error: statevector is unavailable for circuits with resets");
    SimulatorConfig mps = seeded(1);
    mps.backend = Backend::mps(4);
    EXPECT_EQ(run(mps, c, 10).error().message(), "Simulation error: MPS backend does not support reset");
}

namespace {

/// FNV-1a over raw bytes: a fingerprint of exact bits.
struct Fingerprint {
    std::uint64_t value = 0xcbf29ce484222325ULL;
    void add(const void* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ static_cast<const unsigned char*>(data)[i]) * 0x100000001b3ULL;
    }
};

/// Rotations, controlled phases, a QFT and a two-qubit interaction on five qubits.
Circuit reference_circuit() {
    Circuit c = Circuit::create(5).value();
    for (std::size_t q = 0; q < 5; ++q) (void)c.rx(q, 0.3 + 0.7 * q), (void)c.ry(q, -1.1 * q);
    (void)c.u3(2, 0.4, -2.2, 1.7);
    (void)c.cnot(0, 3), (void)c.cz(4, 1), (void)c.rzz(2, 4, 0.9), (void)c.crk(1, 2, 3), (void)c.swap(0, 4);
    (void)c.qft(std::vector<std::size_t>{0, 1, 2, 3, 4});
    return c;
}

}  // namespace

TEST(Simulator, SeededResultsMatchTheReferenceBits) {
    // Fingerprints of results computed on x86-64 with AVX. Every build (SSE2, AVX, the
    // scalar kernels of other processors, any thread count) must reproduce them exactly;
    // scripts/cross-check runs this test on aarch64.
    Fingerprint amplitudes;
    const StateBuffer state = statevector(seeded(1), reference_circuit()).value();
    amplitudes.add(state.amplitudes().data(), state.amplitudes().size_bytes());
    EXPECT_EQ(amplitudes.value, 12352315663191060893ULL);

    SimulatorConfig noisy = seeded(2024);
    const NoiseChannel damping[] = {
        {ChannelKind::AmplitudeDamping, 0.3}, {ChannelKind::Depolarizing, 0.05}, {ChannelKind::PhaseDamping, 0.1}};
    noisy.noise.single_qubit_channels.assign(std::begin(damping), std::end(damping));
    noisy.noise.two_qubit_channels = noisy.noise.single_qubit_channels;
    noisy.noise.measurement_channels = {{ChannelKind::ReadoutError, 0.02}};
    Circuit measured = reference_circuit();
    (void)measured.measure_all();
    Fingerprint counts;
    const Counts unordered = run(noisy, measured, 300).value().counts;
    for (const auto& [key, count] : std::map<std::string, std::uint32_t>(unordered.begin(), unordered.end())) {
        counts.add(key.data(), key.size());
        counts.add(&count, sizeof count);
    }
    EXPECT_EQ(counts.value, 12549059927840977178ULL);

#if defined(__x86_64__)
    // The matrix-product-state backend repeats only within one architecture so far: its
    // products and SVD (Eigen, the C library) round differently on aarch64, even with
    // Eigen's vectorization off.
    SimulatorConfig mps = seeded(3);
    mps.backend = Backend::mps(4);
    Fingerprint truncated;
    const Probabilities p = probabilities(mps, reference_circuit()).value();
    truncated.add(p.values().data(), p.values().size_bytes());
    EXPECT_EQ(truncated.value, 6634687629704784507ULL);
#endif
}
