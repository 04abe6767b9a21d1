// simon_hidden_xor: the hidden string of Simon's problem.
#include <algorithm>

#include "python/algorithm_config.h"
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/release.h"
#include "quantum/algorithms/simon.h"

namespace qelix::py {

namespace {

PyObject* simon_hidden_xor(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params("simon_hidden_xor", {"secret", "seed"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        std::vector<bool> secret = to_flag_list(a[0], "secret");
        if (std::find(secret.begin(), secret.end(), true) == secret.end())
            raise(PyExc_ValueError, "Simon secret must be a non-zero bitstring");
        SimulatorConfig config = algorithm_config(to_optional_index(a[1], "seed"));
        SimonResult r = unwrap(released([&] { return qelix::simon_hidden_xor(secret, config); }));
        nb::list found;
        for (bool bit : r.secret) found.append(nb::bool_(bit));
        nb::dict out;
        out["secret"] = found;
        out["iterations_needed"] = nb::int_(r.iterations_needed);
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& simon_hidden_xor_def() {
    static PyMethodDef def =
        method_def("simon_hidden_xor", simon_hidden_xor, "simon_hidden_xor(secret, seed=None)\n--\n\n");
    return def;
}

}  // namespace qelix::py
