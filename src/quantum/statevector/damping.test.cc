#include "quantum/statevector/damping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace qelix;

namespace {

/// Regular amplitudes with signed zeros, a subnormal and an infinity among them.
std::vector<Complex> sample_state(std::size_t n) {
    std::vector<Complex> amps(std::size_t{1} << n);
    for (std::size_t k = 0; k < amps.size(); ++k) amps[k] = {std::sin(0.71 * k + 0.3), std::cos(1.3 * k) - 0.5};
    amps[1] = {-0.0, 0.0};
    amps[6] = {4.9e-324, -1e-310};
    amps[9] = {INFINITY, -2.0};
    return amps;
}

bool same_bits(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(Complex)) == 0;
}

std::vector<KernelPath> paths() {
    std::vector<KernelPath> out = {KernelPath::Scalar};
    for (KernelPath path : {KernelPath::Sse2, KernelPath::Avx, KernelPath::Avx512})
        if (kernel_path_supported(path)) out.push_back(path);
    return out;
}

}  // namespace

TEST(Damping, EveryPathGivesTheFormulaBits) {
    const std::size_t n = 5;
    const double norm = std::sqrt(1.0 - 0.37), keep = std::sqrt(1.0 - 0.52), root = std::sqrt(0.29);
    for (std::size_t qubit = 0; qubit < n; ++qubit) {
        const std::vector<Complex> start = sample_state(n);
        std::vector<Complex> no_jump = start, jump = start;
        const std::size_t mask = std::size_t{1} << qubit;
        for (std::size_t i = 0; i < start.size(); ++i) {
            if (i & mask) continue;
            no_jump[i] = start[i] / norm;
            no_jump[i | mask] = start[i | mask] * keep / norm;
            jump[i] = start[i | mask] / root;
            jump[i | mask] = 0.0;
        }
        for (KernelPath path : paths()) {
            std::vector<Complex> a = start, b = start;
            damp_no_jump(a.data(), a.size(), qubit, norm, keep, path);
            damp_jump(b.data(), b.size(), qubit, root, path);
            EXPECT_TRUE(same_bits(a, no_jump)) << "qubit " << qubit << " path " << static_cast<int>(path);
            EXPECT_TRUE(same_bits(b, jump)) << "qubit " << qubit << " path " << static_cast<int>(path);
        }
    }
}
