#pragma once
#include <cstddef>
#include <expected>
#include <string>

namespace qelix::crypto {

/// Kinds of failure of the cryptography functions.
enum class CryptoErrorKind {
    UnknownKemLevel,         ///< A security level name that names no ML-KEM parameter set.
    UnknownSignatureScheme,  ///< A scheme name that names no signature scheme.
    InvalidKeyMaterial,      ///< A serialized key, ciphertext or signature that does not parse.
    LevelMismatch,           ///< Decapsulation with a key and ciphertext of different levels.
    IntegrityCheckFailed,    ///< A ciphertext whose tag does not match the decapsulated secret.
};

/// A cryptography error: a kind and its detail text (the name or the parse problem).
struct CryptoError {
    CryptoErrorKind kind;
    std::string detail;

    /// "unknown ML-KEM level '{name}'; expected level1, level3, or level5".
    static CryptoError unknown_kem_level(std::string name);
    /// "unknown signature scheme '{name}'; expected ml_dsa or slh_dsa".
    static CryptoError unknown_signature_scheme(std::string name);
    /// "invalid key material: {detail}".
    static CryptoError invalid_key_material(std::string detail);
    /// Raw-length failure: "invalid key material: error: {type} expected {want} bytes, got {got}".
    static CryptoError wrong_length(const char* type, std::size_t want, std::size_t got);
    /// "invalid key material: key and ciphertext security levels do not match".
    static CryptoError level_mismatch();
    /// "ciphertext integrity check failed".
    static CryptoError integrity_check_failed();

    /// True for the failures of the decapsulation step itself (as opposed to bad arguments).
    bool is_decapsulation_failure() const;
    /// The user-facing message of this error.
    std::string message() const;
    bool operator==(const CryptoError&) const = default;
};

/// A value or a cryptography error.
template <class T>
using CryptoResult = std::expected<T, CryptoError>;

}  // namespace qelix::crypto
