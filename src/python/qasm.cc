#include "python/qasm.h"

#include <string>

#include "python/circuit.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/qasm/parser.h"
#include "quantum/qasm/serializer.h"

namespace qelix::py {

namespace {

const Signature PARSE("parse_qasm", {"source"}, "Parse `OpenQASM` 2.0 source into a circuit.");
const Signature SERIALIZE("to_qasm", {"circuit"}, "Serialize a circuit into `OpenQASM` 2.0 source.");

PyObject* parse(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = PARSE.bind(args, kwargs);
        Circuit circuit = unwrap(parse_qasm(a.get(0, to_text)));
        return nb::cast(PyCircuit{std::move(circuit), {}}).release().ptr();
    });
}

PyObject* serialize(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SERIALIZE.bind(args, kwargs);
        PyCircuit& c = a.get(0, to_instance<PyCircuit>);
        SharedBorrow read(c.borrow);
        return to_python_text(to_qasm(c.circuit));
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
