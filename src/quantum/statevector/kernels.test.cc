#include "quantum/statevector/kernels.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
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
    if (!kernel_path_supported(KernelPath::Avx)) GTEST_SKIP() << "no AVX on this processor";
    const std::size_t n = 6;
    const std::vector<std::size_t> cuts = {1, 3, 4, 7, 10, 13, 16, 21, 31};
    const Matrix2 m2 = sample_matrix2();
    const Matrix4 m4 = sample_matrix4();
    for (std::size_t t = 0; t < n; ++t) {
        std::vector<Complex> whole = sample_state(n), pieces = whole, sse = whole, scalar = whole, wide = whole;
        apply_one_qubit_kernel(whole.data(), t, m2, 0, whole.size() / 2, KernelPath::Avx);
        in_pieces(whole.size() / 2, cuts, [&](std::size_t b, std::size_t e) {
            apply_one_qubit_kernel(pieces.data(), t, m2, b, e, KernelPath::Avx);
        });
        apply_one_qubit_kernel(sse.data(), t, m2, 0, sse.size() / 2, KernelPath::Sse2);
        apply_one_qubit_kernel(scalar.data(), t, m2, 0, scalar.size() / 2, KernelPath::Scalar);
        EXPECT_TRUE(same_bits(whole, sse)) << "target " << t;
        EXPECT_TRUE(same_bits(whole, scalar)) << "target " << t;
        EXPECT_TRUE(same_bits(whole, pieces)) << "target " << t;
        if (!kernel_path_supported(KernelPath::Avx512)) continue;
        in_pieces(whole.size() / 2, cuts, [&](std::size_t b, std::size_t e) {
            apply_one_qubit_kernel(wide.data(), t, m2, b, e, KernelPath::Avx512);
        });
        EXPECT_TRUE(same_bits(whole, wide)) << "AVX-512, target " << t;
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < n; ++b) {
            if (a == b) continue;
            std::vector<Complex> whole = sample_state(n), pieces = whole, sse = whole, scalar = whole, wide = whole;
            apply_two_qubit_kernel(whole.data(), a, b, m4, 0, whole.size() / 4, KernelPath::Avx);
            in_pieces(whole.size() / 4, cuts, [&](std::size_t lo, std::size_t hi) {
                apply_two_qubit_kernel(pieces.data(), a, b, m4, lo, hi, KernelPath::Avx);
            });
            apply_two_qubit_kernel(sse.data(), a, b, m4, 0, sse.size() / 4, KernelPath::Sse2);
            apply_two_qubit_kernel(scalar.data(), a, b, m4, 0, scalar.size() / 4, KernelPath::Scalar);
            EXPECT_TRUE(same_bits(whole, sse)) << "targets " << a << "," << b;
            EXPECT_TRUE(same_bits(whole, scalar)) << "targets " << a << "," << b;
            EXPECT_TRUE(same_bits(whole, pieces)) << "targets " << a << "," << b;
            if (!kernel_path_supported(KernelPath::Avx512)) continue;
            in_pieces(whole.size() / 4, cuts, [&](std::size_t lo, std::size_t hi) {
                apply_two_qubit_kernel(wide.data(), a, b, m4, lo, hi, KernelPath::Avx512);
            });
            EXPECT_TRUE(same_bits(whole, wide)) << "AVX-512, targets " << a << "," << b;
        }
}

namespace {

/// A state of regular values with every kind of special part sprinkled at `period`:
/// signed zeros, infinities, NaN, subnormals and values whose products overflow.
std::vector<Complex> special_state(std::size_t n, std::size_t period) {
    const double specials[] = {0.0,      -0.0,    INFINITY, -INFINITY, NAN,     -NAN,
                               4.9e-324, -1e-310, 1.7e308,  -1.7e308,  DBL_MIN, -DBL_MIN};
    std::vector<Complex> amps = sample_state(n);
    std::size_t next = 0;
    for (std::size_t k = 0; k < amps.size(); ++k) {
        if (period == 0 || (k * 7 + 3) % period != 0) continue;
        const double value = specials[next++ % std::size(specials)];
        amps[k] = (k & 1) ? Complex{value, amps[k].imag()} : Complex{amps[k].real(), value};
    }
    return amps;
}

Matrix2 matrix2(const Gate& g) { return matrix2_of(g); }

/// Matrices with one nonzero entry per row, as the standard gates give them, plus
/// signed-zero and unit-with-negative-zero entries.
std::vector<Matrix2> monomial2() {
    std::vector<Matrix2> out = {matrix2(gates::x()),     matrix2(gates::y()),    matrix2(gates::z()),
                                matrix2(gates::s()),     matrix2(gates::sdg()),  matrix2(gates::t()),
                                matrix2(gates::rz(0.7)), matrix2(gates::rz(0.0))};
    Matrix2 odd{};
    odd.re[0] = -0.0, odd.im[0] = -0.0, odd.re[1] = 1.0, odd.im[1] = -0.0;
    odd.re[2] = -2.5, odd.im[2] = 1e-300, odd.re[3] = 0.0, odd.im[3] = 0.0;
    out.push_back(odd);
    return out;
}

/// Matrices whose entries are each real or imaginary, including parts small enough for a
/// product with the least normal amplitude to vanish (cos(pi/2) in Rx(pi)).
std::vector<Matrix2> pure2() {
    std::vector<Matrix2> out = {matrix2(gates::h()), matrix2(gates::rx(0.3)), matrix2(gates::ry(1.1)),
                                matrix2(gates::rx(M_PI)), matrix2(gates::ry(-2.0))};
    Matrix2 odd{};
    odd.re[0] = 0x1p-52, odd.im[0] = -0.0, odd.re[1] = -0.0, odd.im[1] = -0.75;
    odd.re[2] = 0.0, odd.im[2] = 0.5, odd.re[3] = -1.0, odd.im[3] = 0.0;
    out.push_back(odd);
    return out;
}

std::vector<Matrix4> monomial4() {
    std::vector<Matrix4> out;
    for (const Gate& g : {gates::cnot(), gates::cz(), gates::swap(), gates::cy(), gates::rzz(1.3), gates::crk(2),
                          gates::crk(7), dagger(gates::crk(3))})
        out.push_back(matrix4_of(g));
    Matrix4 odd{};  // a permutation with phases and negative zeros elsewhere
    const int column[4] = {2, 0, 3, 1};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) odd.re[4 * r + c] = -0.0, odd.im[4 * r + c] = (r + c) % 2 ? -0.0 : 0.0;
        odd.re[4 * r + column[r]] = r == 1 ? 1.0 : std::cos(r + 1.0);
        odd.im[4 * r + column[r]] = r == 1 ? -0.0 : std::sin(r + 1.0);
    }
    out.push_back(odd);
    return out;
}

/// Bitwise equal, except that any NaN matches any NaN (see KernelPath).
bool same_values(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    const auto* x = reinterpret_cast<const double*>(a.data());
    const auto* y = reinterpret_cast<const double*>(b.data());
    for (std::size_t i = 0; i < 2 * a.size(); ++i) {
        if (std::isnan(x[i]) && std::isnan(y[i])) continue;
        if (std::memcmp(x + i, y + i, sizeof(double)) != 0) return false;
    }
    return true;
}

/// The shortcut path against the general kernels.
template <class Apply>
void expect_general_values(const std::vector<Complex>& start, Apply&& apply, const std::string& what) {
    std::vector<Complex> fast = start, dense = start, sse = start, scalar = start, wide = start;
    if (kernel_path_supported(KernelPath::Avx512)) {
        apply(wide.data(), KernelPath::Avx512);
        apply(dense.data(), KernelPath::AvxDense);
        EXPECT_TRUE(same_values(wide, dense)) << what << " (AVX-512)";
        dense = start;
    }
    apply(fast.data(), KernelPath::Avx);
    apply(dense.data(), KernelPath::AvxDense);
    apply(sse.data(), KernelPath::Sse2);
    apply(scalar.data(), KernelPath::Scalar);
    EXPECT_TRUE(same_values(fast, dense)) << what;
    EXPECT_TRUE(same_values(fast, sse)) << what;
    EXPECT_TRUE(same_values(fast, scalar)) << what;
}

}  // namespace

TEST(Kernels, PairsHeldApartGiveTheInPlaceBits) {
    // The halves of the pairs in separate buffers (a far target's staging) on every path.
    const std::size_t n = 7, target = n - 1, half = std::size_t{1} << target;
    std::vector<Matrix2> matrices = {sample_matrix2(), matrix2_of(gates::x()), matrix2_of(gates::t())};
    for (const Matrix2& m : matrices)
        for (std::size_t period : {0, 5}) {
            std::vector<Complex> in_place = special_state(n, period);
            std::vector<Complex> start = in_place;
            apply_one_qubit_kernel(in_place.data(), target, m, 0, half);
            for (KernelPath path :
                 {KernelPath::Scalar, KernelPath::Sse2, KernelPath::Avx, KernelPath::AvxDense, KernelPath::Avx512}) {
                if (!kernel_path_supported(path)) continue;
                std::vector<Complex> x(start.begin(), start.begin() + half), y(start.begin() + half, start.end());
                apply_one_qubit_pairs(x.data(), y.data(), half, m, path);
                x.insert(x.end(), y.begin(), y.end());
                EXPECT_TRUE(same_values(x, in_place)) << "path " << static_cast<int>(path) << " period " << period;
            }
        }
}

TEST(Kernels, StructuredGatesKeepTheGeneralBitsOnSpecialValues) {
    if (!kernel_path_supported(KernelPath::Avx)) GTEST_SKIP() << "no AVX on this processor";
    const std::size_t n = 7;
    std::vector<Matrix2> ones = monomial2(), pure = pure2();
    ones.insert(ones.end(), pure.begin(), pure.end());
    for (std::size_t period : {0, 2, 5, 13, 61}) {
        const std::vector<Complex> start = special_state(n, period);
        for (const Matrix2& m : ones)
            for (std::size_t t = 0; t < n; ++t)
                expect_general_values(
                    start, [&](Complex* amps, KernelPath path) { apply_one_qubit_kernel(amps, t, m, 0, 64, path); },
                    "period " + std::to_string(period) + " target " + std::to_string(t));
        for (const Matrix4& m : monomial4())
            for (std::size_t a = 0; a < n; ++a)
                for (std::size_t b = 0; b < n; ++b) {
                    if (a == b) continue;
                    expect_general_values(
                        start,
                        [&](Complex* amps, KernelPath path) { apply_two_qubit_kernel(amps, a, b, m, 3, 32, path); },
                        "period " + std::to_string(period) + " targets " + std::to_string(a) + "," + std::to_string(b));
                }
    }
}

TEST(Kernels, GatesOnABasisStateKeepTheGeneralBits) {
    // Exact zeros everywhere but one amplitude: the general arithmetic turns -0 into +0
    // in places, which a plain permutation would not.
    if (!kernel_path_supported(KernelPath::Avx)) GTEST_SKIP() << "no AVX on this processor";
    std::vector<Complex> start(64);
    for (std::size_t k = 0; k < 64; ++k) start[k] = {k % 3 ? -0.0 : 0.0, k % 2 ? -0.0 : 0.0};
    start[37] = {0.6, -0.8};
    for (const Matrix4& m : monomial4())
        expect_general_values(
            start, [&](Complex* amps, KernelPath path) { apply_two_qubit_kernel(amps, 4, 2, m, 0, 16, path); }, "");
    for (const Matrix2& m : monomial2())
        expect_general_values(
            start, [&](Complex* amps, KernelPath path) { apply_one_qubit_kernel(amps, 3, m, 0, 32, path); }, "");
}

TEST(Kernels, ZeroRegionsKeepTheGeneralBits) {
    // Mostly +0, a few -0 and a few nonzero amplitudes: groups of +0 may be left alone only
    // where the general arithmetic would store +0 again.
    if (!kernel_path_supported(KernelPath::Avx)) GTEST_SKIP() << "no AVX on this processor";
    const std::size_t n = 7;
    std::vector<Complex> start(std::size_t{1} << n);
    for (std::size_t k = 0; k < start.size(); k += 9) start[k] = {std::sin(k + 0.5), k % 2 ? 0.0 : -0.25};
    for (std::size_t k = 4; k < start.size(); k += 23) start[k] = {-0.0, 0.0};
    for (std::size_t k = 6; k < start.size(); k += 31) start[k] = {0.0, -0.0};
    std::vector<Matrix2> ones = monomial2();
    ones.push_back(sample_matrix2());
    ones.push_back(matrix2(gates::h()));
    Matrix2 negative{};  // row 0 maps zeros to -0 in its real part
    negative.re[0] = -1.0, negative.im[0] = 0.0, negative.re[1] = -0.5, negative.im[1] = 0.5;
    negative.re[2] = 0.5, negative.im[2] = 0.5, negative.re[3] = -0.5, negative.im[3] = 0.5;
    ones.push_back(negative);
    for (const Matrix2& m : ones)
        for (std::size_t t = 0; t < n; ++t)
            expect_general_values(
                start, [&](Complex* amps, KernelPath path) { apply_one_qubit_kernel(amps, t, m, 0, 64, path); },
                "target " + std::to_string(t));
    std::vector<Matrix4> twos = monomial4();
    twos.push_back(sample_matrix4());
    Matrix4 negative4 = sample_matrix4();
    for (int c = 0; c < 4; ++c) negative4.re[c] = -std::abs(negative4.re[c]) - 0.1, negative4.im[c] = 0.3;
    twos.push_back(negative4);
    for (const Matrix4& m : twos)
        for (std::size_t a = 0; a < n; ++a)
            for (std::size_t b = 0; b < n; ++b) {
                if (a == b) continue;
                expect_general_values(
                    start, [&](Complex* amps, KernelPath path) { apply_two_qubit_kernel(amps, a, b, m, 0, 32, path); },
                    "targets " + std::to_string(a) + "," + std::to_string(b));
            }
}

TEST(Kernels, FusedGatesGiveTheBitsOfOneAfterTheOther) {
    if (!kernel_path_supported(KernelPath::Avx512)) GTEST_SKIP() << "no AVX-512 on this processor";
    const std::size_t n = 7;
    std::vector<Matrix2> matrices = monomial2(), pure = pure2();
    matrices.insert(matrices.end(), pure.begin(), pure.end());
    for (const Gate& g : {gates::u3(0.3, 0.2, 0.1), gates::u3(0.3, 0.2, -0.2), gates::sx()})
        matrices.push_back(matrix2(g));
    matrices.push_back(sample_matrix2());
    std::vector<Complex> zeros(std::size_t{1} << n);  // mostly +0, some -0: the zero-group shortcut
    for (std::size_t k = 0; k < zeros.size(); k += 9) zeros[k] = {std::sin(k + 0.5), k % 2 ? -0.0 : -0.25};
    const std::vector<std::vector<std::size_t>> target_sets = {{2, 3}, {6, 2}, {4, 5}, {2, 3, 4}, {6, 2, 4}, {3, 6, 5}};
    for (const std::vector<Complex>& start : {special_state(n, 0), special_state(n, 5), special_state(n, 13), zeros})
        for (std::size_t i = 0; i < matrices.size(); ++i)
            for (std::size_t j = 0; j < matrices.size(); ++j)
                for (const std::vector<std::size_t>& targets : target_sets) {
                    const Matrix2 m[3] = {matrices[i], matrices[j], matrices[(7 * i + j) % matrices.size()]};
                    std::vector<KernelGate> gates;
                    std::vector<Complex> apart = start, together = start;
                    for (std::size_t k = 0; k < targets.size(); ++k) {
                        gates.push_back({.width = 1, .targets = {targets[k], 0}, .m2 = m[k], .m4 = {}});
                        apply_one_qubit_kernel(apart.data(), targets[k], m[k], 0, 64, KernelPath::Scalar);
                    }
                    const std::size_t groups = together.size() >> targets.size();
                    if (!apply_one_qubit_fused(together.data(), gates, 0, groups, KernelPath::Avx512)) continue;
                    ASSERT_TRUE(same_values(apart, together)) << i << " " << j << " on " << targets.size();
                }
}
