#include "quantum/statevector/kernels.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>

#include "core/error.h"
#include "quantum/statevector/avx512.h"
#include "quantum/statevector/scalar.h"
#include "quantum/statevector/simd.h"

namespace qelix {

namespace {

using simd::as_doubles;

/// Whether the general arithmetic maps a group of amplitudes that are all exactly +0 to
/// +0 again in every part: then such groups need no store. Products and sums of zeros are
/// exact and do not depend on operand order, so evaluating the kernels' formula once here
/// gives what they would compute for every such group.
template <int DIM>
bool zeros_stay_zero(const double* re, const double* im) {
    for (int r = 0; r < DIM; ++r) {
        double sum_re = 0.0, sum_im = 0.0;
        for (int c = 0; c < DIM; ++c) {
            const double mr = re[DIM * r + c], mi = im[DIM * r + c];
            const double term_re = mr * 0.0 + (-mi) * 0.0, term_im = mr * 0.0 + mi * 0.0;
            sum_re = c == 0 ? term_re : sum_re + term_re;
            sum_im = c == 0 ? term_im : sum_im + term_im;
        }
        if (std::bit_cast<std::uint64_t>(sum_re) != 0 || std::bit_cast<std::uint64_t>(sum_im) != 0) return false;
    }
    return true;
}

/// A matrix with exactly one nonzero entry in each row, every other entry exactly zero
/// in both parts (X, CNOT, SWAP, and diagonal gates such as Z, S, T, Rz, CZ, CRk).
///
/// For such a row r with its entry at column c, and a group whose old amplitudes are all
/// finite, each zero entry contributes a product of signed zeros, so the general sum is
/// the one nonzero product with signed zeros added before or after it. Whenever that
/// product p has nonzero finite parts, adding signed zeros leaves it exact: the general
/// kernel stores exactly p. An entry of exactly 1 (imaginary part ±0) gives p = the old
/// amplitude itself when its parts are nonzero and finite. Groups that fail either
/// condition (zero parts, infinities, NaN, overflow) take the general arithmetic, so
/// every group ends with the same bits as under the general kernel.
template <int DIM>
struct Monomial {
    int column[DIM];
    /// The entry is exactly 1: the new amplitude is the old one from `column`.
    bool unit[DIM];
    /// Rows (bit r for row r) other than a unit entry on the diagonal: the only ones to
    /// store when the check passes.
    unsigned changed;
    /// Groups of +0 amplitudes stay as they are (see zeros_stay_zero).
    bool zeros_stay_zero;
};

template <int DIM>
bool monomial_of(const double* re, const double* im, Monomial<DIM>& out) {
    out.changed = 0;
    for (int r = 0; r < DIM; ++r) {
        int column = -1;
        for (int c = 0; c < DIM; ++c) {
            if (re[DIM * r + c] == 0.0 && im[DIM * r + c] == 0.0) continue;
            if (column >= 0) return false;
            column = c;
        }
        if (column < 0) return false;
        const double mr = re[DIM * r + column], mi = im[DIM * r + column];
        out.column[r] = column;
        out.unit[r] = mr == 1.0 && mi == 0.0;
        if (!out.unit[r] || column != r) out.changed |= 1u << r;
    }
    out.zeros_stay_zero = zeros_stay_zero<DIM>(re, im);
    return true;
}

/// Whether the monomial shortcut leaves some row unstored (a unit entry on the diagonal, as
/// in Z, S, T, CNOT, CZ, SWAP): otherwise its checks cost more than the dense arithmetic.
template <int DIM>
bool saves_stores(const Monomial<DIM>& mono) {
    return mono.changed != (1u << DIM) - 1;
}

/// Splits the groups [begin, end) into runs that stay within one span of 2^low groups,
/// whose base indices base(g) are therefore consecutive, and calls body(base, run).
template <class Base, class Body>
inline void for_each_run(std::size_t begin, std::size_t end, std::size_t low, Base&& base, Body&& body) {
    const std::size_t span = std::size_t{1} << low;
    for (std::size_t g = begin; g < end;) {
        std::size_t run = std::min(end - g, span - (g & (span - 1)));
        body(base(g), run);
        g += run;
    }
}

#if QELIX_X86

// ---- SSE2: one complex number per register. ----

/// A matrix entry as (mr, mr) and (-mi, mi): m*a = re*a + im*swap(a), which adds the
/// negated product instead of subtracting it, the same IEEE operation.
struct Entry2 {
    __m128d re;
    __m128d im;
};

inline Entry2 entry2(double re, double im) { return {_mm_set1_pd(re), _mm_set_pd(im, -im)}; }

inline __m128d product2(const Entry2& m, __m128d a, __m128d swapped) {
    return _mm_add_pd(_mm_mul_pd(m.re, a), _mm_mul_pd(m.im, swapped));
}

inline __m128d swap2(__m128d a) { return _mm_shuffle_pd(a, a, 1); }

/// Applies the matrix `e` to the pairs (x[k], y[k]), k < count (complex numbers).
void pairs_sse2(const Entry2* e, double* x, double* y, std::size_t count) {
    for (std::size_t k = 0; k < 2 * count; k += 2) {
        __m128d a0 = _mm_load_pd(x + k), a1 = _mm_load_pd(y + k);
        __m128d s0 = swap2(a0), s1 = swap2(a1);
        _mm_store_pd(x + k, _mm_add_pd(product2(e[0], a0, s0), product2(e[1], a1, s1)));
        _mm_store_pd(y + k, _mm_add_pd(product2(e[2], a0, s0), product2(e[3], a1, s1)));
    }
}

void entries2(const Matrix2& m, Entry2* e) {
    for (int k = 0; k < 4; ++k) e[k] = entry2(m.re[k], m.im[k]);
}

void one_qubit_sse2(double* d, std::size_t target, const Matrix2& m, std::size_t begin, std::size_t end) {
    Entry2 e[4];
    entries2(m, e);
    const std::size_t stride = std::size_t{1} << target;
    for_each_run(
        begin, end, target, [&](std::size_t g) { return insert_zero(g, target); },
        [&](std::size_t i, std::size_t run) { pairs_sse2(e, d + 2 * i, d + 2 * (i + stride), run); });
}

void two_qubit_sse2(double* d, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin, std::size_t end) {
    Entry2 e[16];
    for (int k = 0; k < 16; ++k) e[k] = entry2(m.re[k], m.im[k]);
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t offset[4] = {0, std::size_t{2} << b, std::size_t{2} << a,
                                   (std::size_t{2} << a) + (std::size_t{2} << b)};
    for_each_run(
        begin, end, low, [&](std::size_t g) { return insert_zero(insert_zero(g, low), high); },
        [&](std::size_t i, std::size_t run) {
            double* base = d + 2 * i;
            for (std::size_t k = 0; k < 2 * run; k += 2) {
                __m128d old[4], swapped[4];
                for (int c = 0; c < 4; ++c) {
                    old[c] = _mm_load_pd(base + k + offset[c]);
                    swapped[c] = swap2(old[c]);
                }
                for (int r = 0; r < 4; ++r) {
                    __m128d sum = product2(e[4 * r], old[0], swapped[0]);
                    for (int c = 1; c < 4; ++c) sum = _mm_add_pd(sum, product2(e[4 * r + c], old[c], swapped[c]));
                    _mm_store_pd(base + k + offset[r], sum);
                }
            }
        });
}

// ---- AVX: two complex numbers per register, same operations lane by lane. ----

struct Entry4 {
    __m256d re;
    __m256d im;
};

/// Lane 0 holds entry (re0, im0), lane 1 entry (re1, im1).
QELIX_AVX inline Entry4 entry4(double re0, double im0, double re1, double im1) {
    return {_mm256_set_pd(re1, re1, re0, re0), _mm256_set_pd(im1, -im1, im0, -im0)};
}

/// The DIM x DIM entries of a matrix for the AVX paths, each broadcast to both lanes.
template <int DIM>
QELIX_AVX inline void entries4(const double* re, const double* im, Entry4* e) {
    for (int k = 0; k < DIM * DIM; ++k) e[k] = entry4(re[k], im[k], re[k], im[k]);
}

QELIX_AVX inline __m256d product4(const Entry4& m, __m256d a, __m256d swapped) {
    return _mm256_add_pd(_mm256_mul_pd(m.re, a), _mm256_mul_pd(m.im, swapped));
}

QELIX_AVX inline __m256d swap4(__m256d a) { return _mm256_permute_pd(a, 0b0101); }

/// Whether every register of `v` holds +0 in all its bits.
template <int N>
QELIX_AVX inline bool all_plus_zero(const __m256d* v) {
    __m256d any = v[0];
    for (int c = 1; c < N; ++c) any = _mm256_or_pd(any, v[c]);
    return _mm256_testz_si256(_mm256_castpd_si256(any), _mm256_castpd_si256(any));
}

/// One-qubit gate on qubit 0: a pair is one register (a0, a1). Lane 0 computes
/// m00*a0 + m01*a1, lane 1 m11*a1 + m10*a0: the same sum, as IEEE addition is commutative.
QELIX_AVX void one_qubit_target0_avx(double* d, const Matrix2& m, std::size_t begin, std::size_t end) {
    const Entry4 diagonal = entry4(m.re[0], m.im[0], m.re[3], m.im[3]);
    const Entry4 cross = entry4(m.re[1], m.im[1], m.re[2], m.im[2]);
    for (std::size_t p = begin; p < end; ++p) {
        double* x = d + 4 * p;
        __m256d v = _mm256_loadu_pd(x);
        __m256d crossed = _mm256_permute2f128_pd(v, v, 1);
        _mm256_storeu_pd(x, _mm256_add_pd(product4(diagonal, v, swap4(v)), product4(cross, crossed, swap4(crossed))));
    }
}

QELIX_AVX void two_qubit_avx(double* d, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin,
                             std::size_t end) {
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t offset[4] = {0, std::size_t{2} << b, std::size_t{2} << a,
                                   (std::size_t{2} << a) + (std::size_t{2} << b)};
    if (low == 0) {
        // Neighbouring quadruples are not adjacent in memory: broadcast each old amplitude
        // to both lanes and let lane 0 compute row r, lane 1 row r + 1.
        Entry4 e[2][4];
        for (int half = 0; half < 2; ++half)
            for (int c = 0; c < 4; ++c)
                e[half][c] =
                    entry4(m.re[8 * half + c], m.im[8 * half + c], m.re[8 * half + 4 + c], m.im[8 * half + 4 + c]);
        for (std::size_t g = begin; g < end; ++g) {
            double* base = d + 2 * insert_zero(insert_zero(g, low), high);
            __m256d old[4], swapped[4];
            for (int c = 0; c < 4; ++c) {
                old[c] = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(base + offset[c]));
                swapped[c] = swap4(old[c]);
            }
            for (int half = 0; half < 2; ++half) {
                __m256d sum = product4(e[half][0], old[0], swapped[0]);
                for (int c = 1; c < 4; ++c) sum = _mm256_add_pd(sum, product4(e[half][c], old[c], swapped[c]));
                _mm_store_pd(base + offset[2 * half], _mm256_castpd256_pd128(sum));
                _mm_store_pd(base + offset[2 * half + 1], _mm256_extractf128_pd(sum, 1));
            }
        }
        return;
    }
    Entry4 e[16];
    entries4<4>(m.re, m.im, e);
    const bool skip_zeros = zeros_stay_zero<4>(m.re, m.im);
    // Two neighbouring quadruples per register: lanes are independent quadruples.
    const std::size_t span = std::size_t{1} << low;
    for (std::size_t g = begin; g < end;) {
        std::size_t run = std::min(end - g, span - (g & (span - 1)));
        double* base = d + 2 * insert_zero(insert_zero(g, low), high);
        std::size_t k = 0;
        for (; k + 2 <= run; k += 2) {
            __m256d old[4], swapped[4];
            for (int c = 0; c < 4; ++c) old[c] = _mm256_loadu_pd(base + 2 * k + offset[c]);
            if (skip_zeros && all_plus_zero<4>(old)) continue;
            for (int c = 0; c < 4; ++c) swapped[c] = swap4(old[c]);
            for (int r = 0; r < 4; ++r) {
                __m256d sum = product4(e[4 * r], old[0], swapped[0]);
                for (int c = 1; c < 4; ++c) sum = _mm256_add_pd(sum, product4(e[4 * r + c], old[c], swapped[c]));
                _mm256_storeu_pd(base + 2 * k + offset[r], sum);
            }
        }
        // A block boundary inside a run can leave one quadruple over.
        if (k < run) two_qubit_sse2(d, a, b, m, g + k, g + run);
        g += run;
    }
}

/// Lanes whose parts are finite (not infinite, not NaN).
QELIX_AVX inline __m256d finite4(__m256d v) {
    const __m256d abs = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
    return _mm256_cmp_pd(abs, _mm256_set1_pd(INFINITY), _CMP_LT_OQ);
}

/// Lanes whose parts are nonzero and finite.
QELIX_AVX inline __m256d regular4(__m256d v) {
    const __m256d abs = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
    return _mm256_and_pd(_mm256_cmp_pd(abs, _mm256_setzero_pd(), _CMP_GT_OQ),
                         _mm256_cmp_pd(abs, _mm256_set1_pd(INFINITY), _CMP_LT_OQ));
}

/// The general arithmetic on two neighbouring groups (each register lane one group) whose
/// old amplitudes are `old`, as the dense kernels compute it. Out of line: the monomial
/// kernels need it only for groups with special values.
template <int DIM>
QELIX_AVX __attribute__((noinline)) void general_rows(const Entry4* e, const __m256d* old, __m256d* fresh) {
    __m256d swapped[DIM];
    for (int c = 0; c < DIM; ++c) swapped[c] = swap4(old[c]);
    for (int r = 0; r < DIM; ++r) {
        __m256d sum = product4(e[DIM * r], old[0], swapped[0]);
        for (int c = 1; c < DIM; ++c) sum = _mm256_add_pd(sum, product4(e[DIM * r + c], old[c], swapped[c]));
        fresh[r] = sum;
    }
}

/// Updates two neighbouring groups (each lane one group) with old amplitudes `old`, for a
/// monomial matrix, and returns the rows to store (bit r for row r), their new values in
/// `fresh`: only the rows that change, or, when a lane fails the conditions of Monomial,
/// every row with the general arithmetic. `entry[r]` is row r's nonzero entry, `e` the
/// whole matrix.
template <int DIM>
QELIX_AVX inline unsigned monomial_rows(const Monomial<DIM>& mono, const Entry4* entry, const Entry4* e,
                                        const __m256d* old, __m256d* fresh) {
    __m256d any = _mm256_setzero_pd();
    __m256d ok = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
#pragma GCC unroll 4
    for (int c = 0; c < DIM; ++c) {
        any = _mm256_or_pd(any, old[c]);
        ok = _mm256_and_pd(ok, finite4(old[c]));
    }
    if (mono.zeros_stay_zero && _mm256_testz_si256(_mm256_castpd_si256(any), _mm256_castpd_si256(any))) return 0;
#pragma GCC unroll 4
    for (int r = 0; r < DIM; ++r) {
        const __m256d source = old[mono.column[r]];
        fresh[r] = mono.unit[r] ? source : product4(entry[r], source, swap4(source));
        ok = _mm256_and_pd(ok, regular4(fresh[r]));
    }
    if (_mm256_movemask_pd(ok) != 0xF) {
        general_rows<DIM>(e, old, fresh);
        return (1u << DIM) - 1;
    }
    return mono.changed;
}

/// monomial_rows for two neighbouring groups whose local index r sits at `at[r]`.
template <int DIM>
QELIX_AVX inline void monomial_step(const Monomial<DIM>& mono, const Entry4* entry, const Entry4* e,
                                    double* const* at) {
    __m256d old[DIM], fresh[DIM];
#pragma GCC unroll 4
    for (int c = 0; c < DIM; ++c) old[c] = _mm256_loadu_pd(at[c]);
    const unsigned store = monomial_rows<DIM>(mono, entry, e, old, fresh);
#pragma GCC unroll 4
    for (int r = 0; r < DIM; ++r)
        if (store >> r & 1) _mm256_storeu_pd(at[r], fresh[r]);
}

/// pairs_sse2 for `m`: the SSE2 path of apply_one_qubit_pairs, and the pair a block
/// boundary can leave over at the end of an AVX run.
void sse2_pairs(const Matrix2& m, double* x, double* y, std::size_t count) {
    Entry2 e[4];
    entries2(m, e);
    pairs_sse2(e, x, y, count);
}

/// Applies `e` (row-major entries, lanes independent pairs) to the pairs (x[k], y[k]),
/// k < count, two neighbouring pairs per register.
QELIX_AVX inline __attribute__((always_inline)) void dense_pairs_avx(const Entry4* e, bool skip_zeros, const Matrix2& m,
                                                                     double* x, double* y, std::size_t count) {
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        const __m256d old[2] = {_mm256_loadu_pd(x + 2 * k), _mm256_loadu_pd(y + 2 * k)};
        if (skip_zeros && all_plus_zero<2>(old)) continue;
        __m256d a0 = old[0], a1 = old[1];
        __m256d s0 = swap4(a0), s1 = swap4(a1);
        _mm256_storeu_pd(x + 2 * k, _mm256_add_pd(product4(e[0], a0, s0), product4(e[1], a1, s1)));
        _mm256_storeu_pd(y + 2 * k, _mm256_add_pd(product4(e[2], a0, s0), product4(e[3], a1, s1)));
    }
    if (k < count) sse2_pairs(m, x + 2 * k, y + 2 * k, count - k);
}

/// dense_pairs_avx for a monomial matrix, through monomial_step.
QELIX_AVX inline __attribute__((always_inline)) void monomial_pairs_avx(const Monomial<2>& mono, const Entry4* entry,
                                                                        const Entry4* e, const Matrix2& m, double* x,
                                                                        double* y, std::size_t count) {
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        double* const at[2] = {x + 2 * k, y + 2 * k};
        monomial_step<2>(mono, entry, e, at);
    }
    if (k < count) sse2_pairs(m, x + 2 * k, y + 2 * k, count - k);
}

/// One-qubit gate on target >= 1: the monomial shortcut where allowed, else the dense
/// arithmetic. Plain loops rather than for_each_run: a lambda would not inherit the AVX
/// target, and the pair loops must inline for the short runs of low targets.
QELIX_AVX void one_qubit_avx(double* d, std::size_t target, const Matrix2& m, bool allow_monomial, std::size_t begin,
                             std::size_t end) {
    Entry4 e[4];
    entries4<2>(m.re, m.im, e);
    Monomial<2> mono;
    const std::size_t stride = std::size_t{1} << target;
    if (allow_monomial && monomial_of<2>(m.re, m.im, mono) && saves_stores(mono)) {
        const Entry4 entry[2] = {e[mono.column[0]], e[2 + mono.column[1]]};
        for (std::size_t g = begin; g < end;) {
            const std::size_t run = std::min(end - g, stride - (g & (stride - 1))), i = insert_zero(g, target);
            monomial_pairs_avx(mono, entry, e, m, d + 2 * i, d + 2 * (i + stride), run);
            g += run;
        }
        return;
    }
    const bool skip_zeros = zeros_stay_zero<2>(m.re, m.im);
    for (std::size_t g = begin; g < end;) {
        const std::size_t run = std::min(end - g, stride - (g & (stride - 1))), i = insert_zero(g, target);
        dense_pairs_avx(e, skip_zeros, m, d + 2 * i, d + 2 * (i + stride), run);
        g += run;
    }
}

/// One-qubit gate on the pairs (x[k], y[k]), k < count, held in two buffers.
QELIX_AVX void one_qubit_pairs_avx(double* x, double* y, std::size_t count, const Matrix2& m, bool allow_monomial) {
    Entry4 e[4];
    entries4<2>(m.re, m.im, e);
    Monomial<2> mono;
    if (allow_monomial && monomial_of<2>(m.re, m.im, mono) && saves_stores(mono)) {
        const Entry4 entry[2] = {e[mono.column[0]], e[2 + mono.column[1]]};
        monomial_pairs_avx(mono, entry, e, m, x, y, count);
    } else {
        dense_pairs_avx(e, zeros_stay_zero<2>(m.re, m.im), m, x, y, count);
    }
}

/// Two-qubit monomial gate with both targets >= 1: two neighbouring quadruples per register.
QELIX_AVX void two_qubit_monomial_avx(double* d, std::size_t a, std::size_t b, const Matrix4& m,
                                      const Monomial<4>& mono, std::size_t begin, std::size_t end) {
    Entry4 e[16], entry[4];
    entries4<4>(m.re, m.im, e);
    for (int r = 0; r < 4; ++r) entry[r] = e[4 * r + mono.column[r]];
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t offset[4] = {0, std::size_t{2} << b, std::size_t{2} << a,
                                   (std::size_t{2} << a) + (std::size_t{2} << b)};
    const std::size_t span = std::size_t{1} << low;
    for (std::size_t g = begin; g < end;) {
        std::size_t run = std::min(end - g, span - (g & (span - 1)));
        double* base = d + 2 * insert_zero(insert_zero(g, low), high);
        std::size_t k = 0;
        for (; k + 2 <= run; k += 2) {
            double* const at[4] = {base + 2 * k + offset[0], base + 2 * k + offset[1], base + 2 * k + offset[2],
                                   base + 2 * k + offset[3]};
            monomial_step<4>(mono, entry, e, at);
        }
        if (k < run) two_qubit_sse2(d, a, b, m, g + k, g + run);
        g += run;
    }
}

/// Two-qubit monomial gate with a target on qubit 0. Each register holds the two rows of one
/// group that differ in the qubit-0 bit; two neighbouring groups are loaded and transposed
/// so that, as elsewhere, each lane is one group.
QELIX_AVX void two_qubit_monomial_low0_avx(double* d, std::size_t a, std::size_t b, const Matrix4& m,
                                           const Monomial<4>& mono, std::size_t begin, std::size_t end) {
    Entry4 e[16], entry[4];
    entries4<4>(m.re, m.im, e);
    for (int r = 0; r < 4; ++r) entry[r] = e[4 * r + mono.column[r]];
    const std::size_t high = std::max(a, b);
    // Row bit of the qubit-0 target (rows r and r | low_row share a register), the other
    // target's row bit, and the distance between neighbouring groups, in doubles.
    const int low_row = b == 0 ? 1 : 2, high_row = 3 - low_row;
    const std::size_t high_offset = std::size_t{2} << high;
    const std::size_t next_group = high == 1 ? 8 : 4;
    if (begin % 2 == 1 && begin < end) {
        two_qubit_sse2(d, a, b, m, begin, begin + 1);
        ++begin;
    }
    for (std::size_t g = begin; g + 2 <= end; g += 2) {
        double* base = d + 2 * insert_zero(insert_zero(g, 0), high);
        double* rows[2] = {base, base + high_offset};  // rows {0, low_row}, rows {high_row, 3}
        __m256d old[4], fresh[4];
        for (int h = 0; h < 2; ++h) {
            const __m256d first = _mm256_loadu_pd(rows[h]), second = _mm256_loadu_pd(rows[h] + next_group);
            const int r = h * high_row;
            old[r] = _mm256_permute2f128_pd(first, second, 0x20);
            old[r | low_row] = _mm256_permute2f128_pd(first, second, 0x31);
        }
        const unsigned store = monomial_rows<4>(mono, entry, e, old, fresh);
        for (int h = 0; h < 2; ++h) {
            const int r = h * high_row, pair = (1 << r) | (1 << (r | low_row));
            if ((store & pair) == 0) continue;
            const __m256d low_value = store >> r & 1 ? fresh[r] : old[r];
            const __m256d high_value = store >> (r | low_row) & 1 ? fresh[r | low_row] : old[r | low_row];
            _mm256_storeu_pd(rows[h], _mm256_permute2f128_pd(low_value, high_value, 0x20));
            _mm256_storeu_pd(rows[h] + next_group, _mm256_permute2f128_pd(low_value, high_value, 0x31));
        }
    }
    if ((end - begin) % 2 == 1) two_qubit_sse2(d, a, b, m, end - 1, end);
}

#endif  // QELIX_X86

}  // namespace

bool kernel_path_supported(KernelPath path) {
#if QELIX_X86
    switch (path) {
        case KernelPath::Avx:
        case KernelPath::AvxDense: return __builtin_cpu_supports("avx");
        case KernelPath::Avx512: return avx512::available();
        default: return true;
    }
#else
    return path == KernelPath::Scalar;
#endif
}

KernelPath best_kernel_path() {
    static const KernelPath path = kernel_path_supported(KernelPath::Avx512) ? KernelPath::Avx512
                                   : kernel_path_supported(KernelPath::Avx)  ? KernelPath::Avx
                                   : kernel_path_supported(KernelPath::Sse2) ? KernelPath::Sse2
                                                                             : KernelPath::Scalar;
    return path;
}

KernelPath kernel_path_for(std::size_t amplitudes) {
    return amplitudes >= MONOMIAL_MIN_AMPLITUDES ? best_kernel_path() : cached_kernel_path();
}

KernelPath cached_kernel_path() {
    return best_kernel_path() == KernelPath::Avx ? KernelPath::AvxDense : best_kernel_path();
}

bool keeps_zero_groups(const KernelGate& gate) {
    return gate.width == 1 ? zeros_stay_zero<2>(gate.m2.re, gate.m2.im) : zeros_stay_zero<4>(gate.m4.re, gate.m4.im);
}

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

void apply_one_qubit_kernel(Complex* amps, std::size_t target, const Matrix2& m, std::size_t begin, std::size_t end,
                            KernelPath path) {
    if (!simd::X86 || path == KernelPath::Scalar) return scalar_one_qubit(as_doubles(amps), target, m, begin, end);
#if QELIX_X86
    if (path == KernelPath::Avx512) {
        if (avx512::one_qubit(as_doubles(amps), target, m, zeros_stay_zero<2>(m.re, m.im), begin, end)) return;
        path = KernelPath::Avx;
    }
    if (path == KernelPath::Sse2)
        one_qubit_sse2(as_doubles(amps), target, m, begin, end);
    else if (target == 0)  // neighbouring pairs share a register; the dense path handles them well
        one_qubit_target0_avx(as_doubles(amps), m, begin, end);
    else
        one_qubit_avx(as_doubles(amps), target, m, path != KernelPath::AvxDense, begin, end);
#endif
}

void apply_one_qubit_pairs(Complex* x, Complex* y, std::size_t count, const Matrix2& m, KernelPath path) {
    if (!simd::X86 || path == KernelPath::Scalar) return scalar_pairs(m, as_doubles(x), as_doubles(y), count);
#if QELIX_X86
    if (path == KernelPath::Avx512 &&
        avx512::pairs(as_doubles(x), as_doubles(y), count, m, zeros_stay_zero<2>(m.re, m.im)))
        return;
    if (path == KernelPath::Sse2)
        sse2_pairs(m, as_doubles(x), as_doubles(y), count);
    else
        one_qubit_pairs_avx(as_doubles(x), as_doubles(y), count, m, path == KernelPath::Avx);
#endif
}

bool apply_one_qubit_fused(Complex* amps, std::span<const KernelGate> gates, std::size_t begin, std::size_t end,
                           KernelPath path) {
#if QELIX_X86
    if (path == KernelPath::Avx512) return avx512::one_qubit_fused(as_doubles(amps), gates, begin, end);
#endif
    return false;
}

void apply_two_qubit_kernel(Complex* amps, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin,
                            std::size_t end, KernelPath path) {
    if (!simd::X86 || path == KernelPath::Scalar) return scalar_two_qubit(as_doubles(amps), a, b, m, begin, end);
#if QELIX_X86
    if (path == KernelPath::Avx512) {
        if (avx512::two_qubit(as_doubles(amps), a, b, m, zeros_stay_zero<4>(m.re, m.im), begin, end)) return;
        path = KernelPath::Avx;
    }
    Monomial<4> mono;
    if (path == KernelPath::Avx && monomial_of<4>(m.re, m.im, mono) && saves_stores(mono)) {
        if (a > 0 && b > 0)
            two_qubit_monomial_avx(as_doubles(amps), a, b, m, mono, begin, end);
        else
            two_qubit_monomial_low0_avx(as_doubles(amps), a, b, m, mono, begin, end);
    } else if (path != KernelPath::Sse2)
        two_qubit_avx(as_doubles(amps), a, b, m, begin, end);
    else
        two_qubit_sse2(as_doubles(amps), a, b, m, begin, end);
#endif
}

}  // namespace qelix
