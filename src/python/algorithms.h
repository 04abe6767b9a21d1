#pragma once
// The algorithm functions, each a plain CPython method definition that module.cc
// registers on `qelix` and again, as the very same function, on `qelix.algorithms`.
#include <Python.h>

namespace qelix::py {

/// vqe_hydrogen(max_iterations=30, shots=1000, seed=None)
PyMethodDef& vqe_hydrogen_def();
/// qaoa_maxcut(edges=None, num_vertices=None, graph=None, p=2, max_iterations=20, shots=1000, seed=None)
PyMethodDef& qaoa_maxcut_def();

}  // namespace qelix::py
