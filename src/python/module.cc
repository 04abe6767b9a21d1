// The extension module `qelix`: classes, functions and submodules registered in
// a fixed order, each name also appended to the module's __all__.
#include <nanobind/nanobind.h>

#include "python/circuit.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/qasm.h"

namespace nb = nanobind;
using namespace qelix::py;

NB_MODULE(qelix, m) {
    m.attr("__all__") = nb::list();
    register_internal_fault(m);

    bind_circuit(m);
    export_name(m, "Circuit", m.attr("Circuit"));

    // After the four classes.
    bind_qasm(m);

    export_name(m, "__version__", nb::str("0.1.0"));
}
