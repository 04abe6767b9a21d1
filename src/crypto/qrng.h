#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crypto/bytes.h"

namespace qelix::crypto {

/// One batch: `k` (1..8) equal-superposition qubits measured once, as '0'/'1' per qubit (qubit 0 first), or nothing.
using BatchRunner = std::function<std::optional<std::string>(std::size_t k)>;

/// Largest batch a runner is asked for.
inline constexpr std::size_t MAX_BATCH_QUBITS = 8;

/// Up to `n` random bits (0 or 1) in generation order, from batches of at most 8; a failed batch ends it early.
std::vector<std::uint8_t> generate_bits(std::uint64_t n, const BatchRunner& run);

/// Bits packed eight per byte, each group's first bit in bit 0; a final short group fills one more byte's low bits.
Bytes pack_bits(std::span<const std::uint8_t> bits);

/// Up to `n` bytes: the bits of 8·n generated bits, packed (shorter if generation stopped early).
Bytes generate_bytes(std::uint64_t n, const BatchRunner& run);

/// 64 generated bits as a little-endian integer (generated bit k is bit k); InternalFault if short.
std::uint64_t generate_u64(const BatchRunner& run);

/// 256 generated bits packed into 32 bytes; InternalFault if short.
std::array<std::uint8_t, 32> generate_seed(const BatchRunner& run);

}  // namespace qelix::crypto
