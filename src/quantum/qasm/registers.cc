#include "quantum/qasm/registers.h"

#include <string>

#include "quantum/qasm/text.h"
#include "core/propagate.h"

namespace qelix::qasm {

void RegisterTable::declare(std::string_view name, std::size_t size) {
    registers_[name] = Register{total_, size};
    total_ = size > SIZE_MAX - total_ ? SIZE_MAX : total_ + size;
}

const Register* RegisterTable::find(std::string_view name) const {
    auto it = registers_.find(name);
    return it == registers_.end() ? nullptr : &it->second;
}

QasmResult<std::size_t> RegisterTable::resolve(std::string_view name, std::uint64_t index) const {
    const Register* reg = find(name);
    if (!reg) return std::unexpected(QasmError::undeclared_register(std::string(name)));
    if (index >= reg->size)
        return std::unexpected(QasmError::register_index_out_of_range(index, std::string(name), reg->size));
    return reg->offset + index;
}

QasmResult<IndexedName> read_indexed(std::string_view text, std::size_t line) {
    text = trim(text);
    std::size_t open = text.find('[');
    if (open == std::string_view::npos)
        return std::unexpected(QasmError::syntax(line, "expected indexed identifier, got '" + std::string(text) + "'"));
    std::size_t close = text.rfind(']');
    // A ']' that only stands before the '[' closes nothing.
    if (close == std::string_view::npos || close < open)
        return std::unexpected(QasmError::syntax(line, "expected closing ']' in '" + std::string(text) + "'"));
    auto index = parse_unsigned(trim(text.substr(open + 1, close - open - 1)));
    if (!index)
        return std::unexpected(QasmError::syntax(line, "invalid register index in '" + std::string(text) + "'"));
    return IndexedName{trim(text.substr(0, open)), *index};
}

QasmResult<std::size_t> resolve_qubit(std::string_view text, const Scope& scope, const RegisterTable& qregs,
                                      std::size_t line) {
    text = trim(text);
    if (const std::size_t* bound = scope.qubits.find(text)) return *bound;
    auto operand = read_indexed(text, line);
    QELIX_TRY(operand);
    return qregs.resolve(operand->name, operand->index);
}

}  // namespace qelix::qasm
