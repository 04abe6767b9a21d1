#include "quantum/statevector/scalar.h"

#include <algorithm>

namespace qelix {

namespace {

/// A matrix entry as the SSE2 path holds it: m*a = (mr*ar + (-mi)*ai, mr*ai + mi*ar), the
/// negated product added rather than subtracted (the same IEEE operation).
struct Entry {
    double re;
    double im;
};

/// One complex product m*a, lane by lane as the vector paths compute it.
inline void product(const Entry& m, const double* a, double& re, double& im) {
    re = m.re * a[0] + (-m.im) * a[1];
    im = m.re * a[1] + m.im * a[0];
}

/// Row r of a DIM x DIM matrix applied to the old amplitudes `old`: the sum in ascending column order.
template <int DIM>
inline void row(const Entry* e, const double (*old)[2], double* out) {
    product(e[0], old[0], out[0], out[1]);
    for (int c = 1; c < DIM; ++c) {
        double re, im;
        product(e[c], old[c], re, im);
        out[0] = out[0] + re;
        out[1] = out[1] + im;
    }
}

template <int DIM>
void entries(const double* re, const double* im, Entry* e) {
    for (int k = 0; k < DIM * DIM; ++k) e[k] = {re[k], im[k]};
}

}  // namespace

void scalar_pairs(const Matrix2& m, double* x, double* y, std::size_t count) {
    Entry e[4];
    entries<2>(m.re, m.im, e);
    for (std::size_t k = 0; k < 2 * count; k += 2) {
        const double old[2][2] = {{x[k], x[k + 1]}, {y[k], y[k + 1]}};
        row<2>(e, old, x + k);
        row<2>(e + 2, old, y + k);
    }
}

void scalar_one_qubit(double* d, std::size_t target, const Matrix2& m, std::size_t begin, std::size_t end) {
    const std::size_t stride = std::size_t{1} << target;
    for (std::size_t g = begin; g < end;) {
        const std::size_t run = std::min(end - g, stride - (g & (stride - 1))), i = insert_zero(g, target);
        scalar_pairs(m, d + 2 * i, d + 2 * (i + stride), run);
        g += run;
    }
}

void scalar_two_qubit(double* d, std::size_t a, std::size_t b, const Matrix4& m, std::size_t begin, std::size_t end) {
    Entry e[16];
    entries<4>(m.re, m.im, e);
    const std::size_t low = std::min(a, b), high = std::max(a, b);
    const std::size_t offset[4] = {0, std::size_t{2} << b, std::size_t{2} << a,
                                   (std::size_t{2} << a) + (std::size_t{2} << b)};
    for (std::size_t g = begin; g < end; ++g) {
        double* base = d + 2 * insert_zero(insert_zero(g, low), high);
        double old[4][2];
        for (int c = 0; c < 4; ++c) old[c][0] = base[offset[c]], old[c][1] = base[offset[c] + 1];
        for (int r = 0; r < 4; ++r) row<4>(e + 4 * r, old, base + offset[r]);
    }
}

}  // namespace qelix
