// Differential libFuzzer target for the OpenQASM exchange (built and run by scripts/fuzz): the
// input is read as a recipe of builder calls over every gate of the table and their daggers,
// measurements, resets, barriers and conditionals on the whole register. The circuit is
// written with to_qasm and parsed back; every instruction must come back with an equal matrix
// (NaN equal to NaN; daggers come back as their standard inverses), empty barriers left out,
// and writing and reading it again must give the same text.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

using namespace qelix;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

double angle(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());  // NaN, inf, subnormal, huge
        case 1: return in.ConsumeIntegralInRange(-8000, 8000) / 1000.0;
        default: return in.ConsumeFloatingPointInRange(-20.0, 20.0);
    }
}

/// A gate of the table of the given width, or its dagger (CSX's inverse is written within rounding).
Gate table_gate(FuzzedDataProvider& in, std::size_t width) {
    std::vector<const GateInfo*> kinds;
    for (const GateInfo& info : gate_table())
        if (info.num_qubits == width) kinds.push_back(&info);
    const GateInfo& info = *kinds[in.ConsumeIntegralInRange<std::size_t>(0, kinds.size() - 1)];
    double params[4] = {angle(in), angle(in), angle(in), angle(in)};
    if (info.kind == GateKind::CRk)
        params[0] = static_cast<double>(in.ConsumeBool() ? in.ConsumeIntegralInRange<std::uint64_t>(0, 80)
                                                         : in.ConsumeIntegral<std::uint64_t>());
    Gate gate = make_gate(info.kind, std::span(params, info.num_params));
    return info.kind != GateKind::CSX && in.ConsumeBool() ? dagger(gate) : gate;
}

bool same_number(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool same_gate(const Gate& a, const Gate& b) {
    if (a.num_qubits != b.num_qubits || a.matrix.size() != b.matrix.size()) return false;
    for (std::size_t i = 0; i < a.matrix.size(); ++i)
        if (!same_number(a.matrix[i].real(), b.matrix[i].real()) ||
            !same_number(a.matrix[i].imag(), b.matrix[i].imag()))
            return false;
    return true;
}

bool same_instruction(const Instruction& a, const Instruction& b) {
    if (a.index() != b.index()) return false;
    if (const auto* g = std::get_if<GateOp>(&a)) {
        const auto& h = std::get<GateOp>(b);
        return g->targets == h.targets && same_gate(g->gate, h.gate);
    }
    if (const auto* c = std::get_if<ConditionalOp>(&a)) {
        const auto& d = std::get<ConditionalOp>(b);
        return c->classical_bits == d.classical_bits && c->value == d.value && c->targets == d.targets &&
               same_gate(c->gate, d.gate);
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t n = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::size_t>(1, 128)
                                           : in.ConsumeIntegralInRange<std::size_t>(1, 6);
    // The classical register keeps its size: a condition on all bits of a register that later
    // grows reads only some bits of the final one, which a text can hold only if no other
    // condition reads all of them.
    const std::size_t m =
        in.ConsumeBool() ? in.ConsumeIntegralInRange<std::size_t>(0, 70) : in.ConsumeIntegralInRange<std::size_t>(0, 6);
    Circuit original = Circuit::with_classical_bits(n, m).value();
    auto qubit = [&] { return in.ConsumeIntegralInRange<std::size_t>(0, n - 1); };
    auto whole_register = [&] {
        Condition all{
            std::vector<std::size_t>(original.num_classical_bits()),
            in.ConsumeBool() ? in.ConsumeIntegralInRange<std::uint64_t>(0, 7) : in.ConsumeIntegral<std::uint64_t>()};
        for (std::size_t b = 0; b < all.classical_bits.size(); ++b) all.classical_bits[b] = b;
        return all;
    };
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 6)) {
            case 0: (void)original.append_gate(table_gate(in, 1), {qubit()}); break;
            case 1:
                if (n > 1) (void)original.append_gate(table_gate(in, 2), {qubit(), qubit()});
                break;
            case 2:
                if (m > 0) (void)original.measure_into(qubit(), in.ConsumeIntegralInRange<std::size_t>(0, m - 1));
                break;
            case 3: (void)original.reset(qubit()); break;
            case 4: {
                std::vector<std::size_t> qubits;
                std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, std::min<std::size_t>(n, 8));
                for (std::size_t i = 0; i < count; ++i) qubits.push_back(qubit());
                (void)original.barrier(qubits);
                break;
            }
            default: {
                // Conditionals read whole registers here, as files do; a split register is another test.
                if (original.num_classical_bits() == 0) break;
                Condition all = whole_register();
                switch (in.ConsumeIntegralInRange(0, 2)) {
                    case 0:
                        (void)original.append_conditional(all.classical_bits, all.value, table_gate(in, 1), {qubit()});
                        break;
                    case 1: (void)original.reset(qubit(), all); break;
                    default:
                        (void)original.measure_if(
                            all, qubit(), in.ConsumeIntegralInRange<std::size_t>(0, original.num_classical_bits() - 1));
                }
            }
        }
    }

    std::vector<Instruction> want;
    for (const Instruction& op : original.instructions())
        if (const auto* b = std::get_if<BarrierOp>(&op); !b || !b->qubits.empty()) want.push_back(op);
    std::string text = to_qasm(original);
    auto back = parse_qasm(text);
    if (!back) fail("written text does not parse: " + back.error().message() + "\n" + text);
    if (back->num_qubits() != n || back->num_classical_bits() != original.num_classical_bits())
        fail("register sizes changed\n" + text);
    const auto& got = back->instructions();
    if (got.size() != want.size()) fail("instruction count changed\n" + text);
    for (std::size_t i = 0; i < got.size(); ++i)
        if (!same_instruction(got[i], want[i])) fail("instruction " + std::to_string(i) + " changed\n" + text);
    std::string again = to_qasm(*back);
    auto third = parse_qasm(again);
    if (!third || to_qasm(*third) != again) fail("text is not a fixed point\n" + again);
    return 0;
}
