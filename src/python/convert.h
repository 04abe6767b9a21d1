#pragma once
// The one conversion layer between Python arguments and core values. Every
// binding converts its arguments through these functions so that type errors
// name the parameter ("argument 'qubit': ...") and overflow keeps the
// interpreter's own message.
#include <nanobind/nanobind.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace qelix::py {

namespace nb = nanobind;

/// Raises TypeError "argument '{name}': {detail}".
[[noreturn]] void raise_argument_type_error(const char* name, std::string_view detail);

/// An int or any object with __index__, as an unsigned 64-bit integer.
std::uint64_t to_index(nb::handle value, const char* name);
/// An index that must also fit in 32 bits (shot counts).
std::uint32_t to_u32(nb::handle value, const char* name);
/// None (or an omitted argument) means absent; otherwise an index.
std::optional<std::uint64_t> to_optional_index(nb::handle value, const char* name);
/// A float, int or any object with __float__.
double to_real(nb::handle value, const char* name);
/// Exactly True or False (NumPy booleans included); 0 and 1 are refused.
bool to_flag(nb::handle value, const char* name);
/// A str, as UTF-8 text valid while `value` lives.
std::string_view to_text(nb::handle value, const char* name);
/// None (or an omitted argument) means absent; otherwise a str.
std::optional<std::string_view> to_optional_text(nb::handle value, const char* name);
/// A sequence of indices (a str is refused).
std::vector<std::size_t> to_index_list(nb::handle value, const char* name);
/// A sequence of exactly True/False items (a str is refused).
std::vector<bool> to_flag_list(nb::handle value, const char* name);
/// A bytes object, viewed in place without copying.
std::span<const std::uint8_t> to_bytes(nb::handle value, const char* name);

/// New Python text from UTF-8.
inline PyObject* to_python_text(std::string_view s) {
    return PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size()));
}

/// A new list of Python floats.
nb::list float_list(std::span<const double> values);

/// An instance of the bound class T (or a Python subclass of it).
template <class T>
T& to_instance(nb::handle value, const char* name) {
    if (!nb::isinstance<T>(value)) {
        std::string detail = "'" + std::string(nb::type_name(value.type()).c_str()) +
                             "' object is not an instance of '" + std::string(nb::type_name(nb::type<T>()).c_str()) +
                             "'";
        raise_argument_type_error(name, detail);
    }
    return *nb::inst_ptr<T>(value);
}

}  // namespace qelix::py
