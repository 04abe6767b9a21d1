#include "quantum/simulator/sampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "quantum/random/rng.h"
#include "quantum/simulator/test_util.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;

namespace {

/// Probabilities of a small state, for feeding the sampler by hand.
Probabilities probabilities_of(const std::vector<Complex>& amplitudes, std::size_t n) {
    StateBuffer state = StateBuffer::allocate(n).value();
    std::copy(amplitudes.begin(), amplitudes.end(), state.amplitudes().begin());
    return std::move(state).into_probabilities();
}

}  // namespace

TEST(Sampler, BinarySearchGivesTheLinearWalksIndex) {
    // Zero-probability entries, an unnormalised total (0.9) and draws on exact sums.
    std::vector<Complex> amps = {{0, 0}, {std::sqrt(0.2), 0}, {0, 0}, {0, std::sqrt(0.3)}, {0, 0},
                                 {0, 0}, {std::sqrt(0.4), 0}, {0, 0}};
    Probabilities p = probabilities_of(amps, 3);
    std::vector<double> values(p.values().begin(), p.values().end());
    Sampler sampler(std::move(p));
    std::vector<double> draws = {0.0,  0.1,   values[1], 0.125, 0.2,  0.25,     0.5, 0.5000000000000001,
                                 0.75, 0.875, 0.8999,    0.9,   0.95, 0.9999999};
    double sum = 0;
    for (double v : values) draws.push_back(sum += v);
    SeededRng rng = SeededRng::from_seed_u64(5);
    for (int i = 0; i < 2000; ++i) draws.push_back(rng.next_f64());
    for (double r : draws) ASSERT_EQ(sampler.index_for(r), testing_util::linear_walk(values, r)) << r;
    EXPECT_EQ(sampler.index_for(0.95), 7u);  // past the total: the last index

    // NaN from some index on: the walk can only stop before it, or fall through.
    std::vector<Complex> broken = {{0.5, 0}, {NAN, 0}, {0.5, 0}, {0.5, 0}};
    Probabilities q = probabilities_of(broken, 2);
    std::vector<double> qv(q.values().begin(), q.values().end());
    Sampler nan_sampler(std::move(q));
    for (double r : {0.0, 0.2, 0.25, 0.3, 0.99})
        EXPECT_EQ(nan_sampler.index_for(r), testing_util::linear_walk(qv, r)) << r;
}

TEST(Sampler, GuidedSearchOnAStateWiderThanTheGuide) {
    // 18 qubits: four sums per guide bucket, many of them zero.
    const std::size_t n = 18;
    std::vector<Complex> amps(std::size_t{1} << n);
    for (std::size_t k = 0; k < amps.size(); ++k)
        if (k % 3 != 0) amps[k] = {std::sin(k * 0.001) * 0.003, 0.0};
    Probabilities p = probabilities_of(amps, n);
    std::vector<double> values(p.values().begin(), p.values().end());
    Sampler sampler(std::move(p));
    std::vector<double> draws = {0.0, 1.0 / 65536, 0.5, 0.9999999999999999};
    double sum = 0;
    for (std::size_t k = 0; k < values.size(); k += 9973) draws.push_back(sum += values[k] * 9973);
    SeededRng rng = SeededRng::from_seed_u64(6);
    for (int i = 0; i < 300; ++i) draws.push_back(rng.next_f64());
    for (double r : draws) ASSERT_EQ(sampler.index_for(r), testing_util::linear_walk(values, r)) << r;
}
