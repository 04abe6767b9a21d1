// phase_estimation: the eigenphase of a named one-qubit gate for a named eigenstate.
#include <optional>
#include <string_view>

#include "python/algorithm_config.h"
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/release.h"
#include "quantum/algorithms/qpe.h"

namespace qelix::py {

namespace {

constexpr std::size_t DEFAULT_PRECISION_BITS = 3;
constexpr std::uint32_t DEFAULT_SHOTS = 1024;

/// A gate together with the preparation of one of its eigenstates.
struct EigenPair {
    Gate gate;
    EigenstatePreparation preparation;
};

void prepare_one(Circuit& c, std::size_t q) { (void)c.x(q); }
void prepare_plus(Circuit& c, std::size_t q) { (void)c.h(q); }
void prepare_minus(Circuit& c, std::size_t q) {
    (void)c.x(q);
    (void)c.h(q);
}

/// The supported (unitary, eigenstate) names; the identity ignores the eigenstate.
std::optional<EigenPair> eigen_pair(std::string_view unitary, std::optional<std::string_view> eigenstate) {
    if (unitary == "i" || unitary == "identity") return EigenPair{Gate{"I", {1.0, 0.0, 0.0, 1.0}, 1}, nullptr};
    bool one = !eigenstate || *eigenstate == "one";
    if (unitary == "s" && one) return EigenPair{gates::s(), prepare_one};
    if (unitary == "t" && one) return EigenPair{gates::t(), prepare_one};
    if (unitary == "z" && one) return EigenPair{gates::z(), prepare_one};
    if (unitary == "x" && eigenstate == "plus") return EigenPair{gates::x(), prepare_plus};
    if (unitary == "x" && eigenstate == "minus") return EigenPair{gates::x(), prepare_minus};
    return std::nullopt;
}

PyObject* phase_estimation(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<5> params("phase_estimation", {"unitary", "eigenstate", "precision_bits", "shots", "seed"},
                                      1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        std::string_view unitary = to_text(a[0], "unitary");
        std::optional<std::string_view> eigenstate = to_optional_text(a[1], "eigenstate");
        std::size_t precision_bits = absent(a[2]) ? DEFAULT_PRECISION_BITS : to_index(a[2], "precision_bits");
        std::uint32_t shots = absent(a[3]) ? DEFAULT_SHOTS : to_u32(a[3], "shots");
        SimulatorConfig config = algorithm_config(to_optional_index(a[4], "seed"));

        auto pair = eigen_pair(unitary, eigenstate);
        if (!pair) raise(PyExc_ValueError, "unsupported phase-estimation unitary/eigenstate pair");
        PhaseEstimationResult r = unwrap(released(
            [&] { return qelix::phase_estimation(pair->gate, pair->preparation, precision_bits, shots, config); }));
        nb::dict out;
        out["phase"] = nb::float_(r.phase);
        out["measured_value"] = nb::int_(r.measured_value);
        out["precision_bits"] = nb::int_(r.precision_bits);
        nb::dict counts;
        for (const auto& [value, count] : r.counts) counts[nb::int_(value)] = nb::int_(count);
        out["counts"] = counts;
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& phase_estimation_def() {
    static PyMethodDef def =
        method_def("phase_estimation", phase_estimation,
                   "phase_estimation(unitary, eigenstate=None, precision_bits=3, shots=1024, seed=None)\n--\n\n");
    return def;
}

}  // namespace qelix::py
