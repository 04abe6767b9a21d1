#include <Eigen/Core>
#include <Eigen/QR>
#include <algorithm>
#include <cmath>
#include <map>

#include "quantum/mps/sample.h"

#include "core/interrupt.h"

namespace qelix {

namespace {

/// Below this a branch weight counts as empty: it is neither chosen by ratio nor renormalised.
constexpr double BRANCH_FLOOR = 1e-12;

Complex mul(const Complex& x, const Complex& y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}

/// w_s(r) = sum over l ascending of v(l) * A(l, s, r), for s = 0 and 1 at once.
void project(const std::vector<Complex>& v, const SiteTensor& site, std::vector<Complex>& w0,
             std::vector<Complex>& w1) {
    w0.assign(site.right, Complex(0.0, 0.0));
    w1.assign(site.right, Complex(0.0, 0.0));
    for (std::size_t l = 0; l < site.left; ++l) {
        const Complex* zero = &site.data[(l * 2) * site.right];
        const Complex* one = zero + site.right;
        for (std::size_t r = 0; r < site.right; ++r) {
            w0[r] += mul(v[l], zero[r]);
            w1[r] += mul(v[l], one[r]);
        }
    }
}

double weight(const std::vector<Complex>& w) {
    double sum = 0.0;
    for (const Complex& x : w) sum += x.real() * x.real() + x.imag() * x.imag();
    return sum;
}

/// v = w / sqrt(g), or w itself when g is too small to divide by.
void renormalise(std::vector<Complex>& w, double g) {
    if (g <= BRANCH_FLOOR) return;
    const double norm = std::sqrt(g);
    for (Complex& x : w) x = Complex(x.real() / norm, x.imag() / norm);
}

using RowMatrix = Eigen::Matrix<Complex, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

/// The chain in right-canonical form: the same state, with every site after the first
/// an isometry (sum over s, r of B(l, s, r) * conj(B(l', s, r)) = delta(l, l')) and the
/// norm on site 0. Only then does |w|^2 of a left sweep give the marginal weight of the
/// qubits drawn so far: the splits leave isometries on the left and the weights on the
/// right, so the raw chain would make, say, cos(1)|000> + sin(1)|111> look even.
/// Each site, as the matrix M of left x (2 right), is factored M = R^H Q^H from a QR of
/// M^H; Q^H stays and R^H moves into the previous site.
std::vector<SiteTensor> right_canonical(const MpsState& state) {
    std::vector<SiteTensor> sites = state.sites();
    for (std::size_t q = sites.size() - 1; q > 0; --q) {
        SiteTensor& site = sites[q];
        SiteTensor& previous = sites[q - 1];
        const Eigen::Index left = Eigen::Index(site.left), cols = Eigen::Index(2 * site.right);
        const RowMatrix adjoint = Eigen::Map<const RowMatrix>(site.data.data(), left, cols).adjoint();
        const Eigen::HouseholderQR<RowMatrix> qr(adjoint);
        const Eigen::Index rank = std::min(left, cols);
        const RowMatrix q_thin = qr.householderQ() * RowMatrix::Identity(cols, rank);
        const RowMatrix r_top = qr.matrixQR().topRows(rank).triangularView<Eigen::Upper>();

        const RowMatrix isometry = q_thin.adjoint();  // rank x (2 right)
        site.data.assign(isometry.data(), isometry.data() + isometry.size());
        site.left = std::size_t(rank);
        const RowMatrix carried =
            Eigen::Map<const RowMatrix>(previous.data.data(), Eigen::Index(2 * previous.left), left) * r_top.adjoint();
        previous.data.assign(carried.data(), carried.data() + carried.size());
        previous.right = std::size_t(rank);
        if (interrupted(16 * left * cols * cols)) break;  // the caller reports it
    }
    return sites;
}

/// One shot: a left-to-right sweep choosing each qubit from the conditional weights.
OutcomeWord draw_one(const std::vector<SiteTensor>& sites, SeededRng& rng, std::vector<Complex>& v,
                     std::vector<Complex>& w0, std::vector<Complex>& w1) {
    OutcomeWord word;
    v.assign(1, Complex(1.0, 0.0));
    for (std::size_t q = 0; q < sites.size(); ++q) {
        project(v, sites[q], w0, w1);
        const double g = weight(w0), h = weight(w1);
        const double u = rng.next_f64();
        if (g / std::max(g + h, BRANCH_FLOOR) > u) {
            renormalise(w0, g);
            std::swap(v, w0);
        } else {
            word.set_bit(q);
            renormalise(w1, h);
            std::swap(v, w1);
        }
    }
    return word;
}

}  // namespace

Result<std::vector<WordCount>> sample(const MpsState& state, std::uint32_t shots, SeededRng& rng) {
    const std::vector<SiteTensor> sites = right_canonical(state);
    if (interrupt_requested()) return std::unexpected(QuantumError::interrupted());
    // A shot sweeps every site, each a vector-matrix product over its bond.
    const auto largest = static_cast<std::int64_t>(state.largest_bond());
    const std::int64_t shot_work = 4 * static_cast<std::int64_t>(sites.size()) * largest * largest;
    std::map<OutcomeWord, std::uint64_t> counts;
    std::vector<Complex> v, w0, w1;
    for (std::uint32_t shot = 0; shot < shots; ++shot) {
        ++counts[draw_one(sites, rng, v, w0, w1)];
        if (interrupted(shot_work)) return std::unexpected(QuantumError::interrupted());
    }
    std::vector<WordCount> pairs(counts.begin(), counts.end());
    // The map yields words ascending, so a stable sort by count keeps ties in word order.
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const WordCount& x, const WordCount& y) { return x.second > y.second; });
    return pairs;
}

}  // namespace qelix
