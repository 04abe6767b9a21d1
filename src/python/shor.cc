// shor_factor: factoring with an emulated order-finding step.
#include "python/algorithm_config.h"
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/algorithms/shor.h"

namespace qelix::py {

namespace {

const Signature SHOR_FACTOR("shor_factor", {"n", {"seed", "None"}});

PyObject* shor_factor(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SHOR_FACTOR.bind(args, kwargs);
        std::uint64_t n = a.index(0);
        SimulatorConfig config = algorithm_config(a.get(1, to_optional_index));
        ShorResult r = unwrap(qelix::shor_factor(n, config));
        nb::dict out;
        out["n"] = nb::int_(r.n);
        nb::list factors;
        factors.append(nb::int_(r.factors.first));
        factors.append(nb::int_(r.factors.second));
        out["factors"] = factors;
        out["base_a"] = nb::int_(r.base_a);
        out["period_r"] = nb::int_(r.period_r);
        out["period"] = nb::int_(r.period_r);
        out["attempts"] = nb::int_(r.attempts);
        out["success"] = nb::bool_(r.success);
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& shor_factor_def() {
    static PyMethodDef def = SHOR_FACTOR.def(shor_factor);
    return def;
}

}  // namespace qelix::py
