#pragma once
#include <cstdint>
#include <cstddef>
#include <expected>
#include <stdexcept>
#include <string>

namespace qelix {

/// Kinds of recoverable failure in circuit building and simulation.
enum class QuantumErrorKind {
    EmptyCircuit,
    QubitOutOfRange,
    DuplicateQubit,
    TooManyQubits,
    QubitCountMismatch,
    MappingLengthMismatch,
    InsufficientMemory,
    InvalidShots,
    NumericalInstability,
    /// A circuit that cannot be built or run as given (gate width, classical bits, non-finite entries).
    InvalidCircuit,
    /// An algorithm or backend parameter outside its domain.
    InvalidArgument,
    /// A request the chosen backend or algorithm does not handle.
    Unsupported,
    /// A problem whose memory need exceeds what the system can provide.
    MemoryLimit,
    /// A failure during simulation itself (a decomposition or a quantity that broke down).
    Simulation,
};

/// A circuit or simulation error: a kind, its numeric fields in message order, and its text.
struct QuantumError {
    QuantumErrorKind kind;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::string text;

    /// "Circuit must have at least 1 qubit".
    static QuantumError empty_circuit();
    /// "Qubit index {index} out of range (circuit has {num_qubits} qubits)".
    static QuantumError qubit_out_of_range(std::uint64_t index, std::uint64_t num_qubits);
    /// "Two-qubit gate requires different qubits, got {first} and {second}".
    static QuantumError duplicate_qubit(std::uint64_t first, std::uint64_t second);
    /// "Circuit exceeds maximum qubit count ({requested} > {maximum})".
    static QuantumError too_many_qubits(std::uint64_t requested, std::uint64_t maximum);
    /// "Circuit qubit count mismatch ({ours} != {theirs})".
    static QuantumError qubit_count_mismatch(std::uint64_t ours, std::uint64_t theirs);
    /// "Qubit mapping length mismatch ({mapping} != {theirs})".
    static QuantumError mapping_length_mismatch(std::uint64_t mapping, std::uint64_t theirs);
    /// "Insufficient memory for {n}-qubit simulation (need {bytes} bytes)".
    static QuantumError insufficient_memory(std::uint64_t num_qubits, std::uint64_t bytes);
    /// "Shot count must be greater than zero, got {shots}".
    static QuantumError invalid_shots(std::uint32_t shots);
    /// "Numerical instability while {what}".
    static QuantumError numerical_instability(std::string what);
    /// "Simulation error: {text}", kind InvalidCircuit.
    static QuantumError invalid_circuit(std::string text);
    /// "Simulation error: {text}", kind InvalidArgument.
    static QuantumError invalid_argument(std::string text);
    /// "Simulation error: {text}", kind Unsupported.
    static QuantumError unsupported(std::string text);
    /// "Simulation error: {text}", kind MemoryLimit.
    static QuantumError memory_limit(std::string text);
    /// "Simulation error: {text}".
    static QuantumError simulation(std::string text);

    /// The user-facing message of this error.
    std::string message() const;
    bool operator==(const QuantumError&) const = default;
};

/// A value or a circuit/simulation error.
template <class T>
using Result = std::expected<T, QuantumError>;
/// Success or a circuit/simulation error.
using Status = Result<void>;

/// A broken internal invariant: a programming fault, never an expected failure.
/// It aborts only the current call; the Python layer raises it as a BaseException.
struct InternalFault : std::logic_error {
    using std::logic_error::logic_error;
};

}  // namespace qelix
