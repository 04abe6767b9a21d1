#include "crypto/sign.h"

#include <algorithm>
#include <array>

#include "crypto/names.h"
#include "core/error.h"
#include "core/propagate.h"

// PQClean's headers are plain C without linkage guards.
extern "C" {
#include "crypto_sign/ml-dsa-65/clean/api.h"
#include "crypto_sign/sphincs-shake-128f-simple/clean/api.h"
}

namespace qelix::crypto {

namespace {

int ml_dsa_sign(std::uint8_t* sig, std::size_t* siglen, const std::uint8_t* m, std::size_t mlen,
                const std::uint8_t* sk) {
    static const std::uint8_t NO_CONTEXT = 0;
    return PQCLEAN_MLDSA65_CLEAN_crypto_sign_signature_ctx(sig, siglen, m, mlen, &NO_CONTEXT, 0, sk);
}

int ml_dsa_verify(const std::uint8_t* sig, std::size_t siglen, const std::uint8_t* m, std::size_t mlen,
                  const std::uint8_t* pk) {
    static const std::uint8_t NO_CONTEXT = 0;
    return PQCLEAN_MLDSA65_CLEAN_crypto_sign_verify_ctx(sig, siglen, m, mlen, &NO_CONTEXT, 0, pk);
}

struct Scheme {
    SignatureScheme scheme;
    std::uint8_t marker;
    std::size_t public_key_bytes;
    std::size_t secret_key_bytes;
    std::size_t max_signature_bytes;
    std::array<std::string_view, 5> names;  // empty entries never match a normalized name
    int (*keypair)(std::uint8_t* pk, std::uint8_t* sk);
    int (*sign)(std::uint8_t* sig, std::size_t* siglen, const std::uint8_t* m, std::size_t mlen,
                const std::uint8_t* sk);
    int (*verify)(const std::uint8_t* sig, std::size_t siglen, const std::uint8_t* m, std::size_t mlen,
                  const std::uint8_t* pk);
};

const std::array<Scheme, 2> SCHEMES = {{
    {SignatureScheme::MlDsa,
     0x01,
     PQCLEAN_MLDSA65_CLEAN_CRYPTO_PUBLICKEYBYTES,
     PQCLEAN_MLDSA65_CLEAN_CRYPTO_SECRETKEYBYTES,
     PQCLEAN_MLDSA65_CLEAN_CRYPTO_BYTES,
     {"ml_dsa", "ml-dsa", "mldsa", "dilithium", ""},
     PQCLEAN_MLDSA65_CLEAN_crypto_sign_keypair,
     ml_dsa_sign,
     ml_dsa_verify},
    {SignatureScheme::SlhDsa,
     0x02,
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_CRYPTO_PUBLICKEYBYTES,
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_CRYPTO_SECRETKEYBYTES,
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_CRYPTO_BYTES,
     {"slh_dsa", "slh-dsa", "slhdsa", "sphincs", "sphincs+"},
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_crypto_sign_keypair,
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_crypto_sign_signature,
     PQCLEAN_SPHINCSSHAKE128FSIMPLE_CLEAN_crypto_sign_verify},
}};

const Scheme& scheme_of(SignatureScheme scheme) { return SCHEMES[static_cast<std::size_t>(scheme)]; }

/// A parsed serialized object: its scheme and its raw part, borrowed from the caller's bytes.
struct Parsed {
    const Scheme* scheme;
    ByteView raw;
};

enum class ObjectKind { PublicKey, SecretKey, Signature };

/// Parses marker and length: keys have their exact length, a signature may be shorter (it then fails to verify).
CryptoResult<Parsed> parse(ByteView bytes, ObjectKind kind) {
    if (bytes.empty()) {
        const char* what = kind == ObjectKind::PublicKey   ? "serialized public key is empty"
                           : kind == ObjectKind::SecretKey ? "serialized secret key is empty"
                                                           : "serialized signature is empty";
        return std::unexpected(CryptoError::invalid_key_material(what));
    }
    auto found = std::ranges::find(SCHEMES, bytes[0], &Scheme::marker);
    if (found == SCHEMES.end()) {
        return std::unexpected(CryptoError::invalid_key_material("unknown signature scheme marker"));
    }
    ByteView raw = bytes.subspan(1);
    switch (kind) {
        case ObjectKind::PublicKey:
            if (raw.size() != found->public_key_bytes) {
                return std::unexpected(CryptoError::wrong_length("PublicKey", found->public_key_bytes, raw.size()));
            }
            break;
        case ObjectKind::SecretKey:
            if (raw.size() != found->secret_key_bytes) {
                return std::unexpected(CryptoError::wrong_length("SecretKey", found->secret_key_bytes, raw.size()));
            }
            break;
        case ObjectKind::Signature:
            if (raw.size() > found->max_signature_bytes) {
                return std::unexpected(
                    CryptoError::wrong_length("DetachedSignature", found->max_signature_bytes, raw.size()));
            }
            break;
    }
    return Parsed{&*found, raw};
}

void check_library(int rc, const char* what) {
    if (rc != 0) throw InternalFault(std::string("PQClean ") + what + " failed");
}

}  // namespace

CryptoResult<SignatureScheme> parse_signature_scheme(std::optional<std::string_view> name) {
    if (!name) return SignatureScheme::MlDsa;
    std::string normalized = normalize_name(*name);
    if (!normalized.empty()) {
        for (const Scheme& s : SCHEMES) {
            if (std::ranges::find(s.names, normalized) != s.names.end()) return s.scheme;
        }
    }
    return std::unexpected(CryptoError::unknown_signature_scheme(std::move(normalized)));
}

std::uint8_t signature_marker(SignatureScheme scheme) { return scheme_of(scheme).marker; }

SignKeyPair sign_keygen(SignatureScheme scheme) {
    const Scheme& s = scheme_of(scheme);
    SignKeyPair pair{Bytes(1 + s.public_key_bytes), SecretBytes(1 + s.secret_key_bytes)};
    pair.public_key[0] = s.marker;
    pair.secret_key.data()[0] = s.marker;
    check_library(s.keypair(pair.public_key.data() + 1, pair.secret_key.data() + 1), "signature key generation");
    return pair;
}

CryptoResult<Bytes> sign(ByteView secret_key, ByteView message) {
    auto key = parse(secret_key, ObjectKind::SecretKey);
    QELIX_TRY(key);
    const Scheme& s = *key->scheme;
    Bytes signature(1 + s.max_signature_bytes);
    signature[0] = s.marker;
    std::size_t length = 0;
    check_library(s.sign(signature.data() + 1, &length, nonnull_data(message), message.size(), key->raw.data()),
                  "signing");
    if (length > s.max_signature_bytes) throw InternalFault("signature longer than the scheme allows");
    signature.resize(1 + length);
    return signature;
}

CryptoResult<bool> verify(ByteView public_key, ByteView message, ByteView signature) {
    auto key = parse(public_key, ObjectKind::PublicKey);
    QELIX_TRY(key);
    auto sig = parse(signature, ObjectKind::Signature);
    QELIX_TRY(sig);
    if (key->scheme != sig->scheme) return false;
    const Scheme& s = *key->scheme;
    return s.verify(nonnull_data(sig->raw), sig->raw.size(), nonnull_data(message), message.size(), key->raw.data()) ==
           0;
}

}  // namespace qelix::crypto
