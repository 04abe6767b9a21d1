#include "python/crypto.h"

#include <string>

#include "crypto/hash.h"
#include "crypto/kem.h"
#include "crypto/qrng.h"
#include "quantum/simulator/measurement_source.h"
#include "crypto/sign.h"
#include "python/convert.h"
#include "python/errors.h"
#include "python/method.h"
#include "python/release.h"
#include "quantum/statevector/memory.h"

namespace qelix::py {

namespace {

using crypto::ByteView;
using crypto::CryptoResult;

/// Hash inputs (and outputs) from this size on are processed without the interpreter
/// lock; below it, giving the lock up would cost more than the hashing.
constexpr std::size_t RELEASE_MIN_BYTES = std::size_t{1} << 16;

/// The value of a crypto result. A failure of the decapsulation step itself (level
/// mismatch, integrity check) is a RuntimeError; bad names and bad key material are ValueError.
template <class T>
T unwrap_crypto(CryptoResult<T> result) {
    if (!result) {
        raise(result.error().is_decapsulation_failure() ? PyExc_RuntimeError : PyExc_ValueError,
              result.error().message());
    }
    return std::move(*result);
}

/// Refuses a caller-sized output of `count` items of `item_bytes` each before anything
/// is allocated: over-committed memory would take the process down instead of raising.
void check_allocatable(std::uint64_t count, std::uint64_t item_bytes) {
    if (count > (std::uint64_t(PY_SSIZE_T_MAX) - 64) / item_bytes || !can_provide(count * item_bytes)) {
        raise(PyExc_MemoryError, "cannot allocate an output of " + std::to_string(count) + " items");
    }
}

PyObject* new_bytes(ByteView data) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(data.data()), Py_ssize_t(data.size()));
}

PyObject* new_bytes(const crypto::SecretBytes& data) { return new_bytes(data.view()); }

/// A new bytes object of `size` bytes that `fill` writes in place.
template <class F>
PyObject* new_bytes_filled(std::uint64_t size, F&& fill) {
    check_allocatable(size, 1);
    nb::object out = nb::steal(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(size)));
    if (!out.is_valid()) throw nb::python_error();
    fill(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(PyBytes_AsString(out.ptr())), size));
    return out.release().ptr();
}

PyObject* pair(PyObject* first, PyObject* second) {
    nb::object a = nb::steal(first), b = nb::steal(second);
    if (!a.is_valid() || !b.is_valid()) throw nb::python_error();
    return PyTuple_Pack(2, a.ptr(), b.ptr());
}

PyObject* kem_keygen(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("kem_keygen", {"level"}, 0);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        crypto::KemLevel level = unwrap_crypto(crypto::parse_kem_level(to_optional_text(a[0], "level")));
        crypto::KemKeyPair keys = released([&] { return crypto::kem_keygen(level); });
        return pair(new_bytes(keys.public_key), new_bytes(keys.secret_key));
    });
}

PyObject* kem_encapsulate(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("kem_encapsulate", {"public_key"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView public_key = to_bytes(a[0], "public_key");
        crypto::KemEncapsulation enc = unwrap_crypto(released([&] { return crypto::kem_encapsulate(public_key); }));
        return pair(new_bytes(enc.ciphertext), new_bytes(enc.shared_secret));
    });
}

PyObject* kem_decapsulate(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params("kem_decapsulate", {"secret_key", "ciphertext"}, 2);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView secret_key = to_bytes(a[0], "secret_key");
        ByteView ciphertext = to_bytes(a[1], "ciphertext");
        return new_bytes(unwrap_crypto(released([&] { return crypto::kem_decapsulate(secret_key, ciphertext); })));
    });
}

PyObject* sign_keygen(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("sign_keygen", {"scheme"}, 0);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        auto scheme = unwrap_crypto(crypto::parse_signature_scheme(to_optional_text(a[0], "scheme")));
        crypto::SignKeyPair keys = released([&] { return crypto::sign_keygen(scheme); });
        return pair(new_bytes(keys.public_key), new_bytes(keys.secret_key));
    });
}

PyObject* sign(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params("sign", {"secret_key", "message"}, 2);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView secret_key = to_bytes(a[0], "secret_key");
        ByteView message = to_bytes(a[1], "message");
        return new_bytes(unwrap_crypto(released([&] { return crypto::sign(secret_key, message); })));
    });
}

PyObject* verify(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<3> params("verify", {"public_key", "message", "signature"}, 3);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView public_key = to_bytes(a[0], "public_key");
        ByteView message = to_bytes(a[1], "message");
        ByteView signature = to_bytes(a[2], "signature");
        return PyBool_FromLong(unwrap_crypto(released([&] { return crypto::verify(public_key, message, signature); })));
    });
}

template <Name name, auto Digest>
PyObject* digest(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params(name.text, {"data"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView data = to_bytes(a[0], "data");
        auto out = data.size() < RELEASE_MIN_BYTES ? Digest(data) : released([&] { return Digest(data); });
        return new_bytes(ByteView(out));
    });
}

template <Name name, void (*Squeeze)(ByteView, std::span<std::uint8_t>)>
PyObject* xof(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<2> params(name.text, {"data", "output_len"}, 2);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        ByteView data = to_bytes(a[0], "data");
        std::uint64_t output_len = to_index(a[1], "output_len");
        return new_bytes_filled(output_len, [&](std::span<std::uint8_t> out) {
            if (data.size() + out.size() < RELEASE_MIN_BYTES) return Squeeze(data, out);
            // The output is a new bytes object no other thread can see yet.
            released([&] { return (Squeeze(data, out), 0); });
        });
    });
}

crypto::Sha3_256Digest sha3_256_of(ByteView data) { return crypto::sha3_256(data); }
crypto::Sha3_512Digest sha3_512_of(ByteView data) { return crypto::sha3_512(data); }

// The quantum source serves every batch size the random functions ask for.
static_assert(crypto::MAX_BATCH_QUBITS <= MAX_SOURCE_QUBITS);

PyObject* random_bytes(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("random_bytes", {"n"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        std::uint64_t n = to_index(a[0], "n");
        // The packed bytes, then their copy in the result.
        check_allocatable(n, 2);
        return new_bytes(released([&] { return crypto::generate_bytes(n, measurement_source()); }));
    });
}

PyObject* random_bits(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    static const Parameters<1> params("random_bits", {"n"}, 1);
    return guarded([&] {
        auto a = params.bind(args, kwargs);
        std::uint64_t n = to_index(a[0], "n");
        // One byte per bit, then one list slot per bit.
        check_allocatable(n, 1 + sizeof(PyObject*));
        std::vector<std::uint8_t> bits = released([&] { return crypto::generate_bits(n, measurement_source()); });
        nb::object list = nb::steal(PyList_New(Py_ssize_t(bits.size())));
        if (!list.is_valid()) throw nb::python_error();
        for (std::size_t i = 0; i < bits.size(); ++i) {
            PyObject* bit = PyLong_FromLong(bits[i]);
            if (!bit) throw nb::python_error();
            PyList_SetItem(list.ptr(), Py_ssize_t(i), bit);
            check_signals(i);
        }
        return list.release().ptr();
    });
}

PyObject* random_seed(PyObject*, PyObject*) noexcept {
    return guarded([&] {
        auto seed = crypto::generate_seed(measurement_source());
        return new_bytes(ByteView(seed));
    });
}

PyObject* random_u64(PyObject*, PyObject*) noexcept {
    return guarded([&] { return PyLong_FromUnsignedLongLong(crypto::generate_u64(measurement_source())); });
}

PyMethodDef FUNCTIONS[] = {
    method_def("kem_keygen", kem_keygen, "kem_keygen(level=None)\n--\n\n"),
    method_def("kem_encapsulate", kem_encapsulate, "kem_encapsulate(public_key)\n--\n\n"),
    method_def("kem_decapsulate", kem_decapsulate, "kem_decapsulate(secret_key, ciphertext)\n--\n\n"),
    method_def("sign_keygen", sign_keygen, "sign_keygen(scheme=None)\n--\n\n"),
    method_def("sign", sign, "sign(secret_key, message)\n--\n\n"),
    method_def("verify", verify, "verify(public_key, message, signature)\n--\n\n"),
    method_def("sha3_256", digest<"sha3_256", sha3_256_of>, "sha3_256(data)\n--\n\n"),
    method_def("sha3_512", digest<"sha3_512", sha3_512_of>, "sha3_512(data)\n--\n\n"),
    method_def("shake128", xof<"shake128", crypto::shake128>, "shake128(data, output_len)\n--\n\n"),
    method_def("shake256", xof<"shake256", crypto::shake256>, "shake256(data, output_len)\n--\n\n"),
    method_def("random_bytes", random_bytes, "random_bytes(n)\n--\n\n"),
    method_def("random_bits", random_bits, "random_bits(n)\n--\n\n"),
    method_def("random_seed", random_seed, "random_seed()\n--\n\n"),
    method_def("random_u64", random_u64, "random_u64()\n--\n\n"),
};

}  // namespace

void bind_crypto(nb::module_& m) {
    // A plain module, not a package entry: reachable as qelix.crypto only.
    nb::module_ sub = nb::steal<nb::module_>(PyModule_New("crypto"));
    if (!sub.is_valid()) throw nb::python_error();
    sub.attr("__all__") = nb::list();
    for (PyMethodDef& def : FUNCTIONS) add_function(sub, def);
    export_name(m, "crypto", sub);
}

}  // namespace qelix::py
