#pragma once
// Methods added to the classes after they are created, one file per group, so that the
// class files keep only their original tables: reading circuits back, comparing, inverting
// and pickling them (circuit_surface.cc); pickling and comparing the simulation classes
// (simulation_surface.cc); observables and batches (observables.cc).
#include <nanobind/nanobind.h>

#include <utility>

#include "python/borrow.h"
#include "python/method.h"

namespace qelix::py {

/// Adds the methods and properties of null-terminated tables (which must outlive the
/// type) to a class that already exists.
void attach(nb::handle type, PyMethodDef* methods, PyGetSetDef* properties);

/// Makes `==` and `!=` call `equal(a, b)` for two instances of T and leaves the class
/// unhashable; any other operand gives NotImplemented.
template <class T, bool (*equal)(const T&, const T&)>
PyObject* rich_compare(PyObject* self, PyObject* other, int op) noexcept {
    return guarded([&]() -> PyObject* {
        if ((op != Py_EQ && op != Py_NE) || !nb::isinstance<T>(other)) {
            Py_INCREF(Py_NotImplemented);
            return Py_NotImplemented;
        }
        T& a = self_of<T>(self);
        T& b = self_of<T>(other);
        SharedBorrow read_a(a.borrow), read_b(b.borrow);
        return PyBool_FromLong(equal(a, b) == (op == Py_EQ));
    });
}

/// (copyreg.__newobj__, (type(self),), state): pickling rebuilds an empty instance with
/// `__new__` and hands it the state through `__setstate__`.
PyObject* reduce_with_state(PyObject* self, nb::object state);

/// Replaces the value of `self` (initialised or fresh from `__new__`) with `value`.
template <class T, class Value>
void install(PyObject* self, Value&& value) {
    if (nb::inst_ready(self)) {
        T& held = *nb::inst_ptr<T>(self);
        ExclusiveBorrow write(held.borrow);
        held = T{std::forward<Value>(value), {}};
        return;
    }
    new (nb::inst_ptr<T>(self)) T{std::forward<Value>(value), {}};
    nb::inst_mark_ready(self);
}

/// Adds reading back, comparison, inverse, power and pickling to class `Circuit`.
void add_circuit_surface(nb::module_& m);
/// Adds pickling and comparison to `Simulator`, `NoiseModel` and `QuantumResult`, and
/// `QuantumResult.norm`.
void add_simulation_surface(nb::module_& m);
/// Adds `Simulator.expectation` and `Simulator.run_batch`.
void add_observable_methods(nb::module_& m);

}  // namespace qelix::py
