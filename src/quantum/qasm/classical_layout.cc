#include "quantum/qasm/classical_layout.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace qelix::qasm {

namespace {

using Run = std::pair<std::size_t, std::size_t>;  ///< First and last bit.

/// The run of bits a condition reads, when they are distinct and consecutive (in any order).
std::optional<Run> run_of(const std::vector<std::size_t>& bits) {
    if (bits.empty()) return std::nullopt;
    auto [lo, hi] = std::minmax_element(bits.begin(), bits.end());
    if (*hi - *lo + 1 != bits.size()) return std::nullopt;
    std::vector<bool> seen(bits.size());
    for (std::size_t bit : bits) {
        if (seen[bit - *lo]) return std::nullopt;
        seen[bit - *lo] = true;
    }
    return Run{*lo, *hi};
}

const Condition* condition_of(const Instruction& op, Condition& scratch) {
    if (auto* c = std::get_if<ConditionalOp>(&op)) {
        scratch = {c->classical_bits, c->value};
        return &scratch;
    }
    if (auto* m = std::get_if<MeasureOp>(&op); m && m->condition) return &*m->condition;
    if (auto* r = std::get_if<ResetOp>(&op); r && r->condition) return &*r->condition;
    return nullptr;
}

/// The runs that become registers: each condition's run, unless it overlaps one taken earlier.
std::vector<Run> condition_runs(const Circuit& circuit) {
    std::vector<Run> runs;
    Condition scratch;
    for (const Instruction& op : circuit.instructions()) {
        const Condition* condition = condition_of(op, scratch);
        if (!condition) continue;
        std::optional<Run> run = run_of(condition->classical_bits);
        if (!run || std::find(runs.begin(), runs.end(), *run) != runs.end()) continue;
        bool overlaps = std::any_of(runs.begin(), runs.end(),
                                    [&](const Run& r) { return run->first <= r.second && r.first <= run->second; });
        if (!overlaps) runs.push_back(*run);
    }
    std::sort(runs.begin(), runs.end());
    return runs;
}

}  // namespace

ClassicalLayout::ClassicalLayout(const Circuit& circuit) {
    std::size_t total = circuit.num_classical_bits(), next = 0;
    auto add = [&](std::size_t offset, std::size_t size) { registers_.push_back({"", offset, size}); };
    for (const Run& run : condition_runs(circuit)) {
        if (run.first > next) add(next, run.first - next);
        add(run.first, run.second - run.first + 1);
        next = run.second + 1;
    }
    if (total > next) add(next, total - next);
    for (std::size_t i = 0; i < registers_.size(); ++i)
        registers_[i].name = registers_.size() == 1 ? "c" : "c" + std::to_string(i);
}

std::string ClassicalLayout::bit_name(std::size_t bit) const {
    auto reg = std::upper_bound(registers_.begin(), registers_.end(), bit,
                                [](std::size_t b, const ClassicalRegister& r) { return b < r.offset; });
    --reg;  // every bit below the total lies in a register
    return reg->name + "[" + std::to_string(bit - reg->offset) + "]";
}

std::optional<std::string> ClassicalLayout::condition(const std::vector<std::size_t>& bits, std::uint64_t value) const {
    std::optional<Run> run = run_of(bits);
    if (!run) return std::nullopt;
    auto reg = std::find_if(registers_.begin(), registers_.end(), [&](const ClassicalRegister& r) {
        return r.offset == run->first && r.size == run->second - run->first + 1;
    });
    if (reg == registers_.end()) return std::nullopt;
    // Bit i of the value belongs to bits[i], which is bit (bits[i] - offset) of the register.
    // Bits of the value beyond the register stay, so that a value it cannot hold stays one.
    std::uint64_t remapped = bits.size() >= 64 ? 0 : value >> bits.size() << bits.size();
    for (std::size_t i = 0; i < bits.size() && i < 64; ++i) {
        if (!((value >> i) & 1)) continue;
        std::size_t position = bits[i] - reg->offset;
        if (position >= 64) return std::nullopt;
        remapped |= std::uint64_t{1} << position;
    }
    return reg->name + "==" + std::to_string(remapped);
}

}  // namespace qelix::qasm
