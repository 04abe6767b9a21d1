#pragma once
// The one place that decides which instruction sets the kernels may use. x86 builds carry
// SSE2, AVX and AVX-512 paths (the widest the processor has chosen at run time); every other
// processor builds only the scalar kernels, which perform the same IEEE operations in the
// same order and therefore give the same bits.
#if defined(__x86_64__) || defined(__i386__)
#define QELIX_X86 1
#include <immintrin.h>
/// Compiles one function for AVX; its callers check best_kernel_path() first.
#define QELIX_AVX __attribute__((target("avx")))
/// The same for AVX-512 with its doubleword and quadword extension (fpclass).
#define QELIX_AVX512 __attribute__((target("avx512f,avx512dq")))
#else
#define QELIX_X86 0
#endif

#include <cstddef>

namespace qelix::simd {

/// Whether this build carries the x86 vector paths.
inline constexpr bool X86 = QELIX_X86;

/// The interleaved (re, im) doubles of complex amplitudes.
template <class C>
inline double* as_doubles(C* amps) {
    return reinterpret_cast<double*>(amps);
}

/// Calls body(i, i | mask) for every index i < size with the mask bit clear, in ascending order.
template <class Body>
inline void for_each_pair(std::size_t size, std::size_t mask, Body&& body) {
    for (std::size_t base = 0; base < size; base += 2 * mask)
        for (std::size_t i = base; i < base + mask; ++i) body(i, i | mask);
}

}  // namespace qelix::simd
