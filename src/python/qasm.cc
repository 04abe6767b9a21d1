#include "python/qasm.h"

#include <string>

#include "python/circuit.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/release.h"
#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

namespace qelix::py {

namespace {

PyObject* parse(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("parse_qasm", {"source"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        // The text is read in place: a str never changes, and the argument keeps it alive.
        const std::string_view source = to_text(a[0], "source");
        Circuit circuit = unwrap(released([&] { return parse_qasm(source); }));
        return nb::cast(PyCircuit{std::move(circuit), {}}).release().ptr();
    });
}

PyObject* serialize(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("to_qasm", {"circuit"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        PyCircuit& c = to_instance<PyCircuit>(a[0], "circuit");
        SharedBorrow read(c.borrow);
        std::string text = released([&] { return to_qasm(c.circuit); });
        return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
    });
}

PyMethodDef PARSE_QASM =
    method_def("parse_qasm", parse, "parse_qasm(source)\n--\n\nParse `OpenQASM` 2.0 source into a circuit.");
PyMethodDef TO_QASM =
    method_def("to_qasm", serialize, "to_qasm(circuit)\n--\n\nSerialize a circuit into `OpenQASM` 2.0 source.");

}  // namespace

void bind_qasm(nb::module_& m) {
    add_function(m, PARSE_QASM);
    add_function(m, TO_QASM);
}

}  // namespace qelix::py
