#pragma once
#include <nanobind/nanobind.h>

namespace qelix::py {

/// Adds the module functions `parse_qasm` and `to_qasm`.
void bind_qasm(nanobind::module_& m);

}  // namespace qelix::py
