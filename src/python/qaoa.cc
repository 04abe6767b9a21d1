// qaoa_maxcut: QAOA on a graph given as edge tuples or by name.
#include <optional>
#include <string>
#include <vector>

#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/algorithms/qaoa.h"

namespace qelix::py {

namespace {

constexpr std::size_t DEFAULT_LAYERS = 2;
constexpr std::size_t DEFAULT_MAX_ITERATIONS = 20;
constexpr std::uint32_t DEFAULT_SHOTS = 1000;

/// Clears an ordinary exception left by a failed read; KeyboardInterrupt and other
/// non-Exception errors keep propagating.
void forget_failure() {
    if (!PyErr_ExceptionMatches(PyExc_Exception)) throw nb::python_error();
    PyErr_Clear();
}

std::optional<std::size_t> read_index(PyObject* obj) {
    nb::object index = nb::steal(PyNumber_Index(obj));
    if (!index.is_valid()) return forget_failure(), std::nullopt;
    const unsigned long long value = PyLong_AsUnsignedLongLong(index.ptr());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return forget_failure(), std::nullopt;
    return value;
}

std::optional<double> read_real(PyObject* obj) {
    const double value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred()) return forget_failure(), std::nullopt;
    return value;
}

/// The edges as a sequence of tuples of exactly `width` items (u, v[, weight]), or
/// nothing when any element does not read that way.
std::optional<std::vector<Edge>> read_edges(nb::handle edges, Py_ssize_t width) {
    if (PyUnicode_Check(edges.ptr()) || !PySequence_Check(edges.ptr())) return std::nullopt;
    const Py_ssize_t size = PySequence_Size(edges.ptr());
    if (size < 0) return forget_failure(), std::nullopt;
    std::vector<Edge> out;
    for (Py_ssize_t i = 0; i < size; ++i) {
        nb::object item = nb::steal(PySequence_GetItem(edges.ptr(), i));
        if (!item.is_valid()) return forget_failure(), std::nullopt;
        if (!PyTuple_Check(item.ptr()) || PyTuple_GET_SIZE(item.ptr()) != width) return std::nullopt;
        auto u = read_index(PyTuple_GET_ITEM(item.ptr(), 0));
        if (!u) return std::nullopt;
        auto v = read_index(PyTuple_GET_ITEM(item.ptr(), 1));
        if (!v) return std::nullopt;
        std::optional<double> weight = 1.0;
        if (width == 3) weight = read_real(PyTuple_GET_ITEM(item.ptr(), 2));
        if (!weight) return std::nullopt;
        out.push_back({*u, *v, *weight});
    }
    return out;
}

Graph graph_from_edges(nb::handle edges, std::optional<std::size_t> num_vertices) {
    std::optional<std::vector<Edge>> list = read_edges(edges, 3);
    if (!list) list = read_edges(edges, 2);
    if (!list) raise(PyExc_ValueError, "edges must be a list of (u, v) or (u, v, weight) tuples");
    if (!num_vertices) raise(PyExc_ValueError, "num_vertices is required when edges are provided");
    if (*num_vertices == 0) raise(PyExc_ValueError, "num_vertices must be greater than zero");
    for (const Edge& e : *list)
        if (e.u >= *num_vertices || e.v >= *num_vertices)
            raise(PyExc_ValueError, "edge (" + std::to_string(e.u) + ", " + std::to_string(e.v) +
                                        ") is out of range for " + std::to_string(*num_vertices) + " vertices");
    return Graph{.edges = std::move(*list), .num_vertices = *num_vertices};
}

Graph graph_by_name(std::optional<std::string_view> name) {
    const std::string_view wanted = name.value_or("square");
    std::optional<Graph> graph = named_graph(wanted);
    if (!graph)
        raise(PyExc_ValueError,
              "unknown graph '" + std::string(wanted) + "', expected triangle, square, or petersen_5");
    return std::move(*graph);
}

nb::str solution_text(const Assignment& assignment) {
    std::string text(assignment.size(), '0');
    for (std::size_t i = 0; i < assignment.size(); ++i)
        if (assignment[i]) text[i] = '1';
    return nb::str(text.data(), text.size());
}

const Signature QAOA_MAXCUT("qaoa_maxcut", {{"edges", "None"},
                                            {"num_vertices", "None"},
                                            {"graph", "None"},
                                            {"p", "2"},
                                            {"max_iterations", "20"},
                                            {"shots", "1000"},
                                            {"seed", "None"}});

PyObject* qaoa_maxcut(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = QAOA_MAXCUT.bind(args, kwargs);
        const std::optional<std::size_t> num_vertices = a.get(1, to_optional_index);
        const std::optional<std::string_view> name = a.get(2, to_optional_text);
        const std::size_t p = a[3].is_valid() ? a.index(3) : DEFAULT_LAYERS;
        const std::size_t max_iterations = a[4].is_valid() ? a.index(4) : DEFAULT_MAX_ITERATIONS;
        const std::uint32_t shots = a[5].is_valid() ? a.get(5, to_u32) : DEFAULT_SHOTS;
        const SimulatorConfig config{.seed = a.get(6, to_optional_index),
                                     .backend = Backend::state_vector(),
                                     .noise = NoiseModel::ideal(),
                                     .parallel = true};
        const Graph graph = absent(a[0]) ? graph_by_name(name) : graph_from_edges(a[0], num_vertices);

        QaoaResult r = unwrap(qelix::qaoa_maxcut(graph, p, max_iterations, shots, config));
        nb::str solution = solution_text(r.best_solution);
        nb::dict out;
        out["best_solution"] = solution;
        out["solution"] = solution;
        out["best_cost"] = nb::float_(r.best_cost);
        out["cost"] = nb::float_(r.best_cost);
        out["optimal_gamma"] = float_list(r.optimal_gamma);
        out["optimal_beta"] = float_list(r.optimal_beta);
        out["approximation_ratio"] =
            r.approximation_ratio ? nb::object(nb::float_(*r.approximation_ratio)) : nb::none();
        out["cost_history"] = float_list(r.cost_history);
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& qaoa_maxcut_def() {
    static PyMethodDef def = QAOA_MAXCUT.def(qaoa_maxcut);
    return def;
}

}  // namespace qelix::py
