// Simulator.expectation (Pauli sums) and Simulator.run_batch.
#include <string>

#include "python/circuit.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/release.h"
#include "python/simulation.h"
#include "python/surface.h"
#include "quantum/simulator/batch.h"
#include "quantum/simulator/expectation.h"

namespace qelix::py {

namespace {

constexpr std::uint32_t DEFAULT_SHOTS = 1000;

const Signature EXPECTATION(
    "expectation", {"$self", "circuit", "observable", {"shots", "1000"}},
    "Return the expectation value of a Hermitian Pauli sum in the circuit's final state. `observable` is a dict of "
    "label: coefficient (`{\"Z0 Z1\": 0.5, \"X0\": -0.25, \"\": 1.0}`) or a list of (coefficient, label) pairs "
    "(`[(0.5, \"ZZI\")]`); a label is sparse (letter and qubit index, separated by blanks) or dense (character i "
    "acts on qubit i, as everywhere in qelix: the reverse of Qiskit's labels); \"\" is the identity. Measurements "
    "after the last gate are ignored. Noiseless circuits are evaluated exactly (by contraction on the \"mps\" "
    "backend, normalised by the kept norm); with noise, mid-circuit measurements or conditionals the value is the "
    "mean over `shots` seeded trajectories.");
const Signature RUN_BATCH("run_batch", {"$self", "circuits", {"shots", "1000"}},
                          "Run every circuit of a sequence for `shots` shots and return the list of results, each "
                          "equal to what `run` gives for that circuit. Small circuits are run side by side on the "
                          "worker pool when `parallel` is set.");

/// A real coefficient: a float, int, or a complex number whose imaginary part is 0.
double coefficient(nb::handle value, std::string_view label) {
    if (PyComplex_Check(value.ptr())) {
        if (PyComplex_ImagAsDouble(value.ptr()) != 0.0)
            raise(PyExc_ValueError,
                  "coefficient of '" + std::string(label) + "' is not real: the observable must be Hermitian");
        return PyComplex_RealAsDouble(value.ptr());
    }
    return to_real(value, "observable");
}

/// {"Z0 Z1": 0.5, ...} or [(0.5, "ZZ"), ...]: labels as parse_term reads them.
Observable to_observable(nb::handle value) {
    Observable out;
    auto add = [&](nb::handle coef, nb::handle label) {
        const std::string_view text = to_text(label, "observable");
        out.push_back(unwrap(parse_term(coefficient(coef, text), text)));
    };
    if (PyDict_Check(value.ptr())) {
        for (auto [label, coef] : nb::borrow<nb::dict>(value)) add(coef, label);
        return out;
    }
    if (PyUnicode_Check(value.ptr()) || !PySequence_Check(value.ptr()))
        raise_argument_type_error("observable",
                                  "expected a dict of label: coefficient or a list of "
                                  "(coefficient, label) pairs");
    for (nb::handle item : nb::borrow<nb::sequence>(value)) {
        if (!PySequence_Check(item.ptr()) || PyUnicode_Check(item.ptr()) || nb::len(item) != 2)
            raise_argument_type_error("observable", "expected (coefficient, label) pairs");
        add(item[0], item[1]);
    }
    return out;
}

PyObject* expectation_method(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = EXPECTATION.bind(args, kwargs);
        PySimulator& sim = self_of<PySimulator>(self);
        SharedBorrow read_sim(sim.borrow);
        PyCircuit& circuit = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read_circuit(circuit.borrow);
        const Observable observable = to_observable(a[1]);
        const std::uint32_t shots = a[2].is_valid() ? a.get(2, to_u32) : DEFAULT_SHOTS;
        return PyFloat_FromDouble(
            unwrap(released([&] { return expectation(sim.config, circuit.circuit, observable, shots); })));
    });
}

PyObject* run_batch_method(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = RUN_BATCH.bind(args, kwargs);
        PySimulator& sim = self_of<PySimulator>(self);
        SharedBorrow read_sim(sim.borrow);
        if (PyUnicode_Check(a[0].ptr()) || !PySequence_Check(a[0].ptr()))
            raise_argument_type_error("circuits", "expected a sequence of Circuit objects");
        nb::sequence list = nb::borrow<nb::sequence>(a[0]);
        std::vector<const Circuit*> circuits;
        std::vector<std::unique_ptr<SharedBorrow>> borrows;
        std::vector<nb::object> held;  // keeps each circuit alive even if the sequence changes
        for (nb::handle item : list) {
            PyCircuit& c = to_instance<PyCircuit>(item, "circuits");
            borrows.push_back(std::make_unique<SharedBorrow>(c.borrow));
            held.push_back(nb::borrow(item));
            circuits.push_back(&c.circuit);
        }
        const std::uint32_t shots = a[1].is_valid() ? a.get(1, to_u32) : DEFAULT_SHOTS;
        auto results = released([&] { return run_batch(sim.config, circuits, shots); });
        if (!results)
            raise(PyExc_ValueError,
                  "circuit " + std::to_string(results.error().index) + ": " + results.error().error.message());
        nb::list out;
        for (QuantumResult& r : *results) out.append(nb::steal(new_quantum_result(std::move(r))));
        return out.release().ptr();
    });
}

PyMethodDef METHODS[] = {
    EXPECTATION.def(expectation_method),
    RUN_BATCH.def(run_batch_method),
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void add_observable_methods(nb::module_& m) { attach(m.attr("Simulator"), METHODS, nullptr); }

}  // namespace qelix::py
