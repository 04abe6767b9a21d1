#pragma once
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qelix {

using Complex = std::complex<double>;

/// A quantum gate: display name, row-major unitary of 2^w x 2^w entries, width w.
/// For two-qubit gates the first target is the more significant local bit.
struct Gate {
    std::string name;
    std::vector<Complex> matrix;
    std::size_t num_qubits = 1;

    bool operator==(const Gate&) const = default;
};

/// The double nearest to 1/sqrt(2), used literally by the standard gates.
inline constexpr double FRAC_1_SQRT_2 = 0.7071067811865476;
/// 2*pi as used by the controlled phase gates.
inline constexpr double TWO_PI = 6.283185307179586;

/// Formats an angle with exactly three decimals, as gate names show it ("1.571", "-0.500").
std::string format_angle(double value);

namespace gates {
/// Hadamard, "H".
Gate h();
/// Pauli X, "X".
Gate x();
/// Pauli Y, "Y".
Gate y();
/// Pauli Z, "Z".
Gate z();
/// Phase gate, "S".
Gate s();
/// Inverse phase gate, "Sdg".
Gate sdg();
/// pi/8 gate, "T".
Gate t();
/// Inverse pi/8 gate, "Tdg".
Gate tdg();
/// Square root of X, "SX".
Gate sx();
/// X rotation, "Rx(theta)".
Gate rx(double theta);
/// Y rotation, "Ry(theta)".
Gate ry(double theta);
/// Z rotation, "Rz(theta)".
Gate rz(double theta);
/// Generic rotation, "U3(theta,phi,lambda)".
Gate u3(double theta, double phi, double lambda);
/// Controlled NOT (control first), "CNOT".
Gate cnot();
/// Controlled Y, "CY".
Gate cy();
/// Controlled Z, "CZ".
Gate cz();
/// Swap, "SWAP".
Gate swap();
/// ZZ interaction, "Rzz(theta)".
Gate rzz(double theta);
/// Controlled phase by 2*pi / 2^k, "CR{k}".
Gate crk(std::uint64_t k);
}  // namespace gates

/// The inverse gate: conjugate transpose, name suffixed with "^dagger".
Gate dagger(const Gate& gate);

}  // namespace qelix
