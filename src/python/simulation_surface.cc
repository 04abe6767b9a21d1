// Simulator, NoiseModel and QuantumResult: pickling, exact comparison, the result's norm.
#include <string>

#include "python/convert.h"
#include "python/errors.h"
#include "python/simulation.h"
#include "python/surface.h"
#include "quantum/circuit/identical.h"

namespace qelix::py {

namespace {

const Signature REDUCE("__reduce__", {"$self"});

[[noreturn]] void bad_state(const char* cls, const std::string& why) {
    raise(PyExc_ValueError, std::string("invalid ") + cls + " state: " + why);
}

/// The items of a tuple of exactly `size` items, or ValueError.
nb::tuple state_tuple(const char* cls, nb::handle value, std::size_t size) {
    if (!PyTuple_Check(value.ptr()) || nb::len(value) != size)
        bad_state(cls, "expected a tuple of " + std::to_string(size) + " items");
    return nb::borrow<nb::tuple>(value);
}

// --- NoiseModel ---

bool channels_equal(const std::vector<NoiseChannel>& a, const std::vector<NoiseChannel>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || !same_bits(a[i].probability, b[i].probability)) return false;
    return true;
}

bool models_equal(const NoiseModel& a, const NoiseModel& b) {
    return channels_equal(a.single_qubit_channels, b.single_qubit_channels) &&
           channels_equal(a.two_qubit_channels, b.two_qubit_channels) &&
           channels_equal(a.measurement_channels, b.measurement_channels) &&
           channels_equal(a.idle_channels, b.idle_channels);
}

nb::tuple channel_state(const std::vector<NoiseChannel>& channels) {
    nb::list out;
    for (const NoiseChannel& c : channels) out.append(nb::make_tuple(int(c.kind), c.probability));
    return nb::tuple(out);
}

/// Four tuples of (kind number, probability), in the order of the model's lists.
nb::tuple model_state(const NoiseModel& m) {
    return nb::make_tuple(channel_state(m.single_qubit_channels), channel_state(m.two_qubit_channels),
                          channel_state(m.measurement_channels), channel_state(m.idle_channels));
}

std::vector<NoiseChannel> saved_channels(nb::handle value) {
    if (!PyTuple_Check(value.ptr())) bad_state("NoiseModel", "expected a tuple of channels");
    std::vector<NoiseChannel> out;
    for (nb::handle item : nb::borrow<nb::tuple>(value)) {
        nb::tuple t = state_tuple("NoiseModel", item, 2);
        const std::uint64_t kind = to_index(t[0], "state");
        if (kind > std::uint64_t(ChannelKind::ReadoutError)) bad_state("NoiseModel", "unknown channel kind");
        out.push_back({ChannelKind(kind), to_real(t[1], "state")});
    }
    return out;
}

NoiseModel saved_model(nb::handle value) {
    nb::tuple t = state_tuple("NoiseModel", value, 4);
    return NoiseModel{saved_channels(t[0]), saved_channels(t[1]), saved_channels(t[2]), saved_channels(t[3])};
}

bool noise_equal(const PyNoiseModel& a, const PyNoiseModel& b) { return models_equal(a.model, b.model); }

PyObject* noise_reduce(PyObject* self, PyObject*) noexcept {
    return guarded([&] {
        PyNoiseModel& n = self_of<PyNoiseModel>(self);
        SharedBorrow read(n.borrow);
        return reduce_with_state(self, model_state(n.model));
    });
}

PyObject* noise_setstate(PyObject* self, PyObject* state) noexcept {
    return guarded([&] {
        install<PyNoiseModel>(self, saved_model(state));
        Py_RETURN_NONE;
    });
}

// --- QuantumResult ---

bool results_equal(const PyQuantumResult& a, const PyQuantumResult& b) {
    return a.result.counts == b.result.counts && a.result.num_bits == b.result.num_bits &&
           a.result.total_shots == b.result.total_shots && same_bits(a.result.norm, b.result.norm);
}

PyObject* result_reduce(PyObject* self, PyObject*) noexcept {
    return guarded([&] {
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        nb::dict counts;
        for (const auto& [key, count] : r.result.counts) counts[nb::str(key.data(), key.size())] = count;
        return reduce_with_state(self, nb::make_tuple(counts, r.result.num_bits, r.result.total_shots, r.result.norm));
    });
}

/// Counts whose keys are num_bits characters of 0 and 1 and whose positive counts add up to total_shots.
QuantumResult saved_result(nb::handle value) {
    nb::tuple t = state_tuple("QuantumResult", value, 4);
    QuantumResult r{.counts = {},
                    .num_bits = to_index(t[1], "state"),
                    .total_shots = to_u32(t[2], "state"),
                    .norm = to_real(t[3], "state")};
    if (!PyDict_Check(t[0].ptr())) bad_state("QuantumResult", "expected a dict of counts");
    std::uint64_t sum = 0;
    for (auto [key, count] : nb::borrow<nb::dict>(t[0])) {
        std::string text(to_text(key, "state"));
        const std::uint32_t n = to_u32(count, "state");
        if (text.size() != r.num_bits || text.find_first_not_of("01") != std::string::npos || n == 0)
            bad_state("QuantumResult", "count " + std::to_string(n) + " of '" + text + "' does not fit the result");
        sum += n;
        r.counts.emplace(std::move(text), n);
    }
    if (sum != r.total_shots) bad_state("QuantumResult", "the counts do not add up to total_shots");
    return r;
}

PyObject* result_setstate(PyObject* self, PyObject* state) noexcept {
    return guarded([&] {
        install<PyQuantumResult>(self, saved_result(state));
        Py_RETURN_NONE;
    });
}

PyObject* result_norm(PyObject* self, void*) noexcept {
    return guarded([&] {
        PyQuantumResult& r = self_of<PyQuantumResult>(self);
        SharedBorrow read(r.borrow);
        return PyFloat_FromDouble(r.result.norm);
    });
}

// --- Simulator ---

PyObject* simulator_reduce(PyObject* self, PyObject*) noexcept {
    return guarded([&] {
        PySimulator& s = self_of<PySimulator>(self);
        SharedBorrow read(s.borrow);
        const SimulatorConfig& c = s.config;
        nb::object seed = c.seed ? nb::object(nb::int_(*c.seed)) : nb::none();
        nb::object state = nb::make_tuple(seed, int(c.backend.kind), c.backend.max_bond_dim, model_state(c.noise),
                                          nb::bool_(c.parallel));
        return reduce_with_state(self, state);
    });
}

PyObject* simulator_setstate(PyObject* self, PyObject* state) noexcept {
    return guarded([&] {
        nb::tuple t = state_tuple("Simulator", state, 5);
        SimulatorConfig c;
        c.seed = to_optional_index(t[0], "state");
        const std::uint64_t kind = to_index(t[1], "state");
        if (kind > std::uint64_t(BackendKind::Auto)) bad_state("Simulator", "unknown backend");
        c.backend = Backend{BackendKind(kind), to_index(t[2], "state")};
        c.noise = saved_model(t[3]);
        c.parallel = to_flag(t[4], "state");
        install<PySimulator>(self, std::move(c));
        Py_RETURN_NONE;
    });
}

PyObject* noise_eq(PyObject* a, PyObject* b) noexcept { return rich_compare<PyNoiseModel, noise_equal>(a, b, Py_EQ); }
PyObject* noise_ne(PyObject* a, PyObject* b) noexcept { return rich_compare<PyNoiseModel, noise_equal>(a, b, Py_NE); }
PyObject* result_eq(PyObject* a, PyObject* b) noexcept {
    return rich_compare<PyQuantumResult, results_equal>(a, b, Py_EQ);
}
PyObject* result_ne(PyObject* a, PyObject* b) noexcept {
    return rich_compare<PyQuantumResult, results_equal>(a, b, Py_NE);
}

PyMethodDef NOISE_METHODS[] = {
    {"__eq__", noise_eq, METH_O, "__eq__($self, other)\n--\n\nWhether both models hold the same channels."},
    {"__ne__", noise_ne, METH_O, "__ne__($self, other)\n--\n\n"},
    REDUCE.def(noise_reduce),
    {"__setstate__", noise_setstate, METH_O, "__setstate__($self, state)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyMethodDef RESULT_METHODS[] = {
    {"__eq__", result_eq, METH_O,
     "__eq__($self, other)\n--\n\nWhether both results hold the same counts, shots and norm."},
    {"__ne__", result_ne, METH_O, "__ne__($self, other)\n--\n\n"},
    REDUCE.def(result_reduce),
    {"__setstate__", result_setstate, METH_O, "__setstate__($self, state)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef RESULT_PROPERTIES[] = {
    {"norm", result_norm, nullptr,
     "Norm of the state the counts were drawn from: 1.0, except after a matrix-product-state run whose "
     "`max_bond_dim` cut off part of the state (the discarded weight is 1 - norm**2).",
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef SIMULATOR_METHODS[] = {
    REDUCE.def(simulator_reduce),
    {"__setstate__", simulator_setstate, METH_O, "__setstate__($self, state)\n--\n\n"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void add_simulation_surface(nb::module_& m) {
    attach(m.attr("NoiseModel"), NOISE_METHODS, nullptr);
    m.attr("NoiseModel").attr("__hash__") = nb::none();
    attach(m.attr("QuantumResult"), RESULT_METHODS, RESULT_PROPERTIES);
    m.attr("QuantumResult").attr("__hash__") = nb::none();
    attach(m.attr("Simulator"), SIMULATOR_METHODS, nullptr);
}

}  // namespace qelix::py
