#include "python/arrays.h"

#include <nanobind/ndarray.h>

#include <complex>
#include <string>

#include "python/errors.h"

namespace qelix::py {

namespace {

/// Wraps the buffer `data` of `count` values in an array whose base object keeps `owner`
/// (moved to the heap) alive and deletes it with the array.
template <class Value, class Owner>
PyObject* owning_array(Owner owner, const Value* data, std::size_t count) {
    auto* held = new Owner(std::move(owner));
    nb::capsule base(held, [](void* p) noexcept { delete static_cast<Owner*>(p); });
    std::size_t shape[1] = {count};
    nb::ndarray<nb::numpy, Value, nb::ndim<1>> array(const_cast<Value*>(data), 1, shape, base);
    return nb::cast(std::move(array), nb::rv_policy::reference).release().ptr();
}

}  // namespace

void require_numpy(const char* method) {
    PyObject* numpy = PyImport_ImportModule("numpy");
    if (numpy != nullptr) {
        Py_DECREF(numpy);
        return;
    }
    if (!PyErr_ExceptionMatches(PyExc_ImportError)) throw nb::python_error();
    PyErr_Clear();
    raise(PyExc_ImportError, std::string(method) + " requires NumPy, which is not installed (pip install numpy)");
}

PyObject* amplitude_array(StateBuffer state) {
    const Complex* data = state.amplitudes().data();
    const std::size_t count = state.size();
    return owning_array(std::move(state), data, count);
}

PyObject* probability_array(Probabilities probabilities) {
    const double* data = probabilities.values().data();
    const std::size_t count = probabilities.size();
    return owning_array(std::move(probabilities), data, count);
}

}  // namespace qelix::py
