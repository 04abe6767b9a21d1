#include "python/circuit.h"

#include <string>

#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/circuit/draw.h"
#include "quantum/circuit/svg.h"
#include "quantum/qasm/serializer.h"

namespace qelix::py {

namespace {

PyObject* none() { Py_RETURN_NONE; }

/// A new Python `Circuit` owning a copy of `circuit`.
PyObject* new_circuit(const Circuit& circuit) { return nb::cast(PyCircuit{circuit, {}}).release().ptr(); }

/// Runs a mutating builder under the exclusive borrow of `self`.
template <std::size_t N, class F>
PyObject* build(const Parameters<N>& params, PyObject* self, PyObject* args, PyObject* kwargs, F&& body) {
    return guarded([&] {
        auto arg = params.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        unwrap(body(c.circuit, arg));
        return none();
    });
}

template <Name name, Status (Circuit::*Apply)(std::size_t)>
PyObject* one_qubit(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params(name.text, {"qubit"}, 1);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) { return (c.*Apply)(to_index(a[0], "qubit")); });
}

template <Name name, Status (Circuit::*Apply)(std::size_t, double)>
PyObject* rotation(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params(name.text, {"qubit", "theta"}, 2);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t q = to_index(a[0], "qubit");
        return (c.*Apply)(q, to_real(a[1], "theta"));
    });
}

template <Name name, Name first, Name second, Status (Circuit::*Apply)(std::size_t, std::size_t)>
PyObject* two_qubit(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params(name.text, {first.text, second.text}, 2);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t q0 = to_index(a[0], first.text);
        return (c.*Apply)(q0, to_index(a[1], second.text));
    });
}

PyObject* u3(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<4> params("u3", {"qubit", "theta", "phi", "lambda"}, 4);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t q = to_index(a[0], "qubit");
        double theta = to_real(a[1], "theta"), phi = to_real(a[2], "phi");
        return c.u3(q, theta, phi, to_real(a[3], "lambda"));
    });
}

PyObject* rzz(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<3> params("rzz", {"q0", "q1", "theta"}, 3);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t q0 = to_index(a[0], "q0"), q1 = to_index(a[1], "q1");
        return c.rzz(q0, q1, to_real(a[2], "theta"));
    });
}

PyObject* toffoli(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<3> params("toffoli", {"control_0", "control_1", "target"}, 3);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t c0 = to_index(a[0], "control_0"), c1 = to_index(a[1], "control_1");
        return c.toffoli(c0, c1, to_index(a[2], "target"));
    });
}

PyObject* crk(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<3> params("crk", {"control", "target", "k"}, 3);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t control = to_index(a[0], "control"), target = to_index(a[1], "target");
        return c.crk(control, target, to_index(a[2], "k"));
    });
}

template <Name name, Status (Circuit::*Apply)(std::span<const std::size_t>)>
PyObject* over_list(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params(name.text, {"qubits"}, 1);
    return build(params, self, args, kwargs,
                 [](Circuit& c, auto& a) { return (c.*Apply)(to_index_list(a[0], "qubits")); });
}

PyObject* barrier(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("barrier", {"qubits"}, 1);
    return build(params, self, args, kwargs,
                 [](Circuit& c, auto& a) { return c.barrier(to_index_list(a[0], "qubits")); });
}

PyObject* measure(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("measure", {"qubit"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        std::size_t bit = unwrap(c.circuit.measure(to_index(a[0], "qubit")));
        return PyLong_FromSize_t(bit);
    });
}

PyObject* measure_into(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params("measure_into", {"qubit", "classical_bit"}, 2);
    return build(params, self, args, kwargs, [](Circuit& c, auto& a) {
        std::size_t q = to_index(a[0], "qubit");
        return c.measure_into(q, to_index(a[1], "classical_bit"));
    });
}

template <Status (Circuit::*Apply)()>
PyObject* no_argument(PyObject* self, PyObject*) noexcept {
    return guarded([&] {
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        unwrap((c.circuit.*Apply)());
        return none();
    });
}

PyObject* append(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("append", {"other"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        PyCircuit& other = to_instance<PyCircuit>(a[0], "other");
        SharedBorrow read(other.borrow);
        unwrap(c.circuit.append(other.circuit));
        return none();
    });
}

PyObject* compose(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params("compose", {"other", "qubit_mapping"}, 2);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        PyCircuit& other = to_instance<PyCircuit>(a[0], "other");
        SharedBorrow read(other.borrow);
        unwrap(c.circuit.compose(other.circuit, to_index_list(a[1], "qubit_mapping")));
        return none();
    });
}

/// Runs a read-only query under a shared borrow of `self`.
template <class F>
PyObject* query(PyObject* self, F&& body) {
    return guarded([&] {
        PyCircuit& c = self_of<PyCircuit>(self);
        SharedBorrow read(c.borrow);
        return body(c.circuit);
    });
}

PyObject* text(const std::string& s) {
    return PyUnicode_FromStringAndSize(s.data(), static_cast<Py_ssize_t>(s.size()));
}

PyObject* copy(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return new_circuit(c); });
}

PyObject* deepcopy(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("__deepcopy__", {"_memo"}, 1);
    return guarded([&] {
        params.bind(args, kwargs);
        return copy(self, nullptr);
    });
}

PyObject* draw_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return text(draw(c)); });
}

PyObject* svg_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return text(draw_svg(c)); });
}

/// Columns a notebook shows of a long circuit before an ellipsis; draw_svg() draws them all.
constexpr std::size_t NOTEBOOK_COLUMNS = 300;

PyObject* repr_svg(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return text(draw_svg(c, NOTEBOOK_COLUMNS)); });
}

PyObject* qasm_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return text(to_qasm(c)); });
}

PyObject* str(PyObject* self) noexcept { return draw_text(self, nullptr); }

PyObject* repr(PyObject* self) noexcept {
    return query(self, [](const Circuit& c) {
        return text("Circuit(" + std::to_string(c.num_qubits()) + " qubits, " + std::to_string(c.gate_count()) +
                    " gates, depth " + std::to_string(c.depth()) + ")");
    });
}

Py_ssize_t length(PyObject* self) noexcept {
    PyObject* count = query(self, [](const Circuit& c) { return PyLong_FromSize_t(c.gate_count()); });
    if (!count) return -1;
    Py_ssize_t n = PyLong_AsSsize_t(count);
    Py_DECREF(count);
    return n;
}

int init(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("Circuit", {"num_qubits"}, 1);
    PyObject* ok = guarded([&] {
        auto a = params.bind(args, kwargs);
        Circuit circuit = unwrap(Circuit::create(to_index(a[0], "num_qubits")));
        if (nb::inst_ready(self)) nb::inst_destruct(self);
        new (nb::inst_ptr<PyCircuit>(self)) PyCircuit{std::move(circuit), {}};
        nb::inst_mark_ready(self);
        return none();
    });
    if (!ok) return -1;
    Py_DECREF(ok);
    return 0;
}

template <std::size_t (Circuit::*Read)() const>
PyObject* figure(PyObject* self, void*) noexcept {
    return query(self, [](const Circuit& c) { return PyLong_FromSize_t((c.*Read)()); });
}

PyMethodDef METHODS[] = {
    method_def("copy", copy, "copy($self)\n--\n\nReturn a shallow copy of the circuit."),
    method_def("h", one_qubit<"h", &Circuit::h>, "h($self, qubit)\n--\n\nApply a Hadamard gate."),
    method_def("x", one_qubit<"x", &Circuit::x>, "x($self, qubit)\n--\n\nApply a Pauli-X gate."),
    method_def("y", one_qubit<"y", &Circuit::y>, "y($self, qubit)\n--\n\nApply a Pauli-Y gate."),
    method_def("z", one_qubit<"z", &Circuit::z>, "z($self, qubit)\n--\n\nApply a Pauli-Z gate."),
    method_def("s", one_qubit<"s", &Circuit::s>, "s($self, qubit)\n--\n\nApply an S gate."),
    method_def("sdg", one_qubit<"sdg", &Circuit::sdg>, "sdg($self, qubit)\n--\n\nApply an S-dagger gate."),
    method_def("t", one_qubit<"t", &Circuit::t>, "t($self, qubit)\n--\n\nApply a T gate."),
    method_def("tdg", one_qubit<"tdg", &Circuit::tdg>, "tdg($self, qubit)\n--\n\nApply a T-dagger gate."),
    method_def("rx", rotation<"rx", &Circuit::rx>, "rx($self, qubit, theta)\n--\n\nApply an Rx rotation in radians."),
    method_def("ry", rotation<"ry", &Circuit::ry>, "ry($self, qubit, theta)\n--\n\nApply an Ry rotation in radians."),
    method_def("rz", rotation<"rz", &Circuit::rz>, "rz($self, qubit, theta)\n--\n\nApply an Rz rotation in radians."),
    method_def("sx", one_qubit<"sx", &Circuit::sx>, "sx($self, qubit)\n--\n\nApply a square-root X gate."),
    method_def("u3", u3, "u3($self, qubit, theta, phi, lambda)\n--\n\nApply a generic U3 rotation."),
    method_def("cnot", two_qubit<"cnot", "control", "target", &Circuit::cnot>,
               "cnot($self, control, target)\n--\n\nApply a controlled-NOT gate."),
    method_def("cx", two_qubit<"cx", "control", "target", &Circuit::cnot>,
               "cx($self, control, target)\n--\n\nAlias for `cnot`."),
    method_def("cy", two_qubit<"cy", "control", "target", &Circuit::cy>,
               "cy($self, control, target)\n--\n\nApply a controlled-Y gate."),
    method_def("cz", two_qubit<"cz", "control", "target", &Circuit::cz>,
               "cz($self, control, target)\n--\n\nApply a controlled-Z gate."),
    method_def("swap", two_qubit<"swap", "q0", "q1", &Circuit::swap>, "swap($self, q0, q1)\n--\n\nApply a SWAP gate."),
    method_def("rzz", rzz, "rzz($self, q0, q1, theta)\n--\n\nApply an RZZ interaction in radians."),
    method_def("toffoli", toffoli,
               "toffoli($self, control_0, control_1, target)\n--\n\nApply a Toffoli gate using the library "
               "decomposition."),
    method_def("crk", crk, "crk($self, control, target, k)\n--\n\nApply a controlled phase rotation by `2*pi / 2^k`."),
    method_def("qft", over_list<"qft", &Circuit::qft>,
               "qft($self, qubits)\n--\n\nApply the Quantum Fourier Transform over the provided qubits."),
    method_def("iqft", over_list<"iqft", &Circuit::iqft>,
               "iqft($self, qubits)\n--\n\nApply the inverse Quantum Fourier Transform over the provided qubits."),
    method_def("measure", measure,
               "measure($self, qubit)\n--\n\nMeasure a qubit into the next classical bit and return that bit index."),
    method_def("measure_into", measure_into,
               "measure_into($self, qubit, classical_bit)\n--\n\nMeasure a qubit into an explicit classical bit."),
    method_def("measure_all", no_argument<&Circuit::measure_all>,
               "measure_all($self)\n--\n\nMeasure every qubit in order."),
    method_def("barrier", barrier,
               "barrier($self, qubits)\n--\n\nInsert a logical barrier across the provided qubits."),
    method_def("barrier_all", no_argument<&Circuit::barrier_all>,
               "barrier_all($self)\n--\n\nInsert a barrier across all qubits."),
    method_def("append", append, "append($self, other)\n--\n\nAppend another circuit with the same width."),
    method_def("compose", compose,
               "compose($self, other, qubit_mapping)\n--\n\nCompose another circuit onto a mapped set of qubits."),
    method_def("draw", draw_text, "draw($self)\n--\n\nReturn the ASCII circuit diagram."),
    method_def("draw_svg", svg_text,
               "draw_svg($self)\n--\n\nReturn the circuit drawing as SVG text: one wire per qubit, gates packed "
               "into columns."),
    method_def("_repr_svg_", repr_svg,
               "_repr_svg_($self)\n--\n\nThe drawing notebooks show (long circuits end in an ellipsis after "
               "300 columns)."),
    method_def("to_qasm", qasm_text, "to_qasm($self)\n--\n\nExport the circuit as `OpenQASM` 2.0 source."),
    method_def("__copy__", copy, "__copy__($self)\n--\n\n"),
    method_def("__deepcopy__", deepcopy, "__deepcopy__($self, _memo)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef PROPERTIES[] = {
    {"num_qubits", figure<&Circuit::num_qubits>, nullptr, "Number of qubits in the circuit.", nullptr},
    {"num_classical_bits", figure<&Circuit::num_classical_bits>, nullptr,
     "Number of classical bits allocated by measurements.", nullptr},
    {"gate_count", figure<&Circuit::gate_count>, nullptr, "Number of gate operations in the circuit.", nullptr},
    {"depth", figure<&Circuit::depth>, nullptr, "Circuit depth measured in sequential gate layers.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot SLOTS[] = {
    {Py_tp_init, reinterpret_cast<void*>(init)},
    {Py_tp_methods, METHODS},
    {Py_tp_getset, PROPERTIES},
    {Py_tp_repr, reinterpret_cast<void*>(repr)},
    {Py_tp_str, reinterpret_cast<void*>(str)},
    {Py_mp_length, reinterpret_cast<void*>(length)},
    {0, nullptr},
};

}  // namespace

void bind_circuit(nb::module_& m) {
    nb::class_<PyCircuit>(m, "Circuit",
                          "Circuit(num_qubits)\n--\n\nQuantum circuit composed of gates, barriers, and measurements.",
                          nb::type_slots(SLOTS));
}

}  // namespace qelix::py
