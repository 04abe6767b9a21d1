#include <string>

#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/simulation.h"

namespace qelix::py {

namespace {

const Signature PROBABILITY("probability", {"$self", "state"}, "Return the observed probability of a basis state.");
const Signature MOST_PROBABLE("most_probable", {"$self"},
                              "Return the most probable observed state as `(state, count)`.");
const Signature HISTOGRAM_DATA("histogram_data", {"$self"}, "Return histogram rows as `(state, count, probability)`.");
const Signature HISTOGRAM("histogram", {"$self"}, "Print an ASCII histogram to standard output.");
const Signature EXPECTATION_Z("expectation_z", {"$self", "qubit"},
                              "Return the expectation value of Z on the requested measured output bit.");
// plot passes its arguments on to the Python helper, which checks them.
const Signature PLOT("plot", {"$self", {"ax", "None"}, {"top", "32"}, {"title", "None"}},
                     "Draw the counts as a Matplotlib bar chart and return its figure (needs the `plot` extra).");
const Signature REPR_HTML("_repr_html_", {"$self"}, "The table and bar chart notebooks show.");

/// Runs a query on the result under a shared borrow.
template <class F>
PyObject* query(PyObject* self, F&& body) {
    return guarded([&] {
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        return body(r.result);
    });
}

PyObject* counts(PyObject* self, void*) noexcept {
    return query(self, [](const QuantumResult& r) {
        nb::dict out;
        for (const auto& [state, count] : r.counts) out[nb::str(state.data(), state.size())] = nb::int_(count);
        return out.release().ptr();
    });
}

PyObject* total_shots(PyObject* self, void*) noexcept {
    return query(self, [](const QuantumResult& r) { return PyLong_FromUnsignedLong(r.total_shots); });
}

PyObject* probability(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = PROBABILITY.bind(args, kwargs);
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        return PyFloat_FromDouble(r.result.probability(std::string(a.get(0, to_text))));
    });
}

PyObject* most_probable(PyObject* self, PyObject*) noexcept {
    return query(self, [](const QuantumResult& r) {
        auto [state, count] = r.most_probable();
        return nb::make_tuple(nb::str(state.data(), state.size()), nb::int_(count)).release().ptr();
    });
}

PyObject* histogram_data(PyObject* self, PyObject*) noexcept {
    return query(self, [](const QuantumResult& r) {
        nb::list rows;
        for (const HistogramRow& row : r.histogram_data())
            rows.append(nb::make_tuple(nb::str(row.state.data(), row.state.size()), nb::int_(row.count),
                                       nb::float_(row.probability)));
        return rows.release().ptr();
    });
}

/// Prints through Python's sys.stdout (so redirection, Jupyter and the order of Python's
/// own prints all hold) and flushes it; nothing when sys.stdout is None.
PyObject* histogram(PyObject* self, PyObject*) noexcept {
    return query(self, [](const QuantumResult& r) {
        std::string text = r.histogram_text();
        nb::handle out = PySys_GetObject("stdout");  // borrowed
        if (out.is_valid() && !out.is_none()) {
            out.attr("write")(nb::str(text.data(), text.size()));
            out.attr("flush")();
        }
        Py_RETURN_NONE;
    });
}

PyObject* expectation_z(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = EXPECTATION_Z.bind(args, kwargs);
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        return PyFloat_FromDouble(unwrap(r.result.expectation_z(a.index(0))));
    });
}

PyObject* subscript(PyObject* self, PyObject* key) noexcept {
    return guarded([&] {
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        auto it = r.result.counts.find(std::string(to_text(key, "state")));
        return PyLong_FromUnsignedLong(it == r.result.counts.end() ? 0 : it->second);
    });
}

Py_ssize_t length(PyObject* self) noexcept {
    PyObject* n = query(self, [](const QuantumResult& r) { return PyLong_FromSize_t(r.counts.size()); });
    if (!n) return -1;
    Py_ssize_t size = PyLong_AsSsize_t(n);
    Py_DECREF(n);
    return size;
}

PyObject* repr(PyObject* self) noexcept {
    return query(self, [](const QuantumResult& r) { return to_python_text(r.repr()); });
}

PyObject* str(PyObject* self) noexcept {
    return query(self, [](const QuantumResult& r) { return to_python_text(r.str()); });
}

/// Calls `function(self, *args, **kwargs)` of the pure-Python helper module installed
/// beside the extension, imported on first use (it may import Matplotlib in turn).
PyObject* call_helper(const char* function, PyObject* self, PyObject* args, PyObject* kwargs) {
    nb::object helper = nb::steal(PyImport_ImportModule("qelix_notebook"));
    if (!helper.is_valid()) return nullptr;
    nb::object fn = nb::steal(PyObject_GetAttrString(helper.ptr(), function));
    if (!fn.is_valid()) return nullptr;
    const Py_ssize_t n = args ? PyTuple_Size(args) : 0;
    nb::object full = nb::steal(PyTuple_New(n + 1));
    if (!full.is_valid()) return nullptr;
    PyTuple_SET_ITEM(full.ptr(), 0, Py_NewRef(self));
    for (Py_ssize_t i = 0; i < n; ++i) PyTuple_SET_ITEM(full.ptr(), i + 1, Py_NewRef(PyTuple_GetItem(args, i)));
    return PyObject_Call(fn.ptr(), full.ptr(), kwargs);
}

PyObject* repr_html(PyObject* self, PyObject*) noexcept {
    return guarded([&] { return call_helper("result_html", self, nullptr, nullptr); });
}

PyObject* plot(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] { return call_helper("plot", self, args, kwargs); });
}

PyMethodDef METHODS[] = {
    PROBABILITY.def(probability), MOST_PROBABLE.def(most_probable), HISTOGRAM_DATA.def(histogram_data),
    HISTOGRAM.def(histogram),     EXPECTATION_Z.def(expectation_z), PLOT.def(plot),
    REPR_HTML.def(repr_html),     {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef PROPERTIES[] = {
    {"counts", counts, nullptr, "Mapping from measured basis state to observation count.", nullptr},
    {"total_shots", total_shots, nullptr, "Total number of shots accumulated in this result.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot SLOTS[] = {
    {Py_tp_methods, METHODS},
    {Py_tp_getset, PROPERTIES},
    {Py_tp_repr, reinterpret_cast<void*>(repr)},
    {Py_tp_str, reinterpret_cast<void*>(str)},
    {Py_mp_subscript, reinterpret_cast<void*>(subscript)},
    {Py_mp_length, reinterpret_cast<void*>(length)},
    {0, nullptr},
};

/// Below this norm a matrix-product-state run warns that its bond limit cut off the state.
constexpr double TRUNCATION_WARNING_NORM = 0.99;

/// One RuntimeWarning for a run whose norm fell below TRUNCATION_WARNING_NORM.
void warn_if_truncated(const QuantumResult& r) {
    if (!(r.norm < TRUNCATION_WARNING_NORM)) return;
    const std::string message = "matrix-product-state run kept norm " + std::to_string(r.norm) + " (discarded weight " +
                                std::to_string(1.0 - r.norm * r.norm) +
                                "): max_bond_dim truncated the state; raise it for faithful counts";
    if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) throw nb::python_error();
}

}  // namespace

PyObject* new_quantum_result(QuantumResult result) {
    warn_if_truncated(result);
    return nb::cast(PyQuantumResult{std::move(result), {}}).release().ptr();
}

void bind_quantum_result(nb::module_& m) {
    nb::class_<PyQuantumResult>(m, "QuantumResult", "Measurement result collected from repeated circuit execution.",
                                nb::type_slots(SLOTS));
}

}  // namespace qelix::py
