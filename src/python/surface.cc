#include "python/surface.h"

namespace qelix::py {

void attach(nb::handle type, PyMethodDef* methods, PyGetSetDef* properties) {
    auto* cls = reinterpret_cast<PyTypeObject*>(type.ptr());
    for (PyMethodDef* def = methods; def && def->ml_name; ++def) {
        nb::object descriptor = nb::steal(PyDescr_NewMethod(cls, def));
        if (!descriptor.is_valid()) throw nb::python_error();
        type.attr(def->ml_name) = descriptor;
    }
    for (PyGetSetDef* def = properties; def && def->name; ++def) {
        nb::object descriptor = nb::steal(PyDescr_NewGetSet(cls, def));
        if (!descriptor.is_valid()) throw nb::python_error();
        type.attr(def->name) = descriptor;
    }
}

PyObject* reduce_with_state(PyObject* self, nb::object state) {
    nb::object newobj = nb::module_::import_("copyreg").attr("__newobj__");
    nb::handle cls(reinterpret_cast<PyObject*>(Py_TYPE(self)));
    return nb::make_tuple(newobj, nb::make_tuple(cls), state).release().ptr();
}

}  // namespace qelix::py
