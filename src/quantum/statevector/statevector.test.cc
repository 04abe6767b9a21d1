#include "quantum/statevector/statevector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "quantum/statevector/kernels.h"
#include "quantum/statevector/memory.h"

using namespace qelix;

namespace {

StateBuffer run_circuit(const Circuit& c, bool parallel = false) {
    StateBuffer state = StateBuffer::allocate(c.num_qubits()).value();
    state.apply_circuit(c, parallel);
    return state;
}

bool bitwise_equal(std::span<const Complex> a, std::span<const Complex> b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size_bytes()) == 0;
}

/// x*y exactly as the engine's arithmetic is fixed: (xr*yr - xi*yi) + i(xr*yi + xi*yr).
Complex mul(Complex x, Complex y) {
    return {x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real()};
}
Complex add(Complex x, Complex y) { return {x.real() + y.real(), x.imag() + y.imag()}; }

/// The chunked loops written out literally, as the reference for the kernels.
void reference_one(std::vector<Complex>& amp, std::size_t t, const Gate& g) {
    std::size_t s = std::size_t{1} << t, c = s << 1;
    for (std::size_t base = 0; base < amp.size(); base += c)
        for (std::size_t i = base; i < base + s; ++i) {
            Complex a0 = amp[i], a1 = amp[i + s];
            amp[i] = add(mul(g.matrix[0], a0), mul(g.matrix[1], a1));
            amp[i + s] = add(mul(g.matrix[2], a0), mul(g.matrix[3], a1));
        }
}

void reference_two(std::vector<Complex>& amp, std::size_t a, std::size_t b, const Gate& g) {
    std::size_t c = std::size_t{1} << (std::max(a, b) + 1), ba = std::size_t{1} << a, bb = std::size_t{1} << b;
    for (std::size_t base = 0; base < amp.size(); base += c)
        for (std::size_t i = base; i < base + c; ++i) {
            if (i & (ba | bb)) continue;
            std::size_t idx[4] = {i, i | bb, i | ba, i | ba | bb};
            Complex old[4] = {amp[idx[0]], amp[idx[1]], amp[idx[2]], amp[idx[3]]};
            for (int r = 0; r < 4; ++r) {
                Complex sum = mul(g.matrix[4 * r], old[0]);
                for (int k = 1; k < 4; ++k) sum = add(sum, mul(g.matrix[4 * r + k], old[k]));
                amp[idx[r]] = sum;
            }
        }
}

/// A dense two-qubit matrix with no special structure.
Gate scrambled_two_qubit_gate() {
    Gate g{"M", std::vector<Complex>(16), 2};
    for (int k = 0; k < 16; ++k) g.matrix[k] = {std::sin(0.3 * k + 0.1), std::cos(0.7 * k - 0.2) / 3.0};
    return g;
}

/// A pseudo-random circuit touching every qubit with one- and two-qubit gates.
Circuit random_circuit(std::size_t n, std::size_t layers) {
    Circuit c = Circuit::create(n).value();
    SeededRng rng = SeededRng::from_seed_u64(n);
    for (std::size_t layer = 0; layer < layers; ++layer)
        for (std::size_t q = 0; q < n; ++q) {
            (void)c.u3(q, rng.next_f64() * 3, rng.next_f64() * 3, rng.next_f64() * 3);
            std::size_t other = rng.gen_range_u64(0, n);
            if (other != q) (void)c.append_gate(scrambled_two_qubit_gate(), {q, other});
        }
    return c;
}

}  // namespace

TEST(StateBuffer, SmallCircuitsGiveTheTextbookAmplitudes) {
    Circuit x = Circuit::create(1).value();
    (void)x.x(0);
    auto xs = run_circuit(x);
    EXPECT_EQ(xs.amplitudes()[0], Complex(0, 0));
    EXPECT_EQ(xs.amplitudes()[1], Complex(1, 0));

    Circuit h = Circuit::create(1).value();
    (void)h.h(0);
    auto hs = run_circuit(h);
    EXPECT_EQ(hs.amplitudes()[0].real(), 0.7071067811865476);
    EXPECT_EQ(hs.amplitudes()[1].real(), 0.7071067811865476);

    Circuit bell = Circuit::create(2).value();
    (void)bell.h(0);
    (void)bell.cnot(0, 1);
    (void)bell.measure_all();
    auto bs = run_circuit(bell);
    EXPECT_EQ(bs.amplitudes()[0], Complex(FRAC_1_SQRT_2, 0));
    EXPECT_EQ(bs.amplitudes()[1], Complex(0, 0));
    EXPECT_EQ(bs.amplitudes()[2], Complex(0, 0));
    EXPECT_EQ(bs.amplitudes()[3], Complex(FRAC_1_SQRT_2, 0));
}

TEST(StateBuffer, KernelsMatchTheLiteralArithmeticBitForBit) {
    const std::size_t n = 5;
    StateBuffer state = StateBuffer::allocate(n).value();
    std::vector<Complex> reference(state.size());
    for (std::size_t k = 0; k < reference.size(); ++k) reference[k] = {std::cos(k * 1.3), std::sin(k * 0.7)};
    std::copy(reference.begin(), reference.end(), state.amplitudes().begin());
    Gate one = gates::u3(0.3, 1.1, -2.4);
    Gate two = scrambled_two_qubit_gate();
    for (std::size_t t = 0; t < n; ++t) {
        reference_one(reference, t, one);
        state.apply_one_qubit(t, one, false);
        ASSERT_TRUE(bitwise_equal(state.amplitudes(), reference)) << "one-qubit target " << t;
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < n; ++b) {
            if (a == b) continue;
            std::size_t targets[2] = {a, b};
            reference_two(reference, a, b, two);
            state.apply_gate(two, targets, false);
            ASSERT_TRUE(bitwise_equal(state.amplitudes(), reference)) << "two-qubit targets " << a << "," << b;
        }
}

TEST(StateBuffer, ParallelAndSerialAgreeBitwise) {
    for (std::size_t n : {16u, 18u}) {
        Circuit c = random_circuit(n, 2);
        StateBuffer serial = run_circuit(c, false);
        StateBuffer parallel = run_circuit(c, true);
        EXPECT_TRUE(bitwise_equal(serial.amplitudes(), parallel.amplitudes())) << n << " qubits";
    }
}

TEST(StateBuffer, FarTargetsStagedInWindowsGiveTheSameBits) {
    // From qubit 24 on, the first far gates of each width alternate between staging
    // far-apart windows in a local buffer and updating in place; the faster route keeps the rest.
    const std::size_t n = 25, far = 24;
    StateBuffer state = StateBuffer::allocate(n).value();
    for (std::size_t k = 0; k < state.size(); ++k) state.amplitudes()[k] = {1e-4 * static_cast<double>(k % 977), -1e-5};
    state.amplitudes()[7] = {-0.0, -1.0};  // the general arithmetic turns this -0 into +0 under a CNOT
    std::vector<Complex> direct(state.amplitudes().begin(), state.amplitudes().end());
    for (const Gate& gate : {gates::u3(0.4, 0.2, 1.3), gates::x(), gates::z()}) {
        state.apply_one_qubit(far, gate, true);
        apply_one_qubit_kernel(direct.data(), far, matrix2_of(gate), 0, direct.size() / 2);
        ASSERT_TRUE(bitwise_equal(state.amplitudes(), direct)) << gate.name;
    }
    for (const Gate& gate : {scrambled_two_qubit_gate(), gates::cnot()})
        for (auto [a, b] : {std::pair<std::size_t, std::size_t>{far, 3}, {0, far}, {far, 15}, {23, far}, {far, 0}}) {
            std::size_t targets[2] = {a, b};
            state.apply_gate(gate, targets, true);
            apply_two_qubit_kernel(direct.data(), a, b, matrix4_of(gate), 0, direct.size() / 4);
            ASSERT_TRUE(bitwise_equal(state.amplitudes(), direct)) << gate.name << " " << a << "," << b;
        }
}

TEST(StateBuffer, BadGateShapesAreFaults) {
    StateBuffer state = StateBuffer::allocate(2).value();
    std::size_t one[1] = {0}, two[2] = {0, 1}, same[2] = {1, 1}, out[1] = {2};
    EXPECT_THROW(state.apply_gate(gates::cnot(), one, false), InternalFault);
    EXPECT_THROW(state.apply_gate(gates::h(), two, false), InternalFault);
    EXPECT_THROW(state.apply_gate(gates::cnot(), same, false), InternalFault);
    EXPECT_THROW(state.apply_gate(gates::h(), out, false), InternalFault);
    Gate wide{"W", std::vector<Complex>(64), 3};
    std::size_t three[3] = {0, 1, 2};
    EXPECT_THROW(state.apply_gate(wide, three, false), InternalFault);
    EXPECT_EQ(state.amplitudes()[0], Complex(1, 0));
}

TEST(StateBuffer, MeasurementCollapsesAndRenormalises) {
    Circuit c = Circuit::create(2).value();
    (void)c.h(0);
    (void)c.cnot(0, 1);
    StateBuffer state = run_circuit(c);
    // p0 = 0.5 (rounded); a draw at or above it selects 1.
    ASSERT_EQ(state.measure_with_draw(1, 0.75).value(), 1u);
    EXPECT_EQ(state.amplitudes()[0], Complex(0, 0));
    EXPECT_NEAR(state.amplitudes()[3].real(), 1.0, 1e-15);
    // Now certain: every draw gives 1 again, and the state stays put.
    EXPECT_EQ(state.measure_with_draw(0, 0.5).value(), 1u);

    StateBuffer zero = StateBuffer::allocate(3).value();
    for (double r : {0.0, 0.5, 0.9999999999999999}) EXPECT_EQ(zero.measure_with_draw(2, r).value(), 0u);

    SeededRng a = SeededRng::from_seed_u64(9), b = SeededRng::from_seed_u64(9);
    StateBuffer plus = run_circuit(c);
    unsigned outcome = plus.measure_qubit(0, a).value();
    EXPECT_EQ(outcome, b.next_f64() >= 0.5 ? 1u : 0u);
    EXPECT_EQ(a.next_u32(), b.next_u32());  // exactly one draw
}

TEST(StateBuffer, NearZeroBranchIsRefusedWithoutTouchingTheState) {
    StateBuffer state = StateBuffer::allocate(1).value();
    state.amplitudes()[0] = {std::sqrt(1.0 - 1e-16), 0.0};
    state.amplitudes()[1] = {1e-8, 0.0};  // p1 = 1e-16
    std::vector<Complex> before(state.amplitudes().begin(), state.amplitudes().end());
    // p0 rounds to 1 - 1.1e-16; only a draw at or above it picks the tiny branch.
    EXPECT_EQ(state.measure_with_draw(0, 0.9999999999999999).error(),
              QuantumError::numerical_instability("collapsing a near-zero measurement branch"));
    EXPECT_EQ(state.measure_with_draw(0, 0.9999999999999999).error().message(),
              "Numerical instability while collapsing a near-zero measurement branch");
    EXPECT_TRUE(bitwise_equal(state.amplitudes(), before));
    EXPECT_EQ(state.measure_with_draw(0, 0.5).value(), 0u);
    EXPECT_EQ(state.amplitudes()[1], Complex(0, 0));

    // A NaN state has no branch to renormalise onto.
    StateBuffer broken = StateBuffer::allocate(1).value();
    broken.amplitudes()[1] = {NAN, 0.0};
    EXPECT_FALSE(broken.measure_with_draw(0, 0.5).has_value());
}

TEST(StateBuffer, StartsOnACacheLineAndGivesProbabilitiesInPlaceEqualToTheCopy) {
    // Small buffers come from the heap, large ones (18 qubits) from fresh mappings.
    for (std::size_t n : {1u, 6u, 18u}) {
        StateBuffer state = run_circuit(random_circuit(n, 2));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(state.amplitudes().data()) % 64, 0u) << n;
        std::vector<double> copy = state.probabilities();
        Probabilities in_place = std::move(state).into_probabilities();
        ASSERT_EQ(in_place.size(), copy.size());
        EXPECT_EQ(std::memcmp(in_place.values().data(), copy.data(), copy.size() * sizeof(double)), 0) << n;
    }
}

TEST(StateBuffer, ResetReturnsToTheGroundState) {
    StateBuffer state = run_circuit(random_circuit(3, 1));
    state.reset();
    EXPECT_EQ(state.amplitudes()[0], Complex(1, 0));
    for (std::size_t k = 1; k < state.size(); ++k) EXPECT_EQ(state.amplitudes()[k], Complex(0, 0));
}

TEST(StateBuffer, RefusesWhatTheSystemCannotProvide) {
    EXPECT_EQ(StateBuffer::allocate(40).error(), QuantumError::insufficient_memory(40, 17592186044416ULL));
    EXPECT_EQ(StateBuffer::allocate(40).error().message(),
              "Insufficient memory for 40-qubit simulation (need 17592186044416 bytes)");
    // From 60 qubits on the need has no 64-bit figure; the largest one stands in.
    EXPECT_EQ(StateBuffer::allocate(64).error(), QuantumError::insufficient_memory(64, UINT64_MAX));
    EXPECT_EQ(StateBuffer::allocate(128).error(), QuantumError::insufficient_memory(128, UINT64_MAX));
    EXPECT_EQ(state_bytes(59), std::uint64_t{1} << 63);
    EXPECT_FALSE(state_bytes(60).has_value());
    EXPECT_GT(available_memory(), 0u);
    EXPECT_FALSE(can_provide(UINT64_MAX));
}
