#include "crypto/qrng.h"

#include <algorithm>
#include <memory>

#include "core/error.h"

namespace qelix::crypto {

namespace {

/// Batches asked of the runner at a time.
constexpr std::size_t OUTCOMES_PER_CALL = 4096;

/// Runs the batches for `n` bits, full batches first, handing each outcome and its width to `emit`; stops at a failed
/// batch.
template <class Emit>
void run_batches(std::uint64_t n, const BatchRunner& run, Emit&& emit) {
    std::array<std::uint8_t, OUTCOMES_PER_CALL> outcomes;
    for (std::uint64_t full = n / MAX_BATCH_QUBITS; full > 0;) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(full, OUTCOMES_PER_CALL));
        const std::size_t got = std::min(run(MAX_BATCH_QUBITS, std::span(outcomes).first(want)), want);
        for (std::size_t i = 0; i < got; ++i) emit(outcomes[i], MAX_BATCH_QUBITS);
        if (got < want) return;
        full -= got;
    }
    if (const std::size_t rest = n % MAX_BATCH_QUBITS; rest > 0 && run(rest, std::span(outcomes).first(1)) == 1)
        emit(outcomes[0], rest);
}

}  // namespace

std::vector<std::uint8_t> generate_bits(std::uint64_t n, const BatchRunner& run) {
    std::vector<std::uint8_t> bits;
    bits.reserve(n);
    run_batches(n, run, [&](std::uint8_t outcome, std::size_t k) {
        for (std::size_t i = 0; i < k; ++i) bits.push_back(outcome >> i & 1);
    });
    return bits;
}

Bytes pack_bits(std::span<const std::uint8_t> bits) {
    Bytes out((bits.size() + 7) / 8);
    for (std::size_t i = 0; i < bits.size(); ++i) out[i / 8] |= static_cast<std::uint8_t>((bits[i] & 1) << (i % 8));
    return out;
}

Bytes generate_bytes(std::uint64_t n, const BatchRunner& run) {
    // A full batch's outcome, bit i for its i-th qubit, is the packed byte of its 8 bits.
    Bytes out(n);
    std::size_t filled = 0;
    while (filled < out.size()) {
        const std::size_t want = std::min(out.size() - filled, OUTCOMES_PER_CALL);
        const std::size_t got = std::min(run(MAX_BATCH_QUBITS, std::span(out).subspan(filled, want)), want);
        filled += got;
        if (got < want) break;
    }
    out.resize(filled);
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
