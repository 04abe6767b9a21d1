// Differential libFuzzer target for the OpenQASM exchange (built and run by scripts/fuzz): the
// input is read as a recipe of builder calls. One circuit is built from the recipe as given;
// a second, the expected reading, is built independently of the serializer from the same
// recipe the way the text can carry it: angles rounded to their three printed decimals,
// controlled-phase indices through a double, operations without a QASM form and empty barriers
// left out, conditionals on the whole final register. The first circuit is written with
// to_qasm and parsed back; the result must equal the expected reading (NaN equal to NaN), and
// writing and reading it again must give the same text.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

using namespace qelix;

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

/// The value an angle has after being printed with three decimals and read back.
double through_text(double angle) {
    std::string text = format_angle(angle);
    if (text == "NaN") return std::nan("");
    if (text == "inf") return INFINITY;
    if (text == "-inf") return -INFINITY;
    return std::strtod(text.c_str(), nullptr);
}

/// The controlled-phase index after travelling as a decimal read into a double.
std::uint64_t index_through_text(std::uint64_t k) {
    double d = static_cast<double>(k);
    return d >= 18446744073709551616.0 ? UINT64_MAX : static_cast<std::uint64_t>(d);
}

double angle(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());  // NaN, inf, subnormal, huge
        case 1: return in.ConsumeIntegralInRange(-8000, 8000) / 1000.0;  // exactly on (or near) a printed value
        default: return in.ConsumeFloatingPointInRange(-20.0, 20.0);
    }
}

/// A gate of the recipe as the original circuit gets it and as the text carries it (nothing
/// when it has no QASM form).
struct Pair {
    Gate original;
    std::optional<Gate> expected;
};

Pair one_qubit_gate(FuzzedDataProvider& in) {
    int kind = in.ConsumeIntegralInRange(0, 14);
    Gate fixed[] = {gates::h(), gates::x(), gates::y(), gates::z(), gates::s(), gates::sdg(), gates::t(), gates::tdg()};
    if (kind < 8) return {fixed[kind], fixed[kind]};
    if (kind == 8) return {gates::sx(), std::nullopt};
    if (kind == 9) return {dagger(fixed[in.ConsumeIntegralInRange(0, 7)]), std::nullopt};
    double a = angle(in);
    if (kind == 10) return {gates::rx(a), gates::rx(through_text(a))};
    if (kind == 11) return {gates::ry(a), gates::ry(through_text(a))};
    if (kind == 12) return {gates::rz(a), gates::rz(through_text(a))};
    if (kind == 13) return {dagger(gates::rx(a)), std::nullopt};
    double b = angle(in), c = angle(in);
    return {gates::u3(a, b, c), gates::u3(through_text(a), through_text(b), through_text(c))};
}

Pair two_qubit_gate(FuzzedDataProvider& in) {
    int kind = in.ConsumeIntegralInRange(0, 7);
    if (kind == 0) return {gates::cnot(), gates::cnot()};
    if (kind == 1) return {gates::cz(), gates::cz()};
    if (kind == 2) return {gates::swap(), gates::swap()};
    if (kind == 3) return {gates::cy(), std::nullopt};
    if (kind == 4) return {gates::rzz(angle(in)), std::nullopt};
    std::uint64_t k = kind == 5 ? in.ConsumeIntegralInRange<std::uint64_t>(0, 80) : in.ConsumeIntegral<std::uint64_t>();
    if (kind == 7) return {dagger(gates::crk(k)), std::nullopt};
    return {gates::crk(k), gates::crk(index_through_text(k))};
}

bool same_number(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool same_gate(const Gate& a, const Gate& b) {
    if (a.name != b.name || a.num_qubits != b.num_qubits || a.matrix.size() != b.matrix.size()) return false;
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
    const std::size_t m0 = in.ConsumeIntegralInRange<std::size_t>(0, 6);
    Circuit original = Circuit::with_classical_bits(n, m0).value();
    // Steps that build the expected reading, run once the final register size is known.
    std::vector<std::function<Status(Circuit&, std::size_t)>> expected_steps;
    auto qubit = [&] { return in.ConsumeIntegralInRange<std::size_t>(0, n - 1); };

    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 5)) {
            case 0: {
                Pair g = one_qubit_gate(in);
                std::size_t q = qubit();
                if (!original.append_gate(g.original, {q})) break;
                if (g.expected)
                    expected_steps.push_back(
                        [e = *g.expected, q](Circuit& c, std::size_t) { return c.append_gate(e, {q}); });
                break;
            }
            case 1: {
                if (n < 2) break;
                Pair g = two_qubit_gate(in);
                std::size_t a = qubit(), b = qubit();
                if (!original.append_gate(g.original, {a, b})) break;
                if (g.expected)
                    expected_steps.push_back([e = *g.expected, a, b](Circuit& c, std::size_t) {
                        return c.append_gate(e, {a, b});
                    });
                break;
            }
            case 2: {
                std::size_t q = qubit(), bit = in.ConsumeIntegralInRange<std::size_t>(0, 70);
                if (!original.measure_into(q, bit)) break;
                expected_steps.push_back([q, bit](Circuit& c, std::size_t) { return c.measure_into(q, bit); });
                break;
            }
            case 3: {
                std::vector<std::size_t> qubits;
                std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, std::min<std::size_t>(n, 8));
                for (std::size_t i = 0; i < count; ++i) qubits.push_back(qubit());
                if (in.ConsumeIntegralInRange(0, 7) == 0) {
                    qubits.resize(n);
                    for (std::size_t q = 0; q < n; ++q) qubits[q] = q;
                }
                if (!original.barrier(qubits)) break;
                if (!qubits.empty())
                    expected_steps.push_back([qubits](Circuit& c, std::size_t) { return c.barrier(qubits); });
                break;
            }
            default: {
                // Conditionals on the whole register: the only kind the text can carry.
                if (original.num_classical_bits() == 0) break;
                std::uint64_t value = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::uint64_t>(0, 7)
                                                       : in.ConsumeIntegral<std::uint64_t>();
                Pair g = one_qubit_gate(in);
                std::size_t q = qubit();
                std::vector<std::size_t> bits(original.num_classical_bits());
                for (std::size_t b = 0; b < bits.size(); ++b) bits[b] = b;
                if (!original.append_conditional(bits, value, g.original, {q})) break;
                if (g.expected)
                    expected_steps.push_back([e = *g.expected, value, q](Circuit& c, std::size_t m) {
                        std::vector<std::size_t> all(m);
                        for (std::size_t b = 0; b < m; ++b) all[b] = b;
                        return c.append_conditional(all, value, e, {q});
                    });
                break;
            }
        }
    }

    const std::size_t m = original.num_classical_bits();
    Circuit expected = Circuit::with_classical_bits(n, m).value();
    for (auto& step : expected_steps)
        if (auto ok = step(expected, m); !ok) fail("expected reading refused a step: " + ok.error().message());

    std::string text = to_qasm(original);
    auto back = parse_qasm(text);
    if (!back) fail("written text does not parse: " + back.error().message() + "\n" + text);
    if (back->num_qubits() != n || back->num_classical_bits() != m) fail("register sizes changed\n" + text);
    const auto& got = back->instructions();
    const auto& want = expected.instructions();
    if (got.size() != want.size()) fail("instruction count changed\n" + text);
    for (std::size_t i = 0; i < got.size(); ++i)
        if (!same_instruction(got[i], want[i])) fail("instruction " + std::to_string(i) + " changed\n" + text);
    // Controlled-phase indices above 2^53 change on the first trip (they travel as doubles);
    // from then on the text must stay as it is.
    std::string again = to_qasm(*back);
    auto third = parse_qasm(again);
    if (!third || to_qasm(*third) != again) fail("text is not a fixed point\n" + again);
    return 0;
}
