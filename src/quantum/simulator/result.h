#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/error.h"

namespace qelix {

/// Observation counts keyed by outcome text; character i of a key is output bit i.
using Counts = std::unordered_map<std::string, std::uint32_t>;

/// One histogram row: outcome, count, count / total_shots.
struct HistogramRow {
    std::string state;
    std::uint32_t count;
    double probability;
    bool operator==(const HistogramRow&) const = default;
};

/// What a run returns: how often each outcome text was observed over all shots.
struct QuantumResult {
    /// Every observed outcome with its (non-zero) count.
    Counts counts;
    /// Characters of every key.
    std::size_t num_bits = 0;
    /// Shots of the run; the sum of all counts.
    std::uint32_t total_shots = 0;
    /// Norm of the state the counts were drawn from: 1 except after a matrix-product-state
    /// run whose bond limit discarded weight (the discarded weight is 1 - norm^2).
    double norm = 1.0;

    /// counts[state] / total_shots, or 0 when the outcome was never observed.
    double probability(const std::string& state) const;
    /// The entry with the largest count (the last met in map order on ties); ("", 0) when empty.
    std::pair<std::string, std::uint32_t> most_probable() const;
    /// Rows in map order, stably sorted by count, largest first.
    std::vector<HistogramRow> histogram_data() const;
    /// The printed histogram: a header and one bar per row, the largest 30 '#' long.
    std::string histogram_text() const;
    /// Mean of +1/-1 for output bit `qubit` being 0/1; QubitOutOfRange past num_bits.
    Result<double> expectation_z(std::size_t qubit) const;
    /// "QuantumResult(N shots, K outcomes)".
    std::string repr() const;
    /// "QuantumResult (N shots):" then "  |key> : count (p%)" per row, no trailing newline.
    std::string str() const;
};

}  // namespace qelix
