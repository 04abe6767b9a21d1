#include "quantum/simulator/result.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace qelix {

namespace {

/// printf into a std::string.
template <class... Args>
std::string format(const char* pattern, Args... args) {
    int length = std::snprintf(nullptr, 0, pattern, args...);
    std::string out(static_cast<std::size_t>(length), '\0');
    std::snprintf(out.data(), out.size() + 1, pattern, args...);
    return out;
}

}  // namespace

double QuantumResult::probability(const std::string& state) const {
    auto it = counts.find(state);
    if (it == counts.end()) return 0.0;
    return static_cast<double>(it->second) / static_cast<double>(total_shots);
}

std::pair<std::string, std::uint32_t> QuantumResult::most_probable() const {
    std::pair<std::string, std::uint32_t> best{"", 0};
    bool first = true;
    for (const auto& [state, count] : counts) {
        if (first || count >= best.second) best = {state, count};
        first = false;
    }
    return best;
}

std::vector<HistogramRow> QuantumResult::histogram_data() const {
    std::vector<HistogramRow> rows;
    rows.reserve(counts.size());
    for (const auto& [state, count] : counts)
        rows.push_back({state, count, static_cast<double>(count) / static_cast<double>(total_shots)});
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.count > b.count; });
    return rows;
}

std::string QuantumResult::histogram_text() const {
    std::string out = format("Results (%u shots, %zu qubits):\n", total_shots, num_bits);
    std::vector<HistogramRow> rows = histogram_data();
    const std::uint32_t top = rows.empty() ? 1 : rows.front().count;
    for (const HistogramRow& row : rows) {
        std::uint64_t scaled =
            std::min<std::uint64_t>(std::uint64_t{row.count} * 30, std::numeric_limits<std::uint32_t>::max());
        std::string bar(static_cast<std::size_t>(scaled / top), '#');
        out += "  |" + row.state + ">: " + format("%5u (%5.1f%%) ", row.count, row.probability * 100.0) + bar + "\n";
    }
    return out;
}

Result<double> QuantumResult::expectation_z(std::size_t qubit) const {
    if (qubit >= num_bits) return std::unexpected(QuantumError::qubit_out_of_range(qubit, num_bits));
    double sum = 0.0;
    for (const auto& [state, count] : counts) {
        double z = qubit < state.size() && state[qubit] != '0' ? -1.0 : 1.0;
        sum += static_cast<double>(count) / static_cast<double>(total_shots) * z;
    }
    return sum;
}

std::string QuantumResult::repr() const {
    return "QuantumResult(" + std::to_string(total_shots) + " shots, " + std::to_string(counts.size()) + " outcomes)";
}

std::string QuantumResult::str() const {
    std::string out = "QuantumResult (" + std::to_string(total_shots) + " shots):\n";
    for (const HistogramRow& row : histogram_data())
        out += "  |" + row.state + "> : " + std::to_string(row.count) + format(" (%.1f%%)\n", row.probability * 100.0);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ' || out.back() == '\t' || out.back() == '\r'))
        out.pop_back();
    return out;
}

}  // namespace qelix
