#pragma once
// Helpers shared by the matrix-product-state tests.
#include <cstddef>

#include "quantum/circuit/circuit.h"
#include "quantum/mps/mps.h"
#include "quantum/random/rng.h"

namespace qelix::mps_testing {

/// A circuit of `gates` random standard gates on `num_qubits` qubits, two-qubit gates on
/// pairs at any distance and in either order.
inline Circuit random_circuit(std::size_t num_qubits, std::size_t gates, std::uint64_t seed) {
    SeededRng rng = SeededRng::from_seed_u64(seed);
    Circuit c = Circuit::create(num_qubits).value();
    auto qubit = [&] { return std::size_t(rng.gen_range_u64(0, num_qubits)); };
    auto angle = [&] { return rng.next_f64() * TWO_PI; };
    for (std::size_t i = 0; i < gates; ++i) {
        const std::size_t a = qubit();
        std::size_t b = qubit();
        if (num_qubits > 1)
            while (b == a) b = qubit();
        const bool two = num_qubits > 1 && rng.next_f64() < 0.5;
        Status done;
        if (!two) {
            switch (rng.gen_range_u64(0, 8)) {
                case 0: done = c.h(a); break;
                case 1: done = c.t(a); break;
                case 2: done = c.sx(a); break;
                case 3: done = c.y(a); break;
                case 4: done = c.rx(a, angle()); break;
                case 5: done = c.ry(a, angle()); break;
                case 6: done = c.rz(a, angle()); break;
                default: done = c.u3(a, angle(), angle(), angle()); break;
            }
        } else {
            switch (rng.gen_range_u64(0, 6)) {
                case 0: done = c.cnot(a, b); break;
                case 1: done = c.cy(a, b); break;
                case 2: done = c.cz(a, b); break;
                case 3: done = c.swap(a, b); break;
                case 4: done = c.rzz(a, b, angle()); break;
                default: done = c.crk(a, b, rng.gen_range_u64(1, 5)); break;
            }
        }
        if (!done) throw InternalFault(done.error().message());
    }
    return c;
}

/// The chain after applying `c`'s instructions at bond limit `max_bond_dim`.
inline MpsState run_mps(const Circuit& c, std::size_t max_bond_dim) {
    MpsState state = MpsState::new_zero(c.num_qubits(), max_bond_dim);
    Status done = state.apply_instructions(c.instructions());
    if (!done) throw InternalFault(done.error().message());
    return state;
}

}  // namespace qelix::mps_testing
