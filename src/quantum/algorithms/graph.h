#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qelix {

/// A weighted undirected edge between vertices u and v.
struct Edge {
    std::size_t u;
    std::size_t v;
    double weight = 1.0;
    bool operator==(const Edge&) const = default;
};

/// A weighted graph whose vertex i is qubit i.
struct Graph {
    std::vector<Edge> edges;
    std::size_t num_vertices = 0;
    bool operator==(const Graph&) const = default;
};

/// Which side of a cut each vertex lies on.
using Assignment = std::vector<bool>;

/// Largest graph QAOA runs on: one qubit per vertex, every basis state enumerated.
inline constexpr std::size_t MAX_QAOA_VERTICES = 12;
/// Largest graph whose 2^n assignments brute-force enumeration may walk.
inline constexpr std::size_t MAX_ENUMERABLE_VERTICES = 32;

/// Element i is bit i of basis index `index`.
Assignment assignment_of_index(std::uint64_t index, std::size_t num_vertices);
/// Element i is true when character i of the outcome key is '1'.
Assignment assignment_of_key(std::string_view key, std::size_t num_vertices);

/// Sum, in edge order, of the weights of edges whose ends lie on different sides.
/// Vertices beyond the assignment count as false.
double cut_value(const Graph& graph, const Assignment& assignment);
/// The cut value of the assignment of basis index `index`.
double cut_value_of_index(const Graph& graph, std::uint64_t index);

/// The cut value of every basis index 0 .. 2^n - 1, each summed exactly as cut_value.
/// A fault above MAX_QAOA_VERTICES.
std::vector<double> cut_table(const Graph& graph);

/// The largest cut value over all 2^n assignments (NaN never wins over a number; 0 for
/// a graph without edges). A fault above MAX_ENUMERABLE_VERTICES.
double max_cut_brute_force(const Graph& graph);

/// "triangle", "square" or "petersen_5" (also "petersen"), all weights 1; else nothing.
std::optional<Graph> named_graph(std::string_view name);

}  // namespace qelix
