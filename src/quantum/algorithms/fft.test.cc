#include "quantum/algorithms/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace qelix;

namespace {

/// The defining O(N^2) sum, as the reference.
std::vector<Complex> naive_inverse_dft(const std::vector<Complex>& in) {
    std::size_t n = in.size();
    std::vector<Complex> out(n);
    for (std::size_t x = 0; x < n; ++x)
        for (std::size_t j = 0; j < n; ++j) {
            double angle = 2.0 * std::numbers::pi * static_cast<double>((j * x) % n) / static_cast<double>(n);
            out[x] += in[j] * Complex(std::cos(angle), std::sin(angle));
        }
    return out;
}

}  // namespace

TEST(InverseFft, MatchesTheDefiningSumForEveryPowerOfTwoUpTo256) {
    for (std::size_t n = 1; n <= 256; n *= 2) {
        std::vector<Complex> data(n);
        for (std::size_t j = 0; j < n; ++j) data[j] = Complex(std::sin(0.3 * j + 1.0), std::cos(1.7 * j));
        std::vector<Complex> expected = naive_inverse_dft(data);
        inverse_fft(data);
        for (std::size_t x = 0; x < n; ++x) {
            EXPECT_NEAR(data[x].real(), expected[x].real(), 1e-10) << "n=" << n << " x=" << x;
            EXPECT_NEAR(data[x].imag(), expected[x].imag(), 1e-10) << "n=" << n << " x=" << x;
        }
    }
}

TEST(InverseFft, ConstantSpectrumGivesAnImpulseAtZero) {
    std::vector<Complex> data(1024, Complex(1.0, 0.0));
    inverse_fft(data);
    EXPECT_NEAR(data[0].real(), 1024.0, 1e-9);
    for (std::size_t x = 1; x < data.size(); ++x) EXPECT_LT(std::abs(data[x]), 1e-9) << x;
}

TEST(InverseFft, RefusesLengthsThatAreNotPowersOfTwo) {
    std::vector<Complex> data(12);
    EXPECT_THROW(inverse_fft(data), InternalFault);
    std::vector<Complex> empty;
    EXPECT_THROW(inverse_fft(empty), InternalFault);
}
