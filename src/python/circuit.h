#pragma once
#include <nanobind/nanobind.h>

#include "python/borrow.h"
#include "quantum/circuit/circuit.h"

namespace qelix::py {

/// The Python `Circuit`: one core circuit and its borrow flag.
struct PyCircuit {
    Circuit circuit;
    BorrowFlag borrow;
};

/// Registers class `Circuit` on the module.
void bind_circuit(nanobind::module_& m);

}  // namespace qelix::py
