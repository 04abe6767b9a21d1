#include "quantum/qasm/error.h"

#include <utility>

namespace qelix {

namespace {
std::string num(std::uint64_t v) { return std::to_string(v); }
}  // namespace

QasmError QasmError::syntax(std::uint64_t line, std::string message) {
    return {QasmErrorKind::Syntax, line, 0, 0, std::move(message)};
}
QasmError QasmError::unknown_gate(std::string name) { return {QasmErrorKind::UnknownGate, 0, 0, 0, std::move(name)}; }
QasmError QasmError::undeclared_register(std::string name) {
    return {QasmErrorKind::UndeclaredRegister, 0, 0, 0, std::move(name)};
}
QasmError QasmError::register_index_out_of_range(std::uint64_t index, std::string name, std::uint64_t size) {
    return {QasmErrorKind::RegisterIndexOutOfRange, 0, index, size, std::move(name)};
}
QasmError QasmError::interrupted() { return {QasmErrorKind::Interrupted}; }

std::string QasmError::message() const {
    switch (kind) {
        case QasmErrorKind::Syntax: return "Parse error at line " + num(line) + ": " + text;
        case QasmErrorKind::UnknownGate: return "Unknown gate '" + text + "'";
        case QasmErrorKind::UndeclaredRegister: return "Register '" + text + "' not declared";
        case QasmErrorKind::RegisterIndexOutOfRange:
            return "Qubit index " + num(index) + " out of range for register '" + text + "' (size " + num(size) + ")";
        case QasmErrorKind::Interrupted: return "Interrupted";
    }
    throw InternalFault("unknown QasmError kind");
}

}  // namespace qelix
