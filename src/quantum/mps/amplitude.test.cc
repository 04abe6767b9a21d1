#include "quantum/mps/amplitude.h"

#include <gtest/gtest.h>

#include "quantum/mps/test_util.h"
#include "quantum/statevector/statevector.h"

using namespace qelix;
using mps_testing::run_mps;

TEST(MpsAmplitude, DenseExpansionMatchesSingleAmplitudes) {
    Circuit c = mps_testing::random_circuit(7, 50, 13);
    MpsState state = run_mps(c, 64);
    const std::vector<Complex> dense = dense_amplitudes(state).value();
    ASSERT_EQ(dense.size(), 128u);
    for (std::size_t k = 0; k < dense.size(); ++k) {
        const Complex single = amplitude(state, OutcomeWord::of(k));
        EXPECT_EQ(dense[k], single) << k;  // the same arithmetic, bit for bit
    }
    EXPECT_EQ(dense_amplitudes(MpsState::new_zero(21, 4)).error(), QuantumError::too_many_qubits(21, 20));
    EXPECT_EQ(dense_amplitudes(MpsState::new_zero(20, 4)).value().size(), std::size_t{1} << 20);
}
