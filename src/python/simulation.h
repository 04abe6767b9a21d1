#pragma once
// The simulation classes: `Simulator`, `QuantumResult` and `NoiseModel`.
#include <nanobind/nanobind.h>

#include "python/borrow.h"
#include "python/convert.h"
#include "quantum/simulator/noise.h"
#include "quantum/simulator/result.h"
#include "quantum/simulator/simulator.h"

namespace qelix::py {

/// The Python `Simulator`: its configuration.
struct PySimulator {
    SimulatorConfig config;
    BorrowFlag borrow;
};

/// The Python `QuantumResult`: one run's counts.
struct PyQuantumResult {
    QuantumResult result;
    BorrowFlag borrow;
};

/// The Python `NoiseModel`: one noise profile.
struct PyNoiseModel {
    NoiseModel model;
    BorrowFlag borrow;
};

/// Registers class `Simulator` on the module.
void bind_simulator(nanobind::module_& m);
/// Registers class `QuantumResult` on the module.
void bind_quantum_result(nanobind::module_& m);
/// Registers class `NoiseModel` on the module.
void bind_noise_model(nanobind::module_& m);

/// A new Python `QuantumResult` owning `result`.
PyObject* new_quantum_result(QuantumResult result);

}  // namespace qelix::py
