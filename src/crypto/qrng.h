#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "crypto/bytes.h"

namespace qelix::crypto {

/// Runs batches of `k` (1..8) qubits in equal superposition, each measured once: fills
/// `outcomes` with one number per batch whose bit i is qubit i's result, and returns how
/// many it filled (fewer than asked when a run failed).
using BatchRunner = std::function<std::size_t(std::size_t k, std::span<std::uint8_t> outcomes)>;

/// Largest batch a runner is asked for.
inline constexpr std::size_t MAX_BATCH_QUBITS = 8;

/// Up to `n` random bits (each 0 or 1) in generation order, from batches of at most 8.
/// Generation stops early, returning the bits so far, at the first failed batch.
std::vector<std::uint8_t> generate_bits(std::uint64_t n, const BatchRunner& run);

/// Packs bits into bytes, eight per byte, the first bit of each group in bit 0;
/// a final incomplete group fills the low bits of one more byte.
Bytes pack_bits(std::span<const std::uint8_t> bits);

/// Up to `n` bytes: the bits of 8·n generated bits, packed (shorter if generation stopped early).
Bytes generate_bytes(std::uint64_t n, const BatchRunner& run);

/// 64 generated bits as a little-endian integer (generated bit k is bit k); InternalFault if short.
std::uint64_t generate_u64(const BatchRunner& run);

/// 256 generated bits packed into 32 bytes; InternalFault if short.
std::array<std::uint8_t, 32> generate_seed(const BatchRunner& run);

}  // namespace qelix::crypto
