#include "quantum/circuit/gate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qelix {

namespace {

constexpr double S = FRAC_1_SQRT_2;
const Complex I{0.0, 1.0};

Gate one(std::string name, Complex a, Complex b, Complex c, Complex d) {
    return Gate{std::move(name), {a, b, c, d}, 1};
}

Gate two(std::string name, std::vector<Complex> matrix) { return Gate{std::move(name), std::move(matrix), 2}; }

/// A 4x4 matrix that is the identity except for the given diagonal.
std::vector<Complex> diagonal(Complex d0, Complex d1, Complex d2, Complex d3) {
    std::vector<Complex> m(16);
    m[0] = d0;
    m[5] = d1;
    m[10] = d2;
    m[15] = d3;
    return m;
}

/// The 4x4 identity with local indices a and b exchanged.
std::vector<Complex> exchange(int a, int b) {
    std::vector<Complex> m(16);
    for (int r = 0; r < 4; ++r) {
        int c = r == a ? b : r == b ? a : r;
        m[r * 4 + c] = 1.0;
    }
    return m;
}

/// e^(i*angle) as (cos, sin) of the angle itself.
Complex phase(double angle) { return {std::cos(angle), std::sin(angle)}; }

}  // namespace

std::string format_angle(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    int len = std::snprintf(nullptr, 0, "%.3f", value);
    std::string out(static_cast<std::size_t>(len), '\0');
    std::snprintf(out.data(), out.size() + 1, "%.3f", value);
    return out;
}

namespace gates {

Gate h() { return one("H", S, S, S, -S); }
Gate x() { return one("X", 0.0, 1.0, 1.0, 0.0); }
Gate y() { return one("Y", 0.0, -I, I, 0.0); }
Gate z() { return one("Z", 1.0, 0.0, 0.0, -1.0); }
Gate s() { return one("S", 1.0, 0.0, 0.0, I); }
Gate sdg() { return one("Sdg", 1.0, 0.0, 0.0, -I); }
Gate t() { return one("T", 1.0, 0.0, 0.0, Complex{S, S}); }
Gate tdg() { return one("Tdg", 1.0, 0.0, 0.0, Complex{S, -S}); }
Gate sx() { return one("SX", Complex{0.5, 0.5}, Complex{0.5, -0.5}, Complex{0.5, -0.5}, Complex{0.5, 0.5}); }

Gate rx(double theta) {
    double c = std::cos(theta / 2.0), sn = std::sin(theta / 2.0);
    return one("Rx(" + format_angle(theta) + ")", c, Complex{0.0, -sn}, Complex{0.0, -sn}, c);
}

Gate ry(double theta) {
    double c = std::cos(theta / 2.0), sn = std::sin(theta / 2.0);
    return one("Ry(" + format_angle(theta) + ")", c, -sn, sn, c);
}

Gate rz(double theta) {
    return one("Rz(" + format_angle(theta) + ")", phase(-theta / 2.0), 0.0, 0.0, phase(theta / 2.0));
}

Gate u3(double theta, double phi, double lambda) {
    double c = std::cos(theta / 2.0), sn = std::sin(theta / 2.0);
    std::string name = "U3(" + format_angle(theta) + "," + format_angle(phi) + "," + format_angle(lambda) + ")";
    return one(std::move(name), c, -phase(lambda) * sn, phase(phi) * sn, phase(phi + lambda) * c);
}

Gate cnot() { return two("CNOT", exchange(2, 3)); }

Gate cy() {
    std::vector<Complex> m = diagonal(1.0, 1.0, 0.0, 0.0);
    m[2 * 4 + 3] = -I;
    m[3 * 4 + 2] = I;
    return two("CY", std::move(m));
}

Gate cz() { return two("CZ", diagonal(1.0, 1.0, 1.0, -1.0)); }
Gate swap() { return two("SWAP", exchange(1, 2)); }

Gate rzz(double theta) {
    Complex neg = phase(-theta / 2.0), pos = phase(theta / 2.0);
    return two("Rzz(" + format_angle(theta) + ")", diagonal(neg, pos, pos, neg));
}

Gate crk(std::uint64_t k) {
    int exponent = static_cast<int>(std::min<std::uint64_t>(k, 2147483647));
    double phi = TWO_PI / std::ldexp(1.0, exponent);
    return two("CR" + std::to_string(k), diagonal(1.0, 1.0, 1.0, phase(phi)));
}

}  // namespace gates

Gate dagger(const Gate& gate) {
    std::size_t dim = std::size_t{1} << gate.num_qubits;
    std::vector<Complex> m(gate.matrix.size());
    for (std::size_t r = 0; r < dim; ++r)
        for (std::size_t c = 0; c < dim; ++c) m[r * dim + c] = std::conj(gate.matrix[c * dim + r]);
    return Gate{gate.name + "^dagger", std::move(m), gate.num_qubits};
}

}  // namespace qelix
