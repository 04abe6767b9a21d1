#include "python/method.h"

#include <new>
#include <stdexcept>
#include <string_view>

#include "python/errors.h"

namespace qelix::py {

void set_error_from_current_exception() noexcept {
    try {
        throw;
    } catch (nb::python_error& e) {
        e.restore();
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& e) {
        std::string message = std::string("internal error: ") + e.what();
        PyErr_SetString(internal_fault_type ? internal_fault_type : PyExc_SystemError, message.c_str());
    } catch (...) {
        PyErr_SetString(internal_fault_type ? internal_fault_type : PyExc_SystemError, "internal error: unknown");
    }
}

Signature::Signature(const char* name, std::initializer_list<Param> params, const char* doc) : name_(name) {
    std::string line = std::string(name) + "(";
    std::size_t required = 0;
    for (const Param& p : params) {
        if (line.back() != '(') line += ", ";
        line += p.name;
        if (p.shown_default) line += std::string("=") + p.shown_default;
        if (std::string_view(p.name) == "$self") continue;
        if (!p.shown_default && required++ != names_.size())
            throw std::logic_error(std::string(name) + ": a required parameter follows an optional one");
        names_.push_back(p.name);
        keywords_.push_back(const_cast<char*>(p.name));
        if (names_.size() == required + 1 && p.shown_default) format_ += '|';
        format_ += 'O';
    }
    if (names_.size() > Args::MAX) throw std::logic_error(std::string(name) + ": too many parameters");
    keywords_.push_back(nullptr);
    format_ += ':';
    format_ += name;
    doc_ = line + ")\n--\n\n" + doc;
}

Args Signature::bind(PyObject* args, PyObject* kwargs) const {
    std::array<PyObject*, Args::MAX> raw{};
    // The format names only the declared parameters; the parser reads no further pointers.
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, format_.c_str(), const_cast<char**>(keywords_.data()), &raw[0],
                                     &raw[1], &raw[2], &raw[3], &raw[4], &raw[5], &raw[6], &raw[7]))
        throw nb::python_error();
    Args out;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        out.values_[i] = raw[i];
        out.names_[i] = names_[i];
    }
    return out;
}

PyMethodDef Signature::def(PyCFunctionWithKeywords fn) const { return method_def(name_, fn, doc()); }

PyMethodDef Signature::def(PyCFunction fn) const { return method_def(name_, fn, doc()); }

nb::object add_function(nb::module_& m, PyMethodDef& def) {
    nb::object fn = nb::steal(PyCFunction_NewEx(&def, nullptr, m.attr("__name__").ptr()));
    if (!fn.is_valid()) throw nb::python_error();
    export_name(m, def.ml_name, fn);
    return fn;
}

void export_name(nb::module_& m, const char* name, nb::handle value) {
    m.attr(name) = value;
    nb::list all = nb::borrow<nb::list>(m.attr("__all__"));
    all.append(name);
}

}  // namespace qelix::py
