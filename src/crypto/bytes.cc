#include "crypto/bytes.h"

#include <utility>

#include <openssl/crypto.h>

namespace qelix::crypto {

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        OPENSSL_cleanse(bytes_.data(), bytes_.size());
        bytes_ = std::move(other.bytes_);
    }
    return *this;
}

SecretBytes::~SecretBytes() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }

}  // namespace qelix::crypto
