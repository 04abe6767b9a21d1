#include "crypto/hash.h"

#include <openssl/evp.h>

#include <memory>

#include "core/error.h"

namespace qelix::crypto {

namespace {

enum class Algorithm { Sha3_256, Sha3_512, Shake128, Shake256 };

/// Fetched once: an explicit fetch skips OpenSSL's per-call provider lookup.
const EVP_MD* digest_of(Algorithm algorithm) {
    static const auto fetch = [](const char* name) {
        EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
        if (md == nullptr) throw InternalFault(std::string("OpenSSL lacks ") + name);
        return md;
    };
    switch (algorithm) {
        case Algorithm::Sha3_256: {
            static const EVP_MD* md = fetch("SHA3-256");
            return md;
        }
        case Algorithm::Sha3_512: {
            static const EVP_MD* md = fetch("SHA3-512");
            return md;
        }
        case Algorithm::Shake128: {
            static const EVP_MD* md = fetch("SHAKE128");
            return md;
        }
        case Algorithm::Shake256: {
            static const EVP_MD* md = fetch("SHAKE256");
            return md;
        }
    }
    throw InternalFault("unknown hash algorithm");
}

struct CtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
using Ctx = std::unique_ptr<EVP_MD_CTX, CtxFree>;

/// A context that has absorbed every part; freeing it wipes the sponge (the KEM tag absorbs a secret).
Ctx absorb(Algorithm algorithm, std::initializer_list<ByteView> parts) {
    Ctx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex2(ctx.get(), digest_of(algorithm), nullptr) != 1) {
        throw InternalFault("EVP digest initialisation failed");
    }
    for (ByteView part : parts) {
        if (EVP_DigestUpdate(ctx.get(), nonnull_data(part), part.size()) != 1) {
            throw InternalFault("EVP digest update failed");
        }
    }
    return ctx;
}

template <std::size_t N>
std::array<std::uint8_t, N> fixed_digest(Algorithm algorithm, std::initializer_list<ByteView> parts) {
    Ctx ctx = absorb(algorithm, parts);
    std::array<std::uint8_t, N> out;
    unsigned int written = 0;
    if (EVP_DigestFinal_ex(ctx.get(), out.data(), &written) != 1 || written != N) {
        throw InternalFault("EVP digest finalisation failed");
    }
    return out;
}

void squeeze(Algorithm algorithm, ByteView data, std::span<std::uint8_t> out) {
    if (out.empty()) return;
    Ctx ctx = absorb(algorithm, {data});
    if (EVP_DigestFinalXOF(ctx.get(), out.data(), out.size()) != 1) {
        throw InternalFault("EVP XOF finalisation failed");
    }
}

}  // namespace

Sha3_256Digest sha3_256(ByteView data) { return fixed_digest<32>(Algorithm::Sha3_256, {data}); }
Sha3_256Digest sha3_256_concat(std::initializer_list<ByteView> parts) {
    return fixed_digest<32>(Algorithm::Sha3_256, parts);
}
Sha3_512Digest sha3_512(ByteView data) { return fixed_digest<64>(Algorithm::Sha3_512, {data}); }
void shake128(ByteView data, std::span<std::uint8_t> out) { squeeze(Algorithm::Shake128, data, out); }
void shake256(ByteView data, std::span<std::uint8_t> out) { squeeze(Algorithm::Shake256, data, out); }

}  // namespace qelix::crypto
