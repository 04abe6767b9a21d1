#pragma once
#include <cstdint>
#include <expected>
#include <string>

#include "core/error.h"

namespace qelix {

/// Kinds of OpenQASM parse failure.
enum class QasmErrorKind {
    Syntax,
    UnknownGate,
    UndeclaredRegister,
    RegisterIndexOutOfRange,
    /// The caller's interrupt check stopped the parse (see core/interrupt.h).
    Interrupted,
};

/// An OpenQASM parse error.
struct QasmError {
    QasmErrorKind kind;
    std::uint64_t line = 0;   ///< Syntax: 1-based line.
    std::uint64_t index = 0;  ///< RegisterIndexOutOfRange: the offending index.
    std::uint64_t size = 0;   ///< RegisterIndexOutOfRange: the register size.
    std::string text;         ///< Syntax message, gate name or register name.

    /// "Parse error at line {line}: {message}".
    static QasmError syntax(std::uint64_t line, std::string message);
    /// "Unknown gate '{name}'".
    static QasmError unknown_gate(std::string name);
    /// "Register '{name}' not declared".
    static QasmError undeclared_register(std::string name);
    /// "Qubit index {index} out of range for register '{name}' (size {size})".
    static QasmError register_index_out_of_range(std::uint64_t index, std::string name, std::uint64_t size);
    /// "Interrupted": the parse was stopped by its caller's interrupt check.
    static QasmError interrupted();

    /// The user-facing message of this error.
    std::string message() const;
    bool operator==(const QasmError&) const = default;
};

/// A value or a parse error.
template <class T>
using QasmResult = std::expected<T, QasmError>;

}  // namespace qelix
