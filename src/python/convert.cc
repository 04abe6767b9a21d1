#include "python/convert.h"

#include "python/errors.h"

#include <algorithm>
#include <string>

namespace qelix::py {

namespace {

std::string type_of(nb::handle value) { return nb::type_name(value.type()).c_str(); }

/// A NumPy boolean scalar: type `bool` (`bool_` before NumPy 2) of module `numpy`. Read
/// from the type's attributes, so NumPy need not be imported.
bool is_numpy_bool(nb::handle value) {
    nb::handle type = value.type();
    nb::object module = nb::getattr(type, "__module__", nb::none());
    nb::object name = nb::getattr(type, "__name__", nb::none());
    if (!nb::isinstance<nb::str>(module) || !nb::isinstance<nb::str>(name)) return false;
    const std::string_view type_name = nb::borrow<nb::str>(name).c_str();
    return std::string_view(nb::borrow<nb::str>(module).c_str()) == "numpy" &&
           (type_name == "bool" || type_name == "bool_");
}

/// True when the pending Python error is a TypeError (which then gets cleared).
bool take_type_error() {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return false;
    PyErr_Clear();
    return true;
}

/// Calls `item(obj)` for every entry of a non-str sequence.
template <class F>
void for_each_item(nb::handle value, const char* name, F&& item) {
    if (PyUnicode_Check(value.ptr())) raise_argument_type_error(name, "Can't extract `str` to `Vec`");
    if (!PySequence_Check(value.ptr()))
        raise_argument_type_error(name, "'" + type_of(value) + "' object cannot be converted to 'Sequence'");
    Py_ssize_t size = PySequence_Size(value.ptr());
    if (size < 0) throw nb::python_error();
    for (Py_ssize_t i = 0; i < size; ++i) {
        nb::object entry = nb::steal(PySequence_GetItem(value.ptr(), i));
        if (!entry.is_valid()) throw nb::python_error();
        item(entry);
    }
}

}  // namespace

void require_initialised(nb::handle instance) {
    if (!nb::inst_ready(instance))
        raise(PyExc_RuntimeError, "object is not initialised (missing super().__init__ call?)");
}

void raise_argument_type_error(const char* name, std::string_view detail) {
    raise(PyExc_TypeError, "argument '" + std::string(name) + "': " + std::string(detail));
}

std::uint64_t to_index(nb::handle value, const char* name) {
    nb::object index = nb::steal(PyNumber_Index(value.ptr()));
    if (!index.is_valid()) {
        if (take_type_error())
            raise_argument_type_error(name, "'" + type_of(value) + "' object cannot be interpreted as an integer");
        throw nb::python_error();
    }
    unsigned long long result = PyLong_AsUnsignedLongLong(index.ptr());
    if (result == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw nb::python_error();
    return result;
}

std::uint32_t to_u32(nb::handle value, const char* name) {
    std::uint64_t wide = to_index(value, name);
    if (wide > UINT32_MAX) {
        raise(PyExc_OverflowError, "Python int too large to convert to a 32-bit unsigned integer");
    }
    return static_cast<std::uint32_t>(wide);
}

std::optional<std::uint64_t> to_optional_index(nb::handle value, const char* name) {
    if (!value.is_valid() || value.is_none()) return std::nullopt;
    return to_index(value, name);
}

double to_real(nb::handle value, const char* name) {
    double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred()) {
        if (take_type_error()) raise_argument_type_error(name, "must be real number, not " + type_of(value));
        throw nb::python_error();
    }
    return result;
}

bool to_flag(nb::handle value, const char* name) {
    if (value.is(Py_True)) return true;
    if (value.is(Py_False)) return false;
    if (is_numpy_bool(value)) {
        int truth = PyObject_IsTrue(value.ptr());
        if (truth < 0) throw nb::python_error();
        return truth == 1;
    }
    raise_argument_type_error(name, "'" + type_of(value) + "' object cannot be converted to 'PyBool'");
}

std::string_view to_text(nb::handle value, const char* name) {
    if (!PyUnicode_Check(value.ptr()))
        raise_argument_type_error(name, "'" + type_of(value) + "' object cannot be converted to 'PyString'");
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (!data) throw nb::python_error();
    return {data, static_cast<std::size_t>(size)};
}

std::optional<std::string_view> to_optional_text(nb::handle value, const char* name) {
    if (!value.is_valid() || value.is_none()) return std::nullopt;
    return to_text(value, name);
}

std::vector<std::size_t> to_index_list(nb::handle value, const char* name) {
    std::vector<std::size_t> out;
    for_each_item(value, name, [&](nb::handle item) { out.push_back(to_index(item, name)); });
    return out;
}

std::vector<bool> to_flag_list(nb::handle value, const char* name) {
    std::vector<bool> out;
    for_each_item(value, name, [&](nb::handle item) { out.push_back(to_flag(item, name)); });
    return out;
}

std::span<const std::uint8_t> to_bytes(nb::handle value, const char* name) {
    if (!PyBytes_Check(value.ptr()))
        raise_argument_type_error(name, "'" + type_of(value) + "' object cannot be converted to 'PyBytes'");
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(value.ptr(), &data, &size) != 0) throw nb::python_error();
    return {reinterpret_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)};
}

nb::list float_list(std::span<const double> values) {
    nb::list out;
    for (double v : values) out.append(nb::float_(v));
    return out;
}

}  // namespace qelix::py
