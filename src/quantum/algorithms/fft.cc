#include "quantum/algorithms/fft.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "core/interrupt.h"

namespace qelix {

namespace {

/// Butterflies (or permutation steps) between two polls for an interrupt.
constexpr std::size_t POLL_STRIDE = 4096;

/// interrupted() after `work` units.
bool stop_after(std::size_t work) { return interrupted(static_cast<std::int64_t>(work)); }

/// Puts every element at the index whose bits are its own index reversed.
void bit_reverse_permute(std::span<Complex> data) {
    std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) std::swap(data[i], data[j]);
        if (i % POLL_STRIDE == 0 && stop_after(POLL_STRIDE)) return;
    }
}

}  // namespace

void inverse_fft(std::span<Complex> data) {
    std::size_t n = data.size();
    if (n == 0 || !std::has_single_bit(n)) throw InternalFault("inverse_fft needs a power-of-two length");
    if (n == 1) return;
    bit_reverse_permute(data);
    // Every twiddle is taken from sin/cos directly rather than by repeated
    // multiplication, so its error stays at one rounding however long the transform.
    std::vector<Complex> twiddle;
    twiddle.reserve(n / 2);
    for (std::size_t j = 0; j < n / 2; ++j) {
        double angle = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
        twiddle.emplace_back(std::cos(angle), std::sin(angle));
        if (j % POLL_STRIDE == 0 && stop_after(16 * POLL_STRIDE)) return;
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        std::size_t half = len / 2, stride = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < half; ++k) {
                Complex even = data[start + k];
                Complex odd = data[start + k + half] * twiddle[k * stride];
                data[start + k] = even + odd;
                data[start + k + half] = even - odd;
                if (k % POLL_STRIDE == POLL_STRIDE - 1 && stop_after(POLL_STRIDE)) return;
            }
            if (stop_after(half % POLL_STRIDE)) return;
        }
    }
}

}  // namespace qelix
