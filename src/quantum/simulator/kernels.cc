#include "quantum/simulator/kernels.h"

#include <emmintrin.h>

#include <algorithm>

#include "quantum/circuit/error.h"

namespace qelix {

namespace {

/// A matrix entry laid out for one SSE2 complex product: (mr, mr) and (-mi, mi).
struct Entry {
    __m128d re;
    __m128d im;
};

inline Entry entry(double re, double im) { return {_mm_set1_pd(re), _mm_set_pd(im, -im)}; }

/// m * a as (mr*ar - mi*ai, mr*ai + mi*ar). Adding the negated product is the
/// same IEEE operation as subtracting it, so this is the scalar formula exactly.
inline __m128d product(const Entry& m, __m128d a) {
    __m128d swapped = _mm_shuffle_pd(a, a, 1);
    return _mm_add_pd(_mm_mul_pd(m.re, a), _mm_mul_pd(m.im, swapped));
}

/// Inserts a zero bit at position `bit` of `value`.
inline std::size_t insert_zero(std::size_t value, std::size_t bit) {
    std::size_t low = value & ((std::size_t{1} << bit) - 1);
    return ((value >> bit) << (bit + 1)) | low;
}

inline double* as_doubles(Complex* amps) { return reinterpret_cast<double*>(amps); }

}  // namespace

Matrix2 matrix2_of(const Gate& gate) {
    if (gate.num_qubits != 1 || gate.matrix.size() != 4)
        throw InternalFault("one-qubit kernel given gate '" + gate.name + "'");
    Matrix2 m{};
    for (int k = 0; k < 4; ++k) {
        m.re[k] = gate.matrix[k].real();
        m.im[k] = gate.matrix[k].imag();
    }
    return m;
}

Matrix4 matrix4_of(const Gate& gate) {
    if (gate.num_qubits != 2 || gate.matrix.size() != 16)
        throw InternalFault("two-qubit kernel given gate '" + gate.name + "'");
    Matrix4 m{};
    for (int k = 0; k < 16; ++k) {
        m.re[k] = gate.matrix[k].real();
        m.im[k] = gate.matrix[k].imag();
    }
    return m;
}

void apply_one_qubit_kernel(Complex* amps, std::size_t target, const Matrix2& m, std::size_t begin,
                            std::size_t end) {
    const Entry m00 = entry(m.re[0], m.im[0]), m01 = entry(m.re[1], m.im[1]);
    const Entry m10 = entry(m.re[2], m.im[2]), m11 = entry(m.re[3], m.im[3]);
    double* d = as_doubles(amps);
    auto pair = [&](std::size_t i, std::size_t j) {
        __m128d a0 = _mm_load_pd(d + 2 * i);
        __m128d a1 = _mm_load_pd(d + 2 * j);
        _mm_store_pd(d + 2 * i, _mm_add_pd(product(m00, a0), product(m01, a1)));
        _mm_store_pd(d + 2 * j, _mm_add_pd(product(m10, a0), product(m11, a1)));
    };
    if (target == 0) {
        for (std::size_t p = begin; p < end; ++p) pair(2 * p, 2 * p + 1);
        return;
    }
    const std::size_t stride = std::size_t{1} << target;
    for (std::size_t p = begin; p < end;) {
        // Pairs numbered within one half-chunk have consecutive indices.
        std::size_t offset = p & (stride - 1);
        std::size_t run = std::min(end - p, stride - offset);
        std::size_t i = insert_zero(p, target);
        for (std::size_t k = 0; k < run; ++k) pair(i + k, i + k + stride);
        p += run;
    }
}

void apply_two_qubit_kernel(Complex* amps, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin,
                            std::size_t end) {
    Entry e[16];
    for (int k = 0; k < 16; ++k) e[k] = entry(m.re[k], m.im[k]);
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t bit_a = std::size_t{1} << a, bit_b = std::size_t{1} << b;
    const std::size_t low_span = std::size_t{1} << low;
    double* d = as_doubles(amps);
    auto quad = [&](std::size_t i) {
        double* p[4] = {d + 2 * i, d + 2 * (i | bit_b), d + 2 * (i | bit_a), d + 2 * (i | bit_a | bit_b)};
        __m128d old[4] = {_mm_load_pd(p[0]), _mm_load_pd(p[1]), _mm_load_pd(p[2]), _mm_load_pd(p[3])};
        for (int r = 0; r < 4; ++r) {
            __m128d sum = product(e[4 * r], old[0]);
            sum = _mm_add_pd(sum, product(e[4 * r + 1], old[1]));
            sum = _mm_add_pd(sum, product(e[4 * r + 2], old[2]));
            sum = _mm_add_pd(sum, product(e[4 * r + 3], old[3]));
            _mm_store_pd(p[r], sum);
        }
    };
    for (std::size_t q = begin; q < end;) {
        // Quadruples numbered within one low-bit span have consecutive base indices.
        std::size_t offset = q & (low_span - 1);
        std::size_t run = std::min(end - q, low_span - offset);
        std::size_t i = insert_zero(insert_zero(q, low), high);
        for (std::size_t k = 0; k < run; ++k) quad(i + k);
        q += run;
    }
}

}  // namespace qelix
