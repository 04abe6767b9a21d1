#include "quantum/statevector/avx512.h"

#include "quantum/statevector/scalar.h"
#include "quantum/statevector/simd.h"

#if QELIX_X86

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <type_traits>

namespace qelix::avx512 {

namespace {

// Shortcuts. The general arithmetic forms every product m*a in full and sums a row's products
// in column order. When every old amplitude part is a normal number (not zero, subnormal,
// infinite or NaN) and every nonzero matrix part lies in [2^-52, inf), a product whose entry
// has a zero part loses nothing when that part's term is dropped: the kept term is a product
// of nonzero parts at least 2^-1074 in magnitude (so nonzero), and adding the dropped term,
// a signed zero, to it changes no bit. An entry that is zero contributes a signed zero to its
// row in the same way, and every partial sum is then either nonzero or +0 (a cancellation),
// to which a signed zero adds nothing either. So with those checks passed, a row is the sum of
// its nonzero entries' terms, each with only its nonzero parts, in column order, and an entry
// of exactly 1 gives the old amplitude itself. Registers that fail the check take the general
// arithmetic.

enum class Part { Zero, Unit, Real, Imag, General };

Part part_of(double re, double im) {
    if (re == 0.0 && im == 0.0) return Part::Zero;
    if (re == 1.0 && im == 0.0) return Part::Unit;
    if (re != 0.0 && im != 0.0) return Part::General;
    return re != 0.0 ? Part::Real : Part::Imag;
}

/// Whether every nonzero part of the matrix lies in [2^-52, inf), as the shortcuts need.
bool shortcuts_allowed(const double* re, const double* im, int entries) {
    for (int k = 0; k < entries; ++k)
        for (double v : {re[k], im[k]})
            if (v != 0.0 && !(std::abs(v) >= 0x1p-52 && std::abs(v) < INFINITY)) return false;
    return true;
}

/// A matrix entry: the real part in every lane, and (-im, im) in each complex's lanes.
struct Entry8 {
    __m512d re;
    __m512d im;
};

QELIX_AVX512 Entry8 entry8(double re, double im) {
    return {_mm512_set1_pd(re), _mm512_set_pd(im, -im, im, -im, im, -im, im, -im)};
}

/// The parts of each complex number swapped (the masked form: GCC 12 warns about the
/// unmasked one's undefined source).
QELIX_AVX512 inline __m512d swap8(__m512d a) { return _mm512_mask_permute_pd(a, 0xFF, a, 0x55); }

/// 128-bit lanes of a and b chosen by IMM, as _mm512_shuffle_f64x2 (masked: see swap8).
template <int IMM>
QELIX_AVX512 inline __m512d shuffle(__m512d a, __m512d b) {
    return _mm512_mask_shuffle_f64x2(a, 0xFF, a, b, IMM);
}

/// The general product m*a, given a with its parts swapped.
QELIX_AVX512 inline __m512d product(const Entry8& m, __m512d a, __m512d swapped) {
    return _mm512_add_pd(_mm512_mul_pd(m.re, a), _mm512_mul_pd(m.im, swapped));
}

/// The term of one entry with the parts its Part keeps (General: the full product, the
/// general arithmetic's (mr*ar + (-mi)*ai, mr*ai + mi*ar)).
template <Part P>
QELIX_AVX512 inline __m512d term(const Entry8& e, __m512d a) {
    if constexpr (P == Part::Unit)
        return a;
    else if constexpr (P == Part::Real)
        return _mm512_mul_pd(e.re, a);
    else if constexpr (P == Part::Imag)
        return _mm512_mul_pd(e.im, swap8(a));
    else
        return product(e, a, swap8(a));
}

/// Lanes that hold zero, subnormal, infinite or NaN parts (fpclass categories).
QELIX_AVX512 inline __mmask8 special(__m512d v) { return _mm512_fpclass_pd_mask(v, 0xBF); }

/// Lanes that hold -0, subnormal, infinite or NaN parts. A row whose only nonzero entry is
/// exactly 1 gives its old amplitude bit for bit when no part of its quadruple is one of
/// those: the unit product (1*ar + (-0)*ai, 1*ai + 0*ar) keeps a nonzero part and turns +0
/// into +0 whatever the other part's sign, the zero entries' products are signed zeros, and
/// adding signed zeros leaves a nonzero value as it is and a +0 sum at +0.
QELIX_AVX512 inline __mmask8 unmovable(__m512d v) { return _mm512_fpclass_pd_mask(v, 0xBD); }

QELIX_AVX512 inline bool all_plus_zero(__m512d v) {
    const __m512i bits = _mm512_castpd_si512(v);
    return _mm512_test_epi64_mask(bits, bits) == 0;
}

/// Lanes of the first `count` complex numbers, at most four.
inline __mmask8 lanes_of(std::size_t count) {
    return count >= 4 ? __mmask8{0xFF} : static_cast<__mmask8>((1u << (2 * count)) - 1);
}

/// Calls step(g) for g = begin, begin + stride, ... below end, walking four parts of the
/// range side by side. Kernels whose accesses form one stream ran up to 1.5 times slower than
/// a streaming pass on states far beyond the caches; four streams in flight keep up with it.
template <class Step>
QELIX_AVX512 inline void four_streams(std::size_t begin, std::size_t end, std::size_t stride, Step&& step) {
    const std::size_t part = (end - begin) / (4 * stride) * stride;
    for (std::size_t g = begin; g < begin + part; g += stride) {
        step(g);
        step(g + part);
        step(g + 2 * part);
        step(g + 3 * part);
    }
    for (std::size_t g = begin + 4 * part; g < end; g += stride) step(g);
}

// ---- One-qubit gates: register x holds four pairs' first halves, y their second halves.

template <Part A, Part B>
QELIX_AVX512 inline __m512d row2(const Entry8* e, __m512d x, __m512d y) {
    if constexpr (A == Part::Zero)
        return term<B>(e[1], y);
    else if constexpr (B == Part::Zero)
        return term<A>(e[0], x);
    else
        return _mm512_add_pd(term<A>(e[0], x), term<B>(e[1], y));
}

template <Part P00, Part P01, Part P10, Part P11>
struct Pairs {
    // Rows that keep their old amplitude need no store.
    static constexpr bool store_x = P00 != Part::Unit || P01 != Part::Zero;
    static constexpr bool store_y = P11 != Part::Unit || P10 != Part::Zero;

    /// The shortcut on four pairs whose parts passed the check.
    [[gnu::always_inline]] QELIX_AVX512 static void shortcut(const Entry8* e, double* px, double* py, __m512d a,
                                                             __m512d b, __mmask8 lanes) {
        if constexpr (store_x) _mm512_mask_storeu_pd(px, lanes, row2<P00, P01>(e, a, b));
        if constexpr (store_y) _mm512_mask_storeu_pd(py, lanes, row2<P10, P11>(e + 2, a, b));
    }

    /// Four pairs (fewer under `lanes`), checked.
    QELIX_AVX512 static void step(const Entry8* e, bool zeros_stay, double* px, double* py, __mmask8 lanes) {
        __m512d a = _mm512_maskz_loadu_pd(lanes, px), b = _mm512_maskz_loadu_pd(lanes, py);
        if (!update(e, zeros_stay, a, b, lanes)) return;
        _mm512_mask_storeu_pd(px, lanes, a);
        _mm512_mask_storeu_pd(py, lanes, b);
    }

    /// The pairs (x[k], y[k]), k < count: eight at a time with one check while every part is
    /// regular, so that the loads of both halves are in flight together.
    QELIX_AVX512 static void apply(const Entry8* e, bool zeros_stay, double* x, double* y, std::size_t count) {
        std::size_t k = 0;
        for (; k + 8 <= count; k += 8) eight(e, zeros_stay, x + 2 * k, y + 2 * k, x + 2 * k + 8, y + 2 * k + 8);
        for (; k < count; k += 4) step(e, zeros_stay, x + 2 * k, y + 2 * k, lanes_of(count - k));
    }

    /// The four pairs at (x0, y0) and the four at (x1, y1), with one check of all their parts.
    [[gnu::always_inline]] QELIX_AVX512 static void eight(const Entry8* e, bool zeros_stay, double* x0, double* y0,
                                                          double* x1, double* y1) {
        const __m512d a0 = _mm512_loadu_pd(x0), b0 = _mm512_loadu_pd(y0);
        const __m512d a1 = _mm512_loadu_pd(x1), b1 = _mm512_loadu_pd(y1);
        if ((special(a0) | special(b0) | special(a1) | special(b1)) == 0) {
            shortcut(e, x0, y0, a0, b0, 0xFF);
            shortcut(e, x1, y1, a1, b1, 0xFF);
            return;
        }
        step(e, zeros_stay, x0, y0, 0xFF);
        step(e, zeros_stay, x1, y1, 0xFF);
    }

    /// The new values of four pairs (a[k], b[k]) held in registers, in the lanes `lanes`;
    /// false when the general arithmetic would leave them as they are.
    [[gnu::always_inline]] QELIX_AVX512 static bool update(const Entry8* e, bool zeros_stay, __m512d& a, __m512d& b,
                                                           __mmask8 lanes = 0xFF) {
        if (((special(a) | special(b)) & lanes) == 0) {
            const __m512d x = a, y = b;
            if constexpr (store_x) a = row2<P00, P01>(e, x, y);
            if constexpr (store_y) b = row2<P10, P11>(e + 2, x, y);
            return store_x || store_y;
        }
        if (zeros_stay && all_plus_zero(_mm512_or_pd(a, b))) return false;
        // Zero parts (states with real amplitudes): with no NaN, infinite or subnormal part,
        // the dropped terms are signed zeros, and a row's general sum differs from its kept
        // terms' sum only when that sum is -0 (a general sum is -0 only when all its terms are).
        if (((_mm512_fpclass_pd_mask(a, 0xB9) | _mm512_fpclass_pd_mask(b, 0xB9)) & lanes) == 0) {
            const __m512d x = store_x ? row2<P00, P01>(e, a, b) : a, y = store_y ? row2<P10, P11>(e + 2, a, b) : b;
            if (((_mm512_fpclass_pd_mask(x, 0x04) | _mm512_fpclass_pd_mask(y, 0x04)) & lanes) == 0) {
                a = x;
                b = y;
                return store_x || store_y;
            }
        }
        const __m512d sa = swap8(a), sb = swap8(b);
        const __m512d x = _mm512_add_pd(product(e[0], a, sa), product(e[1], b, sb));
        b = _mm512_add_pd(product(e[2], a, sa), product(e[3], b, sb));
        a = x;
        return true;
    }

    /// Targets 2 and 3, whose runs of pairs are one or two registers long: the pairs
    /// numbered [begin, end), multiples of four, two registers at a time across runs (a call
    /// of `apply` per run cost twice the time of a pair).
    QELIX_AVX512 static void short_runs(const Entry8* e, bool zeros_stay, double* d, std::size_t target,
                                        std::size_t begin, std::size_t end) {
        const std::size_t half = std::size_t{2} << target;  // doubles from a pair's first half to its second
        std::size_t g = begin;
        for (; g + 8 <= end; g += 8) {
            double *x0 = d + 2 * insert_zero(g, target), *x1 = d + 2 * insert_zero(g + 4, target);
            eight(e, zeros_stay, x0, x0 + half, x1, x1 + half);
        }
        if (g < end) {
            double* x = d + 2 * insert_zero(g, target);
            step(e, zeros_stay, x, x + half, 0xFF);
        }
    }

    /// Target 0 or 1: the pairs numbered [begin, end), multiples of four. Eight neighbouring
    /// amplitudes hold four pairs; 128-bit lane shuffles gather their halves.
    QELIX_AVX512 static void low(const Entry8* e, bool zeros_stay, double* d, std::size_t target, std::size_t begin,
                                 std::size_t end) {
        // Lanes of (first, second) register: target 1 holds halves as (x x y y), target 0 as (x y x y).
        const bool one = target == 1;
        auto step = [&](std::size_t g) QELIX_AVX512 {
            double* p = d + 4 * g;
            const __m512d first = _mm512_loadu_pd(p), second = _mm512_loadu_pd(p + 8);
            __m512d x = one ? shuffle<0x44>(first, second) : shuffle<0x88>(first, second);
            __m512d y = one ? shuffle<0xEE>(first, second) : shuffle<0xDD>(first, second);
            if (!update(e, zeros_stay, x, y)) return;
            if (one) {
                _mm512_storeu_pd(p, shuffle<0x44>(x, y));
                _mm512_storeu_pd(p + 8, shuffle<0xEE>(x, y));
            } else {  // interleave the pairs' halves back: (x0 y0 x1 y1), (x2 y2 x3 y3)
                _mm512_storeu_pd(p, _mm512_permutex2var_pd(x, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), y));
                _mm512_storeu_pd(p + 8, _mm512_permutex2var_pd(x, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), y));
            }
        };
        four_streams(begin, end, 4, step);
    }
};

/// The kernels for one matrix shape: pairs held apart, and targets 0 and 1.
struct PairsKernels {
    void (*apply)(const Entry8*, bool, double*, double*, std::size_t);
    void (*low)(const Entry8*, bool, double*, std::size_t, std::size_t, std::size_t);
    void (*short_runs)(const Entry8*, bool, double*, std::size_t, std::size_t, std::size_t);
};

/// The kernels for a matrix whose entries have the parts P00..P11.
template <Part P00, Part P01, Part P10, Part P11>
constexpr PairsKernels pairs_kernel = {&Pairs<P00, P01, P10, P11>::apply, &Pairs<P00, P01, P10, P11>::low,
                                       &Pairs<P00, P01, P10, P11>::short_runs};

using PairsKernel = const PairsKernels*;

/// Calls pick(integral_constant<Part, p>) for an entry that is not zero.
template <class Pick>
PairsKernel with_part(Part p, Pick&& pick) {
    switch (p) {
        case Part::Unit: return pick(std::integral_constant<Part, Part::Unit>{});
        case Part::Real: return pick(std::integral_constant<Part, Part::Real>{});
        case Part::Imag: return pick(std::integral_constant<Part, Part::Imag>{});
        default: return pick(std::integral_constant<Part, Part::General>{});
    }
}

constexpr Part Z = Part::Zero;

/// The kernel for a matrix with a shortcut: diagonal, antidiagonal and dense matrices whose
/// entries are each real or imaginary (H, Rx, Ry, X, Y, Z, S, T, Rz...); null for the others.
PairsKernel pairs_kernel_for(const Matrix2& m) {
    Part p[4];
    for (int k = 0; k < 4; ++k) p[k] = part_of(m.re[k], m.im[k]);
    if (!shortcuts_allowed(m.re, m.im, 4)) return nullptr;
    if (p[1] == Z && p[2] == Z && p[0] != Z && p[3] != Z)
        return with_part(p[0], [&](auto a) {
            return with_part(p[3], [&](auto d) { return &pairs_kernel<decltype(a)::value, Z, Z, decltype(d)::value>; });
        });
    if (p[0] == Z && p[3] == Z && p[1] != Z && p[2] != Z)
        return with_part(p[1], [&](auto b) {
            return with_part(p[2], [&](auto c) { return &pairs_kernel<Z, decltype(b)::value, decltype(c)::value, Z>; });
        });
    const auto pure = [](Part q) { return q == Part::Real || q == Part::Imag; };
    if (std::all_of(p, p + 4, pure))
        return with_part(p[0], [&](auto a) {
            return with_part(p[1], [&](auto b) {
                return with_part(p[2], [&](auto c) {
                    return with_part(p[3], [&](auto d) {
                        return &pairs_kernel<decltype(a)::value, decltype(b)::value, decltype(c)::value,
                                             decltype(d)::value>;
                    });
                });
            });
        });
    return nullptr;
}

QELIX_AVX512 void entries8(const double* re, const double* im, int count, Entry8* e) {
    for (int k = 0; k < count; ++k) e[k] = entry8(re[k], im[k]);
}

// ---- Two or three one-qubit gates in one pass: each register of a group goes through the
// gates in order while it is loaded, as gate by gate it would between passes.

/// Matrix shapes the fused kernels cover, each with a Pairs pattern that gives the general
/// arithmetic's bits for every matrix of the shape (an exact 1 taken as real, any entry as
/// general). Five shapes keep the fused kernels few (5^3 for three gates).
enum class Shape { Diagonal, Antidiagonal, RealImag, Real, Dense, None };

Shape shape_of(const Matrix2& m) {
    Part p[4];
    for (int k = 0; k < 4; ++k) p[k] = part_of(m.re[k], m.im[k]);
    const auto real = [](Part q) { return q == Part::Real || q == Part::Unit; };
    if (std::none_of(p, p + 4, [](Part q) { return q == Part::Zero; })) {
        // Dense general arithmetic drops nothing, so it needs no condition on the matrix.
        if (!shortcuts_allowed(m.re, m.im, 4)) return Shape::Dense;
        if (std::all_of(p, p + 4, real)) return Shape::Real;
        if (real(p[0]) && real(p[3]) && p[1] == Part::Imag && p[2] == Part::Imag) return Shape::RealImag;
        return Shape::Dense;
    }
    if (!shortcuts_allowed(m.re, m.im, 4)) return Shape::None;
    if (p[1] == Z && p[2] == Z && p[0] != Z && p[3] != Z) return Shape::Diagonal;
    if (p[0] == Z && p[3] == Z && p[1] != Z && p[2] != Z) return Shape::Antidiagonal;
    return Shape::None;
}

constexpr Part R = Part::Real, I = Part::Imag, G = Part::General;

/// Gate J's matrix on the pairs of `reg` whose numbers differ in bit J.
template <std::size_t J, class Gate, std::size_t REGISTERS>
[[gnu::always_inline]] QELIX_AVX512 inline void fused_gate(const Entry8* e, bool zeros_stay, __m512d* reg) {
#pragma GCC unroll 8
    for (std::size_t r = 0; r < REGISTERS; ++r)
        if (!(r >> J & 1)) Gate::update(e, zeros_stay, reg[r], reg[r | std::size_t{1} << J]);
}

template <class... Gates, std::size_t... J>
[[gnu::always_inline]] QELIX_AVX512 inline void fused_gates(std::index_sequence<J...>, const Entry8 (*e)[4],
                                                            const bool* zeros_stay, __m512d* reg) {
    (fused_gate<J, Gates, std::size_t{1} << sizeof...(Gates)>(e[J], zeros_stay[J], reg), ...);
}

/// The groups [begin, end), multiples of four, of the 2^N amplitudes that differ in the gates'
/// targets (distinct, from 2 on): gate j's matrix, of shape Gates[j], on targets[j], in order.
template <class... Gates>
QELIX_AVX512 void fused(const Entry8 (*e)[4], const bool* zeros_stay, double* d, const std::size_t* targets,
                        std::size_t begin, std::size_t end) {
    constexpr std::size_t N = sizeof...(Gates), REGISTERS = std::size_t{1} << N;
    std::size_t sorted[N], offset[REGISTERS] = {};
    std::copy(targets, targets + N, sorted);
    std::sort(sorted, sorted + N);
    for (std::size_t r = 0; r < REGISTERS; ++r)
        for (std::size_t j = 0; j < N; ++j)
            if (r >> j & 1) offset[r] += std::size_t{2} << targets[j];
    for (std::size_t g = begin; g < end; g += 4) {
        std::size_t index = g;
        for (std::size_t t : sorted) index = insert_zero(index, t);
        double* p = d + 2 * index;
        __m512d reg[REGISTERS];
#pragma GCC unroll 8
        for (std::size_t r = 0; r < REGISTERS; ++r) reg[r] = _mm512_loadu_pd(p + offset[r]);
        fused_gates<Gates...>(std::index_sequence_for<Gates...>{}, e, zeros_stay, reg);
#pragma GCC unroll 8
        for (std::size_t r = 0; r < REGISTERS; ++r) _mm512_storeu_pd(p + offset[r], reg[r]);
    }
}

using FusedKernel = void (*)(const Entry8 (*)[4], const bool*, double*, const std::size_t*, std::size_t, std::size_t);

/// The Pairs pattern of each Shape but None.
template <Shape S>
using ShapePairs = std::conditional_t<
    S == Shape::Diagonal, Pairs<G, Z, Z, G>,
    std::conditional_t<S == Shape::Antidiagonal, Pairs<Z, G, G, Z>,
                       std::conditional_t<S == Shape::RealImag, Pairs<R, I, I, R>,
                                          std::conditional_t<S == Shape::Real, Pairs<R, R, R, R>, Pairs<G, G, G, G>>>>>;

constexpr std::size_t SHAPES = 5;

/// fused<...> for the shapes numbered `code` in base SHAPES, the last gate's lowest.
template <std::size_t N, std::size_t... Code>
constexpr auto fused_table(std::index_sequence<Code...>) {
    return std::array<FusedKernel, sizeof...(Code)>{[]<std::size_t C>(std::integral_constant<std::size_t, C>) {
        return []<std::size_t... J>(std::index_sequence<J...>)->FusedKernel {
            constexpr auto shape = [](std::size_t j) {
                std::size_t c = C;
                for (std::size_t k = j + 1; k < N; ++k) c /= SHAPES;
                return static_cast<Shape>(c % SHAPES);
            };
            return &fused<ShapePairs<shape(J)>...>;
        }
        (std::make_index_sequence<N>{});
    }(std::integral_constant<std::size_t, Code>{})...};
}

constexpr auto fused2 = fused_table<2>(std::make_index_sequence<SHAPES * SHAPES>{});
constexpr auto fused3 = fused_table<3>(std::make_index_sequence<SHAPES * SHAPES * SHAPES>{});

// ---- Two-qubit gates: register r holds row r of four neighbouring quadruples.

/// A matrix with one nonzero entry per row (CNOT, CZ, SWAP, CY, controlled phases, Rzz).
struct Monomial4 {
    int column[4];
    /// Bit r: row r's entry is exactly 1.
    unsigned unit = 0;
    /// Bit r: row r changes (not a unit entry on the diagonal), so it is stored.
    unsigned store = 0;
};

bool monomial4_of(const Matrix4& m, Monomial4& out) {
    if (!shortcuts_allowed(m.re, m.im, 16)) return false;
    for (int r = 0; r < 4; ++r) {
        int column = -1;
        for (int c = 0; c < 4; ++c) {
            if (part_of(m.re[4 * r + c], m.im[4 * r + c]) == Part::Zero) continue;
            if (column >= 0) return false;
            column = c;
        }
        if (column < 0) return false;
        out.column[r] = column;
        if (part_of(m.re[4 * r + column], m.im[4 * r + column]) == Part::Unit) out.unit |= 1u << r;
        if (!(out.unit >> r & 1) || column != r) out.store |= 1u << r;
    }
    return true;
}

/// old[c], chosen without indexing, which would keep `old` in memory rather than registers.
QELIX_AVX512 inline __m512d pick(const __m512d* old, int c) {
    return c < 2 ? (c == 0 ? old[0] : old[1]) : (c == 2 ? old[2] : old[3]);
}

/// The general arithmetic for the four rows of the quadruples in `old`.
[[gnu::always_inline]] QELIX_AVX512 inline void general4(const Entry8* e, const __m512d* old, __m512d* fresh) {
    __m512d swapped[4];
    for (int c = 0; c < 4; ++c) swapped[c] = swap8(old[c]);
    for (int r = 0; r < 4; ++r) {
        __m512d sum = product(e[4 * r], old[0], swapped[0]);
        for (int c = 1; c < 4; ++c) sum = _mm512_add_pd(sum, product(e[4 * r + c], old[c], swapped[c]));
        fresh[r] = sum;
    }
}

/// The four rows of quadruples in `old` (lanes outside `lanes` ignored) into `out`, which
/// keeps the old value of every row it does not change. Returns the rows that changed.
///
/// A row with one nonzero entry is, in the general arithmetic, that entry's full product
/// plus the zero entries' products. With no infinite, NaN or subnormal part among the old
/// amplitudes those are signed zeros, which leave a nonzero part as it is and turn a +0
/// into +0; so the row is the product itself (the old amplitude for an entry of exactly 1)
/// unless it has a -0 part. Zero parts, as in states with real amplitudes, need no general
/// arithmetic.
[[gnu::always_inline]] QELIX_AVX512 inline unsigned update_rows(const Entry8* e, const Monomial4& mono, bool zeros_stay,
                                                                __mmask8 lanes, const __m512d* old, __m512d* out) {
    __mmask8 bad = 0;
    for (int c = 0; c < 4; ++c) bad |= _mm512_fpclass_pd_mask(old[c], 0xB9);  // NaN, infinite, subnormal
    if ((bad & lanes) == 0) {
        for (int r = 0; r < 4; ++r) {
            const __m512d source = pick(old, mono.column[r]);
            out[r] = !(mono.store >> r & 1) ? old[r]
                     : mono.unit >> r & 1   ? source
                                            : term<Part::General>(e[4 * r + mono.column[r]], source);
            bad |= _mm512_fpclass_pd_mask(out[r], 0x04);  // -0
        }
        if ((bad & lanes) == 0) return mono.store;
    }
    if (zeros_stay && all_plus_zero(_mm512_or_pd(_mm512_or_pd(old[0], old[1]), _mm512_or_pd(old[2], old[3])))) return 0;
    general4(e, old, out);
    return 0xF;
}

/// Calls step(at, offset, lanes) for the quadruples [begin, end) of targets (a, b), both from 2
/// on, four neighbouring ones at a time: their row r is at at + offset[r], in the lanes `lanes`.
template <class Step>
QELIX_AVX512 inline void walk_quadruples(double* d, std::size_t a, std::size_t b, std::size_t begin, std::size_t end,
                                         Step&& step) {
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t offset[4] = {0, std::size_t{2} << b, std::size_t{2} << a,
                                   (std::size_t{2} << a) + (std::size_t{2} << b)};
    const std::size_t span = std::size_t{1} << low;
    for (std::size_t g = begin; g < end;) {
        const std::size_t run = std::min(end - g, span - (g & (span - 1)));
        double* base = d + 2 * insert_zero(insert_zero(g, low), high);
        for (std::size_t k = 0; k < run; k += 4) step(base + 2 * k, offset, lanes_of(run - k));
        g += run;
    }
}

/// The quadruples [begin, end) of targets (a, b), both from 2 on, for a monomial matrix.
QELIX_AVX512 void quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m, const Monomial4& mono,
                             bool zeros_stay, std::size_t begin, std::size_t end) {
    Entry8 e[16];
    entries8(m.re, m.im, 16, e);
    walk_quadruples(d, a, b, begin, end, [&](double* at, const std::size_t* offset, __mmask8 lanes) QELIX_AVX512 {
        __m512d old[4], fresh[4];
        for (int c = 0; c < 4; ++c) old[c] = _mm512_maskz_loadu_pd(lanes, at + offset[c]);
        const unsigned changed = update_rows(e, mono, zeros_stay, lanes, old, fresh);
        for (int r = 0; r < 4; ++r)
            if (changed >> r & 1) _mm512_mask_storeu_pd(at + offset[r], lanes, fresh[r]);
    });
}

/// quadruples for a permutation with unit entries (CNOT, SWAP...), its columns packed two bits
/// a row in COLUMNS: registers with no unmovable part are only moved, at half the cost of the
/// general form.
template <unsigned COLUMNS>
QELIX_AVX512 void permuted_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m, bool zeros_stay,
                                      std::size_t begin, std::size_t end) {
    Entry8 e[16];
    entries8(m.re, m.im, 16, e);
    walk_quadruples(d, a, b, begin, end, [&](double* at, const std::size_t* offset, __mmask8 lanes) QELIX_AVX512 {
        __m512d old[4];
        for (int c = 0; c < 4; ++c) old[c] = _mm512_maskz_loadu_pd(lanes, at + offset[c]);
        // Zero regions first: moving +0 around would store it again for nothing.
        if (zeros_stay && all_plus_zero(_mm512_or_pd(_mm512_or_pd(old[0], old[1]), _mm512_or_pd(old[2], old[3]))))
            return;
        if (((unmovable(old[0]) | unmovable(old[1]) | unmovable(old[2]) | unmovable(old[3])) & lanes) == 0) {
            for (int r = 0; r < 4; ++r)
                if (const int c = COLUMNS >> (2 * r) & 3; c != r) _mm512_mask_storeu_pd(at + offset[r], lanes, old[c]);
            return;
        }
        __m512d fresh[4];
        general4(e, old, fresh);
        for (int r = 0; r < 4; ++r) _mm512_mask_storeu_pd(at + offset[r], lanes, fresh[r]);
    });
}

/// Whether four two-bit numbers packed in `code` are 0 to 3 in some order.
constexpr bool is_permutation(unsigned code) {
    unsigned seen = 0;
    for (int r = 0; r < 4; ++r) seen |= 1u << (code >> (2 * r) & 3);
    return seen == 0xF;
}

using PermutedKernel = void (*)(double*, std::size_t, std::size_t, const Matrix4&, bool, std::size_t, std::size_t);

/// permuted_quadruples for every packing of columns, null where the columns repeat.
constexpr auto permuted_kernels = []<unsigned... CODE>(std::integer_sequence<unsigned, CODE...>) {
    return std::array<PermutedKernel, sizeof...(CODE)>{
        (is_permutation(CODE) ? &permuted_quadruples<CODE> : PermutedKernel{nullptr})...};
}
(std::make_integer_sequence<unsigned, 256>{});

/// Four quadruples' amplitudes as they lie in memory, and their rows. Quadruples with
/// qubit 0 or 1 among the targets share registers; lane shuffles (exact moves) bring each
/// row of four neighbouring quadruples into one register and back. `position[p]` holds the
/// amplitudes whose lower target bit is p & 1 and higher target bit p >> 1.
struct LowQuadruples {
    std::size_t low, high;
    double* address[4];
    __m512d position[4];

    /// Points `address` at the registers of quadruples g..g+3, g a multiple of 4. With targets
    /// 0 and 1 a register holds a quadruple; otherwise two quadruples' halves, those without
    /// the high target's bit (address 0 and 1), then with it.
    QELIX_AVX512 void locate(double* d, std::size_t g) {
        if (high == 1) {
            for (int j = 0; j < 4; ++j) address[j] = d + 8 * (g + j);
            return;
        }
        for (int j = 0; j < 2; ++j) {
            address[j] = d + 2 * insert_zero(insert_zero(g + 2 * j, low), high);
            address[2 + j] = address[j] + (std::size_t{2} << high);
        }
    }

    /// Loads quadruples g..g+3, g a multiple of 4.
    QELIX_AVX512 void load(double* d, std::size_t g) {
        locate(d, g);
        if (high == 1) {  // transposed
            __m512d in[4];
            for (int j = 0; j < 4; ++j) in[j] = _mm512_loadu_pd(address[j]);
            transpose(in, position);
            return;
        }
        for (int h = 0; h < 2; ++h) {
            const __m512d x0 = _mm512_loadu_pd(address[2 * h]), x1 = _mm512_loadu_pd(address[2 * h + 1]);
            if (low == 0) {  // [q.0, q.1, q'.0, q'.1]
                position[2 * h] = shuffle<0x88>(x0, x1);
                position[2 * h + 1] = shuffle<0xDD>(x0, x1);
            } else {  // [q.0, q'.0, q.1, q'.1]
                position[2 * h] = shuffle<0x44>(x0, x1);
                position[2 * h + 1] = shuffle<0xEE>(x0, x1);
            }
        }
    }

    /// Stores `position` back; `changed` has bit p set when position[p] may differ from memory.
    QELIX_AVX512 void store(unsigned changed) {
        if (high == 1) {
            __m512d out[4];
            transpose(position, out);
            for (int j = 0; j < 4; ++j) _mm512_storeu_pd(address[j], out[j]);
            return;
        }
        for (int h = 0; h < 2; ++h) {
            if ((changed >> (2 * h) & 3) == 0) continue;
            const __m512d p0 = position[2 * h], p1 = position[2 * h + 1];
            const __m512d u = shuffle<0x44>(p0, p1), v = shuffle<0xEE>(p0, p1);
            _mm512_storeu_pd(address[2 * h], low == 0 ? shuffle<0xD8>(u, u) : u);
            _mm512_storeu_pd(address[2 * h + 1], low == 0 ? shuffle<0xD8>(v, v) : v);
        }
    }

    /// out[p] = lane p of every in[j], in lane j: a 4x4 transpose of complex numbers.
    QELIX_AVX512 static void transpose(const __m512d* in, __m512d* out) {
        const __m512d t0 = shuffle<0x44>(in[0], in[1]), t1 = shuffle<0xEE>(in[0], in[1]);
        const __m512d t2 = shuffle<0x44>(in[2], in[3]), t3 = shuffle<0xEE>(in[2], in[3]);
        out[0] = shuffle<0x88>(t0, t2);
        out[1] = shuffle<0xDD>(t0, t2);
        out[2] = shuffle<0x88>(t1, t3);
        out[3] = shuffle<0xDD>(t1, t3);
    }
};

/// Where LowQuadruples holds each row of targets (a, b), and which row each position holds:
/// row r has target a's bit r >> 1 and b's bit r & 1.
struct RowPositions {
    int where[4], row_at[4];
    RowPositions(std::size_t a, std::size_t b) {
        for (int r = 0; r < 4; ++r) {
            const int bit_a = r >> 1, bit_b = r & 1;
            where[r] = a < b ? bit_a | bit_b << 1 : bit_b | bit_a << 1;
            row_at[where[r]] = r;
        }
    }
};

/// Calls step(g) for g = begin, begin + 4, ... of the quadruples [begin, end) of targets
/// (a, b) from the first multiple of 4; the ragged ends take the scalar path's same bits.
template <class Step>
QELIX_AVX512 inline void walk_aligned_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m,
                                                 std::size_t begin, std::size_t end, Step&& step) {
    const std::size_t first = std::min(end, (begin + 3) & ~std::size_t{3});
    const std::size_t last = std::max(first, end & ~std::size_t{3});
    scalar_two_qubit(d, a, b, m, begin, first);
    for (std::size_t g = first; g < last; g += 4) step(g);
    scalar_two_qubit(d, a, b, m, last, end);
}

/// Calls step(q) with q loaded with the quadruples [begin, end) of targets (a, b), one of them
/// 0 or 1, four at a time.
template <class Step>
QELIX_AVX512 inline void walk_low_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m,
                                             std::size_t begin, std::size_t end, Step&& step) {
    LowQuadruples q{.low = std::min(a, b), .high = std::max(a, b), .address = {}, .position = {}};
    walk_aligned_quadruples(d, a, b, m, begin, end, [&](std::size_t g) QELIX_AVX512 {
        q.load(d, g);
        step(q);
    });
}

/// The quadruples [begin, end) of targets (a, b), one of them 0 or 1, for a monomial matrix.
QELIX_AVX512 void low_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m, const Monomial4& mono,
                                 bool zeros_stay, std::size_t begin, std::size_t end) {
    Entry8 e[16];
    entries8(m.re, m.im, 16, e);
    const RowPositions rows(a, b);
    walk_low_quadruples(d, a, b, m, begin, end, [&](LowQuadruples& q) QELIX_AVX512 {
        __m512d old[4], fresh[4];
        for (int r = 0; r < 4; ++r) old[r] = pick(q.position, rows.where[r]);
        const unsigned changed = update_rows(e, mono, zeros_stay, 0xFF, old, fresh);
        if (changed == 0) return;
        unsigned positions = 0;
        for (int p = 0; p < 4; ++p) {
            q.position[p] = pick(fresh, rows.row_at[p]);
            positions |= (changed >> rows.row_at[p] & 1) << p;
        }
        q.store(positions);
    });
}

/// The quadruples [begin, end) of targets (a, b), one of them 0 or 1, for a diagonal matrix
/// (CZ, controlled phases, Rzz): amplitudes are only scaled, so each register is updated where
/// it lies with its lanes' entries, without the shuffles into rows and back. The rows are as
/// in update_rows, which says when a product alone gives the general arithmetic's bits.
QELIX_AVX512 void diagonal_low_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m,
                                          const Monomial4& mono, bool zeros_stay, std::size_t begin, std::size_t end) {
    LowQuadruples q{.low = std::min(a, b), .high = std::max(a, b), .address = {}, .position = {}};
    // lanes[h], stores[h]: the entries of a register whose amplitudes have the high target's
    // bit h (with targets 0 and 1, of every register), and whether any of them changes.
    Entry8 lanes[2];
    bool stores[2] = {};
    for (std::size_t h = 0; h < 2; ++h) {
        alignas(64) double re[8], im[8];
        for (std::size_t l = 0; l < 4; ++l) {
            const std::size_t index = (q.high == 1 ? 0 : h << q.high) | l;
            const std::size_t r = (index >> a & 1) << 1 | (index >> b & 1);
            re[2 * l] = re[2 * l + 1] = m.re[5 * r];
            im[2 * l] = -m.im[5 * r];
            im[2 * l + 1] = m.im[5 * r];
            stores[h] = stores[h] || (mono.store >> r & 1);
        }
        lanes[h] = {_mm512_load_pd(re), _mm512_load_pd(im)};
    }
    walk_aligned_quadruples(d, a, b, m, begin, end, [&](std::size_t g) QELIX_AVX512 {
        q.locate(d, g);
        __m512d old[4], fresh[4];
        __mmask8 bad = 0;
        for (int j = 0; j < 4; ++j) {
            old[j] = _mm512_loadu_pd(q.address[j]);
            bad |= _mm512_fpclass_pd_mask(old[j], 0xB9);  // NaN, infinite, subnormal
        }
        for (int j = 0; j < 4; ++j) {
            const std::size_t h = q.high == 1 ? 0 : j >> 1;
            fresh[j] = stores[h] ? product(lanes[h], old[j], swap8(old[j])) : old[j];
            bad |= _mm512_fpclass_pd_mask(fresh[j], 0x04);  // -0
        }
        if (bad == 0) {
            for (int j = 0; j < 4; ++j)
                if (stores[q.high == 1 ? 0 : j >> 1]) _mm512_storeu_pd(q.address[j], fresh[j]);
        } else if (!(zeros_stay &&
                     all_plus_zero(_mm512_or_pd(_mm512_or_pd(old[0], old[1]), _mm512_or_pd(old[2], old[3]))))) {
            scalar_two_qubit(d, a, b, m, g, g + 4);
        }
    });
}

/// low_quadruples for a permutation with unit entries, SOURCES packing two bits a position:
/// the position each position's new value comes from. Registers with no unmovable part are
/// only moved.
template <unsigned SOURCES>
QELIX_AVX512 void permuted_low_quadruples(double* d, std::size_t a, std::size_t b, const Matrix4& m, bool zeros_stay,
                                          std::size_t begin, std::size_t end) {
    Entry8 e[16];
    entries8(m.re, m.im, 16, e);
    const RowPositions rows(a, b);
    constexpr unsigned moved = [] {
        unsigned out = 0;
        for (unsigned p = 0; p < 4; ++p) out |= ((SOURCES >> (2 * p) & 3) != p) << p;
        return out;
    }();
    walk_low_quadruples(d, a, b, m, begin, end, [&](LowQuadruples& q) QELIX_AVX512 {
        const __m512d old[4] = {q.position[0], q.position[1], q.position[2], q.position[3]};
        if (zeros_stay && all_plus_zero(_mm512_or_pd(_mm512_or_pd(old[0], old[1]), _mm512_or_pd(old[2], old[3]))))
            return;
        if ((unmovable(old[0]) | unmovable(old[1]) | unmovable(old[2]) | unmovable(old[3])) == 0) {
            for (unsigned k = 0; k < 4; ++k) q.position[k] = old[SOURCES >> (2 * k) & 3];
            q.store(moved);
            return;
        }
        __m512d rows_old[4], fresh[4];
        for (int r = 0; r < 4; ++r) rows_old[r] = pick(old, rows.where[r]);
        general4(e, rows_old, fresh);
        for (int k = 0; k < 4; ++k) q.position[k] = pick(fresh, rows.row_at[k]);
        q.store(0xF);
    });
}

/// Targets 0 and 1 under a permutation with unit entries, `sources` packed as SOURCES of
/// permuted_low_quadruples: a register holds one quadruple, its positions in lane order, so a
/// register with no unmovable part takes one lane permutation where it lies.
QELIX_AVX512 void permuted_lowest(double* d, std::size_t a, std::size_t b, const Matrix4& m, unsigned sources,
                                  bool zeros_stay, std::size_t begin, std::size_t end) {
    alignas(64) std::int64_t lane[8];
    for (unsigned p = 0; p < 4; ++p) {
        const std::int64_t source = sources >> (2 * p) & 3;
        lane[2 * p] = 2 * source;
        lane[2 * p + 1] = 2 * source + 1;
    }
    const __m512i index = _mm512_load_si512(lane);
    four_streams(begin, end, 1, [&](std::size_t g) QELIX_AVX512 {
        double* at = d + 8 * g;
        const __m512d x = _mm512_loadu_pd(at);
        if (zeros_stay && all_plus_zero(x)) return;
        if (unmovable(x) == 0)
            _mm512_storeu_pd(at, _mm512_permutex2var_pd(x, index, x));
        else
            scalar_two_qubit(d, a, b, m, g, g + 1);
    });
}

using PermutedLowKernel = void (*)(double*, std::size_t, std::size_t, const Matrix4&, bool, std::size_t, std::size_t);

/// permuted_low_quadruples for every packing of sources, null where the sources repeat.
constexpr auto permuted_low_kernels = []<unsigned... CODE>(std::integer_sequence<unsigned, CODE...>) {
    return std::array<PermutedLowKernel, sizeof...(CODE)>{
        (is_permutation(CODE) ? &permuted_low_quadruples<CODE> : PermutedLowKernel{nullptr})...};
}
(std::make_integer_sequence<unsigned, 256>{});

/// pairs_kernel_for's kernel with the matrix's entries.
QELIX_AVX512 void apply_pairs(PairsKernel kernel, const Matrix2& m, bool zeros_stay, double* x, double* y,
                              std::size_t count) {
    Entry8 e[4];
    entries8(m.re, m.im, 4, e);
    kernel->apply(e, zeros_stay, x, y, count);
}

}  // namespace

bool available() {
    static const bool yes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
    return yes;
}

bool pairs(double* x, double* y, std::size_t count, const Matrix2& m, bool zeros_stay) {
    const PairsKernel kernel = pairs_kernel_for(m);
    if (kernel == nullptr) return false;
    apply_pairs(kernel, m, zeros_stay, x, y, count);
    return true;
}

QELIX_AVX512 bool one_qubit(double* d, std::size_t target, const Matrix2& m, bool zeros_stay, std::size_t begin,
                            std::size_t end) {
    const PairsKernel kernel = pairs_kernel_for(m);
    if (kernel == nullptr) return false;
    Entry8 e[4];
    entries8(m.re, m.im, 4, e);
    if (target < 4) {
        // Whole registers of four pairs; the ragged ends take the scalar path's same bits.
        const std::size_t first = std::min(end, (begin + 3) & ~std::size_t{3});
        const std::size_t last = std::max(first, end & ~std::size_t{3});
        scalar_one_qubit(d, target, m, begin, first);
        (target < 2 ? kernel->low : kernel->short_runs)(e, zeros_stay, d, target, first, last);
        scalar_one_qubit(d, target, m, last, end);
        return true;
    }
    const std::size_t stride = std::size_t{1} << target;
    for (std::size_t g = begin; g < end;) {
        const std::size_t run = std::min(end - g, stride - (g & (stride - 1))), i = insert_zero(g, target);
        kernel->apply(e, zeros_stay, d + 2 * i, d + 2 * (i + stride), run);
        g += run;
    }
    return true;
}

QELIX_AVX512 bool one_qubit_fused(double* d, std::span<const KernelGate> gates, std::size_t begin, std::size_t end) {
    const std::size_t n = gates.size();
    if (n < 2 || n > 3 || begin % 4 != 0 || end % 4 != 0) return false;
    std::size_t code = 0, targets[3];
    Entry8 e[3][4];
    bool zeros_stay[3];
    for (std::size_t j = 0; j < n; ++j) {
        const KernelGate& g = gates[j];
        const Shape shape = shape_of(g.m2);
        targets[j] = g.targets[0];
        if (g.width != 1 || shape == Shape::None || targets[j] < 2 || std::count(targets, targets + j, targets[j]))
            return false;
        code = code * SHAPES + static_cast<std::size_t>(shape);
        entries8(g.m2.re, g.m2.im, 4, e[j]);
        zeros_stay[j] = keeps_zero_groups(g);
    }
    (n == 2 ? fused2[code] : fused3[code])(e, zeros_stay, d, targets, begin, end);
    return true;
}

bool two_qubit(double* d, std::size_t a, std::size_t b, const Matrix4& m, bool zeros_stay, std::size_t begin,
               std::size_t end) {
    Monomial4 mono;
    if (!monomial4_of(m, mono)) return false;
    unsigned columns = 0;
    for (int r = 0; r < 4; ++r) columns |= static_cast<unsigned>(mono.column[r]) << (2 * r);
    constexpr unsigned DIAGONAL = 0b11'10'01'00;  // row r's entry in column r
    if (std::min(a, b) < 2 && mono.unit == 0xF) {
        const RowPositions rows(a, b);
        unsigned sources = 0;  // position of row r takes the old value at its column's position
        for (int r = 0; r < 4; ++r) sources |= static_cast<unsigned>(rows.where[mono.column[r]]) << (2 * rows.where[r]);
        if (std::max(a, b) == 1)
            permuted_lowest(d, a, b, m, sources, zeros_stay, begin, end);
        else
            permuted_low_kernels[sources](d, a, b, m, zeros_stay, begin, end);
    } else if (std::min(a, b) < 2 && columns == DIAGONAL)
        diagonal_low_quadruples(d, a, b, m, mono, zeros_stay, begin, end);
    else if (std::min(a, b) < 2)
        low_quadruples(d, a, b, m, mono, zeros_stay, begin, end);
    else if (mono.unit == 0xF)
        permuted_kernels[columns](d, a, b, m, zeros_stay, begin, end);
    else
        quadruples(d, a, b, m, mono, zeros_stay, begin, end);
    return true;
}

}  // namespace qelix::avx512

#endif  // QELIX_X86
