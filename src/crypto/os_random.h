#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace qelix::crypto {

/// Fills `out` from the kernel's secure random source; throws InternalFault if it fails,
/// so callers never proceed with weak or missing bytes.
void fill_os_random(std::span<std::uint8_t> out);

}  // namespace qelix::crypto

extern "C" {
/// PQClean's randomness hook: fills `out[0..n)` from the kernel's secure random source, returns 0.
int PQCLEAN_randombytes(std::uint8_t* out, std::size_t n);
}
