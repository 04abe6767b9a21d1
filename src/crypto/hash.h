#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "crypto/bytes.h"

namespace qelix::crypto {

/// A SHA3-256 digest.
using Sha3_256Digest = std::array<std::uint8_t, 32>;
/// A SHA3-512 digest.
using Sha3_512Digest = std::array<std::uint8_t, 64>;

/// SHA3-256 of `data`.
Sha3_256Digest sha3_256(ByteView data);
/// SHA3-256 of the concatenation of `parts`, without building the concatenation.
Sha3_256Digest sha3_256_concat(std::initializer_list<ByteView> parts);
/// SHA3-512 of `data`.
Sha3_512Digest sha3_512(ByteView data);
/// SHAKE128 of `data`, squeezed to fill all of `out`.
void shake128(ByteView data, std::span<std::uint8_t> out);
/// SHAKE256 of `data`, squeezed to fill all of `out`.
void shake256(ByteView data, std::span<std::uint8_t> out);

}  // namespace qelix::crypto
