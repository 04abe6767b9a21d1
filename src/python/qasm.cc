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

const Signature PARSE("parse_qasm", {"source"}, "Parse `OpenQASM` 2.0 source into a circuit.");
const Signature SERIALIZE("to_qasm", {"circuit"}, "Serialize a circuit into `OpenQASM` 2.0 source.");

PyObject* parse(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = PARSE.bind(args, kwargs);
        // The text is read in place: a str never changes, and the argument keeps it alive.
        const std::string_view source = a.get(0, to_text);
        Circuit circuit = unwrap(released([&] { return parse_qasm(source); }));
        return nb::cast(PyCircuit{std::move(circuit), {}}).release().ptr();
    });
}

PyObject* serialize(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SERIALIZE.bind(args, kwargs);
        PyCircuit& c = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read(c.borrow);
        return to_python_text(released([&] { return to_qasm(c.circuit); }));
    });
}

PyMethodDef PARSE_QASM = PARSE.def(parse);
PyMethodDef TO_QASM = SERIALIZE.def(serialize);

}  // namespace

void bind_qasm(nb::module_& m) {
    add_function(m, PARSE_QASM);
    add_function(m, TO_QASM);
}

}  // namespace qelix::py
