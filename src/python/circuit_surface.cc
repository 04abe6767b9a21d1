// Circuit: reading instructions back, exact comparison, inverse, power and pickling.
#include <nanobind/ndarray.h>

#include <cstring>
#include <string>
#include <variant>

#include "python/arrays.h"
#include "python/circuit.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/surface.h"
#include "quantum/circuit/gate_form.h"
#include "quantum/circuit/identical.h"
#include "quantum/circuit/inverse.h"

namespace qelix::py {

namespace {

/// Calls the overload of the visited alternative.
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};

const Signature GATE_MATRIX("gate_matrix", {"$self", "index"},
                            "Return the unitary of the gate at instruction `index` as a complex128 NumPy array (2x2 "
                            "or 4x4; for two-qubit gates the first qubit is the more significant index).");
const Signature INVERSE("inverse", {"$self"},
                        "Return a new circuit that undoes this one: the gates in reverse order, each replaced by its "
                        "inverse (S by Sdg, Rx(t) by Rx(-t), ...). Raises ValueError for a circuit holding "
                        "measurements or conditional gates.");
const Signature POWER("power", {"$self", "exponent"},
                      "Return a new circuit repeating this one `exponent` times (as `append` does, so measurements "
                      "get new classical bits); a negative exponent repeats the inverse.");
const Signature REDUCE("__reduce__", {"$self"});

PyObject* new_circuit(Circuit circuit) { return nb::cast(PyCircuit{std::move(circuit), {}}).release().ptr(); }

/// Runs `body(circuit)` under a shared borrow of `self`.
template <class F>
PyObject* query(PyObject* self, F&& body) {
    return guarded([&] {
        PyCircuit& c = self_of<PyCircuit>(self);
        SharedBorrow read(c.borrow);
        return body(c.circuit);
    });
}

nb::tuple index_tuple(const std::vector<std::size_t>& values) {
    nb::list out;
    for (std::size_t v : values) out.append(nb::int_(v));
    return nb::tuple(out);
}

/// The plain record of one instruction; every kind has the same keys.
nb::dict record(const Instruction& op) {
    nb::dict r;
    r["kind"] = "barrier";
    r["name"] = "barrier";
    r["label"] = nb::none();
    r["qubits"] = nb::tuple();
    r["params"] = nb::tuple();
    r["clbits"] = nb::tuple();
    r["condition"] = nb::none();
    r["condition_clbits"] = nb::tuple();
    auto condition_fields = [&](const std::optional<Condition>& condition) {
        if (!condition) return;
        r["condition_clbits"] = index_tuple(condition->classical_bits);
        r["condition"] = nb::int_(condition->value);
    };
    auto gate_fields = [&](const Gate& gate, const std::vector<std::size_t>& targets) {
        const auto form = gate_form(gate);
        r["name"] = form ? nb::object(nb::str(form->name.c_str())) : nb::none();
        r["label"] = nb::str(gate.name.data(), gate.name.size());
        r["qubits"] = index_tuple(targets);
        nb::list params;
        if (form)
            for (double p : form->params) params.append(nb::float_(p));
        r["params"] = nb::tuple(params);
    };
    // One case per instruction kind: a new kind fails to compile here until it has a record.
    std::visit(Overloaded{
                   [&](const GateOp& g) {
                       r["kind"] = "gate";
                       gate_fields(g.gate, g.targets);
                   },
                   [&](const ConditionalOp& c) {
                       r["kind"] = "conditional";
                       gate_fields(c.gate, c.targets);
                       r["clbits"] = index_tuple(c.classical_bits);
                       condition_fields(Condition{c.classical_bits, c.value});
                   },
                   [&](const MeasureOp& m) {
                       r["kind"] = "measure";
                       r["name"] = "measure";
                       r["qubits"] = nb::make_tuple(m.qubit);
                       r["clbits"] = nb::make_tuple(m.classical_bit);
                       condition_fields(m.condition);
                   },
                   [&](const ResetOp& reset) {
                       r["kind"] = "reset";
                       r["name"] = "reset";
                       r["qubits"] = nb::make_tuple(reset.qubit);
                       condition_fields(reset.condition);
                   },
                   [&](const BarrierOp& b) { r["qubits"] = index_tuple(b.qubits); },
               },
               op);
    return r;
}

PyObject* instructions(PyObject* self, void*) noexcept {
    return query(self, [](const Circuit& c) {
        nb::list out;
        for (const Instruction& op : c.instructions()) out.append(record(op));
        return out.release().ptr();
    });
}

/// The gate of a Gate or Conditional instruction, or ValueError.
const Gate& gate_at(const Circuit& c, std::size_t index) {
    if (index >= c.instructions().size())
        raise(PyExc_IndexError, "instruction index " + std::to_string(index) + " out of range (circuit has " +
                                    std::to_string(c.instructions().size()) + " instructions)");
    const Instruction& op = c.instructions()[index];
    if (const auto* g = std::get_if<GateOp>(&op)) return g->gate;
    if (const auto* cond = std::get_if<ConditionalOp>(&op)) return cond->gate;
    raise(PyExc_ValueError, "instruction " + std::to_string(index) + " is not a gate");
}

PyObject* gate_matrix(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = GATE_MATRIX.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        SharedBorrow read(c.borrow);
        const Gate& gate = gate_at(c.circuit, a.index(0));
        require_numpy("gate_matrix");
        auto* copy = new std::vector<Complex>(gate.matrix);
        nb::capsule owner(copy, [](void* p) noexcept { delete static_cast<std::vector<Complex>*>(p); });
        const std::size_t dim = std::size_t{1} << gate.num_qubits;
        std::size_t shape[2] = {dim, dim};
        nb::ndarray<nb::numpy, Complex, nb::ndim<2>> array(copy->data(), 2, shape, owner);
        return nb::cast(std::move(array), nb::rv_policy::reference).release().ptr();
    });
}

bool circuits_equal(const PyCircuit& a, const PyCircuit& b) { return identical(a.circuit, b.circuit); }

PyObject* eq(PyObject* self, PyObject* other) noexcept {
    return rich_compare<PyCircuit, circuits_equal>(self, other, Py_EQ);
}
PyObject* ne(PyObject* self, PyObject* other) noexcept {
    return rich_compare<PyCircuit, circuits_equal>(self, other, Py_NE);
}

PyObject* inverse_circuit(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return new_circuit(unwrap(inverse(c))); });
}

PyObject* power_circuit(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = POWER.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        SharedBorrow read(c.borrow);
        if (!PyLong_Check(a[0].ptr())) raise_argument_type_error("exponent", "expected an int");
        const long long exponent = PyLong_AsLongLong(a[0].ptr());
        if (exponent == -1 && PyErr_Occurred()) throw nb::python_error();
        return new_circuit(unwrap(power(c.circuit, exponent)));
    });
}

nb::bytes matrix_bytes(const Gate& gate) {
    return nb::bytes(reinterpret_cast<const char*>(gate.matrix.data()), gate.matrix.size() * sizeof(Complex));
}

/// One instruction as a tuple of plain values, matrices as their raw bytes.
nb::tuple instruction_state(const Instruction& op) {
    auto gate = [](const Gate& g) {
        nb::list params;
        for (double p : g.params) params.append(nb::float_(p));
        return nb::make_tuple(nb::str(g.name.data(), g.name.size()), g.num_qubits, matrix_bytes(g),
                              static_cast<std::size_t>(g.kind), nb::tuple(params), g.inverse);
    };
    auto condition = [](const std::optional<Condition>& c) {
        return c ? nb::make_tuple(index_tuple(c->classical_bits), nb::int_(c->value)) : nb::tuple();
    };
    return std::visit(Overloaded{
                          [&](const GateOp& g) { return nb::make_tuple("gate", gate(g.gate), index_tuple(g.targets)); },
                          [&](const ConditionalOp& c) {
                              return nb::make_tuple("conditional", gate(c.gate), index_tuple(c.targets),
                                                    index_tuple(c.classical_bits), nb::int_(c.value));
                          },
                          [&](const MeasureOp& m) {
                              return nb::make_tuple("measure", m.qubit, m.classical_bit, condition(m.condition));
                          },
                          [&](const ResetOp& r) { return nb::make_tuple("reset", r.qubit, condition(r.condition)); },
                          [](const BarrierOp& b) { return nb::make_tuple("barrier", index_tuple(b.qubits)); },
                      },
                      op);
}

PyObject* reduce(PyObject* self, PyObject*) noexcept {
    return guarded([&] {
        PyCircuit& c = self_of<PyCircuit>(self);
        SharedBorrow read(c.borrow);
        nb::list ops;
        for (const Instruction& op : c.circuit.instructions()) ops.append(instruction_state(op));
        nb::object state = nb::make_tuple(c.circuit.num_qubits(), c.circuit.num_classical_bits(), nb::tuple(ops));
        return reduce_with_state(self, state);
    });
}

[[noreturn]] void bad_state(const std::string& why) { raise(PyExc_ValueError, "invalid Circuit state: " + why); }

/// A tuple of exactly `size` items, or ValueError.
nb::tuple state_tuple(nb::handle value, std::size_t size) {
    if (!PyTuple_Check(value.ptr()) || nb::len(value) != size)
        bad_state("expected a tuple of " + std::to_string(size) + " items");
    return nb::borrow<nb::tuple>(value);
}

/// A saved gate: name, width, matrix bytes, kind, parameters, inverse flag.
Gate saved_gate(nb::handle value) {
    nb::tuple t = state_tuple(value, 6);
    Gate gate{std::string(to_text(t[0], "state")), {}, to_index(t[1], "state")};
    std::span<const std::uint8_t> bytes = to_bytes(t[2], "state");
    if (gate.num_qubits > 2 || bytes.size() != (std::size_t{16} << (2 * gate.num_qubits)))
        bad_state("gate '" + gate.name + "' has a matrix of the wrong size");
    gate.matrix.resize(bytes.size() / sizeof(Complex));
    std::memcpy(gate.matrix.data(), bytes.data(), bytes.size());
    const std::size_t kind = to_index(t[3], "state");
    if (kind > static_cast<std::size_t>(GateKind::Custom)) bad_state("unknown gate kind " + std::to_string(kind));
    gate.kind = static_cast<GateKind>(kind);
    nb::tuple params = state_tuple(t[4], gate.params.size());
    for (std::size_t i = 0; i < gate.params.size(); ++i) gate.params[i] = to_real(params[i], "state");
    gate.inverse = PyObject_IsTrue(t[5].ptr()) == 1;
    return gate;
}

/// A saved condition: empty, or (bits, value).
std::optional<Condition> saved_condition(nb::handle value) {
    if (PyTuple_Check(value.ptr()) && nb::len(value) == 0) return std::nullopt;
    nb::tuple t = state_tuple(value, 2);
    return Condition{to_index_list(t[0], "state"), to_index(t[1], "state")};
}

/// Replays one saved instruction through the validating builders.
Status replay(Circuit& c, nb::handle item) {
    if (!PyTuple_Check(item.ptr()) || nb::len(item) == 0) bad_state("expected an instruction tuple");
    const std::string_view kind = to_text(nb::borrow<nb::tuple>(item)[0], "state");
    if (kind == "gate") {
        nb::tuple t = state_tuple(item, 3);
        return c.append_gate(saved_gate(t[1]), to_index_list(t[2], "state"));
    }
    if (kind == "conditional") {
        nb::tuple t = state_tuple(item, 5);
        return c.append_conditional(to_index_list(t[3], "state"), to_index(t[4], "state"), saved_gate(t[1]),
                                    to_index_list(t[2], "state"));
    }
    if (kind == "measure") {
        nb::tuple t = state_tuple(item, 4);
        const std::size_t qubit = to_index(t[1], "state"), bit = to_index(t[2], "state");
        if (auto condition = saved_condition(t[3])) return c.measure_if(std::move(*condition), qubit, bit);
        return c.measure_into(qubit, bit);
    }
    if (kind == "reset") {
        nb::tuple t = state_tuple(item, 3);
        return c.reset(to_index(t[1], "state"), saved_condition(t[2]));
    }
    if (kind == "barrier") return c.barrier(to_index_list(state_tuple(item, 2)[1], "state"));
    bad_state("unknown instruction kind '" + std::string(kind) + "'");
}

PyObject* setstate(PyObject* self, PyObject* state) noexcept {
    return guarded([&] {
        nb::tuple t = state_tuple(state, 3);
        const std::size_t num_classical_bits = to_index(t[1], "state");
        Circuit c = unwrap(Circuit::with_classical_bits(to_index(t[0], "state"), num_classical_bits));
        if (!PyTuple_Check(t[2].ptr())) bad_state("expected a tuple of instructions");
        for (nb::handle item : nb::borrow<nb::tuple>(t[2])) unwrap(replay(c, item));
        if (c.num_classical_bits() != num_classical_bits) bad_state("measurements exceed the classical bits");
        install<PyCircuit>(self, std::move(c));
        Py_RETURN_NONE;
    });
}

PyMethodDef METHODS[] = {
    GATE_MATRIX.def(gate_matrix),
    {"__eq__", eq, METH_O, "__eq__($self, other)\n--\n\nWhether both circuits hold exactly the same instructions."},
    {"__ne__", ne, METH_O, "__ne__($self, other)\n--\n\n"},
    INVERSE.def(inverse_circuit),
    POWER.def(power_circuit),
    REDUCE.def(reduce),
    {"__setstate__", setstate, METH_O, "__setstate__($self, state)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef PROPERTIES[] = {
    {"instructions", instructions, nullptr,
     "Every instruction in order as a plain dict with the keys kind (\"gate\", \"conditional\", \"measure\", "
     "\"reset\" or \"barrier\"), name (the OpenQASM 2.0 gate name such as \"h\", \"cx\", \"rx\", \"cu1\", \"measure\", "
     "or None), "
     "label (the display name such as \"Rx(0.500)\", None for measurements and barriers), qubits, params (floats), "
     "clbits, condition (the value a conditional gate, measurement or reset compares its condition_clbits with, first "
     "bit least significant; None without a condition) and condition_clbits. "
     "`gate_matrix(i)` gives the unitary of instruction i.",
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

}  // namespace

void add_circuit_surface(nb::module_& m) {
    nb::handle type = m.attr("Circuit");
    attach(type, METHODS, PROPERTIES);
    type.attr("__hash__") = nb::none();
}

}  // namespace qelix::py
