#include "quantum/mps/word.h"

namespace qelix {

std::string word_key(const OutcomeWord& word, std::span<const std::uint8_t> keys) {
    std::string key(keys.size(), '0');
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (word.bit(keys[i])) key[i] = '1';
    return key;
}

}  // namespace qelix
