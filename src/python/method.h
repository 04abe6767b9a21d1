#pragma once
// Functions and methods are plain CPython method definitions whose doc strings
// carry their signature line ("h($self, qubit)\n--\n\nApply a Hadamard gate."),
// so Python derives `__text_signature__` and `__doc__` from them and binds
// arguments with its own standard wording. nanobind creates the types and owns
// the instances; these helpers connect the two.
#include <nanobind/nanobind.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>

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

/// A string usable as a template argument, so one template can serve many methods.
template <std::size_t L>
struct Name {
    char text[L];
    constexpr Name(const char (&s)[L]) {
        for (std::size_t i = 0; i < L; ++i) text[i] = s[i];
    }
};

/// The parameters of one function: names in signature order, the first
/// `required` of them mandatory, all accepted positionally or by keyword.
template <std::size_t N>
class Parameters {
   public:
    Parameters(const char* function, std::array<const char*, N> names, std::size_t required) {
        for (std::size_t i = 0; i < N; ++i) {
            keywords_[i] = const_cast<char*>(names[i]);
            if (i == required) format_ += '|';
            format_ += 'O';
        }
        keywords_[N] = nullptr;
        format_ += ':';
        format_ += function;
    }

    /// Binds the call's arguments; omitted optional ones come back as null handles.
    std::array<nb::handle, N> bind(PyObject* args, PyObject* kwargs) const {
        std::array<PyObject*, N> raw{};
        if (!parse(args, kwargs, raw, std::make_index_sequence<N>{})) throw nb::python_error();
        std::array<nb::handle, N> out;
        for (std::size_t i = 0; i < N; ++i) out[i] = raw[i];
        return out;
    }

   private:
    template <std::size_t... I>
    bool parse(PyObject* args, PyObject* kwargs, std::array<PyObject*, N>& raw, std::index_sequence<I...>) const {
        return PyArg_ParseTupleAndKeywords(args, kwargs, format_.c_str(), const_cast<char**>(keywords_.data()),
                                           &raw[I]...) != 0;
    }

    std::array<char*, N + 1> keywords_{};
    std::string format_;
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
