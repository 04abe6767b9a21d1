// Circuit builders that expand into fixed sequences of standard gates.
#include "quantum/circuit/circuit.h"
#include "core/propagate.h"

namespace qelix {

namespace {

/// Appends a gate whose targets were validated by the caller.
void must(Status status) {
    if (!status) throw InternalFault("library gate rejected after validation: " + status.error().message());
}

}  // namespace

Status Circuit::toffoli(std::size_t a, std::size_t b, std::size_t c) {
    for (std::size_t q : {a, b, c}) QELIX_TRY(check_qubit(q));
    if (a == b || a == c) return std::unexpected(QuantumError::duplicate_qubit(a, a));
    if (b == c) return std::unexpected(QuantumError::duplicate_qubit(b, b));
    must(h(c));
    must(cnot(b, c));
    must(tdg(c));
    must(cnot(a, c));
    must(t(c));
    must(cnot(b, c));
    must(tdg(c));
    must(cnot(a, c));
    must(t(b));
    must(t(c));
    must(h(c));
    must(cnot(a, b));
    must(t(a));
    must(tdg(b));
    must(cnot(a, b));
    return {};
}

Status Circuit::qft(std::span<const std::size_t> q) {
    QELIX_TRY(check_distinct(q));
    std::size_t m = q.size();
    for (std::size_t i = 0; i < m; ++i) {
        must(h(q[i]));
        for (std::size_t j = i + 1; j < m; ++j) must(crk(q[j], q[i], j - i + 1));
    }
    for (std::size_t i = 0; i < m / 2; ++i) must(swap(q[i], q[m - 1 - i]));
    return {};
}

Status Circuit::iqft(std::span<const std::size_t> q) {
    QELIX_TRY(check_distinct(q));
    std::size_t m = q.size();
    for (std::size_t i = 0; i < m / 2; ++i) must(swap(q[i], q[m - 1 - i]));
    for (std::size_t i = m; i-- > 0;) {
        for (std::size_t j = m - 1; j > i; --j) must(apply2(dagger(gates::crk(j - i + 1)), q[j], q[i]));
        must(h(q[i]));
    }
    return {};
}

}  // namespace qelix
