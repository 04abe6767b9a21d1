#include "python/errors.h"

namespace qelix::py {

PyObject* internal_fault_type = nullptr;

void raise(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw nb::python_error();
}

void register_internal_fault(nb::module_& m) {
    // Not an Exception subclass: a broken invariant should not be swallowed by
    // `except Exception`, yet it must never take the interpreter down.
    std::string qualified = std::string(nb::str(m.attr("__name__")).c_str()) + ".InternalFault";
    internal_fault_type = PyErr_NewException(qualified.c_str(), PyExc_BaseException, nullptr);
    if (!internal_fault_type) throw nb::python_error();
    nb::register_exception_translator([](const std::exception_ptr& p, void*) {
        try {
            std::rethrow_exception(p);
        } catch (const InternalFault& fault) {
            std::string message = std::string("internal error: ") + fault.what();
            PyErr_SetString(internal_fault_type, message.c_str());
        }
    });
}

}  // namespace qelix::py
