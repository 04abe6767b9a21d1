// random_walk: the position distribution of a discrete quantum walk.
#include "python/algorithms.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "quantum/algorithms/random_walk.h"

namespace qelix::py {

namespace {

/// What the returned lists cost per position on top of the walk itself: an int
/// and a float object and one list slot for each.
constexpr std::uint64_t PYTHON_BYTES_PER_POSITION = 32 + 32 + 2 * sizeof(PyObject*);

/// A new list of the objects `make(i)` returns for i < size.
template <class F>
nb::object new_list(std::size_t size, F&& make) {
    nb::object list = nb::steal(PyList_New(static_cast<Py_ssize_t>(size)));
    if (!list.is_valid()) throw nb::python_error();
    for (std::size_t i = 0; i < size; ++i) {
        PyObject* item = make(i);
        if (!item) throw nb::python_error();
        PyList_SET_ITEM(list.ptr(), static_cast<Py_ssize_t>(i), item);
    }
    return list;
}

const Signature RANDOM_WALK("random_walk", {"steps"});

PyObject* random_walk(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = RANDOM_WALK.bind(args, kwargs);
        std::uint64_t steps = a.index(0);
        RandomWalkResult r = unwrap(qelix::random_walk(steps, PYTHON_BYTES_PER_POSITION));
        nb::dict out;
        out["positions"] = new_list(r.positions.size(), [&](std::size_t i) {
            return PyLong_FromLongLong(static_cast<long long>(r.positions[i]));
        });
        out["probabilities"] =
            new_list(r.probabilities.size(), [&](std::size_t i) { return PyFloat_FromDouble(r.probabilities[i]); });
        out["variance"] = nb::float_(r.variance);
        return out.release().ptr();
    });
}

}  // namespace

PyMethodDef& random_walk_def() {
    static PyMethodDef def = RANDOM_WALK.def(random_walk);
    return def;
}

}  // namespace qelix::py
