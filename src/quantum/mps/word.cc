#include "quantum/mps/word.h"

namespace qelix {

std::string word_key(const OutcomeWord& word, const std::vector<std::size_t>& measured, std::size_t num_qubits) {
    std::string key;
    if (measured.empty()) {
        key.resize(num_qubits);
        for (std::size_t q = 0; q < num_qubits; ++q) key[q] = word.bit(q) ? '1' : '0';
    } else {
        key.resize(measured.size());
        for (std::size_t i = 0; i < measured.size(); ++i) key[i] = word.bit(measured[i]) ? '1' : '0';
    }
    return key;
}

}  // namespace qelix
