#include "quantum/simulator/kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace qelix;

namespace {

std::vector<Complex> sample_state(std::size_t n) {
    std::vector<Complex> amps(std::size_t{1} << n);
    for (std::size_t k = 0; k < amps.size(); ++k) amps[k] = {std::sin(0.37 * k + 1), std::cos(1.91 * k) - 0.25};
    // Signed zeros and a tiny value exercise the corners of the arithmetic.
    amps[1] = {-0.0, 0.0};
    amps[2] = {0.0, -0.0};
    amps[5] = {1e-310, -3e-300};
    return amps;
}

Matrix2 sample_matrix2() {
    Matrix2 m{};
    for (int k = 0; k < 4; ++k) m.re[k] = std::cos(k + 0.5), m.im[k] = std::sin(2.0 * k - 0.1);
    m.im[1] = -0.0;
    return m;
}

Matrix4 sample_matrix4() {
    Matrix4 m{};
    for (int k = 0; k < 16; ++k) m.re[k] = std::cos(0.9 * k + 0.2), m.im[k] = std::sin(1.7 * k) / 2;
    m.re[5] = 0.0;
    m.im[6] = -0.0;
    return m;
}

/// Applies a kernel over [0, groups) cut at `cuts`, which may fall inside runs.
template <class Kernel>
void in_pieces(std::size_t groups, const std::vector<std::size_t>& cuts, Kernel&& kernel) {
    std::size_t begin = 0;
    for (std::size_t cut : cuts) {
        if (cut <= begin || cut >= groups) continue;
        kernel(begin, cut);
        begin = cut;
    }
    kernel(begin, groups);
}

bool same_bits(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

}  // namespace

TEST(Kernels, EveryPathAndEverySplitGivesTheSameBits) {
    if (best_kernel_path() != KernelPath::Avx) GTEST_SKIP() << "no AVX on this processor";
    const std::size_t n = 6;
    const std::vector<std::size_t> cuts = {1, 3, 4, 7, 10, 13, 16, 21, 31};
    const Matrix2 m2 = sample_matrix2();
    const Matrix4 m4 = sample_matrix4();
    for (std::size_t t = 0; t < n; ++t) {
        std::vector<Complex> whole = sample_state(n), pieces = sample_state(n), sse = sample_state(n);
        apply_one_qubit_kernel(whole.data(), t, m2, 0, whole.size() / 2, KernelPath::Avx);
        in_pieces(whole.size() / 2, cuts, [&](std::size_t b, std::size_t e) {
            apply_one_qubit_kernel(pieces.data(), t, m2, b, e, KernelPath::Avx);
        });
        apply_one_qubit_kernel(sse.data(), t, m2, 0, sse.size() / 2, KernelPath::Sse2);
        EXPECT_TRUE(same_bits(whole, sse)) << "target " << t;
        EXPECT_TRUE(same_bits(whole, pieces)) << "target " << t;
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < n; ++b) {
            if (a == b) continue;
            std::vector<Complex> whole = sample_state(n), pieces = sample_state(n), sse = sample_state(n);
            apply_two_qubit_kernel(whole.data(), a, b, m4, 0, whole.size() / 4, KernelPath::Avx);
            in_pieces(whole.size() / 4, cuts, [&](std::size_t lo, std::size_t hi) {
                apply_two_qubit_kernel(pieces.data(), a, b, m4, lo, hi, KernelPath::Avx);
            });
            apply_two_qubit_kernel(sse.data(), a, b, m4, 0, sse.size() / 4, KernelPath::Sse2);
            EXPECT_TRUE(same_bits(whole, sse)) << "targets " << a << "," << b;
            EXPECT_TRUE(same_bits(whole, pieces)) << "targets " << a << "," << b;
        }
}
