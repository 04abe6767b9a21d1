#include "quantum/simulator/noise.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qelix;

namespace {
const char* EMPTY_REPR = "NoiseModel(single_qubit_channels=0, two_qubit_channels=0, measurement_channels=0)";
const char* HARDWARE_REPR = "NoiseModel(single_qubit_channels=3, two_qubit_channels=3, measurement_channels=1)";

double relative(double got, double want) { return std::abs(got - want) / want; }
}  // namespace

TEST(NoiseModel, ReprAndIdealness) {
    EXPECT_EQ(NoiseModel::ideal().repr(), EMPTY_REPR);
    EXPECT_EQ(NoiseModel{}.repr(), EMPTY_REPR);
    EXPECT_TRUE(NoiseModel::ideal().is_ideal());
    EXPECT_EQ(NoiseModel::ibm().repr(), HARDWARE_REPR);
    EXPECT_EQ(NoiseModel::ionq().repr(), HARDWARE_REPR);
    EXPECT_FALSE(NoiseModel::ibm().is_ideal());
    EXPECT_FALSE(NoiseModel::ionq().is_ideal());
    EXPECT_TRUE(NoiseModel::uniform(0, 0, 0).is_ideal());
    EXPECT_EQ(NoiseModel::uniform(0, 0, 0).repr(),
              "NoiseModel(single_qubit_channels=1, two_qubit_channels=1, measurement_channels=1)");
    // Only the idle list noisy still makes the model noisy, though repr does not show it.
    NoiseModel idle;
    idle.idle_channels = {{ChannelKind::BitFlip, 0.1}};
    EXPECT_FALSE(idle.is_ideal());
    EXPECT_EQ(idle.repr(), EMPTY_REPR);
}

TEST(NoiseModel, UniformClampsButKeepsNaN) {
    NoiseModel m = NoiseModel::uniform(-0.5, 2, 0.1);
    EXPECT_EQ(m.single_qubit_channels, (std::vector<NoiseChannel>{{ChannelKind::Depolarizing, 0.0}}));
    EXPECT_EQ(m.two_qubit_channels, (std::vector<NoiseChannel>{{ChannelKind::Depolarizing, 1.0}}));
    EXPECT_EQ(m.measurement_channels, (std::vector<NoiseChannel>{{ChannelKind::ReadoutError, 0.1}}));
    EXPECT_TRUE(m.idle_channels.empty());
    NoiseModel nan = NoiseModel::uniform(NAN, NAN, NAN);
    EXPECT_TRUE(std::isnan(nan.single_qubit_channels[0].probability));
    EXPECT_TRUE(nan.is_ideal());
    EXPECT_EQ(effective_probability(NAN), 0.0);
    EXPECT_EQ(effective_probability(-1), 0.0);
    EXPECT_EQ(effective_probability(3), 1.0);
}

TEST(NoiseModel, HardwareProfilesMatchTheirPublishedFigures) {
    NoiseModel ibm = NoiseModel::ibm();
    ASSERT_EQ(ibm.single_qubit_channels.size(), 3u);
    EXPECT_EQ(ibm.single_qubit_channels[0].kind, ChannelKind::Depolarizing);
    EXPECT_EQ(ibm.single_qubit_channels[1].kind, ChannelKind::AmplitudeDamping);
    EXPECT_EQ(ibm.single_qubit_channels[2].kind, ChannelKind::PhaseDamping);
    EXPECT_EQ(ibm.single_qubit_channels[0].probability, 1.0 - 0.999);
    EXPECT_EQ(ibm.two_qubit_channels[0].probability, 1.0 - 0.99);
    EXPECT_LT(relative(ibm.single_qubit_channels[1].probability, 0.000999500), 1e-5);
    EXPECT_LT(relative(ibm.single_qubit_channels[2].probability, 0.00124922), 1e-5);
    EXPECT_EQ(ibm.two_qubit_channels[1], ibm.single_qubit_channels[1]);
    EXPECT_EQ(ibm.two_qubit_channels[2], ibm.single_qubit_channels[2]);
    EXPECT_EQ(ibm.measurement_channels, (std::vector<NoiseChannel>{{ChannelKind::ReadoutError, 1.0 - 0.98}}));
    ASSERT_EQ(ibm.idle_channels.size(), 2u);
    EXPECT_LT(relative(ibm.idle_channels[0].probability, 0.000499750), 1e-5);
    EXPECT_LT(relative(ibm.idle_channels[1].probability, 0.000624610), 1e-5);

    NoiseModel ionq = NoiseModel::ionq();
    EXPECT_LT(relative(ionq.single_qubit_channels[0].probability, 0.0003), 1e-9);
    EXPECT_LT(relative(ionq.two_qubit_channels[0].probability, 0.005), 1e-9);
    EXPECT_LT(relative(ionq.single_qubit_channels[1].probability, 0.0000999950), 1e-5);
    EXPECT_LT(relative(ionq.single_qubit_channels[2].probability, 0.0000999950), 1e-5);
    EXPECT_LT(relative(ionq.measurement_channels[0].probability, 0.004), 1e-9);
    EXPECT_LT(relative(ionq.idle_channels[0].probability, 0.0000499975), 1e-5);
}

TEST(NoiseModel, HardwareEdgeParameters) {
    NoiseModel instant = NoiseModel::from_hardware(100, 80, 0, 0.99, 0.9, 0.95);
    EXPECT_EQ(instant.single_qubit_channels[1].probability, 0.0);
    EXPECT_EQ(instant.single_qubit_channels[2].probability, 0.0);
    EXPECT_EQ(instant.idle_channels[0].probability, 0.0);

    NoiseModel dead = NoiseModel::from_hardware(0, 80, 100, 0.99, 0.9, 0.95);
    EXPECT_EQ(dead.single_qubit_channels[1], (NoiseChannel{ChannelKind::AmplitudeDamping, 1.0}));
    EXPECT_EQ(dead.two_qubit_channels[1], (NoiseChannel{ChannelKind::AmplitudeDamping, 1.0}));
    EXPECT_EQ(dead.idle_channels[0], (NoiseChannel{ChannelKind::AmplitudeDamping, 0.5}));

    NoiseModel perfect = NoiseModel::from_hardware(100, 80, 100, 1.5, 2, 3);
    EXPECT_EQ(perfect.single_qubit_channels[0].probability, 0.0);
    EXPECT_EQ(perfect.two_qubit_channels[0].probability, 0.0);
    EXPECT_EQ(perfect.measurement_channels[0].probability, 0.0);

    // A NaN gate time counts as no time at all; a NaN T1 passes through as NaN.
    NoiseModel nan_time = NoiseModel::from_hardware(100, 80, NAN, 0.99, 0.9, 0.95);
    EXPECT_EQ(nan_time.single_qubit_channels[1].probability, 0.0);
    NoiseModel nan_t1 = NoiseModel::from_hardware(NAN, 80, 100, 0.99, 0.9, 0.95);
    EXPECT_TRUE(std::isnan(nan_t1.single_qubit_channels[1].probability));
}

TEST(NoiseModel, AdjustmentsNameTheArgumentTheValueGivenAndTheValueUsed) {
    EXPECT_EQ(uniform_adjustments(0, 1, 0.5), std::vector<std::string>{});
    EXPECT_EQ(
        uniform_adjustments(1.5, -INFINITY, NAN),
        (std::vector<std::string>{"single_qubit_error=1.5 was clamped to 1", "two_qubit_error=-inf was clamped to 0",
                                  "readout_error=nan is kept as NaN, so its channel never fires"}));
    // The published profiles are used as given.
    EXPECT_EQ(hardware_adjustments(100.0, 80.0, 100.0, 0.999, 0.99, 0.98), std::vector<std::string>{});
    EXPECT_EQ(hardware_adjustments(1e6, 1e6, 1e5, 0.9997, 0.995, 0.996), std::vector<std::string>{});
    EXPECT_EQ(hardware_adjustments(0, NAN, NAN, 2, -1, 0.5),
              (std::vector<std::string>{
                  "t1_us=0 is not positive: amplitude damping 1 (complete) is used after every gate",
                  "t2_us=nan is kept as NaN, so phase damping never fires", "gate_time_ns=nan was taken as 0",
                  "single_q_fidelity=2 was clamped to 1", "two_q_fidelity=-1 was clamped to 0"}));
    EXPECT_EQ(hardware_adjustments(40, 80.5, 0, 1, 0, 1),
              (std::vector<std::string>{"t2_us=80.5 exceeds 2 * t1_us = 80, which no physical qubit has"}));
    EXPECT_EQ(channel_kind_name(ChannelKind::AmplitudeDamping), "amplitude_damping");
    EXPECT_EQ(channel_kind_name(ChannelKind::ReadoutError), "readout_error");
}
