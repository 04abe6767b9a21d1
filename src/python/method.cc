#include "python/method.h"

#include <new>
#include <stdexcept>

#include "python/errors.h"

namespace qelix::py {

void set_error_from_current_exception() noexcept {
    try {
        throw;
    } catch (nb::python_error& e) {
        e.restore();
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        std::string message = std::string("internal error: ") + e.what();
        PyErr_SetString(internal_fault_type ? internal_fault_type : PyExc_SystemError, message.c_str());
    } catch (...) {
        PyErr_SetString(internal_fault_type ? internal_fault_type : PyExc_SystemError, "internal error: unknown");
    }
}

nb::object add_function(nb::module_& m, PyMethodDef& def) {
    nb::object fn = nb::steal(PyCFunction_NewEx(&def, nullptr, m.attr("__name__").ptr()));
    if (!fn.is_valid()) throw nb::python_error();
    export_name(m, def.ml_name, fn);
    return fn;
}

void export_name(nb::module_& m, const char* name, nb::handle value) {
    m.attr(name) = value;
    nb::list all = nb::borrow<nb::list>(m.attr("__all__"));
    all.append(name);
}

}  // namespace qelix::py
