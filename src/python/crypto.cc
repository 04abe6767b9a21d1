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
#include "quantum/statevector/memory.h"

namespace qelix::py {

namespace {

using crypto::ByteView;
using crypto::CryptoResult;

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

// Signatures of the functions below (the submodule's table).
const Signature KEM_KEYGEN("kem_keygen", {{"level", "None"}});
const Signature KEM_ENCAPSULATE("kem_encapsulate", {"public_key"});
const Signature KEM_DECAPSULATE("kem_decapsulate", {"secret_key", "ciphertext"});
const Signature SIGN_KEYGEN("sign_keygen", {{"scheme", "None"}});
const Signature SIGN("sign", {"secret_key", "message"});
const Signature VERIFY("verify", {"public_key", "message", "signature"});
const Signature SHA3_256("sha3_256", {"data"});
const Signature SHA3_512("sha3_512", {"data"});
const Signature SHAKE128("shake128", {"data", "output_len"});
const Signature SHAKE256("shake256", {"data", "output_len"});
const Signature RANDOM_BYTES("random_bytes", {"n"});
const Signature RANDOM_BITS("random_bits", {"n"});
const Signature RANDOM_SEED("random_seed", {});
const Signature RANDOM_U64("random_u64", {});

PyObject* pair(PyObject* first, PyObject* second) {
    nb::object a = nb::steal(first), b = nb::steal(second);
    if (!a.is_valid() || !b.is_valid()) throw nb::python_error();
    return PyTuple_Pack(2, a.ptr(), b.ptr());
}

PyObject* kem_keygen(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = KEM_KEYGEN.bind(args, kwargs);
        crypto::KemLevel level = unwrap_crypto(crypto::parse_kem_level(a.get(0, to_optional_text)));
        crypto::KemKeyPair keys = crypto::kem_keygen(level);
        return pair(new_bytes(keys.public_key), new_bytes(keys.secret_key));
    });
}

PyObject* kem_encapsulate(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = KEM_ENCAPSULATE.bind(args, kwargs);
        crypto::KemEncapsulation enc = unwrap_crypto(crypto::kem_encapsulate(a.get(0, to_bytes)));
        return pair(new_bytes(enc.ciphertext), new_bytes(enc.shared_secret));
    });
}

PyObject* kem_decapsulate(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = KEM_DECAPSULATE.bind(args, kwargs);
        ByteView secret_key = a.get(0, to_bytes);
        ByteView ciphertext = a.get(1, to_bytes);
        return new_bytes(unwrap_crypto(crypto::kem_decapsulate(secret_key, ciphertext)));
    });
}

PyObject* sign_keygen(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SIGN_KEYGEN.bind(args, kwargs);
        auto scheme = unwrap_crypto(crypto::parse_signature_scheme(a.get(0, to_optional_text)));
        crypto::SignKeyPair keys = crypto::sign_keygen(scheme);
        return pair(new_bytes(keys.public_key), new_bytes(keys.secret_key));
    });
}

PyObject* sign(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SIGN.bind(args, kwargs);
        ByteView secret_key = a.get(0, to_bytes);
        ByteView message = a.get(1, to_bytes);
        return new_bytes(unwrap_crypto(crypto::sign(secret_key, message)));
    });
}

PyObject* verify(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = VERIFY.bind(args, kwargs);
        ByteView public_key = a.get(0, to_bytes);
        ByteView message = a.get(1, to_bytes);
        ByteView signature = a.get(2, to_bytes);
        return PyBool_FromLong(unwrap_crypto(crypto::verify(public_key, message, signature)));
    });
}

template <const Signature& SIG, auto Digest>
PyObject* digest(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SIG.bind(args, kwargs);
        auto out = Digest(a.get(0, to_bytes));
        return new_bytes(ByteView(out));
    });
}

template <const Signature& SIG, void (*Squeeze)(ByteView, std::span<std::uint8_t>)>
PyObject* xof(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = SIG.bind(args, kwargs);
        ByteView data = a.get(0, to_bytes);
        std::uint64_t output_len = a.index(1);
        return new_bytes_filled(output_len, [&](std::span<std::uint8_t> out) { Squeeze(data, out); });
    });
}

crypto::Sha3_256Digest sha3_256_of(ByteView data) { return crypto::sha3_256(data); }
crypto::Sha3_512Digest sha3_512_of(ByteView data) { return crypto::sha3_512(data); }

// The quantum source serves every batch size the random functions ask for.
static_assert(crypto::MAX_BATCH_QUBITS <= MAX_SOURCE_QUBITS);

PyObject* random_bytes(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = RANDOM_BYTES.bind(args, kwargs);
        std::uint64_t n = a.index(0);
        // The packed bytes, then their copy in the result.
        check_allocatable(n, 2);
        return new_bytes(crypto::generate_bytes(n, measurement_source()));
    });
}

PyObject* random_bits(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&] {
        Args a = RANDOM_BITS.bind(args, kwargs);
        std::uint64_t n = a.index(0);
        // One byte per bit, then one list slot per bit.
        check_allocatable(n, 1 + sizeof(PyObject*));
        std::vector<std::uint8_t> bits = crypto::generate_bits(n, measurement_source());
        nb::object list = nb::steal(PyList_New(Py_ssize_t(bits.size())));
        if (!list.is_valid()) throw nb::python_error();
        for (std::size_t i = 0; i < bits.size(); ++i) {
            PyObject* bit = PyLong_FromLong(bits[i]);
            if (!bit) throw nb::python_error();
            PyList_SetItem(list.ptr(), Py_ssize_t(i), bit);
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
    KEM_KEYGEN.def(kem_keygen),
    KEM_ENCAPSULATE.def(kem_encapsulate),
    KEM_DECAPSULATE.def(kem_decapsulate),
    SIGN_KEYGEN.def(sign_keygen),
    SIGN.def(sign),
    VERIFY.def(verify),
    SHA3_256.def(digest<SHA3_256, sha3_256_of>),
    SHA3_512.def(digest<SHA3_512, sha3_512_of>),
    SHAKE128.def(xof<SHAKE128, crypto::shake128>),
    SHAKE256.def(xof<SHAKE256, crypto::shake256>),
    RANDOM_BYTES.def(random_bytes),
    RANDOM_BITS.def(random_bits),
    RANDOM_SEED.def(random_seed),
    RANDOM_U64.def(random_u64),
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
