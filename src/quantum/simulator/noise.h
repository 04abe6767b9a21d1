#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qelix {

/// The error processes a noise channel can model.
enum class ChannelKind { Depolarizing, AmplitudeDamping, PhaseDamping, BitFlip, PhaseFlip, ReadoutError };

/// One channel of a noise list: its kind and parameter, clamped to [0, 1] again at use.
struct NoiseChannel {
    ChannelKind kind;
    double probability;
    bool operator==(const NoiseChannel&) const = default;
};

/// Hardware noise injected by noisy runs: four ordered channel lists.
struct NoiseModel {
    /// After every one-qubit gate, on its qubit.
    std::vector<NoiseChannel> single_qubit_channels;
    /// After every wider gate, on each of its qubits.
    std::vector<NoiseChannel> two_qubit_channels;
    /// On every recorded measurement bit.
    std::vector<NoiseChannel> measurement_channels;
    /// On each qubit a barrier names.
    std::vector<NoiseChannel> idle_channels;

    /// No channels at all.
    static NoiseModel ideal();
    /// Depolarizing after gates and a readout error, each probability clamped to [0, 1].
    static NoiseModel uniform(double single_qubit_error, double two_qubit_error, double readout_error);
    /// Depolarizing, amplitude and phase damping derived from T1/T2 (microseconds), the
    /// gate time (nanoseconds) and the fidelities.
    static NoiseModel from_hardware(double t1_us, double t2_us, double gate_time_ns, double single_q_fidelity,
                                    double two_q_fidelity, double readout_fidelity);
    /// A superconducting profile.
    static NoiseModel ibm();
    /// A trapped-ion profile.
    static NoiseModel ionq();

    /// True when no channel can fire: none has a probability above 0 (NaN counts as 0).
    bool is_ideal() const;
    /// "NoiseModel(single_qubit_channels=.., two_qubit_channels=.., measurement_channels=..)".
    std::string repr() const;

    bool operator==(const NoiseModel&) const = default;
};

/// The kind's name as Python shows it: "depolarizing", "amplitude_damping", ...
std::string_view channel_kind_name(ChannelKind kind);

/// What NoiseModel::uniform does not take as given, one text per argument, each naming
/// the argument, the value given and the value used ("single_qubit_error=1.5 was clamped
/// to 1"); empty when every argument is used as given. The Python layer warns with them.
std::vector<std::string> uniform_adjustments(double single_qubit_error, double two_qubit_error, double readout_error);
/// The same for NoiseModel::from_hardware, plus a note when T2 > 2 T1, which no physical
/// qubit has (the model is built all the same).
std::vector<std::string> hardware_adjustments(double t1_us, double t2_us, double gate_time_ns, double single_q_fidelity,
                                              double two_q_fidelity, double readout_fidelity);

/// min(1, max(0, p)) with a NaN kept as NaN, as the constructors store it.
double clamp_probability_keep_nan(double p);
/// The probability a channel acts with: clamped to [0, 1], NaN treated as 0 so that
/// a NaN parameter never fires and never rescales a state.
double effective_probability(double p);

}  // namespace qelix
