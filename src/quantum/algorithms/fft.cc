#include "quantum/algorithms/fft.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace qelix {

namespace {

/// Puts every element at the index whose bits are its own index reversed.
void bit_reverse_permute(std::span<Complex> data) {
    std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) std::swap(data[i], data[j]);
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
    std::vector<Complex> twiddle(n / 2);
    for (std::size_t j = 0; j < n / 2; ++j) {
        double angle = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
        twiddle[j] = Complex(std::cos(angle), std::sin(angle));
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        std::size_t half = len / 2, stride = n / len;
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < half; ++k) {
                Complex even = data[start + k];
                Complex odd = data[start + k + half] * twiddle[k * stride];
                data[start + k] = even + odd;
                data[start + k + half] = even - odd;
            }
        }
    }
}

}  // namespace qelix
