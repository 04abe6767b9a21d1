#include "quantum/mps/split.h"

#include <Eigen/Core>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>

namespace qelix {

namespace {

using RowMatrix = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

/// theta = A * B as the (2L) x (2R) matrix with row 2l + s1 and column s2 * R + r:
/// the row-major layouts of the sites are exactly (2L) x M and M x (2R).
RowMatrix contract(const SiteTensor& a, const SiteTensor& b) {
    Eigen::Map<const RowMatrix> left(a.data.data(), Eigen::Index(2 * a.left), Eigen::Index(a.right));
    Eigen::Map<const RowMatrix> right(b.data.data(), Eigen::Index(b.left), Eigen::Index(2 * b.right));
    return left * right;
}

/// (xr*yr - xi*yi) + i(xr*yi + xi*yr), without the library's NaN recovery path.
Complex mul(const Complex& x, const Complex& y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}

/// theta'(l, p, r) = sum over q ascending of G[p][q] * theta(l, q, r), local index p = 2*s1 + s2.
RowMatrix apply_gate(const RowMatrix& theta, const Gate& gate, std::size_t left, std::size_t right) {
    RowMatrix out(theta.rows(), theta.cols());
    for (std::size_t l = 0; l < left; ++l)
        for (std::size_t r = 0; r < right; ++r) {
            Complex old[4];
            for (std::size_t q = 0; q < 4; ++q)
                old[q] = theta(Eigen::Index(2 * l + q / 2), Eigen::Index((q % 2) * right + r));
            for (std::size_t p = 0; p < 4; ++p) {
                Complex sum = mul(gate.matrix[p * 4], old[0]);
                for (std::size_t q = 1; q < 4; ++q) sum += mul(gate.matrix[p * 4 + q], old[q]);
                out(Eigen::Index(2 * l + p / 2), Eigen::Index((p % 2) * right + r)) = sum;
            }
        }
    return out;
}

/// Largest residual, relative to the norm of X, that a decomposition may leave.
constexpr double SVD_TOLERANCE = 1e-11;

/// A fixed vector of generic entries, for probing a decomposition in O(size^2).
Eigen::VectorXcd probe(Eigen::Index size) {
    Eigen::VectorXcd z(size);
    for (Eigen::Index k = 0; k < size; ++k)
        z[k] = Complex(std::cos(0.7 * double(k) + 0.3), std::sin(1.3 * double(k) + 0.1));
    return z;
}

/// Whether `svd` really decomposes X: finite, non-negative descending values, and U,
/// V orthonormal with X = U diag(sigma) V^H, checked on probe vectors. A wrong
/// factorisation leaves a residual along almost every vector, the probe's included.
template <class Svd>
bool verified(const Svd& svd, const RowMatrix& x) {
    if (svd.info() != Eigen::Success || !svd.computeU() || !svd.computeV()) return false;
    const auto& u = svd.matrixU();
    const auto& v = svd.matrixV();
    const auto& sigma = svd.singularValues();
    if (!u.allFinite() || !v.allFinite() || !sigma.allFinite()) return false;
    for (Eigen::Index k = 0; k < sigma.size(); ++k)
        if (sigma[k] < 0.0 || (k > 0 && sigma[k] > sigma[k - 1])) return false;
    const Eigen::VectorXcd z = probe(x.cols()), w = probe(sigma.size());
    const double scale = std::max(x.norm(), 1e-300) * z.norm();
    const Eigen::VectorXcd reconstructed = u * (sigma.asDiagonal() * (v.adjoint() * z));
    return (x * z - reconstructed).norm() <= SVD_TOLERANCE * scale &&
           (u.adjoint() * (u * w) - w).norm() <= SVD_TOLERANCE * w.norm() &&
           (v.adjoint() * (v * w) - w).norm() <= SVD_TOLERANCE * w.norm();
}

template <class Svd>
Result<SitePair> decompose_with(const Svd& svd, std::size_t left, std::size_t right, std::size_t max_bond_dim);

/// The thin SVD of X. Divide and conquer is fast at the sizes that bond limits like 64
/// produce, but Eigen 3.4's version returns wrong or NaN factors for some matrices with
/// repeated singular values, which swaps and Bell pairs make common. Every result is
/// therefore verified, and a failing one is redone with the slower, robust Jacobi method.
Result<SitePair> decompose(const RowMatrix& x, std::size_t left, std::size_t right, std::size_t max_bond_dim) {
    constexpr unsigned OPTIONS = Eigen::ComputeThinU | Eigen::ComputeThinV;
    Eigen::BDCSVD<Eigen::MatrixXcd> fast(x, OPTIONS);
    if (verified(fast, x)) return decompose_with(fast, left, right, max_bond_dim);
    return decompose_with(Eigen::JacobiSVD<Eigen::MatrixXcd>(x, OPTIONS), left, right, max_bond_dim);
}

template <class Svd>
Result<SitePair> decompose_with(const Svd& svd, std::size_t left, std::size_t right, std::size_t max_bond_dim) {
    // Non-finite input (a NaN rotation angle, say) yields no usable factors at all.
    if (!svd.computeU() || svd.info() != Eigen::Success)
        return std::unexpected(QuantumError::simulation("MPS SVD failed to compute U"));
    if (!svd.computeV()) return std::unexpected(QuantumError::simulation("MPS SVD failed to compute V^T"));

    const auto& sigma = svd.singularValues();
    const auto& u = svd.matrixU();
    const auto& v = svd.matrixV();
    const std::size_t keep = kept_rank(sigma.data(), std::size_t(sigma.size()), max_bond_dim);

    SitePair pair{.first = {.data = std::vector<Complex>(2 * left * keep), .left = left, .right = keep},
                  .second = {.data = std::vector<Complex>(keep * 2 * right), .left = keep, .right = right}};
    for (std::size_t row = 0; row < 2 * left; ++row)
        for (std::size_t k = 0; k < keep; ++k) pair.first.data[row * keep + k] = u(Eigen::Index(row), Eigen::Index(k));
    // X = U diag(sigma) V^H, so row k of V^T is the conjugate of column k of V.
    for (std::size_t k = 0; k < keep; ++k)
        for (std::size_t col = 0; col < 2 * right; ++col) {
            const Complex vt = std::conj(v(Eigen::Index(col), Eigen::Index(k)));
            pair.second.data[k * 2 * right + col] =
                Complex(sigma[Eigen::Index(k)] * vt.real(), sigma[Eigen::Index(k)] * vt.imag());
        }
    return pair;
}

}  // namespace

std::size_t kept_rank(const double* singular_values, std::size_t count, std::size_t max_bond_dim) {
    std::size_t keep = 0;
    while (keep < count && singular_values[keep] > MPS_SINGULAR_CUTOFF) ++keep;
    return std::min(std::max<std::size_t>(keep, 1), max_bond_dim);
}

Result<SitePair> split_pair(const SiteTensor& a, const SiteTensor& b, const Gate& gate, std::size_t max_bond_dim) {
    if (a.right != b.left || gate.matrix.size() != 16)
        throw InternalFault("split_pair: mismatched bond or a gate that is not 4x4");
    const std::size_t left = a.left, right = b.right;
    return decompose(apply_gate(contract(a, b), gate, left, right), left, right, max_bond_dim);
}

}  // namespace qelix
