#pragma once
#include <optional>
#include <string>
#include <vector>

#include "quantum/circuit/gate.h"

namespace qelix {

/// A gate as other toolkits name it: its OpenQASM 2.0 (qelib1) name and numeric parameters.
struct GateForm {
    std::string name;
    std::vector<double> params;
    bool operator==(const GateForm&) const = default;
};

/// The OpenQASM name and parameters of a gate of the table (a dagger as its standard inverse),
/// or nothing for a gate known only by its matrix; the controlled phase CR{k} is cu1 with
/// angle 2*pi / 2^k.
std::optional<GateForm> gate_form(const Gate& gate);

}  // namespace qelix
