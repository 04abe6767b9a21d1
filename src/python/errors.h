#pragma once
// Turning core error values into Python exceptions.
#include <nanobind/nanobind.h>

#include <utility>

#include "core/error.h"

namespace qelix::py {

namespace nb = nanobind;

/// The BaseException subclass that internal faults are raised as.
extern PyObject* internal_fault_type;

/// Raises a Python exception of the given type (PyExc_ValueError, ...) with `message`.
[[noreturn]] void raise(PyObject* type, const std::string& message);

/// The value of a core result, or ValueError with the error's message.
template <class T, class E>
T unwrap(std::expected<T, E> result) {
    if (!result) raise(PyExc_ValueError, result.error().message());
    if constexpr (!std::is_void_v<T>) return std::move(*result);
}

/// Creates `internal_fault_type` and translates InternalFault into it for
/// functions that nanobind dispatches.
void register_internal_fault(nb::module_& m);

}  // namespace qelix::py
