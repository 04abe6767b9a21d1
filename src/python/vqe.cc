// vqe_hydrogen: the variational eigensolver on the two-qubit hydrogen Hamiltonian.
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/algorithms/vqe.h"

namespace qelix::py {

namespace {

constexpr std::size_t DEFAULT_MAX_ITERATIONS = 30;
constexpr std::uint32_t DEFAULT_SHOTS = 1000;

const Signature VQE_HYDROGEN("vqe_hydrogen", {{"max_iterations", "30"}, {"shots", "1000"}, {"seed", "None"}});

PyObject* vqe_hydrogen(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = VQE_HYDROGEN.bind(args, kwargs);
        const std::size_t max_iterations = a[0].is_valid() ? a.index(0) : DEFAULT_MAX_ITERATIONS;
        const std::uint32_t shots = a[1].is_valid() ? a.get(1, to_u32) : DEFAULT_SHOTS;
        const SimulatorConfig config{.seed = a.get(2, to_optional_index),
                                     .backend = Backend::state_vector(),
                                     .noise = NoiseModel::ideal(),
                                     .parallel = true};

        VqeResult r = unwrap(run_vqe(h2_hamiltonian(), Ansatz::ry_chain(), {0.0, 0.0}, max_iterations, shots, config));
        nb::dict out;
        out["energy"] = nb::float_(r.energy);
        out["optimal_params"] = float_list(r.optimal_params);
        out["params"] = float_list(r.optimal_params);
        out["energy_history"] = float_list(r.energy_history);
        out["iterations"] = nb::int_(r.iterations);
        out["converged"] = nb::bool_(r.converged);
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& vqe_hydrogen_def() {
    static PyMethodDef def = VQE_HYDROGEN.def(vqe_hydrogen);
    return def;
}

}  // namespace qelix::py
