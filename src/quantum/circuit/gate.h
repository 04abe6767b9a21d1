#pragma once
#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qelix {

using Complex = std::complex<double>;

/// Every gate the system knows by name; Custom is a gate known only by its matrix.
enum class GateKind : std::uint8_t {
    H,
    X,
    Y,
    Z,
    S,
    Sdg,
    T,
    Tdg,
    SX,
    SXdg,
    Rx,
    Ry,
    Rz,
    U3,
    CNOT,
    CY,
    CZ,
    CH,
    CSX,
    SWAP,
    Rzz,
    Rxx,
    Ryy,
    Rzx,
    CRk,
    CP,
    CRx,
    CRy,
    CRz,
    CU3,
    CU,
    Custom,
};

/// One row of the gate table: what parser, serializer, drawing and bindings know about a kind.
struct GateInfo {
    GateKind kind;
    /// Display name, or the prefix of one that shows its parameters ("Rx" for "Rx(0.500)").
    std::string_view display;
    /// The name of the standard OpenQASM 2.0 gate ("cx" for CNOT).
    std::string_view qasm;
    std::size_t num_qubits;
    std::size_t num_params;
    /// The row-major matrix for the given parameters (null for Custom).
    std::vector<Complex> (*matrix)(const double* params);
};

/// The row of `kind`; Custom has an empty row of width 0.
const GateInfo& gate_info(GateKind kind);
/// Every named kind, in the order of GateKind.
std::span<const GateInfo> gate_table();
/// The kind whose OpenQASM name is `qasm_name` (lower case), if any.
std::optional<GateKind> kind_of_qasm(std::string_view qasm_name);

/// A quantum gate: display name, row-major unitary of 2^w x 2^w entries, width w, and the
/// kind and parameters it was made from. For two-qubit gates the first target is the more
/// significant local bit.
struct Gate {
    std::string name;
    std::vector<Complex> matrix;
    std::size_t num_qubits = 1;
    GateKind kind = GateKind::Custom;
    /// The first gate_info(kind).num_params entries are the parameters (CRk: its k).
    std::array<double, 4> params{};
    /// True after an odd number of `dagger`s: the matrix is the kind's conjugate transpose.
    bool inverse = false;

    /// The parameters the kind takes, in table order.
    std::span<const double> parameters() const { return {params.data(), gate_info(kind).num_params}; }
    bool operator==(const Gate&) const = default;
};

/// The double nearest to 1/sqrt(2), used literally by the standard gates.
inline constexpr double FRAC_1_SQRT_2 = 0.7071067811865476;
/// 2*pi as used by the controlled phase gates.
inline constexpr double TWO_PI = 6.283185307179586;

/// Formats an angle with exactly three decimals, as gate names show it ("1.571", "-0.500").
std::string format_angle(double value);

/// The phase angle 2*pi / 2^k of CR{k} for its stored parameter k (huge k gives 0).
double crk_phase(double k);

/// The gate of a named kind with the given parameters (as many as the kind takes; CRk takes
/// a whole k >= 0, larger than 2^64 - 1 saturating). Custom is a fault.
Gate make_gate(GateKind kind, std::span<const double> params = {});

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

/// A gate of the table whose matrix equals dagger(gate)'s (as values: a zero may change its
/// sign), e.g. Sdg for S^dagger, Rx(-t) for Rx(t)^dagger, CP(-2*pi/2^k) for CR{k}^dagger;
/// nothing for Custom gates. CSX^dagger is the one inverse written as a CU that is equal only
/// within rounding.
std::optional<Gate> standard_inverse(const Gate& gate);

}  // namespace qelix
