#include "crypto/error.h"

#include <utility>

#include "core/error.h"

namespace qelix::crypto {

CryptoError CryptoError::unknown_kem_level(std::string name) {
    return {CryptoErrorKind::UnknownKemLevel, std::move(name)};
}
CryptoError CryptoError::unknown_signature_scheme(std::string name) {
    return {CryptoErrorKind::UnknownSignatureScheme, std::move(name)};
}
CryptoError CryptoError::invalid_key_material(std::string detail) {
    return {CryptoErrorKind::InvalidKeyMaterial, std::move(detail)};
}
CryptoError CryptoError::wrong_length(const char* type, std::size_t want, std::size_t got) {
    return invalid_key_material("error: " + std::string(type) + " expected " + std::to_string(want) + " bytes, got " +
                                std::to_string(got));
}
CryptoError CryptoError::level_mismatch() { return {CryptoErrorKind::LevelMismatch, {}}; }
CryptoError CryptoError::integrity_check_failed() { return {CryptoErrorKind::IntegrityCheckFailed, {}}; }

bool CryptoError::is_decapsulation_failure() const {
    return kind == CryptoErrorKind::LevelMismatch || kind == CryptoErrorKind::IntegrityCheckFailed;
}

std::string CryptoError::message() const {
    switch (kind) {
        case CryptoErrorKind::UnknownKemLevel:
            return "unknown ML-KEM level '" + detail + "'; expected level1, level3, or level5";
        case CryptoErrorKind::UnknownSignatureScheme:
            return "unknown signature scheme '" + detail + "'; expected ml_dsa or slh_dsa";
        case CryptoErrorKind::InvalidKeyMaterial: return "invalid key material: " + detail;
        case CryptoErrorKind::LevelMismatch:
            return "invalid key material: key and ciphertext security levels do not match";
        case CryptoErrorKind::IntegrityCheckFailed: return "ciphertext integrity check failed";
    }
    throw InternalFault("unknown CryptoError kind");
}

}  // namespace qelix::crypto
