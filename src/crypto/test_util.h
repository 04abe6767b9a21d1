#pragma once
// Helpers shared by the cryptography tests.
#include <string>
#include <string_view>

#include "crypto/bytes.h"

namespace qelix::crypto::testing {

/// Lower-case hexadecimal spelling of `bytes`.
inline std::string to_hex(ByteView bytes) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += DIGITS[b >> 4];
        out += DIGITS[b & 15];
    }
    return out;
}

/// The bytes of an ASCII text.
inline ByteView ascii(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace qelix::crypto::testing
