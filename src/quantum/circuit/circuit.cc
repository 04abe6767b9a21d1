#include "quantum/circuit/circuit.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/propagate.h"

namespace qelix {

namespace {

std::string classical_limit_text() {
    return "circuit would exceed the limit of " + std::to_string(MAX_CLASSICAL_BITS) + " classical bits";
}

std::size_t measure_count(const std::vector<Instruction>& ops) {
    return static_cast<std::size_t>(std::count_if(
        ops.begin(), ops.end(), [](const Instruction& op) { return std::holds_alternative<MeasureOp>(op); }));
}

}  // namespace

Result<Circuit> Circuit::create(std::size_t num_qubits) { return with_classical_bits(num_qubits, 0); }

Result<Circuit> Circuit::with_classical_bits(std::size_t num_qubits, std::size_t num_classical_bits) {
    if (num_qubits == 0) return std::unexpected(QuantumError::empty_circuit());
    if (num_qubits > MAX_QUBITS) return std::unexpected(QuantumError::too_many_qubits(num_qubits, MAX_QUBITS));
    if (num_classical_bits > MAX_CLASSICAL_BITS)
        return std::unexpected(QuantumError::invalid_circuit(classical_limit_text()));
    return Circuit(num_qubits, num_classical_bits);
}

void Circuit::push(Instruction op) {
    if (std::holds_alternative<GateOp>(op) || std::holds_alternative<ConditionalOp>(op)) ++gate_count_;
    instructions_.push_back(std::move(op));
}

std::size_t Circuit::depth() const {
    std::vector<std::size_t> layer(num_qubits_, 0);
    std::size_t result = 0;
    auto place = [&](const std::vector<std::size_t>& targets) {
        std::size_t m = 0;
        for (std::size_t q : targets) m = std::max(m, layer[q]);
        for (std::size_t q : targets) layer[q] = m + 1;
        result = std::max(result, m + 1);
    };
    for (const Instruction& op : instructions_) {
        if (auto* g = std::get_if<GateOp>(&op)) place(g->targets);
        if (auto* c = std::get_if<ConditionalOp>(&op)) place(c->targets);
    }
    return result;
}

Status Circuit::check_qubit(std::size_t q) const {
    if (q >= num_qubits_) return std::unexpected(QuantumError::qubit_out_of_range(q, num_qubits_));
    return {};
}

Status Circuit::check_pair(std::size_t a, std::size_t b) const {
    QELIX_TRY(check_qubit(a));
    QELIX_TRY(check_qubit(b));
    if (a == b) return std::unexpected(QuantumError::duplicate_qubit(a, a));
    return {};
}

Status Circuit::check_distinct(std::span<const std::size_t> qubits) const {
    for (std::size_t i = 0; i < qubits.size(); ++i) {
        QELIX_TRY(check_qubit(qubits[i]));
        if (std::find(qubits.begin() + i + 1, qubits.end(), qubits[i]) != qubits.end())
            return std::unexpected(QuantumError::duplicate_qubit(qubits[i], qubits[i]));
    }
    return {};
}

Status Circuit::check_classical_growth(std::size_t extra_bits) const {
    if (extra_bits > MAX_CLASSICAL_BITS - num_classical_bits_)
        return std::unexpected(QuantumError::invalid_circuit(classical_limit_text()));
    return {};
}

Status Circuit::apply1(Gate gate, std::size_t qubit) {
    QELIX_TRY(check_qubit(qubit));
    push(GateOp{std::move(gate), {qubit}});
    return {};
}

Status Circuit::apply2(Gate gate, std::size_t a, std::size_t b) {
    QELIX_TRY(check_pair(a, b));
    push(GateOp{std::move(gate), {a, b}});
    return {};
}

Status Circuit::append_gate(Gate gate, std::vector<std::size_t> targets) {
    if (targets.size() != gate.num_qubits)
        return std::unexpected(QuantumError::invalid_circuit("gate '" + gate.name + "' expects " +
                                                             std::to_string(gate.num_qubits) + " targets, got " +
                                                             std::to_string(targets.size())));
    if (gate.num_qubits != 1 && gate.num_qubits != 2)
        return std::unexpected(QuantumError::invalid_circuit("gate '" + gate.name + "' uses unsupported width " +
                                                             std::to_string(gate.num_qubits)));
    QELIX_TRY(gate.num_qubits == 1 ? check_qubit(targets[0]) : check_pair(targets[0], targets[1]));
    push(GateOp{std::move(gate), std::move(targets)});
    return {};
}

Status Circuit::append_conditional(std::vector<std::size_t> classical_bits, std::uint64_t value, Gate gate,
                                   std::vector<std::size_t> targets) {
    if (classical_bits.empty())
        return std::unexpected(QuantumError::invalid_circuit("conditional gates require at least one classical bit"));
    for (std::size_t bit : classical_bits)
        if (bit >= num_classical_bits_)
            return std::unexpected(
                QuantumError::invalid_circuit("classical bit " + std::to_string(bit) + " out of range (circuit has " +
                                              std::to_string(num_classical_bits_) + " classical bits)"));
    if (targets.size() != gate.num_qubits)
        return std::unexpected(QuantumError::invalid_circuit("gate '" + gate.name + "' expects " +
                                                             std::to_string(gate.num_qubits) + " targets, got " +
                                                             std::to_string(targets.size())));
    QELIX_TRY(check_distinct(targets));
    push(ConditionalOp{std::move(classical_bits), value, std::move(gate), std::move(targets)});
    return {};
}

Result<std::size_t> Circuit::measure(std::size_t qubit) {
    QELIX_TRY(check_qubit(qubit));
    QELIX_TRY(check_classical_growth(1));
    std::size_t bit = num_classical_bits_++;
    push(MeasureOp{qubit, bit});
    return bit;
}

Status Circuit::measure_into(std::size_t qubit, std::size_t classical_bit) {
    QELIX_TRY(check_qubit(qubit));
    if (classical_bit >= MAX_CLASSICAL_BITS)
        return std::unexpected(QuantumError::invalid_circuit("classical bit " + std::to_string(classical_bit) +
                                                             " exceeds the limit of " +
                                                             std::to_string(MAX_CLASSICAL_BITS) + " classical bits"));
    num_classical_bits_ = std::max(num_classical_bits_, classical_bit + 1);
    push(MeasureOp{qubit, classical_bit});
    return {};
}

Status Circuit::measure_all() {
    QELIX_TRY(check_classical_growth(num_qubits_));
    for (std::size_t q = 0; q < num_qubits_; ++q) push(MeasureOp{q, num_classical_bits_++});
    return {};
}

Status Circuit::barrier(std::vector<std::size_t> qubits) {
    QELIX_TRY(check_distinct(qubits));
    push(BarrierOp{std::move(qubits)});
    return {};
}

Status Circuit::barrier_all() {
    std::vector<std::size_t> all(num_qubits_);
    for (std::size_t q = 0; q < num_qubits_; ++q) all[q] = q;
    push(BarrierOp{std::move(all)});
    return {};
}

Status Circuit::append(const Circuit& other) {
    if (other.num_qubits_ != num_qubits_)
        return std::unexpected(QuantumError::qubit_count_mismatch(num_qubits_, other.num_qubits_));
    QELIX_TRY(check_classical_growth(measure_count(other.instructions_)));
    copy_from(other, {});
    return {};
}

Status Circuit::compose(const Circuit& other, std::span<const std::size_t> qubit_mapping) {
    if (qubit_mapping.size() != other.num_qubits_)
        return std::unexpected(QuantumError::mapping_length_mismatch(qubit_mapping.size(), other.num_qubits_));
    QELIX_TRY(check_distinct(qubit_mapping));
    QELIX_TRY(check_classical_growth(measure_count(other.instructions_)));
    copy_from(other, qubit_mapping);
    return {};
}

void Circuit::copy_from(const Circuit& other, std::span<const std::size_t> map) {
    auto mapped = [&](std::size_t q) { return map.empty() ? q : map[q]; };
    auto mapped_all = [&](std::vector<std::size_t> qs) {
        for (std::size_t& q : qs) q = mapped(q);
        return qs;
    };
    // Copy from a snapshot so that appending a circuit to itself stays well defined.
    std::vector<Instruction> source = other.instructions_;
    instructions_.reserve(instructions_.size() + source.size());
    for (Instruction& op : source) {
        if (auto* g = std::get_if<GateOp>(&op)) {
            push(GateOp{std::move(g->gate), mapped_all(std::move(g->targets))});
        } else if (auto* c = std::get_if<ConditionalOp>(&op)) {
            std::size_t top = *std::max_element(c->classical_bits.begin(), c->classical_bits.end());
            num_classical_bits_ = std::max(num_classical_bits_, top + 1);
            c->targets = mapped_all(std::move(c->targets));
            push(std::move(*c));
        } else if (auto* m = std::get_if<MeasureOp>(&op)) {
            push(MeasureOp{mapped(m->qubit), num_classical_bits_++});
        } else if (auto* b = std::get_if<BarrierOp>(&op)) {
            push(BarrierOp{mapped_all(std::move(b->qubits))});
        }
    }
}

}  // namespace qelix
