#include <string>

#include "python/arrays.h"
#include "python/circuit.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/simulation.h"
#include "quantum/statevector/memory.h"

namespace qelix::py {

namespace {

constexpr std::uint32_t DEFAULT_SHOTS = 1000;
/// Bond limit of the "mps" backend when none is given.
constexpr std::uint64_t DEFAULT_MAX_BOND_DIM = 64;
/// Bytes CPython spends per list entry: the slot, plus a float (rounded to its
/// allocator class) or a pair tuple holding two floats.
constexpr std::uint64_t FLOAT_ENTRY_BYTES = 8 + 32;
constexpr std::uint64_t PAIR_ENTRY_BYTES = 8 + 64 + 2 * 32;

/// Refuses, before building anything, a list the system could not hold.
void check_list_memory(std::size_t entries, std::uint64_t bytes_per_entry) {
    const std::uint64_t need = entries > UINT64_MAX / bytes_per_entry ? UINT64_MAX : entries * bytes_per_entry;
    if (!can_provide(need))
        raise(PyExc_MemoryError, "Insufficient memory for a list of " + std::to_string(entries) + " entries (need " +
                                     std::to_string(need) + " bytes)");
}

/// A new list of `size` entries made by `make(k)`.
template <class Make>
PyObject* build_list(std::size_t size, Make&& make) {
    nb::object list = nb::steal(PyList_New(static_cast<Py_ssize_t>(size)));
    if (!list.is_valid()) throw nb::python_error();
    for (std::size_t k = 0; k < size; ++k) {
        PyObject* item = make(k);
        if (!item) throw nb::python_error();
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(k), item);
    }
    return list.release().ptr();
}

const Signature SIMULATOR(
    "Simulator",
    {{"seed", "None"}, {"noise", "None"}, {"parallel", "True"}, {"backend", "\"statevector\""}, {"max_bond_dim", "64"}},
    "State-vector quantum simulator with optional Monte Carlo noise.");
const Signature RUN("run", {"$self", "circuit", {"shots", "1000"}}, "Run a circuit for `shots` executions.");
const Signature STATEVECTOR("statevector", {"$self", "circuit"},
                            "Return the final noiseless state vector as `(real, imag)` tuples.");
const Signature PROBABILITIES("probabilities", {"$self", "circuit"},
                              "Return the basis-state probabilities for a noiseless circuit.");
const Signature STATEVECTOR_ARRAY("statevector_array", {"$self", "circuit"},
                                  "Return the final noiseless state vector as a complex128 NumPy array.");
const Signature PROBABILITIES_ARRAY("probabilities_array", {"$self", "circuit"},
                                    "Return the basis-state probabilities as a float64 NumPy array.");

/// The backend named by argument `backend`; `max_bond_dim` only matters to "mps".
Backend to_backend(const Args& a, std::size_t backend, std::size_t max_bond_dim) {
    const std::uint64_t bond = a[max_bond_dim].is_valid() ? a.index(max_bond_dim) : DEFAULT_MAX_BOND_DIM;
    if (!a[backend].is_valid()) return Backend::state_vector();
    const std::string_view name = a.get(backend, to_text);
    if (name == "statevector") return Backend::state_vector();
    if (name == "mps") return Backend::mps(bond);
    if (name == "auto") return Backend::automatic();
    raise(PyExc_ValueError, "backend must be 'statevector', 'mps' or 'auto', got '" + std::string(name) + "'");
}

int init(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    PyObject* ok = guarded([&] {
        Args a = SIMULATOR.bind(args, kwargs);
        SimulatorConfig config;
        config.seed = a.get(0, to_optional_index);
        if (!absent(a[1])) {
            // The simulator keeps its own copy: later use of the model object cannot affect it.
            PyNoiseModel& noise = a.get(1, to_instance<PyNoiseModel>);
            SharedBorrow read(noise.borrow);
            config.noise = noise.model;
        }
        config.parallel = a[2].is_valid() ? a.get(2, to_flag) : true;
        config.backend = to_backend(a, 3, 4);
        if (nb::inst_ready(self)) nb::inst_destruct(self);
        new (nb::inst_ptr<PySimulator>(self)) PySimulator{std::move(config), {}};
        nb::inst_mark_ready(self);
        Py_RETURN_NONE;
    });
    if (!ok) return -1;
    Py_DECREF(ok);
    return 0;
}

/// Runs `body(config, circuit, args)` under shared borrows of the simulator and the circuit.
template <class F>
PyObject* with_circuit(const Signature& signature, PyObject* self, PyObject* args, PyObject* kwargs, F&& body) {
    return guarded([&] {
        Args a = signature.bind(args, kwargs);
        PySimulator& sim = self_of<PySimulator>(self);
        SharedBorrow read_sim(sim.borrow);
        PyCircuit& circuit = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read_circuit(circuit.borrow);
        return body(sim.config, circuit.circuit, a);
    });
}

PyObject* run(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return with_circuit(RUN, self, args, kwargs, [](const SimulatorConfig& config, const Circuit& c, const Args& a) {
        // An omitted shot count means 1000; an explicit None is refused like any non-integer.
        std::uint32_t shots = a[1].is_valid() ? a.get(1, to_u32) : DEFAULT_SHOTS;
        return new_quantum_result(unwrap(qelix::run(config, c, shots)));
    });
}

PyObject* statevector(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return with_circuit(STATEVECTOR, self, args, kwargs,
                        [](const SimulatorConfig& config, const Circuit& c, const Args&) {
                            StateBuffer state = unwrap(qelix::statevector(config, c));
                            check_list_memory(state.size(), PAIR_ENTRY_BYTES);
                            std::span<const Complex> amps = state.amplitudes();
                            return build_list(amps.size(), [&](std::size_t k) {
                                PyObject* re = PyFloat_FromDouble(amps[k].real());
                                PyObject* im = re ? PyFloat_FromDouble(amps[k].imag()) : nullptr;
                                PyObject* pair = im ? PyTuple_New(2) : nullptr;
                                if (!pair) {
                                    Py_XDECREF(re);
                                    Py_XDECREF(im);
                                    return static_cast<PyObject*>(nullptr);
                                }
                                PyTuple_SET_ITEM(pair, 0, re);
                                PyTuple_SET_ITEM(pair, 1, im);
                                return pair;
                            });
                        });
}

PyObject* probabilities(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return with_circuit(PROBABILITIES, self, args, kwargs,
                        [](const SimulatorConfig& config, const Circuit& c, const Args&) {
                            Probabilities p = unwrap(qelix::probabilities(config, c));
                            check_list_memory(p.size(), FLOAT_ENTRY_BYTES);
                            return build_list(p.size(), [&](std::size_t k) { return PyFloat_FromDouble(p[k]); });
                        });
}

PyObject* statevector_array(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return with_circuit(STATEVECTOR_ARRAY, self, args, kwargs,
                        [](const SimulatorConfig& config, const Circuit& c, const Args&) {
                            require_numpy("statevector_array");
                            return amplitude_array(unwrap(qelix::statevector(config, c)));
                        });
}

PyObject* probabilities_array(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return with_circuit(PROBABILITIES_ARRAY, self, args, kwargs,
                        [](const SimulatorConfig& config, const Circuit& c, const Args&) {
                            require_numpy("probabilities_array");
                            return probability_array(unwrap(qelix::probabilities(config, c)));
                        });
}

PyObject* repr(PyObject* self) noexcept {
    return guarded([&] {
        PySimulator& sim = self_of<PySimulator>(self);
        SharedBorrow read(sim.borrow);
        switch (sim.config.backend.kind) {
            case BackendKind::Mps:
                return to_python_text("Simulator(Mps(max_bond_dim=" + std::to_string(sim.config.backend.max_bond_dim) +
                                      "))");
            case BackendKind::Auto: return to_python_text("Simulator(Auto)");
            case BackendKind::StateVector: break;
        }
        return to_python_text("Simulator(StateVector)");
    });
}

PyMethodDef METHODS[] = {
    RUN.def(run),
    STATEVECTOR.def(statevector),
    PROBABILITIES.def(probabilities),
    STATEVECTOR_ARRAY.def(statevector_array),
    PROBABILITIES_ARRAY.def(probabilities_array),
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot SLOTS[] = {
    {Py_tp_init, reinterpret_cast<void*>(init)},
    {Py_tp_methods, METHODS},
    {Py_tp_repr, reinterpret_cast<void*>(repr)},
    {Py_tp_str, reinterpret_cast<void*>(repr)},
    {0, nullptr},
};

}  // namespace

void bind_simulator(nb::module_& m) { nb::class_<PySimulator>(m, "Simulator", SIMULATOR.doc(), nb::type_slots(SLOTS)); }

}  // namespace qelix::py
