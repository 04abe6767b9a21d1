#include "quantum/algorithms/random_walk.h"

#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "quantum/algorithms/fft.h"
#include "quantum/circuit/gate.h"
#include "quantum/statevector/memory.h"

namespace qelix {

namespace {

/// The two coin amplitudes of one position.
struct CoinPair {
    Complex c0;
    Complex c1;
};

/// re^2 + im^2 of each coin amplitude, summed.
double position_probability(Complex c0, Complex c1) {
    double p0 = c0.real() * c0.real() + c0.imag() * c0.imag();
    double p1 = c1.real() * c1.real() + c1.imag() * c1.imag();
    return p0 + p1;
}

/// U(k)^t psi0 for the Fourier mode k, where U(k) = diag(e^ik, e^-ik) H and
/// psi0 = (1, i)/sqrt(2). U(k) has determinant -1 and trace i*sqrt(2)*sin k, so its
/// eigenvalues (i*sqrt(2)*sin k +- r)/2 with r = sqrt(4 - 2 sin^2 k) >= sqrt(2) stay
/// well apart, and U^t = (l1^t (U - l2) - l2^t (U - l1)) / (l1 - l2).
CoinPair evolved_mode(double k, double steps) {
    const double f = FRAC_1_SQRT_2;
    const Complex psi0(f, 0.0), psi1(0.0, f);
    double s = std::sin(k);
    double r = std::sqrt(4.0 - 2.0 * s * s);
    Complex l1(0.5 * r, std::numbers::sqrt2 * 0.5 * s), l2(-0.5 * r, std::numbers::sqrt2 * 0.5 * s);
    Complex up(std::cos(k), std::sin(k)), down(std::cos(k), -std::sin(k));
    Complex u0 = up * f * (psi0 + psi1), u1 = down * f * (psi0 - psi1);
    // Powers of unit-modulus eigenvalues as rotations: one rounding in the angle,
    // instead of error that grows with every squaring.
    Complex p1 = std::polar(1.0, steps * std::arg(l1)), p2 = std::polar(1.0, steps * std::arg(l2));
    Complex a0 = p1 * (u0 - l2 * psi0) - p2 * (u0 - l1 * psi0);
    Complex a1 = p1 * (u1 - l2 * psi1) - p2 * (u1 - l1 * psi1);
    return {a0 / r, a1 / r};
}

}  // namespace

std::optional<std::uint64_t> random_walk_bytes(std::size_t steps, std::uint64_t extra_bytes_per_position) {
    constexpr std::uint64_t MAX = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t per_position = WALK_BYTES_PER_POSITION + extra_bytes_per_position;
    if (extra_bytes_per_position > MAX - WALK_BYTES_PER_POSITION) return std::nullopt;
    if (steps > (MAX - 1) / 2) return std::nullopt;
    std::uint64_t positions = 2 * std::uint64_t{steps} + 1;
    if (positions > MAX / per_position) return std::nullopt;
    return positions * per_position;
}

Result<RandomWalkResult> random_walk(std::size_t steps, std::uint64_t extra_bytes_per_position) {
    auto bytes = random_walk_bytes(steps, extra_bytes_per_position);
    if (!bytes || !can_provide(*bytes)) {
        std::string need = bytes ? std::to_string(*bytes) + " bytes" : "more than 2^64 bytes";
        return std::unexpected(QuantumError::memory_limit("random walk of " + std::to_string(steps) + " steps needs " +
                                                          need + ", more than the system can provide"));
    }
    RandomWalkResult result;
    result.probabilities =
        steps <= WALK_STEPWISE_MAX_STEPS ? walk_probabilities_stepwise(steps) : walk_probabilities_spectral(steps);
    result.positions.reserve(result.probabilities.size());
    for (std::size_t i = 0; i < result.probabilities.size(); ++i) {
        auto x = static_cast<std::int64_t>(i) - static_cast<std::int64_t>(steps);
        double xf = static_cast<double>(x);
        result.positions.push_back(x);
        result.variance += xf * xf * result.probabilities[i];
    }
    return result;
}

std::vector<double> walk_probabilities_stepwise(std::size_t steps) {
    const double f = FRAC_1_SQRT_2;
    std::size_t size = 2 * steps + 1;
    std::vector<CoinPair> current(size), fresh(size);
    current[steps] = {Complex(f, 0.0), Complex(0.0, f)};
    // After t steps only positions -t..t of the parity of t can be non-zero; every
    // other amplitude is an exact zero that coin and shift would leave zero, so only
    // that window is touched. Each buffer only ever holds one parity, so the wrong
    // parity stays exactly zero.
    for (std::size_t t = 1; t <= steps; ++t) {
        for (std::size_t y = steps - t; y <= steps + t; y += 2) fresh[y] = {};
        for (std::size_t x = steps - (t - 1); x <= steps + (t - 1); x += 2) {
            Complex c0 = current[x].c0, c1 = current[x].c1;
            fresh[x - 1].c0 = (c0 + c1) * f;
            fresh[x + 1].c1 = (c0 - c1) * f;
        }
        current.swap(fresh);
    }
    std::vector<double> probabilities(size);
    for (std::size_t i = 0; i < size; ++i) probabilities[i] = position_probability(current[i].c0, current[i].c1);
    return probabilities;
}

std::vector<double> walk_probabilities_spectral(std::size_t steps) {
    std::size_t size = 2 * steps + 1;
    // The walk never leaves -steps..steps, so a transform of at least that many
    // points reproduces the amplitudes without wrap-around.
    std::size_t n = std::bit_ceil(size);
    std::vector<Complex> coin0(n), coin1(n);
    double t = static_cast<double>(steps);
    for (std::size_t j = 0; j < n; ++j) {
        double k = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
        CoinPair mode = evolved_mode(k, t);
        coin0[j] = mode.c0;
        coin1[j] = mode.c1;
    }
    inverse_fft(coin0);
    inverse_fft(coin1);
    double scale = 1.0 / static_cast<double>(n);
    std::vector<double> probabilities(size, 0.0);
    for (std::size_t i = 0; i < size; i += 2) {
        std::size_t x = i >= steps ? i - steps : n - (steps - i);
        probabilities[i] = position_probability(coin0[x] * scale, coin1[x] * scale);
    }
    return probabilities;
}

}  // namespace qelix
