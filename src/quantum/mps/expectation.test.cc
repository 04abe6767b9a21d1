#include "quantum/mps/expectation.h"

#include <gtest/gtest.h>

#include "quantum/mps/test_util.h"
#include "quantum/statevector/expectation.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;

TEST(MpsExpectation, EqualsTheStateVectorValueOnRandomCircuits) {
    SeededRng rng = SeededRng::from_seed_u64(3);
    for (std::size_t n : {1, 2, 5, 9, 12}) {
        Circuit c = mps_testing::random_circuit(n, 60, n);
        MpsState chain = mps_testing::run_mps(c, 1 << n);
        StateBuffer state = StateBuffer::allocate(n).value();
        state.apply_circuit(c, false);
        Observable o;
        for (int t = 0; t < 8; ++t) {
            std::string label;
            for (std::size_t q = 0; q < n; ++q) label += "IXYZ"[rng.gen_range_u64(0, 4)];
            o.push_back(parse_term(rng.next_f64() - 0.5, label).value());
        }
        EXPECT_NEAR(expectation(chain, o), expectation(state.amplitudes(), o, false), 1e-10) << n;
        EXPECT_NEAR(squared_norm(chain), 1.0, 1e-10);
    }
}

TEST(MpsExpectation, HundredQubitGhzCorrelatesItsEnds) {
    Circuit c = Circuit::create(100).value();
    ASSERT_TRUE(c.h(0));
    for (std::size_t q = 0; q + 1 < 100; ++q) ASSERT_TRUE(c.cnot(q, q + 1));
    MpsState chain = mps_testing::run_mps(c, 64);
    EXPECT_NEAR(expectation(chain, {parse_term(1.0, "Z0 Z99").value()}), 1.0, 1e-12);
    EXPECT_NEAR(expectation(chain, {parse_term(1.0, "Z50").value()}), 0.0, 1e-12);
    EXPECT_NEAR(expectation(chain, {parse_term(1.0,
                                               "X0 X1 X2 X3 X4 X5 X6 X7 X8 X9 X10 X11 X12 X13 X14 X15 X16 X17 "
                                               "X18 X19 X20 X21 X22 X23 X24 X25 X26 X27 X28 X29 X30 X31 X32 X33 "
                                               "X34 X35 X36 X37 X38 X39 X40 X41 X42 X43 X44 X45 X46 X47 X48 X49 "
                                               "X50 X51 X52 X53 X54 X55 X56 X57 X58 X59 X60 X61 X62 X63 X64 X65 "
                                               "X66 X67 X68 X69 X70 X71 X72 X73 X74 X75 X76 X77 X78 X79 X80 X81 "
                                               "X82 X83 X84 X85 X86 X87 X88 X89 X90 X91 X92 X93 X94 X95 X96 X97 "
                                               "X98 X99")
                                        .value()}),
                1.0, 1e-12);
}

TEST(MpsExpectation, TruncationShowsAsLostNormAndIsNormalisedAway) {
    Circuit bell = Circuit::create(2).value();
    ASSERT_TRUE(bell.h(0));
    ASSERT_TRUE(bell.cnot(0, 1));
    MpsState chain = mps_testing::run_mps(bell, 1);
    EXPECT_NEAR(squared_norm(chain), 0.5, 1e-12);
    // One branch survives: a product state with Z0 Z1 = 1 and Z0 = +1 or -1.
    EXPECT_NEAR(expectation(chain, {parse_term(1.0, "ZZ").value()}), 1.0, 1e-12);
    EXPECT_NEAR(std::abs(expectation(chain, {parse_term(1.0, "Z0").value()})), 1.0, 1e-12);
}
