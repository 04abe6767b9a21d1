#include "quantum/circuit/gate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error.h"

namespace qelix {

namespace {

using Matrix = std::vector<Complex>;

constexpr double S = FRAC_1_SQRT_2;
constexpr double HALF_PI = 1.5707963267948966;
constexpr double QUARTER_PI = 0.7853981633974483;
/// 2^64 as a double: whole values from here on saturate to the largest k.
constexpr double TWO_POW_64 = 18446744073709551616.0;
const Complex I{0.0, 1.0};

/// e^(i*angle) as (cos, sin) of the angle itself.
Complex phase(double angle) { return {std::cos(angle), std::sin(angle)}; }

/// A 4x4 matrix that is the identity except for the given diagonal.
Matrix diagonal(Complex d0, Complex d1, Complex d2, Complex d3) {
    Matrix m(16);
    m[0] = d0;
    m[5] = d1;
    m[10] = d2;
    m[15] = d3;
    return m;
}

/// The 4x4 identity with local indices a and b exchanged.
Matrix exchange(int a, int b) {
    Matrix m(16);
    for (int r = 0; r < 4; ++r) {
        int c = r == a ? b : r == b ? a : r;
        m[r * 4 + c] = 1.0;
    }
    return m;
}

/// The two-qubit gate that applies the one-qubit `u` to the second target when the first is 1.
Matrix controlled(const Matrix& u) {
    Matrix m = diagonal(1.0, 1.0, 0.0, 0.0);
    m[10] = u[0];
    m[11] = u[1];
    m[14] = u[2];
    m[15] = u[3];
    return m;
}

/// The 4x4 matrix c*I - i*sn*P for a two-qubit Pauli product P given by its nonzero entries.
Matrix pauli_rotation(double theta, std::initializer_list<std::pair<int, double>> entries) {
    double c = std::cos(theta / 2.0), sn = std::sin(theta / 2.0);
    Matrix m = diagonal(c, c, c, c);
    for (auto [index, sign] : entries) m[index] = Complex{0.0, -sn * sign};
    return m;
}

std::uint64_t whole_k(double k) {
    if (!(k >= 0.0)) return 0;
    return k >= TWO_POW_64 ? UINT64_MAX : static_cast<std::uint64_t>(k);
}

/// The CR{k} angle 2*pi / 2^k, the exponent clamped so that huge k gives 0.
double crk_angle(std::uint64_t k) {
    int exponent = static_cast<int>(std::min<std::uint64_t>(k, 2147483647));
    return TWO_PI / std::ldexp(1.0, exponent);
}

Matrix h(const double*) { return {S, S, S, -S}; }
Matrix x(const double*) { return {0.0, 1.0, 1.0, 0.0}; }
Matrix y(const double*) { return {0.0, -I, I, 0.0}; }
Matrix z(const double*) { return {1.0, 0.0, 0.0, -1.0}; }
Matrix s(const double*) { return {1.0, 0.0, 0.0, I}; }
Matrix sdg(const double*) { return {1.0, 0.0, 0.0, -I}; }
Matrix t(const double*) { return {1.0, 0.0, 0.0, Complex{S, S}}; }
Matrix tdg(const double*) { return {1.0, 0.0, 0.0, Complex{S, -S}}; }
Matrix sx(const double*) { return {Complex{0.5, 0.5}, Complex{0.5, -0.5}, Complex{0.5, -0.5}, Complex{0.5, 0.5}}; }
Matrix sxdg(const double*) { return {Complex{0.5, -0.5}, Complex{0.5, 0.5}, Complex{0.5, 0.5}, Complex{0.5, -0.5}}; }

Matrix rx(const double* p) {
    double c = std::cos(p[0] / 2.0), sn = std::sin(p[0] / 2.0);
    return {c, Complex{0.0, -sn}, Complex{0.0, -sn}, c};
}

Matrix ry(const double* p) {
    double c = std::cos(p[0] / 2.0), sn = std::sin(p[0] / 2.0);
    return {c, -sn, sn, c};
}

Matrix rz(const double* p) { return {phase(-p[0] / 2.0), 0.0, 0.0, phase(p[0] / 2.0)}; }

Matrix u3(const double* p) {
    double c = std::cos(p[0] / 2.0), sn = std::sin(p[0] / 2.0);
    return {c, -phase(p[2]) * sn, phase(p[1]) * sn, phase(p[1] + p[2]) * c};
}

Matrix cnot(const double*) { return exchange(2, 3); }

Matrix cy(const double*) {
    Matrix m = diagonal(1.0, 1.0, 0.0, 0.0);
    m[2 * 4 + 3] = -I;
    m[3 * 4 + 2] = I;
    return m;
}

Matrix cz(const double*) { return diagonal(1.0, 1.0, 1.0, -1.0); }
Matrix ch(const double* p) { return controlled(h(p)); }
Matrix csx(const double* p) { return controlled(sx(p)); }
Matrix swap(const double*) { return exchange(1, 2); }

Matrix rzz(const double* p) {
    Complex neg = phase(-p[0] / 2.0), pos = phase(p[0] / 2.0);
    return diagonal(neg, pos, pos, neg);
}

Matrix rxx(const double* p) { return pauli_rotation(p[0], {{3, 1.0}, {6, 1.0}, {9, 1.0}, {12, 1.0}}); }
Matrix ryy(const double* p) { return pauli_rotation(p[0], {{3, -1.0}, {6, 1.0}, {9, 1.0}, {12, -1.0}}); }
Matrix rzx(const double* p) { return pauli_rotation(p[0], {{1, 1.0}, {4, 1.0}, {11, -1.0}, {14, -1.0}}); }
Matrix crk(const double* p) { return diagonal(1.0, 1.0, 1.0, phase(crk_angle(whole_k(p[0])))); }
Matrix cp(const double* p) { return diagonal(1.0, 1.0, 1.0, phase(p[0])); }
Matrix crx(const double* p) { return controlled(rx(p)); }
Matrix cry(const double* p) { return controlled(ry(p)); }
Matrix crz(const double* p) { return controlled(rz(p)); }
Matrix cu3(const double* p) { return controlled(u3(p)); }

Matrix cu(const double* p) {
    Matrix u = u3(p);
    for (Complex& entry : u) entry = phase(p[3]) * entry;
    return controlled(u);
}

using K = GateKind;

constexpr GateInfo TABLE[] = {
    {K::H, "H", "h", 1, 0, h},           {K::X, "X", "x", 1, 0, x},
    {K::Y, "Y", "y", 1, 0, y},           {K::Z, "Z", "z", 1, 0, z},
    {K::S, "S", "s", 1, 0, s},           {K::Sdg, "Sdg", "sdg", 1, 0, sdg},
    {K::T, "T", "t", 1, 0, t},           {K::Tdg, "Tdg", "tdg", 1, 0, tdg},
    {K::SX, "SX", "sx", 1, 0, sx},       {K::SXdg, "SXdg", "sxdg", 1, 0, sxdg},
    {K::Rx, "Rx", "rx", 1, 1, rx},       {K::Ry, "Ry", "ry", 1, 1, ry},
    {K::Rz, "Rz", "rz", 1, 1, rz},       {K::U3, "U3", "u3", 1, 3, u3},
    {K::CNOT, "CNOT", "cx", 2, 0, cnot}, {K::CY, "CY", "cy", 2, 0, cy},
    {K::CZ, "CZ", "cz", 2, 0, cz},       {K::CH, "CH", "ch", 2, 0, ch},
    {K::CSX, "CSX", "csx", 2, 0, csx},   {K::SWAP, "SWAP", "swap", 2, 0, swap},
    {K::Rzz, "Rzz", "rzz", 2, 1, rzz},   {K::Rxx, "Rxx", "rxx", 2, 1, rxx},
    {K::Ryy, "Ryy", "ryy", 2, 1, ryy},   {K::Rzx, "Rzx", "rzx", 2, 1, rzx},
    {K::CRk, "CR", "crk", 2, 1, crk},    {K::CP, "CP", "cu1", 2, 1, cp},
    {K::CRx, "CRx", "crx", 2, 1, crx},   {K::CRy, "CRy", "cry", 2, 1, cry},
    {K::CRz, "CRz", "crz", 2, 1, crz},   {K::CU3, "CU3", "cu3", 2, 3, cu3},
    {K::CU, "CU", "cu", 2, 4, cu},
};
constexpr GateInfo CUSTOM{K::Custom, "", "", 0, 0, nullptr};

static_assert(std::size(TABLE) == static_cast<std::size_t>(K::Custom));
static_assert([] {
    for (std::size_t i = 0; i < std::size(TABLE); ++i)
        if (static_cast<std::size_t>(TABLE[i].kind) != i) return false;
    return true;
}());

/// "Rx(0.500)", "U3(1.571,0.000,3.142)", "CR3" or the bare display name.
std::string display_name(const GateInfo& info, const double* params) {
    std::string name(info.display);
    if (info.kind == K::CRk) return name + std::to_string(whole_k(params[0]));
    if (info.num_params == 0) return name;
    name += '(';
    for (std::size_t i = 0; i < info.num_params; ++i) name += (i ? "," : "") + format_angle(params[i]);
    return name + ')';
}

/// make_gate with the parameters written out.
Gate build(GateKind kind, std::initializer_list<double> params = {}) {
    return make_gate(kind, std::span(params.begin(), params.size()));
}

}  // namespace

const GateInfo& gate_info(GateKind kind) { return kind == K::Custom ? CUSTOM : TABLE[static_cast<std::size_t>(kind)]; }

std::span<const GateInfo> gate_table() { return TABLE; }

std::optional<GateKind> kind_of_qasm(std::string_view qasm_name) {
    for (const GateInfo& info : TABLE)
        if (info.qasm == qasm_name) return info.kind;
    return std::nullopt;
}

std::string format_angle(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    int len = std::snprintf(nullptr, 0, "%.3f", value);
    std::string out(static_cast<std::size_t>(len), '\0');
    std::snprintf(out.data(), out.size() + 1, "%.3f", value);
    return out;
}

double crk_phase(double k) { return crk_angle(whole_k(k)); }

Gate make_gate(GateKind kind, std::span<const double> params) {
    const GateInfo& info = gate_info(kind);
    if (kind == K::Custom || params.size() != info.num_params)
        throw InternalFault("make_gate given " + std::to_string(params.size()) + " parameters for kind '" +
                            std::string(info.display) + "'");
    Gate gate{.name = {}, .matrix = {}, .num_qubits = info.num_qubits, .kind = kind};
    std::copy(params.begin(), params.end(), gate.params.begin());
    gate.name = display_name(info, gate.params.data());
    gate.matrix = info.matrix(gate.params.data());
    return gate;
}

namespace gates {

Gate h() { return build(K::H); }
Gate x() { return build(K::X); }
Gate y() { return build(K::Y); }
Gate z() { return build(K::Z); }
Gate s() { return build(K::S); }
Gate sdg() { return build(K::Sdg); }
Gate t() { return build(K::T); }
Gate tdg() { return build(K::Tdg); }
Gate sx() { return build(K::SX); }
Gate rx(double theta) { return build(K::Rx, {theta}); }
Gate ry(double theta) { return build(K::Ry, {theta}); }
Gate rz(double theta) { return build(K::Rz, {theta}); }
Gate u3(double theta, double phi, double lambda) { return build(K::U3, {theta, phi, lambda}); }
Gate cnot() { return build(K::CNOT); }
Gate cy() { return build(K::CY); }
Gate cz() { return build(K::CZ); }
Gate swap() { return build(K::SWAP); }
Gate rzz(double theta) { return build(K::Rzz, {theta}); }

Gate crk(std::uint64_t k) {
    // The name keeps every digit of k, which a double parameter may round.
    Gate gate = build(K::CRk, {static_cast<double>(k)});
    gate.name = "CR" + std::to_string(k);
    return gate;
}

}  // namespace gates

Gate dagger(const Gate& gate) {
    std::size_t dim = std::size_t{1} << gate.num_qubits;
    std::vector<Complex> m(gate.matrix.size());
    for (std::size_t r = 0; r < dim; ++r)
        for (std::size_t c = 0; c < dim; ++c) m[r * dim + c] = std::conj(gate.matrix[c * dim + r]);
    Gate out = gate;
    out.name += "^dagger";
    out.matrix = std::move(m);
    out.inverse = !gate.inverse;
    return out;
}

std::optional<Gate> standard_inverse(const Gate& gate) {
    if (gate.kind == K::Custom) return std::nullopt;
    if (gate.inverse) return make_gate(gate.kind, gate.parameters());
    const double* p = gate.params.data();
    switch (gate.kind) {
        case K::S: return build(K::Sdg);
        case K::Sdg: return build(K::S);
        case K::T: return build(K::Tdg);
        case K::Tdg: return build(K::T);
        case K::SX: return build(K::SXdg);
        case K::SXdg: return build(K::SX);
        case K::U3:
        case K::CU3: return build(gate.kind, {-p[0], -p[2], -p[1]});
        case K::CU: return build(K::CU, {-p[0], -p[2], -p[1], -p[3]});
        case K::CRk: return build(K::CP, {-crk_angle(whole_k(p[0]))});
        case K::CSX: return build(K::CU, {-HALF_PI, -HALF_PI, HALF_PI, -QUARTER_PI});
        default: break;
    }
    if (gate_info(gate.kind).num_params == 1) return build(gate.kind, {-p[0]});
    return build(gate.kind);  // the remaining kinds are their own inverses
}

}  // namespace qelix
