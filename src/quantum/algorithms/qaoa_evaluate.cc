#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "quantum/algorithms/qaoa.h"
#include "core/propagate.h"

namespace qelix {

namespace {

constexpr double MIN_PROBABILITY = 1e-12;
constexpr double CUT_TIE = 1e-12;

Status append_layer(Circuit& circuit, const Graph& graph, double gamma, double beta) {
    for (const Edge& e : graph.edges) {
        QELIX_TRY(circuit.cnot(e.u, e.v));
        QELIX_TRY(circuit.rz(e.v, e.weight * (2.0 * gamma)));
        QELIX_TRY(circuit.cnot(e.u, e.v));
    }
    for (std::size_t q = 0; q < circuit.num_qubits(); ++q) QELIX_TRY(circuit.rx(q, 2.0 * beta));
    return {};
}

/// Exact expectation over the basis states; ties in cut go to the likelier state.
template <class CutOf>
Result<QaoaEvaluation> exact_evaluation(const Circuit& circuit, StateWorkspace& workspace, CutOf cut_of) {
    auto state = workspace.run(circuit);
    QELIX_TRY(state);
    const std::span<const Complex> amplitudes = *state;
    std::uint64_t best = 0;
    double best_cut = cut_of(0);
    double best_probability = -1.0;
    double expected = 0.0;
    for (std::uint64_t k = 0; k < amplitudes.size(); ++k) {
        const double re = amplitudes[k].real(), im = amplitudes[k].imag();
        const double q = re * re + im * im;
        if (!(q > MIN_PROBABILITY)) continue;
        const double c = cut_of(k);
        expected += q * c;
        if (c > best_cut || (std::abs(c - best_cut) < CUT_TIE && q > best_probability)) {
            best = k;
            best_cut = c;
            best_probability = q;
        }
    }
    return QaoaEvaluation{expected, assignment_of_index(best, circuit.num_qubits())};
}

Result<QaoaEvaluation> sampled_evaluation(const Graph& graph, Circuit circuit, std::uint32_t shots,
                                          const SimulatorConfig& config) {
    QELIX_TRY(circuit.measure_all());
    auto result = run(config, circuit, std::max<std::uint32_t>(shots, 1));
    QELIX_TRY(result);
    const std::size_t n = circuit.num_qubits();
    QaoaEvaluation out{0.0, Assignment(n)};
    double best_cut = -std::numeric_limits<double>::infinity();
    for (const auto& [key, count] : result->counts) {
        Assignment assignment = assignment_of_key(key, n);
        const double c = cut_value(graph, assignment);
        out.expected_cut += static_cast<double>(count) * c / static_cast<double>(result->total_shots);
        if (c > best_cut) {
            best_cut = c;
            out.assignment = std::move(assignment);
        }
    }
    return out;
}

template <class CutOf>
Result<QaoaEvaluation> evaluate(const Graph& graph, std::span<const double> gammas, std::span<const double> betas,
                                std::uint32_t shots, StateWorkspace& workspace, CutOf cut_of) {
    auto circuit = qaoa_circuit(graph, gammas, betas);
    QELIX_TRY(circuit);
    if (workspace.config().noise.is_ideal()) return exact_evaluation(*circuit, workspace, cut_of);
    return sampled_evaluation(graph, std::move(*circuit), shots, workspace.config());
}

}  // namespace

Result<Circuit> qaoa_circuit(const Graph& graph, std::span<const double> gammas, std::span<const double> betas) {
    if (gammas.size() != betas.size())
        return std::unexpected(QuantumError::invalid_argument("QAOA expects as many betas as gammas, got " +
                                                              std::to_string(betas.size()) + " and " +
                                                              std::to_string(gammas.size())));
    auto circuit = Circuit::create(graph.num_vertices);
    QELIX_TRY(circuit);
    for (std::size_t q = 0; q < graph.num_vertices; ++q) QELIX_TRY(circuit->h(q));
    for (std::size_t m = 0; m < gammas.size(); ++m) QELIX_TRY(append_layer(*circuit, graph, gammas[m], betas[m]));
    return circuit;
}

Result<QaoaEvaluation> qaoa_evaluate(const Graph& graph, std::span<const double> gammas, std::span<const double> betas,
                                     std::uint32_t shots, const SimulatorConfig& config) {
    StateWorkspace workspace(config);
    return evaluate(graph, gammas, betas, shots, workspace,
                    [&graph](std::uint64_t k) { return cut_value_of_index(graph, k); });
}

Result<QaoaEvaluation> qaoa_evaluate(const Graph& graph, std::span<const double> gammas, std::span<const double> betas,
                                     std::uint32_t shots, StateWorkspace& workspace, std::span<const double> cuts) {
    if (cuts.size() != (std::size_t{1} << std::min<std::size_t>(graph.num_vertices, 63)))
        throw InternalFault("cut table does not match the graph");
    return evaluate(graph, gammas, betas, shots, workspace, [cuts](std::uint64_t k) { return cuts[k]; });
}

}  // namespace qelix
