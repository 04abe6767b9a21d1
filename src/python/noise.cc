#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/simulation.h"

namespace qelix::py {

namespace {

PyObject* new_noise_model(NoiseModel model) { return nb::cast(PyNoiseModel{std::move(model), {}}).release().ptr(); }

const Signature NOISE_MODEL("NoiseModel", {}, "Noise model for realistic hardware-aware simulation.");
const Signature IDEAL("ideal", {}, "Return a noiseless profile.");
const Signature IBM("ibm", {}, "Return an IBM-like superconducting profile.");
const Signature IONQ("ionq", {}, "Return an IonQ-like trapped-ion profile.");
const Signature UNIFORM("uniform", {"single_qubit_error", "two_qubit_error", "readout_error"},
                        "Create a uniform depolarizing and readout profile.");
const Signature FROM_HARDWARE("from_hardware",
                              {"t1_us", "t2_us", "gate_time_ns", "single_q_fidelity", "two_q_fidelity",
                               "readout_fidelity"},
                              "Create a noise model from hardware parameters.");

int init(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    PyObject* ok = guarded([&] {
        NOISE_MODEL.bind(args, kwargs);
        if (nb::inst_ready(self)) nb::inst_destruct(self);
        new (nb::inst_ptr<PyNoiseModel>(self)) PyNoiseModel{NoiseModel::ideal(), {}};
        nb::inst_mark_ready(self);
        Py_RETURN_NONE;
    });
    if (!ok) return -1;
    Py_DECREF(ok);
    return 0;
}

template <NoiseModel (*Profile)()>
PyObject* profile(PyObject*, PyObject*) noexcept {
    return guarded([] { return new_noise_model(Profile()); });
}

PyObject* uniform(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = UNIFORM.bind(args, kwargs);
        double single = a.real(0);
        double two = a.real(1);
        return new_noise_model(NoiseModel::uniform(single, two, a.real(2)));
    });
}

PyObject* from_hardware(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = FROM_HARDWARE.bind(args, kwargs);
        double t1 = a.real(0);
        double t2 = a.real(1);
        double gate_time = a.real(2);
        double f1 = a.real(3);
        double f2 = a.real(4);
        double fr = a.real(5);
        return new_noise_model(NoiseModel::from_hardware(t1, t2, gate_time, f1, f2, fr));
    });
}

PyObject* repr(PyObject* self) noexcept {
    return guarded([&] {
        PyNoiseModel& n = self_of<PyNoiseModel>(self);
        SharedBorrow read(n.borrow);
        return to_python_text(n.model.repr());
    });
}

PyMethodDef static_method(PyMethodDef def) {
    def.ml_flags |= METH_STATIC;
    return def;
}

PyMethodDef METHODS[] = {
    static_method(IDEAL.def(profile<&NoiseModel::ideal>)), static_method(IBM.def(profile<&NoiseModel::ibm>)),
    static_method(IONQ.def(profile<&NoiseModel::ionq>)),   static_method(UNIFORM.def(uniform)),
    static_method(FROM_HARDWARE.def(from_hardware)),       {nullptr, nullptr, 0, nullptr},
};

PyType_Slot SLOTS[] = {
    {Py_tp_init, reinterpret_cast<void*>(init)},
    {Py_tp_methods, METHODS},
    {Py_tp_repr, reinterpret_cast<void*>(repr)},
    {Py_tp_str, reinterpret_cast<void*>(repr)},
    {0, nullptr},
};

}  // namespace

void bind_noise_model(nb::module_& m) {
    nb::class_<PyNoiseModel>(m, "NoiseModel", NOISE_MODEL.doc(), nb::type_slots(SLOTS));
}

}  // namespace qelix::py
