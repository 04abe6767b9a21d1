#pragma once
#include <nanobind/nanobind.h>

namespace qelix::py {

/// Creates the plain module "crypto" with its functions and sets it as attribute `crypto` of `m`.
void bind_crypto(nanobind::module_& m);

}  // namespace qelix::py
