#pragma once
// Functions and methods are plain CPython method definitions whose doc strings
// carry their signature line ("h($self, qubit)\n--\n\nApply a Hadamard gate."),
// so Python derives `__text_signature__` and `__doc__` from them and binds
// arguments with its own standard wording. A `Signature` declares each one once and
// yields both the doc string and the argument binding. nanobind creates the types
// and owns the instances; these helpers connect the two.
#include <nanobind/nanobind.h>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "python/convert.h"

#include "python/convert.h"

namespace qelix::py {

namespace nb = nanobind;

/// Sets the Python error for the exception being handled (call inside catch).
void set_error_from_current_exception() noexcept;

/// Calls `body` and turns any C++ exception into a pending Python error.
template <class F>
PyObject* guarded(F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        set_error_from_current_exception();
        return nullptr;
    }
}

/// One parameter of a Python signature: its name and, when it is optional, its default as
/// the signature line shows it ("None", "1000", "\"statevector\"").
struct Param {
    const char* name;
    const char* shown_default = nullptr;
    Param(const char* name) : name(name) {}
    Param(const char* name, const char* shown_default) : name(name), shown_default(shown_default) {}
};

/// The arguments of one call as a Signature bound them; each converts under its declared name.
class Args {
   public:
    /// Most parameters a signature may declare.
    static constexpr std::size_t MAX = 8;

    /// The raw argument: a null handle when an optional one was omitted.
    nb::handle operator[](std::size_t i) const { return values_[i]; }
    /// The declared name of argument i.
    const char* name(std::size_t i) const { return names_[i]; }
    /// Argument i through `convert(value, name)`: to_index, to_real, to_instance<T>, ...
    template <class Convert>
    decltype(auto) get(std::size_t i, Convert&& convert) const {
        return convert(values_[i], names_[i]);
    }
    std::uint64_t index(std::size_t i) const { return to_index(values_[i], names_[i]); }
    double real(std::size_t i) const { return to_real(values_[i], names_[i]); }
    std::vector<std::size_t> index_list(std::size_t i) const { return to_index_list(values_[i], names_[i]); }

   private:
    friend class Signature;
    std::array<nb::handle, MAX> values_{};
    std::array<const char*, MAX> names_{};
};

/// A Python callable's signature, written once: it makes the doc string's signature line
/// ("h($self, qubit)\n--\n\nApply a Hadamard gate.") and binds each call's arguments by
/// the same names. A first parameter "$self" marks a method: shown, never bound. Optional
/// parameters (those with a shown default) follow the required ones.
class Signature {
   public:
    Signature(const char* name, std::initializer_list<Param> params, const char* doc = "");

    const char* name() const { return name_; }
    /// The full doc string, from which CPython derives `__text_signature__` and `__doc__`.
    const char* doc() const { return doc_.c_str(); }
    /// Binds a call's positional and keyword arguments (TypeError in CPython's own wording).
    Args bind(PyObject* args, PyObject* kwargs) const;
    /// The method-table entry of `fn` under this signature.
    PyMethodDef def(PyCFunctionWithKeywords fn) const;
    /// The method-table entry of `fn`, which takes no arguments.
    PyMethodDef def(PyCFunction fn) const;

   private:
    const char* name_;
    std::vector<const char*> names_;
    std::vector<char*> keywords_;
    std::string format_;
    std::string doc_;
};

/// The C++ value inside an initialised instance of bound class T.
template <class T>
T& self_of(PyObject* self) {
    require_initialised(self);
    return *nb::inst_ptr<T>(self);
}

/// A method definition taking positional and keyword arguments.
inline PyMethodDef method_def(const char* name, PyCFunctionWithKeywords fn, const char* doc) {
    return PyMethodDef{name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn)),
                       METH_VARARGS | METH_KEYWORDS, doc};
}

/// A method definition without arguments.
inline PyMethodDef method_def(const char* name, PyCFunction fn, const char* doc) {
    return PyMethodDef{name, fn, METH_NOARGS, doc};
}

/// Adds a module-level function made from `def` (which must outlive the module).
/// The returned object may be added to further modules as the same function.
nb::object add_function(nb::module_& m, PyMethodDef& def);

/// Sets `name` on the module and appends it to the module's __all__.
void export_name(nb::module_& m, const char* name, nb::handle value);

/// None for an omitted argument or None itself.
inline bool absent(nb::handle value) { return !value.is_valid() || value.is_none(); }

}  // namespace qelix::py
