#pragma once
// NumPy arrays that take over a simulation buffer instead of copying it. NumPy is
// imported only when one is made, so the module works without it.
#include <nanobind/nanobind.h>

#include "quantum/statevector/statevector.h"

namespace qelix::py {

/// Imports NumPy, or raises ImportError naming `method` when it is not installed.
void require_numpy(const char* method);
/// A 1-D complex128 NumPy array over the amplitudes, owning the buffer.
PyObject* amplitude_array(StateBuffer state);
/// A 1-D float64 NumPy array over the probabilities, owning the buffer.
PyObject* probability_array(Probabilities probabilities);

}  // namespace qelix::py
