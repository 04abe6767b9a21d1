#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "crypto/bytes.h"
#include "crypto/error.h"

namespace qelix::crypto {

/// ML-KEM parameter sets, by NIST security category.
enum class KemLevel { Level1, Level3, Level5 };

/// A serialized key pair: each key is a marker byte, then the raw FIPS 203 key.
struct KemKeyPair {
    Bytes public_key;        ///< Marker byte, then the raw encapsulation key.
    SecretBytes secret_key;  ///< Marker byte, then the raw decapsulation key.
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

/// The level a user-given name selects ("level3", "ML-KEM-768", " 3 ", ...); `std::nullopt` selects level 3.
CryptoResult<KemLevel> parse_kem_level(std::optional<std::string_view> name);
/// The marker byte of `level`: its NIST category number.
std::uint8_t kem_marker(KemLevel level);

/// A fresh key pair of `level`, from the operating system's random source.
KemKeyPair kem_keygen(KemLevel level);
/// Encapsulates a fresh shared secret to a serialized public key.
CryptoResult<KemEncapsulation> kem_encapsulate(ByteView public_key);
/// The shared secret of a serialized ciphertext; a damaged one, or one for another key, fails the integrity check.
CryptoResult<SecretBytes> kem_decapsulate(ByteView secret_key, ByteView ciphertext);

}  // namespace qelix::crypto
