// simon_hidden_xor: the hidden string of Simon's problem.
#include <algorithm>

#include "python/algorithm_config.h"
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/algorithms/simon.h"

namespace qelix::py {

namespace {

const Signature SIMON_HIDDEN_XOR("simon_hidden_xor", {"secret", {"seed", "None"}});

PyObject* simon_hidden_xor(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SIMON_HIDDEN_XOR.bind(args, kwargs);
        std::vector<bool> secret = a.get(0, to_flag_list);
        if (std::find(secret.begin(), secret.end(), true) == secret.end())
            raise(PyExc_ValueError, "Simon secret must be a non-zero bitstring");
        SimulatorConfig config = algorithm_config(a.get(1, to_optional_index));
        SimonResult r = unwrap(qelix::simon_hidden_xor(secret, config));
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
    static PyMethodDef def = SIMON_HIDDEN_XOR.def(simon_hidden_xor);
    return def;
}

}  // namespace qelix::py
