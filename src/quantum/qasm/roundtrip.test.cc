// to_qasm -> parse_qasm -> to_qasm on random circuits of every expressible instruction.
#include <gtest/gtest.h>

#include <random>

#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

using namespace qelix;

namespace {

/// A random circuit whose every instruction has a QASM form.
Circuit random_circuit(std::mt19937_64& rng) {
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    auto angle = [&] { return std::uniform_real_distribution<double>(-10.0, 10.0)(rng); };
    std::size_t n = 1 + pick(6);
    Circuit c = Circuit::with_classical_bits(n, pick(4)).value();
    auto other = [&](std::size_t a) { return (a + 1 + pick(n - 1)) % n; };
    std::size_t length = pick(40);
    for (std::size_t i = 0; i < length; ++i) {
        std::size_t a = pick(n);
        std::size_t kind = pick(n > 1 ? 19 : 14);
        std::uint64_t k = pick(3) == 0 ? UINT64_MAX : rng() >> (11 + pick(53));
        Gate one[] = {gates::h(),         gates::x(),         gates::y(),         gates::z(),
                      gates::s(),         gates::sdg(),       gates::t(),         gates::tdg(),
                      gates::rx(angle()), gates::ry(angle()), gates::rz(angle()), gates::u3(angle(), angle(), angle())};
        if (kind < 12) {
            (void)c.append_gate(one[kind], {a});
        } else if (kind == 12) {
            (void)c.measure_into(a, pick(c.num_classical_bits() + 2));
        } else if (kind == 13) {
            std::vector<std::size_t> qubits;
            for (std::size_t q = 0; q < n; ++q)
                if (pick(2)) qubits.push_back(q);
            if (qubits.empty()) qubits.push_back(a);
            std::shuffle(qubits.begin(), qubits.end(), rng);
            (void)c.barrier(qubits);  // not empty: an empty barrier has no QASM form
            if (pick(4) == 0) (void)c.barrier_all();
        } else {
            // The rotation index travels as a double: beyond 2^53 only some values (such as the
            // largest, which saturates back to itself) survive the trip.
            Gate two[] = {gates::cnot(), gates::cz(), gates::swap(), gates::crk(pick(70)), gates::crk(k)};
            (void)c.append_gate(two[kind - 14], {a, other(a)});
        }
        if (c.num_classical_bits() > 0 && pick(5) == 0) {
            // A conditional on the whole register c, as the text expresses it.
            std::vector<std::size_t> bits(c.num_classical_bits());
            for (std::size_t b = 0; b < bits.size(); ++b) bits[b] = b;
            (void)c.append_conditional(bits, rng() >> pick(64), one[pick(12)], {pick(n)});
        }
    }
    return c;
}

}  // namespace

TEST(QasmRoundTrip, SerializedTextIsAFixedPoint) {
    std::mt19937_64 rng(20240611);
    for (int trial = 0; trial < 2000; ++trial) {
        Circuit c = random_circuit(rng);
        std::string text = to_qasm(c);
        auto back = parse_qasm(text);
        ASSERT_TRUE(back.has_value()) << text << "\n-> " << back.error().message();
        ASSERT_EQ(to_qasm(*back), text);
        EXPECT_EQ(back->num_qubits(), c.num_qubits());
        EXPECT_EQ(back->num_classical_bits(), c.num_classical_bits());
        EXPECT_EQ(back->gate_count(), c.gate_count());
    }
}

TEST(QasmRoundTrip, GatesComeBackWithTheirRoundedAngles) {
    Circuit c = Circuit::create(2).value();
    (void)c.rx(0, 3.141592653589793), (void)c.u3(1, 0.12345, -2.71828, 1e-9), (void)c.crk(1, 0, 5), (void)c.cz(0, 1);
    auto back = parse_qasm(to_qasm(c)).value();
    Circuit expected = Circuit::create(2).value();
    (void)expected.rx(0, 3.142), (void)expected.u3(1, 0.123, -2.718, 0.0), (void)expected.crk(1, 0, 5);
    (void)expected.cz(0, 1);
    EXPECT_EQ(back, expected);
}

TEST(QasmRoundTrip, LargeControlledPhaseIndicesSettleAfterOneTrip) {
    // Found by the round-trip fuzz target: an index above 2^53 travels as a double, so the
    // first trip rounds it to the nearest double; from then on the text is a fixed point.
    Circuit c = Circuit::create(4).value();
    (void)c.crk(2, 0, 4602163002808871646ULL);
    Circuit once = parse_qasm(to_qasm(c)).value();
    Circuit expected = Circuit::create(4).value();
    (void)expected.crk(2, 0, 4602163002808871424ULL);
    EXPECT_EQ(once, expected);
    EXPECT_EQ(to_qasm(parse_qasm(to_qasm(once)).value()), to_qasm(once));
}
