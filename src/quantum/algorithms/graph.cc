#include "quantum/algorithms/graph.h"

#include <initializer_list>
#include <limits>
#include <utility>

#include "core/error.h"

namespace qelix {

namespace {

bool side_of_index(std::uint64_t index, std::size_t vertex) { return vertex < 64 && ((index >> vertex) & 1) != 0; }

bool side_of(const Assignment& assignment, std::size_t vertex) {
    return vertex < assignment.size() && assignment[vertex];
}

void check_enumerable(const Graph& graph) {
    if (graph.num_vertices > MAX_ENUMERABLE_VERTICES) throw InternalFault("graph too large to enumerate its cuts");
}

Graph unit_graph(std::size_t num_vertices, std::initializer_list<std::pair<std::size_t, std::size_t>> pairs) {
    Graph graph{.edges = {}, .num_vertices = num_vertices};
    for (auto [u, v] : pairs) graph.edges.push_back({u, v, 1.0});
    return graph;
}

}  // namespace

Assignment assignment_of_index(std::uint64_t index, std::size_t num_vertices) {
    Assignment assignment(num_vertices);
    for (std::size_t i = 0; i < num_vertices; ++i) assignment[i] = side_of_index(index, i);
    return assignment;
}

Assignment assignment_of_key(std::string_view key, std::size_t num_vertices) {
    Assignment assignment(num_vertices);
    for (std::size_t i = 0; i < num_vertices && i < key.size(); ++i) assignment[i] = key[i] == '1';
    return assignment;
}

double cut_value(const Graph& graph, const Assignment& assignment) {
    double cut = 0.0;
    for (const Edge& e : graph.edges)
        if (side_of(assignment, e.u) != side_of(assignment, e.v)) cut += e.weight;
    return cut;
}

double cut_value_of_index(const Graph& graph, std::uint64_t index) {
    double cut = 0.0;
    for (const Edge& e : graph.edges)
        if (side_of_index(index, e.u) != side_of_index(index, e.v)) cut += e.weight;
    return cut;
}

std::vector<double> cut_table(const Graph& graph) {
    if (graph.num_vertices > MAX_QAOA_VERTICES) throw InternalFault("graph too large for a table of its cuts");
    std::vector<double> table(std::size_t{1} << graph.num_vertices);
    for (std::size_t k = 0; k < table.size(); ++k) table[k] = cut_value_of_index(graph, k);
    return table;
}

double max_cut_brute_force(const Graph& graph) {
    check_enumerable(graph);
    const std::uint64_t count = std::uint64_t{1} << graph.num_vertices;
    double best = 0.0;
    bool have_number = false;
    for (std::uint64_t k = 0; k < count; ++k) {
        const double cut = cut_value_of_index(graph, k);
        if (cut != cut) continue;
        if (!have_number || cut > best) best = cut;
        have_number = true;
    }
    return have_number ? best : std::numeric_limits<double>::quiet_NaN();
}

std::optional<Graph> named_graph(std::string_view name) {
    if (name == "triangle") return unit_graph(3, {{0, 1}, {1, 2}, {0, 2}});
    if (name == "square") return unit_graph(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
    if (name == "petersen_5" || name == "petersen") return unit_graph(5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}});
    return std::nullopt;
}

}  // namespace qelix
