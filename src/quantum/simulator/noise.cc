#include "quantum/simulator/noise.h"

#include <algorithm>
#include <cmath>

namespace qelix {

namespace {

/// e as the damping formulas write it; pow(E, x) rather than exp(x) keeps their last bits.
constexpr double E = 2.718281828459045;

double damping(double t_us, double time_constant_us) {
    if (time_constant_us <= 0.0) return 1.0;
    return clamp_probability_keep_nan(1.0 - std::pow(E, -t_us / time_constant_us));
}

}  // namespace

double clamp_probability_keep_nan(double p) {
    if (std::isnan(p)) return p;
    return std::min(1.0, std::max(0.0, p));
}

double effective_probability(double p) {
    if (std::isnan(p)) return 0.0;
    return std::min(1.0, std::max(0.0, p));
}

NoiseModel NoiseModel::ideal() { return {}; }

NoiseModel NoiseModel::uniform(double single_qubit_error, double two_qubit_error, double readout_error) {
    NoiseModel m;
    m.single_qubit_channels = {{ChannelKind::Depolarizing, clamp_probability_keep_nan(single_qubit_error)}};
    m.two_qubit_channels = {{ChannelKind::Depolarizing, clamp_probability_keep_nan(two_qubit_error)}};
    m.measurement_channels = {{ChannelKind::ReadoutError, clamp_probability_keep_nan(readout_error)}};
    return m;
}

NoiseModel NoiseModel::from_hardware(double t1_us, double t2_us, double gate_time_ns, double single_q_fidelity,
                                     double two_q_fidelity, double readout_fidelity) {
    double t = gate_time_ns / 1000.0;
    if (!(t > 0.0)) t = 0.0;
    const double gamma1 = damping(t, t1_us);
    const double gamma2 = damping(t, t2_us);
    NoiseModel m;
    m.single_qubit_channels = {{ChannelKind::Depolarizing, clamp_probability_keep_nan(1.0 - single_q_fidelity)},
                               {ChannelKind::AmplitudeDamping, gamma1},
                               {ChannelKind::PhaseDamping, gamma2}};
    m.two_qubit_channels = {{ChannelKind::Depolarizing, clamp_probability_keep_nan(1.0 - two_q_fidelity)},
                            {ChannelKind::AmplitudeDamping, gamma1},
                            {ChannelKind::PhaseDamping, gamma2}};
    m.measurement_channels = {{ChannelKind::ReadoutError, clamp_probability_keep_nan(1.0 - readout_fidelity)}};
    m.idle_channels = {{ChannelKind::AmplitudeDamping, clamp_probability_keep_nan(gamma1 * 0.5)},
                       {ChannelKind::PhaseDamping, clamp_probability_keep_nan(gamma2 * 0.5)}};
    return m;
}

NoiseModel NoiseModel::ibm() { return from_hardware(100.0, 80.0, 100.0, 0.999, 0.99, 0.98); }

NoiseModel NoiseModel::ionq() { return from_hardware(1000000.0, 1000000.0, 100000.0, 0.9997, 0.995, 0.996); }

bool NoiseModel::is_ideal() const {
    for (const auto* list : {&single_qubit_channels, &two_qubit_channels, &measurement_channels, &idle_channels})
        for (const NoiseChannel& channel : *list)
            if (channel.probability > 0.0) return false;
    return true;
}

std::string NoiseModel::repr() const {
    return "NoiseModel(single_qubit_channels=" + std::to_string(single_qubit_channels.size()) +
           ", two_qubit_channels=" + std::to_string(two_qubit_channels.size()) +
           ", measurement_channels=" + std::to_string(measurement_channels.size()) + ")";
}

}  // namespace qelix
