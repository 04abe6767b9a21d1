#include "quantum/circuit/svg.h"

#include <algorithm>
#include <string_view>
#include <variant>
#include <vector>

namespace qelix {

namespace {

constexpr int ROW = 40;        ///< Vertical distance between wires.
constexpr int LEFT = 44;       ///< Room for the wire labels.
constexpr int TOP = 8;         ///< Margin above the first wire.
constexpr int GAP = 12;        ///< Space between columns.
constexpr int BOX = 28;        ///< Height and smallest width of a gate box.
constexpr int NAME_CHAR = 8;   ///< Width of one character of a gate name (13 px monospace).
constexpr int ANGLE_CHAR = 6;  ///< Width of one character of an angle (10 px monospace).

/// A gate name split for display: "Rx(0.500)^dagger" shows as "Rx†" over "0.500".
struct Label {
    std::string base;  ///< The name without angles and daggers; picks the colour.
    std::string name;
    std::string angle;
    std::size_t chars = 0;  ///< Characters of `name` as displayed.
};

Label label_of(std::string_view name) {
    Label label;
    std::size_t daggers = 0;
    for (constexpr std::string_view suffix = "^dagger"; name.ends_with(suffix); ++daggers)
        name.remove_suffix(suffix.size());
    std::size_t open = name.find('(');
    label.base = std::string(name.substr(0, open));
    label.name = label.base;
    if (open != std::string_view::npos && name.back() == ')')
        label.angle = std::string(name.substr(open + 1, name.size() - open - 2));
    label.chars = label.name.size() + daggers;
    for (std::size_t i = 0; i < daggers; ++i) label.name += "\u2020";
    return label;
}

int box_width(const Label& label) {
    int text = std::max(NAME_CHAR * static_cast<int>(label.chars), ANGLE_CHAR * static_cast<int>(label.angle.size()));
    return std::max(BOX, text + 12);
}

/// Fill colour by gate family, so that a picture reads at a glance.
const char* fill_of(std::string_view base) {
    if (base == "H") return "#d64545";
    if (base == "X" || base == "Y" || base == "Z") return "#3b73d9";
    if (base == "Rx" || base == "Ry" || base == "U3" || base == "SX") return "#8a5cd1";
    if (base == "S" || base == "Sdg" || base == "T" || base == "Tdg" || base == "Rz" || base.starts_with("R"))
        return "#12908e";
    return "#6f6f6f";
}

std::string escape(std::string_view text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch;
        }
    }
    return out;
}

int wire_y(std::size_t row) { return TOP + ROW * static_cast<int>(row) + ROW / 2; }

std::string num(int v) { return std::to_string(v); }

/// A line in `stroke` (black unless given); `extra` adds attributes other than the colour.
void line(std::string& out, int x1, int y1, int x2, int y2, std::string_view extra = "", const char* stroke = "#000") {
    out += "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) + "\" y2=\"" + num(y2) +
           "\" stroke=\"" + stroke + "\"";
    out.append(extra).append("/>");
}

void dot(std::string& out, int x, int y, int r = 5) {
    out += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"" + num(r) + "\" fill=\"#000\"/>";
}

void box(std::string& out, int x, std::size_t row, const Label& label, bool dashed) {
    int w = box_width(label), y = wire_y(row);
    out += "<rect x=\"" + num(x - w / 2) + "\" y=\"" + num(y - BOX / 2) + "\" width=\"" + num(w) + "\" height=\"" +
           num(BOX) + "\" rx=\"3\" fill=\"" + fill_of(label.base) + "\"" +
           (dashed ? " stroke=\"#000\" stroke-dasharray=\"3 2\"" : "") + "/>";
    int name_y = label.angle.empty() ? y + 5 : y - 1;
    out += "<text x=\"" + num(x) + "\" y=\"" + num(name_y) + "\" fill=\"#fff\">" + escape(label.name) + "</text>";
    if (!label.angle.empty())
        out += "<text x=\"" + num(x) + "\" y=\"" + num(y + 10) + "\" fill=\"#fff\" font-size=\"10\">" +
               escape(label.angle) + "</text>";
}

void plus_target(std::string& out, int x, int y) {
    out += "<circle cx=\"" + num(x) + "\" cy=\"" + num(y) + "\" r=\"11\" fill=\"#3b73d9\"/>";
    line(out, x - 7, y, x + 7, y, " stroke-width=\"2\"", "#fff");
    line(out, x, y - 7, x, y + 7, " stroke-width=\"2\"", "#fff");
}

void cross(std::string& out, int x, int y) {
    line(out, x - 6, y - 6, x + 6, y + 6, " stroke-width=\"2\"");
    line(out, x - 6, y + 6, x + 6, y - 6, " stroke-width=\"2\"");
}

/// "CR{k}" or one of its daggers: a controlled phase drawn as a control and an R{k} box.
bool is_controlled_phase(std::string_view name) {
    return name.starts_with("CR") && name.size() > 2 && name[2] >= '0' && name[2] <= '9';
}

void gate(std::string& out, const Gate& g, const std::vector<std::size_t>& targets, int x, bool dashed) {
    Label label = label_of(g.name);
    if (targets.size() == 1) return box(out, x, targets[0], label, dashed);
    int y0 = wire_y(targets[0]), y1 = wire_y(targets[1]);
    line(out, x, y0, x, y1, " stroke-width=\"2\"");
    if (g.name == "CNOT") {
        dot(out, x, y0);
        plus_target(out, x, y1);
    } else if (g.name == "CZ") {
        dot(out, x, y0);
        dot(out, x, y1);
    } else if (g.name == "SWAP") {
        cross(out, x, y0);
        cross(out, x, y1);
    } else if (g.name == "CY" || is_controlled_phase(g.name)) {
        dot(out, x, y0);
        label.base.erase(0, 1);
        label.name.erase(0, 1);
        --label.chars;
        box(out, x, targets[1], label, dashed);
    } else {
        box(out, x, targets[0], label, dashed);
        box(out, x, targets[1], label, dashed);
    }
}

/// A double line from `top` down to the classical wire, ending in a dot, with `note` below it.
void classical_link(std::string& out, int x, int top, std::size_t classical_row, const std::string& note) {
    int bottom = wire_y(classical_row);
    line(out, x - 2, top, x - 2, bottom, "", "#555");
    line(out, x + 2, top, x + 2, bottom, "", "#555");
    dot(out, x, bottom, 4);
    out += "<text x=\"" + num(x) + "\" y=\"" + num(bottom + 15) + "\" font-size=\"10\">" + escape(note) + "</text>";
}

void meter(std::string& out, int x, std::size_t row) {
    int y = wire_y(row);
    out += "<rect x=\"" + num(x - BOX / 2) + "\" y=\"" + num(y - BOX / 2) + "\" width=\"" + num(BOX) + "\" height=\"" +
           num(BOX) + "\" rx=\"3\" fill=\"#e8e8e8\" stroke=\"#333\"/>";
    out += "<path d=\"M" + num(x - 9) + " " + num(y + 6) + " A10 10 0 0 1 " + num(x + 9) + " " + num(y + 6) +
           "\" fill=\"none\" stroke=\"#333\"/>";
    line(out, x, y + 7, x + 7, y - 7, "", "#333");
}

/// What a reset's box shows.
constexpr std::string_view RESET_LABEL = "|0>";

/// Rows an instruction occupies (the classical wire is row n), first to last; empty when none.
std::pair<std::size_t, std::size_t> span_of(const Instruction& op, std::size_t n) {
    auto range = [](const std::vector<std::size_t>& q) {
        return std::pair{*std::min_element(q.begin(), q.end()), *std::max_element(q.begin(), q.end())};
    };
    if (auto* g = std::get_if<GateOp>(&op)) return range(g->targets);
    if (auto* c = std::get_if<ConditionalOp>(&op)) return {range(c->targets).first, n};
    if (auto* m = std::get_if<MeasureOp>(&op)) return {m->qubit, n};
    if (auto* r = std::get_if<ResetOp>(&op)) return {r->qubit, r->condition ? n : r->qubit};
    const auto& b = std::get<BarrierOp>(op);
    if (b.qubits.empty()) return {1, 0};
    return range(b.qubits);
}

int width_of(const Instruction& op) {
    if (auto* g = std::get_if<GateOp>(&op)) return box_width(label_of(g->gate.name));
    if (auto* c = std::get_if<ConditionalOp>(&op)) return box_width(label_of(c->gate.name));
    if (std::holds_alternative<MeasureOp>(op)) return BOX;
    if (std::holds_alternative<ResetOp>(op)) return box_width(label_of(RESET_LABEL));
    return 12;
}

std::string condition_note(const std::vector<std::size_t>& classical_bits, std::uint64_t value) {
    std::string bits;
    for (std::size_t b : classical_bits) bits += (bits.empty() ? "" : ",") + std::to_string(b);
    return "c[" + bits + "]=" + std::to_string(value);
}

void instruction(std::string& out, const Instruction& op, int x, std::size_t n) {
    if (auto* g = std::get_if<GateOp>(&op)) return gate(out, g->gate, g->targets, x, false);
    if (auto* c = std::get_if<ConditionalOp>(&op)) {
        std::size_t lowest = *std::max_element(c->targets.begin(), c->targets.end());
        classical_link(out, x, wire_y(lowest) + BOX / 2, n, condition_note(c->classical_bits, c->value));
        return gate(out, c->gate, c->targets, x, true);
    }
    if (auto* m = std::get_if<MeasureOp>(&op)) {
        classical_link(out, x, wire_y(m->qubit) + BOX / 2, n, std::to_string(m->classical_bit));
        return meter(out, x, m->qubit);
    }
    if (auto* r = std::get_if<ResetOp>(&op)) {
        if (r->condition)
            classical_link(out, x, wire_y(r->qubit) + BOX / 2, n,
                           condition_note(r->condition->classical_bits, r->condition->value));
        static const Gate reset_box{std::string(RESET_LABEL), {}, 1};
        return gate(out, reset_box, {r->qubit}, x, r->condition.has_value());
    }
    auto [first, last] = span_of(op, n);
    out += "<rect x=\"" + num(x - 6) + "\" y=\"" + num(wire_y(first) - ROW / 2 + 2) + "\" width=\"12\" height=\"" +
           num(ROW * static_cast<int>(last - first + 1) - 4) + "\" fill=\"#bbb\" fill-opacity=\"0.5\"/>";
    line(out, x, wire_y(first) - ROW / 2 + 2, x, wire_y(last) + ROW / 2 - 2, " stroke-dasharray=\"4 3\"", "#666");
}

/// Where each instruction goes: its column, or none for those past `max_columns`.
struct Layout {
    std::vector<std::size_t> column;
    std::vector<int> column_x;  ///< Left edge of each column, then the right edge of the last.
    std::vector<int> width;
    bool truncated = false;
};

Layout place(const Circuit& circuit, std::size_t max_columns) {
    const std::size_t n = circuit.num_qubits();
    Layout layout;
    std::vector<std::size_t> next(n + 1, 0);
    for (const Instruction& op : circuit.instructions()) {
        auto [first, last] = span_of(op, n);
        if (first > last) continue;
        std::size_t col = *std::max_element(next.begin() + first, next.begin() + last + 1);
        if (col >= max_columns) {
            layout.truncated = true;
            break;
        }
        std::fill(next.begin() + first, next.begin() + last + 1, col + 1);
        if (col >= layout.width.size()) layout.width.resize(col + 1, 0);
        layout.width[col] = std::max(layout.width[col], width_of(op));
        layout.column.push_back(col);
    }
    layout.column_x.push_back(LEFT + GAP / 2);
    for (int w : layout.width) layout.column_x.push_back(layout.column_x.back() + w + GAP);
    return layout;
}

}  // namespace

std::string draw_svg(const Circuit& circuit, std::size_t max_columns) {
    const std::size_t n = circuit.num_qubits();
    const bool classical = circuit.num_classical_bits() > 0;
    Layout layout = place(circuit, max_columns);
    const int right = layout.column_x.back() + (layout.truncated ? 24 : 0);
    const int height = 2 * TOP + ROW * static_cast<int>(n + (classical ? 1 : 0)) + (classical ? 8 : 0);
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(right + 8) + "\" height=\"" +
                      num(height) + "\" viewBox=\"0 0 " + num(right + 8) + " " + num(height) +
                      "\" font-family=\"monospace\" font-size=\"13\" text-anchor=\"middle\">";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>";
    for (std::size_t q = 0; q < n; ++q)
        out += "<text x=\"" + num(LEFT - 8) + "\" y=\"" + num(wire_y(q) + 4) + "\" text-anchor=\"end\">q" +
               std::to_string(q) + "</text>";
    if (classical)
        out += "<text x=\"" + num(LEFT - 8) + "\" y=\"" + num(wire_y(n) + 4) + "\" text-anchor=\"end\">c" +
               std::to_string(circuit.num_classical_bits()) + "</text>";
    for (std::size_t q = 0; q < n; ++q) line(out, LEFT - 4, wire_y(q), right, wire_y(q));
    if (classical) {
        line(out, LEFT - 4, wire_y(n) - 2, right, wire_y(n) - 2, "", "#555");
        line(out, LEFT - 4, wire_y(n) + 2, right, wire_y(n) + 2, "", "#555");
    }
    std::size_t k = 0;
    for (const Instruction& op : circuit.instructions()) {
        if (k == layout.column.size()) break;
        auto [first, last] = span_of(op, n);
        if (first > last) continue;
        std::size_t col = layout.column[k++];
        out += "<g>";
        instruction(out, op, (layout.column_x[col] + layout.column_x[col + 1] - GAP) / 2, n);
        out += "</g>";
    }
    if (layout.truncated) out += "<text x=\"" + num(right - 10) + "\" y=\"" + num(wire_y(0) + 4) + "\">\u2026</text>";
    return out + "</svg>";
}

}  // namespace qelix
