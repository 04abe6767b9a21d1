#include "quantum/simulator/trajectory.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelix;

namespace {

/// apply_channels through a run of the state's own, applied at the end.
Status channels_on(StateBuffer& state, std::size_t qubit, std::span<const NoiseChannel> channels, SeededRng& rng) {
    GateRun run(state, false);
    Status ok = apply_channels(run, qubit, channels, rng);
    run.flush();
    return ok;
}

NoiseModel measurement_only(NoiseChannel channel) {
    NoiseModel m;
    m.measurement_channels = {channel};
    return m;
}

NoiseModel after_one_qubit_gates(std::vector<NoiseChannel> channels) {
    NoiseModel m;
    m.single_qubit_channels = std::move(channels);
    return m;
}

QuantumResult run(const Circuit& c, std::uint32_t shots, const NoiseModel* model, std::uint64_t seed = 1) {
    SeededRng rng = SeededRng::from_seed_u64(seed);
    return run_trajectories(c, shots, rng, false, model).value();
}

/// True when `a` has consumed exactly the draws `b` has.
bool in_step(SeededRng& a, SeededRng& b) {
    for (int i = 0; i < 4; ++i)
        if (a.next_u32() != b.next_u32()) return false;
    return true;
}

}  // namespace

TEST(Trajectory, KeysComeFromTheClassicalRegister) {
    Circuit none = Circuit::create(2).value();
    (void)none.h(0);
    QuantumResult r = run(none, 10, nullptr);
    EXPECT_EQ(r.counts, (Counts{{"", 10}}));
    EXPECT_EQ(r.num_bits, 0u);

    // Qubit 1 measured into bit 2 of a 3-bit register: only that character can be 1.
    Circuit c = Circuit::with_classical_bits(2, 3).value();
    (void)c.x(1);
    (void)c.measure_into(1, 2);
    (void)c.x(0);
    EXPECT_EQ(run(c, 5, nullptr).counts, (Counts{{"001", 5}}));
}

TEST(Trajectory, NoiselessRunsDrawOnlyForMeasurements) {
    Circuit c = Circuit::create(1).value();
    (void)c.h(0);
    (void)c.measure(0);
    (void)c.h(0);
    (void)c.measure(0);
    SeededRng a = SeededRng::from_seed_u64(4), b = SeededRng::from_seed_u64(4);
    QuantumResult r = run_trajectories(c, 50, a, false, nullptr).value();
    for (int i = 0; i < 100; ++i) b.next_f64();
    EXPECT_TRUE(in_step(a, b));
    EXPECT_EQ(r.total_shots, 50u);
    EXPECT_EQ(r.counts.size(), 4u);
}

TEST(Trajectory, ReadoutChannelsActOnTheRecordOnly) {
    // BitFlip(1) inverts the record while the state stays collapsed: measuring again
    // (flipped twice) reads the true value.
    Circuit c = Circuit::create(1).value();
    (void)c.x(0);
    (void)c.measure(0);
    (void)c.measure(0);
    NoiseModel flip = measurement_only({ChannelKind::BitFlip, 1.0});
    EXPECT_EQ(run(c, 20, &flip).counts, (Counts{{"00", 20}}));
    NoiseModel readout = measurement_only({ChannelKind::ReadoutError, 1.0});
    EXPECT_EQ(run(c, 20, &readout).counts, (Counts{{"00", 20}}));

    // Depolarizing(1) replaces the record with a fair coin.
    Circuit zero = Circuit::create(1).value();
    (void)zero.measure(0);
    NoiseModel coin = measurement_only({ChannelKind::Depolarizing, 1.0});
    QuantumResult r = run(zero, 4000, &coin);
    EXPECT_NEAR(r.probability("1"), 0.5, 0.04);

    // Kinds without a readout effect draw nothing there.
    for (ChannelKind kind : {ChannelKind::AmplitudeDamping, ChannelKind::PhaseDamping, ChannelKind::PhaseFlip}) {
        SeededRng a = SeededRng::from_seed_u64(2), b = SeededRng::from_seed_u64(2);
        std::vector<NoiseChannel> channels{{kind, 1.0}};
        EXPECT_EQ(apply_readout_channels(1, channels, a), 1u);
        EXPECT_TRUE(in_step(a, b));
    }
}

TEST(Trajectory, EveryChannelDrawsAsPrescribedEvenAtZero) {
    struct Case {
        ChannelKind kind;
        int f64_draws;
    } cases[] = {{ChannelKind::Depolarizing, 1}, {ChannelKind::AmplitudeDamping, 0}, {ChannelKind::PhaseDamping, 1},
                 {ChannelKind::BitFlip, 1},      {ChannelKind::PhaseFlip, 1},        {ChannelKind::ReadoutError, 0}};
    for (const Case& k : cases) {
        StateBuffer state = StateBuffer::allocate(2).value();
        SeededRng a = SeededRng::from_seed_u64(8), b = SeededRng::from_seed_u64(8);
        std::vector<NoiseChannel> channels{{k.kind, 0.0}};
        ASSERT_TRUE(channels_on(state, 1, channels, a).has_value());
        for (int i = 0; i < k.f64_draws; ++i) b.next_f64();
        EXPECT_TRUE(in_step(a, b)) << static_cast<int>(k.kind);
        EXPECT_EQ(state.amplitudes()[0], Complex(1, 0));
    }
}

TEST(Trajectory, CertainChannelsApplyTheirOperators) {
    auto single = [](ChannelKind kind, double p, std::size_t qubit, StateBuffer& state, SeededRng& rng) {
        std::vector<NoiseChannel> channels{{kind, p}};
        return channels_on(state, qubit, channels, rng);
    };
    SeededRng rng = SeededRng::from_seed_u64(6);
    StateBuffer state = StateBuffer::allocate(2).value();
    ASSERT_TRUE(single(ChannelKind::BitFlip, 1.0, 1, state, rng));
    EXPECT_EQ(state.amplitudes()[2], Complex(1, 0));
    ASSERT_TRUE(single(ChannelKind::PhaseFlip, 1.0, 1, state, rng));
    EXPECT_EQ(state.amplitudes()[2], Complex(-1, 0));
    // PhaseDamping fires with p/2, so p = 1 is a coin; p is capped there.
    int fired = 0;
    for (int i = 0; i < 2000; ++i) {
        double before = state.amplitudes()[2].real();
        ASSERT_TRUE(single(ChannelKind::PhaseDamping, 1.0, 1, state, rng));
        fired += state.amplitudes()[2].real() != before;
    }
    EXPECT_NEAR(fired / 2000.0, 0.5, 0.05);

    // Depolarizing(1): the Pauli follows the rejection draw on next_u32 * 3.
    SeededRng a = SeededRng::from_seed_u64(12), b = SeededRng::from_seed_u64(12);
    for (int i = 0; i < 30; ++i) {
        StateBuffer s = StateBuffer::allocate(1).value();
        ASSERT_TRUE(single(ChannelKind::Depolarizing, 1.0, 0, s, a));
        b.next_f64();
        std::uint64_t t;
        do t = std::uint64_t{b.next_u32()} * 3;
        while ((t & 0xffffffff) > 3221225471ULL);
        Complex expect1 = (t >> 32) == 0 ? Complex(1, 0) : (t >> 32) == 1 ? Complex(0, 1) : Complex(0, 0);
        EXPECT_EQ(s.amplitudes()[1], expect1);
        EXPECT_EQ(s.amplitudes()[0], (t >> 32) == 2 ? Complex(1, 0) : Complex(0, 0));
    }
}

TEST(Trajectory, AmplitudeDampingJumps) {
    NoiseModel full = after_one_qubit_gates({{ChannelKind::AmplitudeDamping, 1.0}});
    Circuit one = Circuit::create(1).value();
    (void)one.x(0);
    (void)one.measure(0);
    EXPECT_EQ(run(one, 50, &full).counts, (Counts{{"0", 50}}));
    Circuit plus = Circuit::create(1).value();
    (void)plus.h(0);
    (void)plus.measure(0);
    EXPECT_EQ(run(plus, 50, &full).counts, (Counts{{"0", 50}}));
    // On |0> the damping may draw but never changes the state.
    Circuit zero = Circuit::create(1).value();
    (void)zero.z(0);
    (void)zero.measure(0);
    EXPECT_EQ(run(zero, 50, &full).counts, (Counts{{"0", 50}}));

    // Partial damping keeps the state normalised whichever branch is taken.
    SeededRng rng = SeededRng::from_seed_u64(10);
    for (int i = 0; i < 200; ++i) {
        StateBuffer s = StateBuffer::allocate(2).value();
        s.apply_one_qubit(0, gates::h(), false);
        s.apply_one_qubit(1, gates::ry(1.0), false);
        std::vector<NoiseChannel> channels{{ChannelKind::AmplitudeDamping, 0.4}};
        ASSERT_TRUE(channels_on(s, 1, channels, rng));
        double total = 0;
        for (double p : s.probabilities()) total += p;
        ASSERT_NEAR(total, 1.0, 1e-12);
    }
}

TEST(Trajectory, DampingFollowsTheLiteralFormulaBitForBit) {
    for (std::size_t qubit : {0u, 1u, 2u})
        for (std::uint64_t seed = 0; seed < 6; ++seed) {
            StateBuffer s = StateBuffer::allocate(3).value();
            for (std::size_t k = 0; k < 8; ++k) s.amplitudes()[k] = {std::cos(k + 0.3) / 2, std::sin(2.0 * k) / 3};
            std::vector<Complex> a(s.amplitudes().begin(), s.amplitudes().end());
            const double gamma = 0.45;
            SeededRng rng = SeededRng::from_seed_u64(seed), twin = SeededRng::from_seed_u64(seed);
            std::vector<NoiseChannel> channels{{ChannelKind::AmplitudeDamping, gamma}};
            ASSERT_TRUE(channels_on(s, qubit, channels, rng));

            const std::size_t mask = std::size_t{1} << qubit;
            double p1 = 0;
            for (std::size_t k = 0; k < 8; ++k)
                if (k & mask) p1 += a[k].real() * a[k].real() + a[k].imag() * a[k].imag();
            const double u = twin.next_f64(), pj = gamma * p1;
            for (std::size_t i = 0; i < 8; ++i) {
                if (i & mask) continue;
                const std::size_t j = i | mask;
                if (pj > u) {
                    a[i] = {a[j].real() / std::sqrt(p1), a[j].imag() / std::sqrt(p1)};
                    a[j] = {0, 0};
                } else {
                    const double norm = std::sqrt(1 - pj), keep = std::sqrt(1 - gamma);
                    a[i] = {a[i].real() / norm, a[i].imag() / norm};
                    a[j] = {a[j].real() * keep / norm, a[j].imag() * keep / norm};
                }
            }
            for (std::size_t k = 0; k < 8; ++k) ASSERT_EQ(s.amplitudes()[k], a[k]) << qubit << " " << seed << " " << k;
        }
}

TEST(Trajectory, NaNProbabilitiesNeverFireOrSpoilTheState) {
    for (ChannelKind kind : {ChannelKind::Depolarizing, ChannelKind::AmplitudeDamping, ChannelKind::PhaseDamping,
                             ChannelKind::BitFlip, ChannelKind::PhaseFlip}) {
        NoiseModel m = after_one_qubit_gates({{kind, NAN}, {ChannelKind::BitFlip, 0.0}});
        m.measurement_channels = {{kind, NAN}};
        Circuit c = Circuit::create(1).value();
        (void)c.h(0);
        (void)c.measure(0);
        (void)c.h(0);
        (void)c.h(0);
        (void)c.measure(0);
        QuantumResult r = run(c, 200, &m);
        // Without noise the two measurements always agree.
        EXPECT_EQ(r.counts["01"] + r.counts["10"], 0u) << static_cast<int>(kind);

        StateBuffer s = StateBuffer::allocate(1).value();
        s.apply_one_qubit(0, gates::h(), false);
        SeededRng rng = SeededRng::from_seed_u64(1);
        ASSERT_TRUE(channels_on(s, 0, m.single_qubit_channels, rng));
        for (Complex a : s.amplitudes()) EXPECT_EQ(a.real(), FRAC_1_SQRT_2);
    }
}

TEST(Trajectory, FalseConditionsDrawNothingAndGetNoNoise) {
    NoiseModel noisy = after_one_qubit_gates({{ChannelKind::BitFlip, 1.0}});
    Circuit c = Circuit::create(2).value();
    (void)c.measure(0);  // always 0
    (void)c.append_conditional({0}, 1, gates::x(), {1});
    SeededRng a = SeededRng::from_seed_u64(3), b = SeededRng::from_seed_u64(3);
    ASSERT_TRUE(run_trajectories(c, 10, a, false, &noisy));
    for (int i = 0; i < 10; ++i) b.next_f64();  // the measurements only
    EXPECT_TRUE(in_step(a, b));

    // A true condition applies the gate and then its noise (BitFlip(1) undoes the X).
    Circuit t = Circuit::create(2).value();
    (void)t.measure(0);
    (void)t.append_conditional({0}, 0, gates::x(), {1});
    (void)t.measure(1);
    EXPECT_EQ(run(t, 10, nullptr).counts, (Counts{{"01", 10}}));
    EXPECT_EQ(run(t, 10, &noisy).counts, (Counts{{"00", 10}}));
}

TEST(Trajectory, ConditionsCompareTheListedBitsLeastSignificantFirst) {
    Circuit c = Circuit::create(3).value();
    (void)c.x(1);
    (void)c.measure(0);  // bit 0 = 0
    (void)c.measure(1);  // bit 1 = 1
    // Bits listed [1, 0] read as value 0b01 = 1; listed [0, 1] as 0b10 = 2.
    (void)c.append_conditional({1, 0}, 1, gates::x(), {2});
    (void)c.append_conditional({0, 1}, 1, gates::x(), {0});
    (void)c.measure(2);
    (void)c.measure(0);
    EXPECT_EQ(run(c, 3, nullptr).counts, (Counts{{"0110", 3}}));

    // A condition over more than 64 bits holds only if the bits past the 64th are 0.
    Circuit wide = Circuit::with_classical_bits(2, 70).value();
    (void)wide.x(0);
    (void)wide.measure_into(0, 69);
    std::vector<std::size_t> bits(70);
    for (std::size_t i = 0; i < 70; ++i) bits[i] = i;
    (void)wide.append_conditional(bits, 0, gates::x(), {1});
    (void)wide.measure_into(1, 0);
    EXPECT_EQ(run(wide, 2, nullptr).counts.begin()->first[0], '0');
}

TEST(Trajectory, BarriersApplyIdleNoiseToTheirQubitsOnly) {
    NoiseModel idle;
    idle.idle_channels = {{ChannelKind::BitFlip, 1.0}};
    Circuit c = Circuit::create(3).value();
    (void)c.barrier({0, 2});
    (void)c.measure_all();
    EXPECT_EQ(run(c, 5, &idle).counts, (Counts{{"101", 5}}));
    EXPECT_EQ(run(c, 5, nullptr).counts, (Counts{{"000", 5}}));
}

TEST(Trajectory, TwoQubitGatesNoiseEachOperandWithTheTwoQubitList) {
    NoiseModel m;
    m.two_qubit_channels = {{ChannelKind::BitFlip, 1.0}};
    m.single_qubit_channels = {{ChannelKind::PhaseFlip, 1.0}};
    Circuit c = Circuit::create(3).value();
    (void)c.cnot(2, 0);
    (void)c.measure_all();
    EXPECT_EQ(run(c, 5, &m).counts, (Counts{{"101", 5}}));
}

TEST(Trajectory, SeededRunsRepeatAndErrorsEndTheRun) {
    Circuit c = Circuit::create(3).value();
    (void)c.h(0);
    (void)c.cnot(0, 1);
    (void)c.rx(2, 0.7);
    (void)c.barrier_all();
    (void)c.measure_all();
    NoiseModel ibm = NoiseModel::ibm();
    EXPECT_EQ(run(c, 300, &ibm, 77).counts, run(c, 300, &ibm, 77).counts);

    Circuit broken = Circuit::create(1).value();
    (void)broken.rx(0, NAN);
    (void)broken.measure(0);
    SeededRng rng = SeededRng::from_seed_u64(1);
    EXPECT_EQ(run_trajectories(broken, 3, rng, false, nullptr).error().kind, QuantumErrorKind::NumericalInstability);

    Circuit huge = Circuit::create(50).value();
    (void)huge.measure(0);
    EXPECT_EQ(run_trajectories(huge, 3, rng, false, nullptr).error(),
              QuantumError::insufficient_memory(50, std::uint64_t{16} << 50));
}
