#include "quantum/simulator/noise.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

namespace qelix {

namespace {

/// e as the damping formulas write it; pow(E, x) rather than exp(x) keeps their last bits.
constexpr double E = 2.718281828459045;

double damping(double t_us, double time_constant_us) {
    if (time_constant_us <= 0.0) return 1.0;
    return clamp_probability_keep_nan(1.0 - std::pow(E, -t_us / time_constant_us));
}

/// The shortest text that reads back as `x` ("1.5", "nan", "-inf").
std::string number(double x) {
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, x);
    return std::string(text, error == std::errc{} ? end : text);
}

/// Notes an argument whose probability `p` (the argument itself, or 1 - fidelity) is NaN or
/// outside [0, 1]; `used` turns the clamped probability back into the argument's terms.
template <class Used>
void note_probability(std::vector<std::string>& notes, const char* name, double given, double p, Used used) {
    if (std::isnan(p))
        notes.push_back(std::string(name) + "=" + number(given) + " is kept as NaN, so its channel never fires");
    else if (p < 0.0 || p > 1.0)
        notes.push_back(std::string(name) + "=" + number(given) + " was clamped to " +
                        number(used(clamp_probability_keep_nan(p))));
}

/// Notes a T1 or T2 that is NaN or not positive.
void note_time_constant(std::vector<std::string>& notes, const char* name, double given, const char* damping) {
    if (std::isnan(given))
        notes.push_back(std::string(name) + "=nan is kept as NaN, so " + damping + " damping never fires");
    else if (given <= 0.0)
        notes.push_back(std::string(name) + "=" + number(given) + " is not positive: " + damping +
                        " damping 1 (complete) is used after every gate");
}

}  // namespace

std::string_view channel_kind_name(ChannelKind kind) {
    switch (kind) {
        case ChannelKind::Depolarizing: return "depolarizing";
        case ChannelKind::AmplitudeDamping: return "amplitude_damping";
        case ChannelKind::PhaseDamping: return "phase_damping";
        case ChannelKind::BitFlip: return "bit_flip";
        case ChannelKind::PhaseFlip: return "phase_flip";
        case ChannelKind::ReadoutError: return "readout_error";
    }
    return "unknown";
}

std::vector<std::string> uniform_adjustments(double single_qubit_error, double two_qubit_error, double readout_error) {
    std::vector<std::string> notes;
    for (auto [name, given] :
         {std::pair{"single_qubit_error", single_qubit_error}, std::pair{"two_qubit_error", two_qubit_error},
          std::pair{"readout_error", readout_error}})
        note_probability(notes, name, given, given, [](double p) { return p; });
    return notes;
}

std::vector<std::string> hardware_adjustments(double t1_us, double t2_us, double gate_time_ns, double single_q_fidelity,
                                              double two_q_fidelity, double readout_fidelity) {
    std::vector<std::string> notes;
    note_time_constant(notes, "t1_us", t1_us, "amplitude");
    note_time_constant(notes, "t2_us", t2_us, "phase");
    if (t1_us > 0.0 && t2_us > 2.0 * t1_us)
        notes.push_back("t2_us=" + number(t2_us) + " exceeds 2 * t1_us = " + number(2.0 * t1_us) +
                        ", which no physical qubit has");
    if (!(gate_time_ns >= 0.0)) notes.push_back("gate_time_ns=" + number(gate_time_ns) + " was taken as 0");
    for (auto [name, given] :
         {std::pair{"single_q_fidelity", single_q_fidelity}, std::pair{"two_q_fidelity", two_q_fidelity},
          std::pair{"readout_fidelity", readout_fidelity}})
        note_probability(notes, name, given, 1.0 - given, [](double p) { return 1.0 - p; });
    return notes;
}

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
