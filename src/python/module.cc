// The extension module `qelix`: classes, functions and submodules registered in
// a fixed order, each name also appended to the module's __all__.
#include <nanobind/nanobind.h>

#include <vector>

#include "python/algorithms.h"
#include "python/circuit.h"
#include "python/crypto.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/qasm.h"
#include "python/simulation.h"

namespace nb = nanobind;
using namespace qelix::py;

NB_MODULE(qelix, m) {
    m.attr("__all__") = nb::list();
    register_internal_fault(m);

    bind_circuit(m);
    export_name(m, "Circuit", m.attr("Circuit"));
    bind_simulator(m);
    export_name(m, "Simulator", m.attr("Simulator"));
    bind_quantum_result(m);
    export_name(m, "QuantumResult", m.attr("QuantumResult"));
    bind_noise_model(m);
    export_name(m, "NoiseModel", m.attr("NoiseModel"));

    bind_qasm(m);

    // Algorithm functions, kept so the submodule can hold the very same objects.
    PyMethodDef* algorithm_defs[] = {&phase_estimation_def(), &shor_factor_def(),      &vqe_hydrogen_def(),
                                     &qaoa_maxcut_def(),      &simon_hidden_xor_def(), &random_walk_def()};
    std::vector<nb::object> algorithm_functions;
    for (PyMethodDef* def : algorithm_defs) algorithm_functions.push_back(add_function(m, *def));

    bind_crypto(m);

    nb::module_ algorithms = nb::steal<nb::module_>(PyModule_New("algorithms"));
    if (!algorithms.is_valid()) throw nb::python_error();
    algorithms.attr("__all__") = nb::list();
    for (std::size_t i = 0; i < algorithm_functions.size(); ++i)
        export_name(algorithms, algorithm_defs[i]->ml_name, algorithm_functions[i]);
    export_name(m, "algorithms", algorithms);

    export_name(m, "__version__", nb::str(QELIX_VERSION));
}
