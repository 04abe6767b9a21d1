#include "quantum/circuit/observable.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace qelix {

namespace {

bool is_pauli(char c) { return c == 'X' || c == 'Y' || c == 'Z'; }

QuantumError bad_label(std::string_view label, const std::string& why) {
    return QuantumError::invalid_argument("invalid Pauli label '" + std::string(label) + "': " + why);
}

/// "Z0 X12": a letter and a decimal qubit index per blank-separated token.
Result<std::vector<PauliOnQubit>> sparse_factors(std::string_view label) {
    std::vector<PauliOnQubit> factors;
    std::size_t at = 0;
    while (true) {
        at = label.find_first_not_of(' ', at);
        if (at == std::string_view::npos) return factors;
        const std::size_t end = std::min(label.find(' ', at), label.size());
        const std::string_view token = label.substr(at, end - at);
        std::size_t qubit = 0;
        const auto [rest, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), qubit);
        if (!is_pauli(token[0]) || token.size() < 2 || ec != std::errc() || rest != token.data() + token.size())
            return std::unexpected(
                bad_label(label, "expected a letter X, Y or Z and a qubit index, got '" + std::string(token) + "'"));
        factors.push_back({qubit, token[0]});
        at = end;
    }
}

/// "ZIX": character i acts on qubit i.
Result<std::vector<PauliOnQubit>> dense_factors(std::string_view label) {
    std::vector<PauliOnQubit> factors;
    for (std::size_t q = 0; q < label.size(); ++q) {
        if (label[q] == 'I') continue;
        if (!is_pauli(label[q]))
            return std::unexpected(bad_label(label, "character " + std::to_string(q) + " is not I, X, Y or Z"));
        factors.push_back({q, label[q]});
    }
    return factors;
}

}  // namespace

Result<ObservableTerm> parse_term(double coefficient, std::string_view label) {
    const bool sparse = label.find_first_of("0123456789 ") != std::string_view::npos;
    auto factors = sparse ? sparse_factors(label) : dense_factors(label);
    if (!factors) return std::unexpected(factors.error());
    std::vector<std::size_t> qubits;
    for (const PauliOnQubit& f : *factors) qubits.push_back(f.qubit);
    std::sort(qubits.begin(), qubits.end());
    if (auto twice = std::adjacent_find(qubits.begin(), qubits.end()); twice != qubits.end())
        return std::unexpected(bad_label(label, "qubit " + std::to_string(*twice) + " appears twice"));
    return ObservableTerm{coefficient, std::move(*factors)};
}

Status check_observable(const Observable& observable, std::size_t num_qubits) {
    for (const ObservableTerm& term : observable)
        for (const PauliOnQubit& f : term.factors)
            if (f.qubit >= num_qubits) return std::unexpected(QuantumError::qubit_out_of_range(f.qubit, num_qubits));
    return {};
}

}  // namespace qelix
