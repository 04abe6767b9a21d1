#include "quantum/statevector/damping.h"

#include "quantum/statevector/simd.h"

namespace qelix {

namespace {

using simd::for_each_pair;

void no_jump_scalar(double* d, std::size_t size, std::size_t mask, double norm, double keep) {
    for_each_pair(size, mask, [&](std::size_t i, std::size_t j) {
        d[2 * i] = d[2 * i] / norm, d[2 * i + 1] = d[2 * i + 1] / norm;
        d[2 * j] = d[2 * j] * keep / norm, d[2 * j + 1] = d[2 * j + 1] * keep / norm;
    });
}

void jump_scalar(double* d, std::size_t size, std::size_t mask, double root) {
    for_each_pair(size, mask, [&](std::size_t i, std::size_t j) {
        d[2 * i] = d[2 * j] / root, d[2 * i + 1] = d[2 * j + 1] / root;
        d[2 * j] = 0.0, d[2 * j + 1] = 0.0;
    });
}

#if QELIX_X86

void no_jump_sse2(double* d, std::size_t size, std::size_t mask, double norm, double keep) {
    const __m128d n = _mm_set1_pd(norm), k = _mm_set1_pd(keep);
    for_each_pair(size, mask, [&](std::size_t i, std::size_t j) {
        _mm_store_pd(d + 2 * i, _mm_div_pd(_mm_load_pd(d + 2 * i), n));
        _mm_store_pd(d + 2 * j, _mm_div_pd(_mm_mul_pd(_mm_load_pd(d + 2 * j), k), n));
    });
}

QELIX_AVX void no_jump_avx(double* d, std::size_t size, std::size_t mask, double norm, double keep) {
    const __m256d n = _mm256_set1_pd(norm);
    if (mask == 1) {
        // A pair is one register; multiplying a_i by exactly 1 changes nothing.
        const __m256d k = _mm256_set_pd(keep, keep, 1.0, 1.0);
        for (std::size_t i = 0; i < size; i += 2)
            _mm256_storeu_pd(d + 2 * i, _mm256_div_pd(_mm256_mul_pd(_mm256_loadu_pd(d + 2 * i), k), n));
        return;
    }
    const __m256d k = _mm256_set1_pd(keep);
    for (std::size_t base = 0; base < size; base += 2 * mask)
        for (std::size_t i = base; i < base + mask; i += 2) {
            double* x = d + 2 * i;
            double* y = d + 2 * (i + mask);
            _mm256_storeu_pd(x, _mm256_div_pd(_mm256_loadu_pd(x), n));
            _mm256_storeu_pd(y, _mm256_div_pd(_mm256_mul_pd(_mm256_loadu_pd(y), k), n));
        }
}

void jump_sse2(double* d, std::size_t size, std::size_t mask, double root) {
    const __m128d r = _mm_set1_pd(root);
    for_each_pair(size, mask, [&](std::size_t i, std::size_t j) {
        _mm_store_pd(d + 2 * i, _mm_div_pd(_mm_load_pd(d + 2 * j), r));
        _mm_store_pd(d + 2 * j, _mm_setzero_pd());
    });
}

#endif

}  // namespace

void damp_no_jump(Complex* amps, std::size_t size, std::size_t qubit, double norm, double keep,
                  [[maybe_unused]] KernelPath path) {
    double* d = simd::as_doubles(amps);
    const std::size_t mask = std::size_t{1} << qubit;
#if QELIX_X86
    if (path == KernelPath::Avx || path == KernelPath::AvxDense || path == KernelPath::Avx512)
        return no_jump_avx(d, size, mask, norm, keep);
    if (path == KernelPath::Sse2) return no_jump_sse2(d, size, mask, norm, keep);
#endif
    no_jump_scalar(d, size, mask, norm, keep);
}

void damp_jump(Complex* amps, std::size_t size, std::size_t qubit, double root, [[maybe_unused]] KernelPath path) {
    double* d = simd::as_doubles(amps);
    const std::size_t mask = std::size_t{1} << qubit;
#if QELIX_X86
    if (path != KernelPath::Scalar) return jump_sse2(d, size, mask, root);
#endif
    jump_scalar(d, size, mask, root);
}

}  // namespace qelix
