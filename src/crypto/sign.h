#pragma once
#include <optional>
#include <string_view>

#include "crypto/bytes.h"
#include "crypto/error.h"

namespace qelix::crypto {

/// Signature schemes: ML-DSA-65 and SPHINCS+-SHAKE-128f-simple.
enum class SignatureScheme { MlDsa, SlhDsa };

/// Serialized public and secret key: a scheme marker byte, then the raw key.
struct SignKeyPair {
    Bytes public_key;
    SecretBytes secret_key;
};

/// The scheme a user-given name selects ("ml_dsa", "SPHINCS+", ...); `std::nullopt` selects ML-DSA.
CryptoResult<SignatureScheme> parse_signature_scheme(std::optional<std::string_view> name);
/// The marker byte of `scheme`.
std::uint8_t signature_marker(SignatureScheme scheme);

/// A fresh key pair of `scheme`, from the operating system's random source.
SignKeyPair sign_keygen(SignatureScheme scheme);
/// The serialized detached signature of `message` (ML-DSA with an empty context string).
CryptoResult<Bytes> sign(ByteView secret_key, ByteView message);
/// Whether `signature` signs `message` under `public_key`: unparsable input is an error, a failed check `false`.
CryptoResult<bool> verify(ByteView public_key, ByteView message, ByteView signature);

}  // namespace qelix::crypto
