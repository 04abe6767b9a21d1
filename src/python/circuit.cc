#include "python/circuit.h"

#include <string>

#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/release.h"
#include "quantum/circuit/draw.h"
#include "quantum/circuit/svg.h"
#include "quantum/qasm/serializer.h"

namespace qelix::py {

namespace {

PyObject* none() { Py_RETURN_NONE; }

/// A new Python `Circuit` owning a copy of `circuit`.
PyObject* new_circuit(const Circuit& circuit) { return nb::cast(PyCircuit{circuit, {}}).release().ptr(); }

// Signatures (with their doc text) of the methods below.
const Signature COPY("copy", {"$self"}, "Return a shallow copy of the circuit.");
const Signature H("h", {"$self", "qubit"}, "Apply a Hadamard gate.");
const Signature X("x", {"$self", "qubit"}, "Apply a Pauli-X gate.");
const Signature Y("y", {"$self", "qubit"}, "Apply a Pauli-Y gate.");
const Signature Z("z", {"$self", "qubit"}, "Apply a Pauli-Z gate.");
const Signature S("s", {"$self", "qubit"}, "Apply an S gate.");
const Signature SDG("sdg", {"$self", "qubit"}, "Apply an S-dagger gate.");
const Signature T("t", {"$self", "qubit"}, "Apply a T gate.");
const Signature TDG("tdg", {"$self", "qubit"}, "Apply a T-dagger gate.");
const Signature RX("rx", {"$self", "qubit", "theta"}, "Apply an Rx rotation in radians.");
const Signature RY("ry", {"$self", "qubit", "theta"}, "Apply an Ry rotation in radians.");
const Signature RZ("rz", {"$self", "qubit", "theta"}, "Apply an Rz rotation in radians.");
const Signature SX("sx", {"$self", "qubit"}, "Apply a square-root X gate.");
const Signature U3("u3", {"$self", "qubit", "theta", "phi", "lambda"}, "Apply a generic U3 rotation.");
const Signature CNOT("cnot", {"$self", "control", "target"}, "Apply a controlled-NOT gate.");
const Signature CX("cx", {"$self", "control", "target"}, "Alias for `cnot`.");
const Signature CY("cy", {"$self", "control", "target"}, "Apply a controlled-Y gate.");
const Signature CZ("cz", {"$self", "control", "target"}, "Apply a controlled-Z gate.");
const Signature SWAP("swap", {"$self", "q0", "q1"}, "Apply a SWAP gate.");
const Signature RZZ("rzz", {"$self", "q0", "q1", "theta"}, "Apply an RZZ interaction in radians.");
const Signature TOFFOLI("toffoli", {"$self", "control_0", "control_1", "target"},
                        "Apply a Toffoli gate using the library decomposition.");
const Signature CRK("crk", {"$self", "control", "target", "k"}, "Apply a controlled phase rotation by `2*pi / 2^k`.");
const Signature QFT("qft", {"$self", "qubits"}, "Apply the Quantum Fourier Transform over the provided qubits.");
const Signature IQFT("iqft", {"$self", "qubits"},
                     "Apply the inverse Quantum Fourier Transform over the provided qubits.");
const Signature MEASURE("measure", {"$self", "qubit"},
                        "Measure a qubit into the next classical bit and return that bit index.");
const Signature MEASURE_INTO("measure_into", {"$self", "qubit", "classical_bit"},
                             "Measure a qubit into an explicit classical bit.");
const Signature MEASURE_ALL("measure_all", {"$self"}, "Measure every qubit in order.");
const Signature RESET("reset", {"$self", "qubit"},
                      "Return a qubit to |0> (measure it and flip it on 1); runs shot by shot.");
const Signature BARRIER("barrier", {"$self", "qubits"}, "Insert a logical barrier across the provided qubits.");
const Signature BARRIER_ALL("barrier_all", {"$self"}, "Insert a barrier across all qubits.");
const Signature APPEND("append", {"$self", "other"}, "Append another circuit with the same width.");
const Signature COMPOSE("compose", {"$self", "other", "qubit_mapping"},
                        "Compose another circuit onto a mapped set of qubits.");
const Signature DRAW("draw", {"$self"}, "Return the ASCII circuit diagram.");
const Signature DRAW_SVG("draw_svg", {"$self"},
                         "Return the circuit drawing as SVG text: one wire per qubit, gates packed into columns.");
const Signature REPR_SVG("_repr_svg_", {"$self"},
                         "The drawing notebooks show (long circuits end in an ellipsis after 300 columns).");
const Signature TO_QASM("to_qasm", {"$self"}, "Export the circuit as `OpenQASM` 2.0 source.");
const Signature COPY_DUNDER("__copy__", {"$self"});
const Signature DEEPCOPY("__deepcopy__", {"$self", "_memo"});
const Signature CIRCUIT("Circuit", {"num_qubits"}, "Quantum circuit composed of gates, barriers, and measurements.");

/// Runs a mutating builder under the exclusive borrow of `self`.
template <class F>
PyObject* build(const Signature& signature, PyObject* self, PyObject* args, PyObject* kwargs, F&& body) {
    return guarded([&] {
        Args a = signature.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        unwrap(body(c.circuit, a));
        return none();
    });
}

template <const Signature& SIG, Status (Circuit::*Apply)(std::size_t)>
PyObject* one_qubit(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(SIG, self, args, kwargs, [](Circuit& c, const Args& a) { return (c.*Apply)(a.index(0)); });
}

PyObject* reset(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(RESET, self, args, kwargs, [](Circuit& c, const Args& a) { return c.reset(a.index(0)); });
}

template <const Signature& SIG, Status (Circuit::*Apply)(std::size_t, double)>
PyObject* rotation(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(SIG, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t q = a.index(0);
        return (c.*Apply)(q, a.real(1));
    });
}

template <const Signature& SIG, Status (Circuit::*Apply)(std::size_t, std::size_t)>
PyObject* two_qubit(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(SIG, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t q0 = a.index(0);
        return (c.*Apply)(q0, a.index(1));
    });
}

PyObject* u3(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(U3, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t q = a.index(0);
        double theta = a.real(1), phi = a.real(2);
        return c.u3(q, theta, phi, a.real(3));
    });
}

PyObject* rzz(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(RZZ, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t q0 = a.index(0), q1 = a.index(1);
        return c.rzz(q0, q1, a.real(2));
    });
}

PyObject* toffoli(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(TOFFOLI, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t c0 = a.index(0), c1 = a.index(1);
        return c.toffoli(c0, c1, a.index(2));
    });
}

PyObject* crk(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(CRK, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t control = a.index(0), target = a.index(1);
        return c.crk(control, target, a.index(2));
    });
}

template <const Signature& SIG, Status (Circuit::*Apply)(std::span<const std::size_t>)>
PyObject* over_list(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(SIG, self, args, kwargs, [](Circuit& c, const Args& a) { return (c.*Apply)(a.index_list(0)); });
}

PyObject* barrier(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(BARRIER, self, args, kwargs, [](Circuit& c, const Args& a) { return c.barrier(a.index_list(0)); });
}

PyObject* measure(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = MEASURE.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        std::size_t bit = unwrap(c.circuit.measure(a.index(0)));
        return PyLong_FromSize_t(bit);
    });
}

PyObject* measure_into(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return build(MEASURE_INTO, self, args, kwargs, [](Circuit& c, const Args& a) {
        std::size_t q = a.index(0);
        return c.measure_into(q, a.index(1));
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
    return guarded([&] {
        Args a = APPEND.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        PyCircuit& other = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read(other.borrow);
        unwrap(c.circuit.append(other.circuit));
        return none();
    });
}

PyObject* compose(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = COMPOSE.bind(args, kwargs);
        PyCircuit& c = self_of<PyCircuit>(self);
        ExclusiveBorrow write(c.borrow);
        PyCircuit& other = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read(other.borrow);
        unwrap(c.circuit.compose(other.circuit, a.index_list(1)));
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

PyObject* copy(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return new_circuit(c); });
}

PyObject* deepcopy(PyObject* self, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        DEEPCOPY.bind(args, kwargs);
        return copy(self, nullptr);
    });
}

PyObject* draw_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return to_python_text(draw(c)); });
}

PyObject* svg_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return to_python_text(draw_svg(c)); });
}

/// Columns a notebook shows of a long circuit before an ellipsis; draw_svg() draws them all.
constexpr std::size_t NOTEBOOK_COLUMNS = 300;

PyObject* repr_svg(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return to_python_text(draw_svg(c, NOTEBOOK_COLUMNS)); });
}

PyObject* qasm_text(PyObject* self, PyObject*) noexcept {
    return query(self, [](const Circuit& c) { return to_python_text(released([&] { return to_qasm(c); })); });
}

PyObject* str(PyObject* self) noexcept { return draw_text(self, nullptr); }

PyObject* repr(PyObject* self) noexcept {
    return query(self, [](const Circuit& c) {
        return to_python_text("Circuit(" + std::to_string(c.num_qubits()) + " qubits, " +
                              std::to_string(c.gate_count()) + " gates, depth " + std::to_string(c.depth()) + ")");
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
    PyObject* ok = guarded([&] {
        Args a = CIRCUIT.bind(args, kwargs);
        Circuit circuit = unwrap(Circuit::create(a.index(0)));
        reinitialise(self, PyCircuit{std::move(circuit), {}});
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
    COPY.def(copy),
    H.def(one_qubit<H, &Circuit::h>),
    X.def(one_qubit<X, &Circuit::x>),
    Y.def(one_qubit<Y, &Circuit::y>),
    Z.def(one_qubit<Z, &Circuit::z>),
    S.def(one_qubit<S, &Circuit::s>),
    SDG.def(one_qubit<SDG, &Circuit::sdg>),
    T.def(one_qubit<T, &Circuit::t>),
    TDG.def(one_qubit<TDG, &Circuit::tdg>),
    RX.def(rotation<RX, &Circuit::rx>),
    RY.def(rotation<RY, &Circuit::ry>),
    RZ.def(rotation<RZ, &Circuit::rz>),
    SX.def(one_qubit<SX, &Circuit::sx>),
    U3.def(u3),
    CNOT.def(two_qubit<CNOT, &Circuit::cnot>),
    CX.def(two_qubit<CX, &Circuit::cnot>),
    CY.def(two_qubit<CY, &Circuit::cy>),
    CZ.def(two_qubit<CZ, &Circuit::cz>),
    SWAP.def(two_qubit<SWAP, &Circuit::swap>),
    RZZ.def(rzz),
    TOFFOLI.def(toffoli),
    CRK.def(crk),
    QFT.def(over_list<QFT, &Circuit::qft>),
    IQFT.def(over_list<IQFT, &Circuit::iqft>),
    MEASURE.def(measure),
    MEASURE_INTO.def(measure_into),
    MEASURE_ALL.def(no_argument<&Circuit::measure_all>),
    RESET.def(reset),
    BARRIER.def(barrier),
    BARRIER_ALL.def(no_argument<&Circuit::barrier_all>),
    APPEND.def(append),
    COMPOSE.def(compose),
    DRAW.def(draw_text),
    DRAW_SVG.def(svg_text),
    REPR_SVG.def(repr_svg),
    TO_QASM.def(qasm_text),
    COPY_DUNDER.def(copy),
    DEEPCOPY.def(deepcopy),
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

void bind_circuit(nb::module_& m) { nb::class_<PyCircuit>(m, "Circuit", CIRCUIT.doc(), nb::type_slots(SLOTS)); }

}  // namespace qelix::py
