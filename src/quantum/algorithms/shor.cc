#include "quantum/algorithms/shor.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

namespace qelix {

namespace {

constexpr std::uint64_t SATURATED = std::numeric_limits<std::uint64_t>::max();

std::uint64_t saturating_mul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? SATURATED : product;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? SATURATED : sum;
}

/// floor(n^(1/e)) for e >= 2, corrected from the floating-point estimate.
std::uint64_t integer_root(std::uint64_t n, unsigned e) {
    auto power_at_most = [&](std::uint64_t r) {
        std::uint64_t p = 1;
        for (unsigned i = 0; i < e; ++i)
            if (__builtin_mul_overflow(p, r, &p)) return false;
        return p <= n;
    };
    auto r = static_cast<std::uint64_t>(std::pow(static_cast<double>(n), 1.0 / e));
    while (r > 0 && !power_at_most(r)) --r;
    while (power_at_most(r + 1)) ++r;
    return r;
}

ShorResult trivial_split(std::uint64_t n, std::uint64_t p) {
    return {.n = n, .factors = {p, n / p}, .base_a = p, .period_r = 0, .attempts = 1, .success = true};
}

ShorResult no_factor(std::uint64_t n, std::uint32_t attempts) {
    return {.n = n, .factors = {1, n}, .base_a = 0, .period_r = 0, .attempts = attempts, .success = false};
}

/// The register value an ideal counting register of L qubits would read for a
/// random s/r: round(s * 2^L / r) with s drawn among the numbers coprime to r.
std::uint64_t emulated_measurement(std::uint64_t r, unsigned counting_qubits, SeededRng& rng) {
    std::vector<std::uint64_t> coprime;
    for (std::uint64_t s = 1; s < r; ++s)
        if (std::gcd(s, r) == 1) coprime.push_back(s);
    if (coprime.empty()) throw InternalFault("order below 2 reached the emulated measurement");
    std::uint64_t s = coprime[rng.gen_range_u64(0, coprime.size())];
    double scaled = static_cast<double>(s) * std::ldexp(1.0, static_cast<int>(counting_qubits));
    return static_cast<std::uint64_t>(std::round(scaled / static_cast<double>(r)));
}

/// The first multiple of the denominator that is a period of a, else the true order.
std::uint64_t period_from(std::uint64_t denominator, std::uint64_t a, std::uint64_t n, std::uint64_t order) {
    if (denominator == 0) return order;
    for (std::uint64_t m = 1; m <= n; ++m) {
        std::uint64_t candidate = saturating_mul(m, denominator);
        if (pow_mod(a, candidate, n) == 1) return candidate;
    }
    return order;
}

/// A non-trivial factor from an even period, if the period yields one.
std::optional<std::uint64_t> factor_from_period(std::uint64_t a, std::uint64_t period, std::uint64_t n) {
    if (period % 2 != 0) return std::nullopt;
    std::uint64_t x = pow_mod(a, period / 2, n);
    if (x == n - 1 || x == 0) return std::nullopt;
    for (std::uint64_t p : {std::gcd(x + 1, n), std::gcd(x - 1, n)})
        if (p >= 2 && p < n) return p;
    return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> perfect_power_root(std::uint64_t n) {
    if (n < 4) return std::nullopt;
    // The smallest root belongs to the largest exponent, so search exponents
    // downwards instead of bases upwards (which would take sqrt(n) steps).
    auto highest = static_cast<unsigned>(std::bit_width(n) - 1);  // 2^e <= n
    for (unsigned e = highest; e >= 2; --e) {
        std::uint64_t r = integer_root(n, e);
        if (r < 2) continue;
        std::uint64_t p = 1;
        for (unsigned i = 0; i < e; ++i) p *= r;  // r^e <= n, so no overflow
        if (p == n) return r;
    }
    return std::nullopt;
}

std::uint64_t pow_mod(std::uint64_t base, std::uint64_t exponent, std::uint64_t modulus) {
    if (modulus == 1) return 0;
    std::uint64_t result = 1, b = base % modulus;
    while (exponent > 0) {
        if (exponent & 1) result = result * b % modulus;
        b = b * b % modulus;
        exponent >>= 1;
    }
    return result;
}

std::optional<std::uint64_t> multiplicative_order(std::uint64_t a, std::uint64_t n) {
    std::uint64_t v = 1;
    for (std::uint64_t u = 1; u <= n; ++u) {
        v = v * a % n;
        if (v == 1) return u;
    }
    return std::nullopt;
}

std::uint64_t period_denominator(double phase, std::uint64_t n) {
    if (!(phase >= 0.0 && phase < 1.0)) return 0;
    std::uint64_t h1 = 0, h2 = 1, w = 0;
    double x = phase;
    for (std::size_t term = 0; term < SHOR_CF_TERMS; ++term) {
        double c = std::floor(x);
        w = saturating_add(h2, saturating_mul(h1, static_cast<std::uint64_t>(c)));
        if (w > n) return h1;
        if (std::abs(x - c) < SHOR_CF_TOLERANCE) return w;
        x = 1.0 / (x - c);
        h2 = h1;
        h1 = w;
    }
    return w;
}

Result<ShorResult> shor_factor(std::uint64_t n, const SimulatorConfig& config) {
    if (n < SHOR_MIN_N) return std::unexpected(QuantumError::invalid_argument("N must be at least 4"));
    if (n % 2 == 0) return trivial_split(n, 2);
    if (auto root = perfect_power_root(n)) return trivial_split(n, *root);

    auto register_size = static_cast<std::uint64_t>(std::ceil(2.0 * std::log2(static_cast<double>(n))));
    if (register_size > SHOR_MAX_COUNTING_QUBITS)
        return std::unexpected(QuantumError::too_many_qubits(register_size, SHOR_MAX_COUNTING_QUBITS));
    auto counting_qubits = static_cast<unsigned>(std::max(register_size, SHOR_MIN_COUNTING_QUBITS));
    double register_states = std::ldexp(1.0, static_cast<int>(counting_qubits));

    std::vector<std::uint64_t> candidates;
    for (std::uint64_t a = 2; a < n; ++a)
        if (std::gcd(a, n) == 1) candidates.push_back(a);
    if (candidates.empty()) return no_factor(n, 0);

    SeededRng rng = make_rng(config);
    std::uint64_t start = rng.gen_range_u64(0, candidates.size());
    auto attempts = static_cast<std::uint32_t>(std::min<std::size_t>(candidates.size(), SHOR_MAX_ATTEMPTS));
    for (std::uint32_t k = 0; k < attempts; ++k) {
        std::uint64_t a = candidates[(start + k) % candidates.size()];
        auto order = multiplicative_order(a, n);
        if (!order)
            return std::unexpected(QuantumError::simulation(
                "failed to find multiplicative order for a = " + std::to_string(a) + ", n = " + std::to_string(n)));
        std::uint64_t y = emulated_measurement(*order, counting_qubits, rng);
        double phase = static_cast<double>(y) / register_states;
        std::uint64_t period = period_from(period_denominator(phase, n), a, n, *order);
        if (auto p = factor_from_period(a, period, n))
            return ShorResult{
                .n = n, .factors = {*p, n / *p}, .base_a = a, .period_r = period, .attempts = k + 1, .success = true};
    }
    return no_factor(n, attempts);
}

}  // namespace qelix
