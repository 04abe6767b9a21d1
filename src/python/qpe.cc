// phase_estimation: the eigenphase of a named one-qubit gate for a named eigenstate.
#include <optional>
#include <string_view>

#include "python/algorithm_config.h"
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
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

const Signature PHASE_ESTIMATION(
    "phase_estimation",
    {"unitary", {"eigenstate", "None"}, {"precision_bits", "3"}, {"shots", "1024"}, {"seed", "None"}});

PyObject* phase_estimation(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = PHASE_ESTIMATION.bind(args, kwargs);
        std::string_view unitary = a.get(0, to_text);
        std::optional<std::string_view> eigenstate = a.get(1, to_optional_text);
        std::size_t precision_bits = absent(a[2]) ? DEFAULT_PRECISION_BITS : a.index(2);
        std::uint32_t shots = absent(a[3]) ? DEFAULT_SHOTS : a.get(3, to_u32);
        SimulatorConfig config = algorithm_config(a.get(4, to_optional_index));

        auto pair = eigen_pair(unitary, eigenstate);
        if (!pair) raise(PyExc_ValueError, "unsupported phase-estimation unitary/eigenstate pair");
        PhaseEstimationResult r =
            unwrap(qelix::phase_estimation(pair->gate, pair->preparation, precision_bits, shots, config));
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
    static PyMethodDef def = PHASE_ESTIMATION.def(phase_estimation);
    return def;
}

}  // namespace qelix::py
