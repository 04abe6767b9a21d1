// to_qasm -> parse_qasm on random circuits of every gate of the table, every dagger, resets,
// measurements and conditionals: the same instructions with the same matrices, the same
// counts under a seed, and text that is a fixed point.
#include <gtest/gtest.h>

#include <random>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"
#include "quantum/simulator/simulator.h"

using namespace qelix;

namespace {

/// Random runs that split bits [0, m) into registers; a condition reads one run, in either order.
std::vector<std::vector<std::size_t>> random_runs(std::size_t m, std::mt19937_64& rng) {
    std::vector<std::vector<std::size_t>> runs;
    for (std::size_t b = 0; b < m; ++b) {
        if (runs.empty() || rng() % 3 == 0) runs.emplace_back();
        runs.back().push_back(b);
    }
    return runs;
}

Gate random_gate(std::size_t width, std::mt19937_64& rng) {
    auto angle = [&] { return std::uniform_real_distribution<double>(-10.0, 10.0)(rng); };
    std::vector<const GateInfo*> kinds;
    for (const GateInfo& info : gate_table())
        if (info.num_qubits == width) kinds.push_back(&info);
    const GateInfo& info = *kinds[rng() % kinds.size()];
    double params[4] = {angle(), angle(), angle(), angle()};
    if (info.kind == GateKind::CRk) params[0] = static_cast<double>(rng() % 3 == 0 ? UINT64_MAX : rng() % 70);
    Gate gate = make_gate(info.kind, std::span(params, info.num_params));
    return rng() % 3 == 0 ? dagger(gate) : gate;
}

/// A random circuit whose every instruction has a QASM form.
Circuit random_circuit(std::mt19937_64& rng) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    std::size_t n = 1 + pick(5), m = pick(5);
    Circuit c = Circuit::with_classical_bits(n, m).value();
    auto runs = random_runs(m, rng);
    auto condition = [&] {
        std::vector<std::size_t> bits = runs[pick(runs.size())];
        if (pick(2)) std::reverse(bits.begin(), bits.end());
        return Condition{bits, pick(std::size_t{1} << bits.size())};
    };
    for (std::size_t i = 0, length = pick(30); i < length; ++i) {
        std::size_t a = pick(n), b = (a + 1 + pick(std::max<std::size_t>(n - 1, 1))) % n;
        std::size_t what = pick(10);
        if (what < 5 || (what < 7 && n == 1)) {
            (void)c.append_gate(random_gate(1, rng), {a});
        } else if (what < 7) {
            (void)c.append_gate(random_gate(2, rng), {a, b});
        } else if (what == 7 && m > 0) {
            Condition cond = condition();
            if (pick(2))
                (void)c.append_conditional(cond.classical_bits, cond.value, random_gate(1, rng), {a});
            else if (pick(2))
                (void)c.reset(a, cond);
            else
                (void)c.measure_if(cond, a, pick(m));
        } else if (what == 8) {
            if (m > 0)
                (void)c.measure_into(a, pick(m));
            else
                (void)c.reset(a);
        } else {
            (void)c.barrier({a});
        }
    }
    return c;
}

/// Gates equal as written: the same kind (of the standard form) and entry-wise equal matrices.
void expect_same_gate(const Gate& written, const Gate& read) {
    auto form = written.inverse ? *standard_inverse(make_gate(written.kind, written.parameters())) : written;
    EXPECT_EQ(read.kind, form.kind) << written.name << " read as " << read.name;
    ASSERT_EQ(read.matrix.size(), written.matrix.size());
    for (std::size_t i = 0; i < read.matrix.size(); ++i) {
        if (written.kind == GateKind::CSX && written.inverse) {
            EXPECT_NEAR(std::abs(read.matrix[i] - written.matrix[i]), 0.0, 1e-15);
        } else {
            EXPECT_EQ(read.matrix[i], written.matrix[i]) << written.name << " entry " << i;
        }
    }
}

void expect_same_instruction(const Instruction& a, const Instruction& b) {
    ASSERT_EQ(a.index(), b.index());
    if (auto* g = std::get_if<GateOp>(&a)) {
        EXPECT_EQ(g->targets, std::get<GateOp>(b).targets);
        expect_same_gate(g->gate, std::get<GateOp>(b).gate);
    } else if (auto* c = std::get_if<ConditionalOp>(&a)) {
        const auto& d = std::get<ConditionalOp>(b);
        EXPECT_EQ(c->targets, d.targets);
        // The condition may come back with its bits in register order and the value to match.
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < d.classical_bits.size(); ++i) {
            auto at = std::find(c->classical_bits.begin(), c->classical_bits.end(), d.classical_bits[i]);
            ASSERT_NE(at, c->classical_bits.end());
            value |= ((c->value >> (at - c->classical_bits.begin())) & 1) << i;
        }
        EXPECT_EQ(d.value, value);
        expect_same_gate(c->gate, d.gate);
    } else {
        // Measurements, resets and barriers compare whole, with their conditions sorted.
        auto sorted = [](Instruction op) {
            auto sort = [](std::optional<Condition>& cond) {
                if (!cond) return;
                std::uint64_t value = 0;
                std::vector<std::size_t> bits = cond->classical_bits;
                std::sort(bits.begin(), bits.end());
                for (std::size_t i = 0; i < bits.size(); ++i)
                    if ((cond->value >> i) & 1)
                        value |= std::uint64_t{1}
                                 << (std::find(bits.begin(), bits.end(), cond->classical_bits[i]) - bits.begin());
                cond = Condition{bits, value};
            };
            if (auto* m = std::get_if<MeasureOp>(&op)) sort(m->condition);
            if (auto* r = std::get_if<ResetOp>(&op)) sort(r->condition);
            return op;
        };
        EXPECT_EQ(sorted(a), sorted(b));
    }
}

}  // namespace

TEST(QasmRoundTrip, EveryInstructionComesBackWithItsMatrixAndCounts) {
    std::mt19937_64 rng(20240611);
    for (int trial = 0; trial < 1500; ++trial) {
        Circuit c = random_circuit(rng);
        std::string text = to_qasm(c);
        ASSERT_EQ(text.find("//"), std::string::npos) << text;
        auto back = parse_qasm(text);
        ASSERT_TRUE(back.has_value()) << text << "\n-> " << back.error().message();
        ASSERT_EQ(to_qasm(*back), text);
        ASSERT_EQ(back->num_qubits(), c.num_qubits());
        ASSERT_EQ(back->num_classical_bits(), c.num_classical_bits());
        ASSERT_EQ(back->instructions().size(), c.instructions().size()) << text;
        for (std::size_t i = 0; i < c.instructions().size(); ++i)
            expect_same_instruction(c.instructions()[i], back->instructions()[i]);
        if (trial % 10 == 0 && !::testing::Test::HasFailure()) {
            SimulatorConfig config{.seed = 7 + static_cast<std::uint64_t>(trial)};
            EXPECT_EQ(run(config, c, 64)->counts, run(config, *back, 64)->counts) << text;
        }
        if (::testing::Test::HasFailure()) FAIL() << text;
    }
}

TEST(QasmRoundTrip, AnglesKeepEveryBit) {
    Circuit c = Circuit::create(2).value();
    (void)c.rx(0, 3.141592653589793), (void)c.u3(1, 0.12345, -2.71828, 1e-9), (void)c.crk(1, 0, 5);
    (void)c.rx(0, 1e-4), (void)c.rz(1, 0.1 + 0.2), (void)c.ry(0, -0.0), (void)c.rzz(0, 1, 5e-324);
    EXPECT_EQ(parse_qasm(to_qasm(c)).value(), c);
}

TEST(QasmRoundTrip, LargeControlledPhaseIndicesSettleAfterOneTrip) {
    // An index above 2^53 travels as a double, so the first trip rounds it to the nearest
    // double (the matrix is the same); from then on the text is a fixed point.
    Circuit c = Circuit::create(4).value();
    (void)c.crk(2, 0, 4602163002808871646ULL);
    Circuit once = parse_qasm(to_qasm(c)).value();
    Circuit expected = Circuit::create(4).value();
    (void)expected.crk(2, 0, 4602163002808871424ULL);
    EXPECT_EQ(once, expected);
    EXPECT_EQ(to_qasm(parse_qasm(to_qasm(once)).value()), to_qasm(once));
}
