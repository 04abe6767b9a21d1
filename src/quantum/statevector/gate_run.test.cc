#include "quantum/statevector/gate_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace qelix;

namespace {

/// A random gate of any kind the circuit builders make, on random distinct qubits.
struct RandomGate {
    Gate gate;
    std::vector<std::size_t> targets;
};

RandomGate random_gate(SeededRng& rng, std::size_t n) {
    const double a = rng.next_f64() * 7 - 3.5, b = rng.next_f64() * 7, c = rng.next_f64() * 7;
    const Gate one[] = {gates::h(),         gates::x(),
                        gates::y(),         gates::z(),
                        gates::s(),         gates::sdg(),
                        gates::t(),         gates::tdg(),
                        gates::sx(),        gates::rx(a),
                        gates::ry(a),       gates::rz(a),
                        gates::u3(a, b, c), dagger(gates::u3(a, b, c))};
    const Gate two[] = {gates::cnot(),        gates::cy(),   gates::cz(),
                        gates::swap(),        gates::rzz(a), gates::crk(1 + rng.gen_range_u64(0, 6)),
                        dagger(gates::rzz(b))};
    const std::size_t q = rng.gen_range_u64(0, n);
    if (n < 2 || rng.gen_range_u64(0, 3) > 0) return {one[rng.gen_range_u64(0, std::size(one))], {q}};
    const std::size_t r = (q + 1 + rng.gen_range_u64(0, n - 1)) % n;
    return {two[rng.gen_range_u64(0, std::size(two))], {q, r}};
}

/// A state of generic amplitudes with some exact zeros of either sign, so that the kernels'
/// shortcuts for zero groups and signed zeros are reached.
StateBuffer random_state(SeededRng& rng, std::size_t n) {
    StateBuffer state = StateBuffer::allocate(n).value();
    for (Complex& amp : state.amplitudes()) {
        const std::uint64_t kind = rng.gen_range_u64(0, 8);
        const double re = kind == 0 ? 0.0 : kind == 1 ? -0.0 : rng.next_f64() - 0.5;
        const double im = kind == 2 ? -0.0 : kind == 3 ? 0.0 : rng.next_f64() - 0.5;
        amp = {re, im};
    }
    return state;
}

bool same_bits(const StateBuffer& a, const StateBuffer& b) {
    return std::memcmp(a.amplitudes().data(), b.amplitudes().data(), a.size() * sizeof(Complex)) == 0;
}

}  // namespace

TEST(GateRun, AgreesBitForBitWithGateByGate) {
    // Every chunk size from the smallest to one below the state, serial and on the pool:
    // runs that hold only low qubits (in place), runs that relabel high ones (gathered), and
    // runs of one gate, over circuits of every gate kind; dense states, and sparse ones whose
    // +0 chunks are skipped while the gates keep zeros.
    for (std::size_t n = LOW_QUBITS + 3; n <= LOW_QUBITS + 6; ++n)
        for (std::size_t k = LOW_QUBITS + 2; k < n; ++k)
            for (int variant = 0; variant < 4; ++variant) {
                const bool parallel = variant & 1, sparse = variant & 2;
                SeededRng rng = SeededRng::from_seed_u64(1000 * n + 10 * k + variant);
                StateBuffer expected = random_state(rng, n);
                if (sparse)
                    for (std::size_t i = 0; i < expected.size(); ++i)
                        if (i >> (n - 2)) expected.amplitudes()[i] = {};
                StateBuffer state = StateBuffer::allocate(n).value();
                std::copy(expected.amplitudes().begin(), expected.amplitudes().end(), state.amplitudes().begin());
                GateRun run(state, parallel, k);
                for (int g = 0; g < 300; ++g) {
                    RandomGate gate = random_gate(rng, n);
                    expected.apply_gate(gate.gate, gate.targets, false);
                    run.apply(gate.gate, gate.targets);
                    if (rng.gen_range_u64(0, 50) == 0) run.flush();  // as before a measurement
                }
                run.flush();
                ASSERT_TRUE(same_bits(state, expected)) << n << " qubits, chunks of " << k << ", variant " << variant;
                EXPECT_LT(run.passes(), 300u);
            }
}

TEST(GateRun, SkipsChunksOfZerosOnlyUnderGatesThatKeepThem) {
    // This phased H turns a group of +0 into -0 in its first row, so +0 chunks must take it;
    // H leaves them. Half the state is +0; runs in place and gathered.
    Gate phased = gates::h();
    const Complex a(-0.5, 0.5);
    phased.name = "phased H";
    phased.matrix = {a, a, a, -a};
    const std::size_t n = LOW_QUBITS + 4;
    for (std::size_t first : {LOW_QUBITS, LOW_QUBITS + 1})
        for (const Gate& gate : {gates::h(), phased}) {
            SeededRng rng = SeededRng::from_seed_u64(first);
            StateBuffer expected = random_state(rng, n);
            for (std::size_t i = expected.size() / 2; i < expected.size(); ++i) expected.amplitudes()[i] = {};
            StateBuffer state = StateBuffer::allocate(n).value();
            std::copy(expected.amplitudes().begin(), expected.amplitudes().end(), state.amplitudes().begin());
            GateRun run(state, false, LOW_QUBITS + 2);
            for (std::size_t q : {first, first + 1}) {
                const std::size_t target[1] = {q};
                expected.apply_gate(gate, target, false);
                run.apply(gate, target);
            }
            EXPECT_TRUE(same_bits(run.flushed(), expected)) << gate.name << " from qubit " << first;
        }
}

TEST(GateRun, LargeStatesChunkWithTheDefaultSizeAndMatchSerialGateByGate) {
    // Chunks of CHUNK_QUBITS serially, smaller chunks for the pool.
    const std::size_t n = CHUNK_QUBITS + 2;
    Circuit c = Circuit::create(n).value();
    SeededRng rng = SeededRng::from_seed_u64(3);
    for (int g = 0; g < 120; ++g) {
        RandomGate gate = random_gate(rng, n);
        ASSERT_TRUE(gate.targets.size() == 1 ? c.apply1(gate.gate, gate.targets[0])
                                             : c.apply2(gate.gate, gate.targets[0], gate.targets[1]));
    }
    StateBuffer expected = StateBuffer::allocate(n).value();
    for (const Instruction& instruction : c.instructions()) {
        const auto& op = std::get<GateOp>(instruction);
        expected.apply_gate(op.gate, op.targets, false);
    }
    for (bool parallel : {false, true}) {
        StateBuffer state = StateBuffer::allocate(n).value();
        state.apply_circuit(c, parallel);
        EXPECT_TRUE(same_bits(state, expected)) << parallel;
    }
}

TEST(GateRun, FaultsLikeTheStateAndAppliesNothingBeforeFlush) {
    StateBuffer state = StateBuffer::allocate(LOW_QUBITS + 4).value();
    GateRun run(state, false, LOW_QUBITS + 2);
    const std::size_t outside[1] = {LOW_QUBITS + 4};
    EXPECT_THROW(run.apply(gates::h(), outside), InternalFault);
    const std::size_t twice[2] = {1, 1};
    EXPECT_THROW(run.apply(gates::cnot(), twice), InternalFault);
    const std::size_t one[1] = {0};
    run.apply(gates::x(), one);
    run.apply(gates::x(), one);
    run.apply(gates::x(), one);
    EXPECT_EQ(state.amplitudes()[0], Complex(1, 0));
    EXPECT_EQ(run.flushed().amplitudes()[1], Complex(1, 0));
    EXPECT_EQ(run.passes(), 1u);
}
