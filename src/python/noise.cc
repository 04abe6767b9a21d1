#include <string>
#include <vector>

#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/simulation.h"

namespace qelix::py {

namespace {

PyObject* new_noise_model(NoiseModel model) { return nb::cast(PyNoiseModel{std::move(model), {}}).release().ptr(); }

int init(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<0> params("NoiseModel", {}, 0);
    PyObject* ok = guarded([&] {
        params.bind(args, kwargs);
        reinitialise(self, PyNoiseModel{NoiseModel::ideal(), {}});
        Py_RETURN_NONE;
    });
    if (!ok) return -1;
    Py_DECREF(ok);
    return 0;
}

/// One RuntimeWarning listing what the constructor `name` did not take as given, if anything.
void warn_adjustments(const char* name, const std::vector<std::string>& notes) {
    if (notes.empty()) return;
    std::string text = std::string("NoiseModel.") + name + ": ";
    for (std::size_t i = 0; i < notes.size(); ++i) text += (i ? "; " : "") + notes[i];
    if (PyErr_WarnEx(PyExc_RuntimeWarning, text.c_str(), 1) < 0) throw nb::python_error();
}

template <NoiseModel (*Profile)()>
PyObject* profile(PyObject*, PyObject*) noexcept {
    return guarded([] { return new_noise_model(Profile()); });
}

PyObject* uniform(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<3> params("uniform", {"single_qubit_error", "two_qubit_error", "readout_error"}, 3);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        double single = to_real(a[0], "single_qubit_error");
        double two = to_real(a[1], "two_qubit_error");
        double readout = to_real(a[2], "readout_error");
        warn_adjustments("uniform", uniform_adjustments(single, two, readout));
        return new_noise_model(NoiseModel::uniform(single, two, readout));
    });
}

PyObject* from_hardware(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<6> params(
        "from_hardware", {"t1_us", "t2_us", "gate_time_ns", "single_q_fidelity", "two_q_fidelity", "readout_fidelity"},
        6);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        double t1 = to_real(a[0], "t1_us");
        double t2 = to_real(a[1], "t2_us");
        double gate_time = to_real(a[2], "gate_time_ns");
        double f1 = to_real(a[3], "single_q_fidelity");
        double f2 = to_real(a[4], "two_q_fidelity");
        double fr = to_real(a[5], "readout_fidelity");
        warn_adjustments("from_hardware", hardware_adjustments(t1, t2, gate_time, f1, f2, fr));
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

/// The four channel lists as a dict of lists of (kind name, probability) tuples.
PyObject* channels(PyObject* self, void*) noexcept {
    return guarded([&] {
        PyNoiseModel& n = self_of<PyNoiseModel>(self);
        SharedBorrow read(n.borrow);
        nb::dict out;
        auto add = [&](const char* key, const std::vector<NoiseChannel>& list) {
            nb::list entries;
            for (const NoiseChannel& channel : list) {
                std::string_view kind = channel_kind_name(channel.kind);
                entries.append(nb::make_tuple(nb::str(kind.data(), kind.size()), nb::float_(channel.probability)));
            }
            out[key] = entries;
        };
        add("single_qubit_channels", n.model.single_qubit_channels);
        add("two_qubit_channels", n.model.two_qubit_channels);
        add("measurement_channels", n.model.measurement_channels);
        add("idle_channels", n.model.idle_channels);
        return out.release().ptr();
    });
}

PyMethodDef static_method(PyMethodDef def) {
    def.ml_flags |= METH_STATIC;
    return def;
}

PyMethodDef METHODS[] = {
    static_method(method_def("ideal", profile<&NoiseModel::ideal>, "ideal()\n--\n\nReturn a noiseless profile.")),
    static_method(
        method_def("ibm", profile<&NoiseModel::ibm>, "ibm()\n--\n\nReturn an IBM-like superconducting profile.")),
    static_method(
        method_def("ionq", profile<&NoiseModel::ionq>, "ionq()\n--\n\nReturn an IonQ-like trapped-ion profile.")),
    static_method(method_def("uniform", uniform,
                             "uniform(single_qubit_error, two_qubit_error, readout_error)\n--\n\nCreate a uniform "
                             "depolarizing and readout profile.")),
    static_method(method_def("from_hardware", from_hardware,
                             "from_hardware(t1_us, t2_us, gate_time_ns, single_q_fidelity, two_q_fidelity, "
                             "readout_fidelity)\n--\n\nCreate a noise model from hardware parameters.")),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef PROPERTIES[] = {
    {"channels", channels, nullptr,
     "The channel lists as {list name: [(kind, probability), ...]}, probabilities as stored.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot SLOTS[] = {
    {Py_tp_init, reinterpret_cast<void*>(init)},
    {Py_tp_methods, METHODS},
    {Py_tp_getset, PROPERTIES},
    {Py_tp_repr, reinterpret_cast<void*>(repr)},
    {Py_tp_str, reinterpret_cast<void*>(repr)},
    {0, nullptr},
};

}  // namespace

void bind_noise_model(nb::module_& m) {
    nb::class_<PyNoiseModel>(m, "NoiseModel",
                             "NoiseModel()\n--\n\nNoise model for realistic hardware-aware simulation.",
                             nb::type_slots(SLOTS));
}

}  // namespace qelix::py
