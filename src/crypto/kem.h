#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "crypto/bytes.h"
#include "crypto/error.h"

namespace qelix::crypto {

/// ML-KEM parameter sets, by NIST security category.
enum class KemLevel { Level1, Level3, Level5 };

/// Serialized public key: marker byte, then the raw FIPS 203 encapsulation key.
/// Serialized secret key: marker byte, then the raw decapsulation key.
struct KemKeyPair {
    Bytes public_key;
    SecretBytes secret_key;
};

/// Serialized ciphertext (marker, integrity tag, raw ciphertext) and the shared secret it carries.
struct KemEncapsulation {
    Bytes ciphertext;
    SecretBytes shared_secret;
};

/// Length of a shared secret at every level.
inline constexpr std::size_t KEM_SHARED_SECRET_BYTES = 32;
/// Length of the integrity tag between the marker and the raw ciphertext.
inline constexpr std::size_t KEM_TAG_BYTES = 32;

/// The level a user-given name selects ("level3", "ML-KEM-768", " 3 ", ...); `std::nullopt` selects the default,
/// level 3.
CryptoResult<KemLevel> parse_kem_level(std::optional<std::string_view> name);
/// The marker byte of `level`: its NIST category number.
std::uint8_t kem_marker(KemLevel level);

/// A fresh key pair of `level`, from the operating system's random source.
KemKeyPair kem_keygen(KemLevel level);
/// Encapsulates a fresh shared secret to a serialized public key.
CryptoResult<KemEncapsulation> kem_encapsulate(ByteView public_key);
/// Recovers the shared secret of a serialized ciphertext with a serialized secret key; a
/// ciphertext that was damaged or made for another key fails the integrity check.
CryptoResult<SecretBytes> kem_decapsulate(ByteView secret_key, ByteView ciphertext);

}  // namespace qelix::crypto
