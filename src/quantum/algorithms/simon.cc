#include "quantum/algorithms/simon.h"

#include <algorithm>
#include <utility>

#include "core/propagate.h"

namespace qelix {

namespace {

BitString bits_of(std::uint64_t value, std::size_t n) {
    BitString bits(n);
    for (std::size_t k = 0; k < n; ++k) bits[k] = k < 64 && ((value >> k) & 1);
    return bits;
}

/// Equations from the exact outcome distribution of the input register.
Result<std::vector<BitString>> equations_from_distribution(const SimulatorConfig& config, const Circuit& circuit,
                                                           std::size_t n) {
    auto state = statevector(config, circuit);
    QELIX_TRY(state);
    // Fold onto the input register: p[y] sums |amplitude|^2 over every index whose
    // low n bits are y, in index order.
    std::vector<double> p(std::size_t{1} << n, 0.0);
    const std::size_t mask = p.size() - 1;
    auto amplitudes = state->amplitudes();
    for (std::size_t index = 0; index < amplitudes.size(); ++index) p[index & mask] += std::norm(amplitudes[index]);

    std::vector<std::pair<std::size_t, double>> candidates;
    for (std::size_t y = 1; y < p.size(); ++y)
        if (p[y] > SIMON_MIN_PROBABILITY) candidates.emplace_back(y, p[y]);
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });

    std::vector<BitString> equations;
    for (const auto& [y, probability] : candidates) {
        BitString bits = bits_of(y, n);
        if (is_independent(equations, bits, n)) equations.push_back(std::move(bits));
        if (gf2_rank(equations, n) + 1 >= n) break;
    }
    return equations;
}

/// Equations from single noisy shots of the measured input register. With a seed,
/// each round runs under its own seed drawn from it, so rounds differ yet repeat.
Result<std::vector<BitString>> equations_from_runs(const SimulatorConfig& config, Circuit circuit, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) QELIX_TRY(circuit.measure(k));
    std::optional<SeededRng> round_seeds;
    if (config.seed) round_seeds = SeededRng::from_seed_u64(*config.seed);
    SimulatorConfig round_config = config;

    std::vector<BitString> equations;
    for (std::size_t round = 0; round < SIMON_RUNS_PER_QUBIT * n; ++round) {
        if (round_seeds) round_config.seed = round_seeds->next_u64();
        auto result = run(round_config, circuit, 1);
        QELIX_TRY(result);
        std::string key = result->most_probable().first;
        BitString bits(n, false);
        for (std::size_t k = 0; k < n && k < key.size(); ++k) bits[k] = key[k] == '1';
        bool non_zero = std::find(bits.begin(), bits.end(), true) != bits.end();
        if (non_zero && is_independent(equations, bits, n)) equations.push_back(std::move(bits));
        if (gf2_rank(equations, n) + 1 >= n) break;
    }
    return equations;
}

}  // namespace

Status simon_oracle(Circuit& circuit, std::size_t input_offset, std::size_t output_offset, const BitString& secret) {
    auto first = std::find(secret.begin(), secret.end(), true);
    if (first == secret.end())
        return std::unexpected(QuantumError::invalid_argument("Simon oracle secret must be non-zero"));
    auto i = static_cast<std::size_t>(first - secret.begin());
    // Built on a copy so that a bad offset leaves the caller's circuit untouched.
    Circuit work = circuit;
    for (std::size_t j = 0; j < secret.size(); ++j) {
        if (j == i) continue;
        QELIX_TRY(work.cnot(input_offset + j, output_offset + j));
        if (secret[j]) QELIX_TRY(work.cnot(input_offset + i, output_offset + j));
    }
    circuit = std::move(work);
    return {};
}

Result<SimonResult> simon_hidden_xor(const BitString& secret, const SimulatorConfig& config) {
    const std::size_t n = secret.size();
    if (n == 0)
        return std::unexpected(QuantumError::invalid_argument("Simon's algorithm requires at least one input qubit"));
    if (n > MAX_QUBITS / 2) return std::unexpected(QuantumError::too_many_qubits(2 * n, MAX_QUBITS));
    auto circuit = Circuit::create(2 * n);
    QELIX_TRY(circuit);
    for (std::size_t q = 0; q < n; ++q) (void)circuit->h(q);
    QELIX_TRY(simon_oracle(*circuit, 0, n, secret));
    for (std::size_t q = 0; q < n; ++q) (void)circuit->h(q);

    auto equations = config.noise.is_ideal() ? equations_from_distribution(config, *circuit, n)
                                             : equations_from_runs(config, *circuit, n);
    QELIX_TRY(equations);
    return SimonResult{.secret = solve_secret(*equations, n), .iterations_needed = equations->size()};
}

}  // namespace qelix
