#pragma once
// The algorithm functions, each a plain CPython method definition that module.cc
// registers on `qelix` and again, as the very same function, on `qelix.algorithms`.
#include <Python.h>

namespace qelix::py {

/// phase_estimation(unitary, eigenstate=None, precision_bits=3, shots=1024, seed=None)
PyMethodDef& phase_estimation_def();
/// shor_factor(n, seed=None)
PyMethodDef& shor_factor_def();
/// vqe_hydrogen(max_iterations=30, shots=1000, seed=None)
PyMethodDef& vqe_hydrogen_def();
/// qaoa_maxcut(edges=None, num_vertices=None, graph=None, p=2, max_iterations=20, shots=1000, seed=None)
PyMethodDef& qaoa_maxcut_def();
/// simon_hidden_xor(secret, seed=None)
PyMethodDef& simon_hidden_xor_def();
/// random_walk(steps)
PyMethodDef& random_walk_def();

}  // namespace qelix::py
