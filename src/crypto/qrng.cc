#include "crypto/qrng.h"

#include <algorithm>
#include <memory>

#include "core/error.h"

namespace qelix::crypto {

namespace {

constexpr std::size_t BATCH_QUBITS = MAX_BATCH_QUBITS;

/// Feeds one batch's key to `emit` bit by bit: '1' is 1, anything else 0, at most k bits.
template <class Emit>
std::size_t emit_key(const std::string& key, std::size_t k, Emit&& emit) {
    std::size_t taken = std::min(k, key.size());
    for (std::size_t i = 0; i < taken; ++i) emit(key[i] == '1' ? 1 : 0);
    return taken;
}

/// Runs batches for `n` bits, handing every bit to `emit`; returns the number of bits made.
template <class Emit>
std::uint64_t run_batches(std::uint64_t n, const BatchRunner& run, Emit&& emit) {
    std::uint64_t pos = 0;
    while (pos < n) {
        std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(BATCH_QUBITS, n - pos));
        std::optional<std::string> key = run(k);
        if (!key) break;
        std::size_t taken = emit_key(*key, k, emit);
        pos += taken;
        // A run that yields no bits would repeat forever; treat it as a failure.
        if (taken == 0) break;
    }
    return pos;
}

/// Packs bits into a byte string as they arrive.
class Packer {
   public:
    explicit Packer(Bytes& out) : out_(out) {}
    void operator()(std::uint8_t bit) {
        if (filled_ == 0) out_.push_back(0);
        out_.back() |= static_cast<std::uint8_t>(bit << filled_);
        filled_ = (filled_ + 1) % 8;
    }

   private:
    Bytes& out_;
    unsigned filled_ = 0;
};

}  // namespace

std::vector<std::uint8_t> generate_bits(std::uint64_t n, const BatchRunner& run) {
    std::vector<std::uint8_t> bits;
    bits.reserve(n);
    run_batches(n, run, [&](std::uint8_t bit) { bits.push_back(bit); });
    return bits;
}

Bytes pack_bits(std::span<const std::uint8_t> bits) {
    Bytes out;
    out.reserve((bits.size() + 7) / 8);
    Packer pack(out);
    for (std::uint8_t bit : bits) pack(bit);
    return out;
}

Bytes generate_bytes(std::uint64_t n, const BatchRunner& run) {
    if (n > UINT64_MAX / 8) throw InternalFault("random byte count overflows the bit count");
    // Packed as generated: the 8·n bits are never held one per byte.
    Bytes out;
    out.reserve(n);
    run_batches(8 * n, run, Packer(out));
    return out;
}

std::uint64_t generate_u64(const BatchRunner& run) {
    Bytes bytes = generate_bytes(8, run);
    if (bytes.size() != 8) throw InternalFault("quantum random source produced fewer than 64 bits");
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) value |= std::uint64_t(bytes[i]) << (8 * i);
    return value;
}

std::array<std::uint8_t, 32> generate_seed(const BatchRunner& run) {
    Bytes bytes = generate_bytes(32, run);
    if (bytes.size() != 32) throw InternalFault("quantum random source produced fewer than 256 bits");
    std::array<std::uint8_t, 32> seed;
    std::ranges::copy(bytes, seed.begin());
    return seed;
}

}  // namespace qelix::crypto
