#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qelix::crypto {

/// An owned byte string (public data: keys, ciphertexts, signatures, digests).
using Bytes = std::vector<std::uint8_t>;
/// A borrowed read-only byte string (caller data read in place).
using ByteView = std::span<const std::uint8_t>;

/// An owned byte string of secret data, wiped when destroyed; its size is fixed so no reallocation leaves copies.
class SecretBytes {
   public:
    /// `size` zero bytes.
    explicit SecretBytes(std::size_t size) : bytes_(size) {}
    SecretBytes(SecretBytes&&) noexcept = default;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes();

    /// Pointer to the first byte.
    std::uint8_t* data() { return bytes_.data(); }
    /// Pointer to the first byte.
    const std::uint8_t* data() const { return bytes_.data(); }
    /// Number of bytes.
    std::size_t size() const { return bytes_.size(); }
    /// Read-only view of the bytes.
    ByteView view() const { return bytes_; }
    /// Writable view of the bytes.
    std::span<std::uint8_t> span() { return bytes_; }

   private:
    std::vector<std::uint8_t> bytes_;
};

/// Pointer usable for a byte range that may be empty (never null, unlike an empty span's data()).
inline const std::uint8_t* nonnull_data(ByteView bytes) {
    static const std::uint8_t NOTHING = 0;
    return bytes.empty() ? &NOTHING : bytes.data();
}

}  // namespace qelix::crypto
