#include "core/error.h"

#include <utility>

namespace qelix {

namespace {
std::string num(std::uint64_t v) { return std::to_string(v); }
}  // namespace

QuantumError QuantumError::empty_circuit() { return {QuantumErrorKind::EmptyCircuit}; }
QuantumError QuantumError::qubit_out_of_range(std::uint64_t index, std::uint64_t num_qubits) {
    return {QuantumErrorKind::QubitOutOfRange, index, num_qubits};
}
QuantumError QuantumError::duplicate_qubit(std::uint64_t first, std::uint64_t second) {
    return {QuantumErrorKind::DuplicateQubit, first, second};
}
QuantumError QuantumError::too_many_qubits(std::uint64_t requested, std::uint64_t maximum) {
    return {QuantumErrorKind::TooManyQubits, requested, maximum};
}
QuantumError QuantumError::qubit_count_mismatch(std::uint64_t ours, std::uint64_t theirs) {
    return {QuantumErrorKind::QubitCountMismatch, ours, theirs};
}
QuantumError QuantumError::mapping_length_mismatch(std::uint64_t mapping, std::uint64_t theirs) {
    return {QuantumErrorKind::MappingLengthMismatch, mapping, theirs};
}
QuantumError QuantumError::insufficient_memory(std::uint64_t num_qubits, std::uint64_t bytes) {
    return {QuantumErrorKind::InsufficientMemory, num_qubits, bytes};
}
QuantumError QuantumError::invalid_shots(std::uint32_t shots) { return {QuantumErrorKind::InvalidShots, shots}; }
QuantumError QuantumError::numerical_instability(std::string what) {
    return {QuantumErrorKind::NumericalInstability, 0, 0, std::move(what)};
}
QuantumError QuantumError::invalid_circuit(std::string text) {
    return {QuantumErrorKind::InvalidCircuit, 0, 0, std::move(text)};
}
QuantumError QuantumError::invalid_argument(std::string text) {
    return {QuantumErrorKind::InvalidArgument, 0, 0, std::move(text)};
}
QuantumError QuantumError::unsupported(std::string text) {
    return {QuantumErrorKind::Unsupported, 0, 0, std::move(text)};
}
QuantumError QuantumError::memory_limit(std::string text) {
    return {QuantumErrorKind::MemoryLimit, 0, 0, std::move(text)};
}
QuantumError QuantumError::simulation(std::string text) {
    return {QuantumErrorKind::Simulation, 0, 0, std::move(text)};
}

std::string QuantumError::message() const {
    switch (kind) {
        case QuantumErrorKind::EmptyCircuit: return "Circuit must have at least 1 qubit";
        case QuantumErrorKind::QubitOutOfRange:
            return "Qubit index " + num(first) + " out of range (circuit has " + num(second) + " qubits)";
        case QuantumErrorKind::DuplicateQubit:
            return "Two-qubit gate requires different qubits, got " + num(first) + " and " + num(second);
        case QuantumErrorKind::TooManyQubits:
            return "Circuit exceeds maximum qubit count (" + num(first) + " > " + num(second) + ")";
        case QuantumErrorKind::QubitCountMismatch:
            return "Circuit qubit count mismatch (" + num(first) + " != " + num(second) + ")";
        case QuantumErrorKind::MappingLengthMismatch:
            return "Qubit mapping length mismatch (" + num(first) + " != " + num(second) + ")";
        case QuantumErrorKind::InsufficientMemory:
            return "Insufficient memory for " + num(first) + "-qubit simulation (need " + num(second) + " bytes)";
        case QuantumErrorKind::InvalidShots: return "Shot count must be greater than zero, got " + num(first);
        case QuantumErrorKind::NumericalInstability: return "Numerical instability while " + text;
        case QuantumErrorKind::InvalidCircuit:
        case QuantumErrorKind::InvalidArgument:
        case QuantumErrorKind::Unsupported:
        case QuantumErrorKind::MemoryLimit:
        case QuantumErrorKind::Simulation: return "Simulation error: " + text;
    }
    throw InternalFault("unknown QuantumError kind");
}

}  // namespace qelix
