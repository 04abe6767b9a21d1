#include "quantum/circuit/draw.h"

#include <algorithm>
#include <variant>
#include <vector>

namespace qelix {

namespace {

/// `label` centred in a field of `width` dashes; a longer label is written whole.
std::string centred(const std::string& label, std::size_t width) {
    if (label.size() >= width) return label;
    std::size_t left = (width - label.size()) / 2;
    return std::string(left, '-') + label + std::string(width - label.size() - left, '-');
}

std::size_t gate_width(const Gate& gate) {
    std::size_t p = gate.num_qubits == 2 ? std::max<std::size_t>(gate.name.size(), 3) : gate.name.size();
    return (p | 1) + 2;
}

/// Fills the cells of one gate column, `mark` being "" or "?" for conditionals.
void gate_cells(std::vector<std::string>& cells, const Gate& gate, const std::vector<std::size_t>& targets,
                const char* mark, std::size_t width) {
    if (targets.size() == 1) {
        cells[targets[0]] = centred("[" + gate.name + mark + "]", width);
        return;
    }
    std::size_t t0 = targets[0], t1 = targets[1];
    for (std::size_t q = std::min(t0, t1) + 1; q < std::max(t0, t1); ++q) cells[q] = centred("|", width);
    if (gate.kind == GateKind::CNOT && !gate.inverse) {
        cells[t0] = centred(std::string("@") + mark, width);
        cells[t1] = centred(std::string("X") + mark, width);
    } else {
        cells[t0] = cells[t1] = centred("[" + gate.name + mark + "]", width);
    }
}

}  // namespace

std::string draw(const Circuit& circuit) {
    std::size_t n = circuit.num_qubits();
    std::vector<std::string> rows(n);
    for (std::size_t q = 0; q < n; ++q) rows[q].append("q").append(std::to_string(q)).append(": ");
    std::vector<std::string> cells(n);
    for (const Instruction& op : circuit.instructions()) {
        std::size_t width = 3;
        if (auto* g = std::get_if<GateOp>(&op)) width = gate_width(g->gate);
        if (auto* c = std::get_if<ConditionalOp>(&op)) width = gate_width(c->gate);
        if (auto* m = std::get_if<MeasureOp>(&op); m && m->condition) width = 5;
        if (auto* r = std::get_if<ResetOp>(&op); r && r->condition) width = 5;
        std::fill(cells.begin(), cells.end(), std::string(width, '-'));
        if (auto* g = std::get_if<GateOp>(&op)) gate_cells(cells, g->gate, g->targets, "", width);
        if (auto* c = std::get_if<ConditionalOp>(&op)) gate_cells(cells, c->gate, c->targets, "?", width);
        if (auto* m = std::get_if<MeasureOp>(&op)) cells[m->qubit] = centred(m->condition ? "[M?]" : "[M]", width);
        if (auto* r = std::get_if<ResetOp>(&op)) cells[r->qubit] = centred(r->condition ? "|0>?" : "|0>", width);
        if (auto* b = std::get_if<BarrierOp>(&op))
            for (std::size_t q : b->qubits) cells[q] = "-|-";
        for (std::size_t q = 0; q < n; ++q) rows[q] += cells[q];
    }
    std::string out;
    for (std::size_t q = 0; q < n; ++q) {
        if (q) out += '\n';
        out += rows[q];
    }
    return out;
}

}  // namespace qelix
