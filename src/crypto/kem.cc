#include "crypto/kem.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <array>

#include "crypto/hash.h"
#include "crypto/names.h"
#include "core/error.h"
#include "core/propagate.h"

// PQClean's headers are plain C without linkage guards.
extern "C" {
#include "crypto_kem/ml-kem-1024/clean/api.h"
#include "crypto_kem/ml-kem-512/clean/api.h"
#include "crypto_kem/ml-kem-768/clean/api.h"
}

namespace qelix::crypto {

namespace {

struct ParameterSet {
    KemLevel level;
    std::uint8_t marker;
    std::size_t public_key_bytes;
    std::size_t secret_key_bytes;
    std::size_t ciphertext_bytes;
    std::array<std::string_view, 5> names;
    int (*keypair)(std::uint8_t* pk, std::uint8_t* sk);
    int (*enc)(std::uint8_t* ct, std::uint8_t* ss, const std::uint8_t* pk);
    int (*dec)(std::uint8_t* ss, const std::uint8_t* ct, const std::uint8_t* sk);
};

constexpr std::array<ParameterSet, 3> PARAMETER_SETS = {{
    {KemLevel::Level1,
     0x01,
     PQCLEAN_MLKEM512_CLEAN_CRYPTO_PUBLICKEYBYTES,
     PQCLEAN_MLKEM512_CLEAN_CRYPTO_SECRETKEYBYTES,
     PQCLEAN_MLKEM512_CLEAN_CRYPTO_CIPHERTEXTBYTES,
     {"1", "level1", "level_1", "mlkem512", "ml-kem-512"},
     PQCLEAN_MLKEM512_CLEAN_crypto_kem_keypair,
     PQCLEAN_MLKEM512_CLEAN_crypto_kem_enc,
     PQCLEAN_MLKEM512_CLEAN_crypto_kem_dec},
    {KemLevel::Level3,
     0x03,
     PQCLEAN_MLKEM768_CLEAN_CRYPTO_PUBLICKEYBYTES,
     PQCLEAN_MLKEM768_CLEAN_CRYPTO_SECRETKEYBYTES,
     PQCLEAN_MLKEM768_CLEAN_CRYPTO_CIPHERTEXTBYTES,
     {"3", "level3", "level_3", "mlkem768", "ml-kem-768"},
     PQCLEAN_MLKEM768_CLEAN_crypto_kem_keypair,
     PQCLEAN_MLKEM768_CLEAN_crypto_kem_enc,
     PQCLEAN_MLKEM768_CLEAN_crypto_kem_dec},
    {KemLevel::Level5,
     0x05,
     PQCLEAN_MLKEM1024_CLEAN_CRYPTO_PUBLICKEYBYTES,
     PQCLEAN_MLKEM1024_CLEAN_CRYPTO_SECRETKEYBYTES,
     PQCLEAN_MLKEM1024_CLEAN_CRYPTO_CIPHERTEXTBYTES,
     {"5", "level5", "level_5", "mlkem1024", "ml-kem-1024"},
     PQCLEAN_MLKEM1024_CLEAN_crypto_kem_keypair,
     PQCLEAN_MLKEM1024_CLEAN_crypto_kem_enc,
     PQCLEAN_MLKEM1024_CLEAN_crypto_kem_dec},
}};
static_assert(PQCLEAN_MLKEM512_CLEAN_CRYPTO_BYTES == KEM_SHARED_SECRET_BYTES);
static_assert(PQCLEAN_MLKEM768_CLEAN_CRYPTO_BYTES == KEM_SHARED_SECRET_BYTES);
static_assert(PQCLEAN_MLKEM1024_CLEAN_CRYPTO_BYTES == KEM_SHARED_SECRET_BYTES);

const ParameterSet& parameters(KemLevel level) { return PARAMETER_SETS[static_cast<std::size_t>(level)]; }

/// The raw part of a parsed serialized object, borrowed from the caller's bytes.
struct Parsed {
    const ParameterSet* params;
    ByteView raw;
};

CryptoResult<const ParameterSet*> parse_marker(std::uint8_t marker) {
    for (const ParameterSet& p : PARAMETER_SETS) {
        if (p.marker == marker) return &p;
    }
    return std::unexpected(CryptoError::invalid_key_material("unknown ML-KEM security level marker"));
}

enum class KeyKind { Public, Secret };

CryptoResult<Parsed> parse_key(ByteView bytes, KeyKind kind) {
    bool is_public = kind == KeyKind::Public;
    if (bytes.empty()) {
        return std::unexpected(CryptoError::invalid_key_material(is_public ? "serialized public key is empty"
                                                                           : "serialized secret key is empty"));
    }
    auto params = parse_marker(bytes[0]);
    QELIX_TRY(params);
    ByteView raw = bytes.subspan(1);
    std::size_t want = is_public ? (*params)->public_key_bytes : (*params)->secret_key_bytes;
    if (raw.size() != want) {
        return std::unexpected(CryptoError::wrong_length(is_public ? "PublicKey" : "SecretKey", want, raw.size()));
    }
    return Parsed{*params, raw};
}

/// A parsed ciphertext: its level, the stored tag and the raw ciphertext.
struct ParsedCiphertext {
    const ParameterSet* params;
    ByteView tag;
    ByteView raw;
};

CryptoResult<ParsedCiphertext> parse_ciphertext(ByteView bytes) {
    if (bytes.empty()) return std::unexpected(CryptoError::invalid_key_material("serialized ciphertext is empty"));
    if (bytes.size() <= KEM_TAG_BYTES) {
        return std::unexpected(
            CryptoError::invalid_key_material("serialized ciphertext is missing integrity tag bytes"));
    }
    auto params = parse_marker(bytes[0]);
    QELIX_TRY(params);
    ByteView tag = bytes.subspan(1, KEM_TAG_BYTES);
    ByteView raw = bytes.subspan(1 + KEM_TAG_BYTES);
    if (raw.size() != (*params)->ciphertext_bytes) {
        return std::unexpected(CryptoError::wrong_length("Ciphertext", (*params)->ciphertext_bytes, raw.size()));
    }
    return ParsedCiphertext{*params, tag, raw};
}

// Key confirmation: only a holder of the shared secret can reproduce this value.
Sha3_256Digest integrity_tag(std::uint8_t marker, ByteView shared_secret, ByteView raw_ciphertext) {
    return sha3_256_concat({ByteView(&marker, 1), shared_secret, raw_ciphertext});
}

void check_library(int rc, const char* what) {
    if (rc != 0) throw InternalFault(std::string("PQClean ") + what + " failed");
}

}  // namespace

CryptoResult<KemLevel> parse_kem_level(std::optional<std::string_view> name) {
    if (!name) return KemLevel::Level3;
    std::string normalized = normalize_name(*name);
    for (const ParameterSet& p : PARAMETER_SETS) {
        if (std::ranges::find(p.names, normalized) != p.names.end()) return p.level;
    }
    return std::unexpected(CryptoError::unknown_kem_level(std::move(normalized)));
}

std::uint8_t kem_marker(KemLevel level) { return parameters(level).marker; }

KemKeyPair kem_keygen(KemLevel level) {
    const ParameterSet& p = parameters(level);
    KemKeyPair pair{Bytes(1 + p.public_key_bytes), SecretBytes(1 + p.secret_key_bytes)};
    pair.public_key[0] = p.marker;
    pair.secret_key.data()[0] = p.marker;
    check_library(p.keypair(pair.public_key.data() + 1, pair.secret_key.data() + 1), "ML-KEM key generation");
    return pair;
}

CryptoResult<KemEncapsulation> kem_encapsulate(ByteView public_key) {
    auto key = parse_key(public_key, KeyKind::Public);
    QELIX_TRY(key);
    const ParameterSet& p = *key->params;
    // Write the raw ciphertext straight into its place behind the marker and the tag.
    KemEncapsulation out{Bytes(1 + KEM_TAG_BYTES + p.ciphertext_bytes), SecretBytes(KEM_SHARED_SECRET_BYTES)};
    std::uint8_t* raw_ct = out.ciphertext.data() + 1 + KEM_TAG_BYTES;
    check_library(p.enc(raw_ct, out.shared_secret.data(), key->raw.data()), "ML-KEM encapsulation");
    out.ciphertext[0] = p.marker;
    Sha3_256Digest tag = integrity_tag(p.marker, out.shared_secret.view(), ByteView(raw_ct, p.ciphertext_bytes));
    std::ranges::copy(tag, out.ciphertext.begin() + 1);
    return out;
}

CryptoResult<SecretBytes> kem_decapsulate(ByteView secret_key, ByteView ciphertext) {
    auto key = parse_key(secret_key, KeyKind::Secret);
    QELIX_TRY(key);
    auto ct = parse_ciphertext(ciphertext);
    QELIX_TRY(ct);
    if (key->params != ct->params) return std::unexpected(CryptoError::level_mismatch());
    const ParameterSet& p = *key->params;

    SecretBytes shared_secret(KEM_SHARED_SECRET_BYTES);
    // Implicit rejection: a bad ciphertext still yields 32 (pseudo-random) bytes, which
    // the tag comparison below then refuses.
    check_library(p.dec(shared_secret.data(), ct->raw.data(), key->raw.data()), "ML-KEM decapsulation");
    Sha3_256Digest expected = integrity_tag(p.marker, shared_secret.view(), ct->raw);
    bool match = CRYPTO_memcmp(expected.data(), ct->tag.data(), KEM_TAG_BYTES) == 0;
    OPENSSL_cleanse(expected.data(), expected.size());
    if (!match) return std::unexpected(CryptoError::integrity_check_failed());
    return shared_secret;
}

}  // namespace qelix::crypto
