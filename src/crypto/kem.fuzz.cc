// libFuzzer target for the serialized ML-KEM formats (built and run by scripts/fuzz). The first
// byte picks what the rest becomes:
//   0: a public key for kem_encapsulate;
//   1: a secret key and a ciphertext, split where the next two bytes say, for kem_decapsulate;
//   2: damage (xor, truncation, extension) applied to a genuine ciphertext, decapsulated with
//      its own secret key;
//   3: damage applied to a genuine secret key, used on its genuine ciphertext.
// Besides surviving every input, decapsulation must never return a secret other than the one
// that was encapsulated, and must return it for an undamaged pair.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "crypto/fuzz_support.h"
#include "crypto/kem.h"

using namespace qelix::crypto;

namespace {

/// A genuine key pair and encapsulation of one level, made once from the fixed random stream.
struct Genuine {
    KemKeyPair keys;
    KemEncapsulation sealed;
};

const Genuine& genuine(KemLevel level) {
    static const std::array<Genuine, 3> all = [] {
        auto make = [](KemLevel l) {
            KemKeyPair keys = kem_keygen(l);
            KemEncapsulation sealed = kem_encapsulate(keys.public_key).value();
            return Genuine{std::move(keys), std::move(sealed)};
        };
        return std::array<Genuine, 3>{make(KemLevel::Level1), make(KemLevel::Level3), make(KemLevel::Level5)};
    }();
    return all[static_cast<std::size_t>(level)];
}

/// `original` with the provider's bytes xored in at a chosen offset, then cut or extended to a chosen length.
Bytes damaged(ByteView original, FuzzedDataProvider& in) {
    Bytes out(original.begin(), original.end());
    std::size_t offset = in.ConsumeIntegralInRange<std::size_t>(0, out.size());
    std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, out.size() + 64);
    Bytes mask = in.ConsumeRemainingBytes<std::uint8_t>();
    out.resize(std::max(length, out.size()), 0);
    for (std::size_t i = 0; i < mask.size() && offset + i < out.size(); ++i) out[offset + i] ^= mask[i];
    out.resize(length);
    return out;
}

bool same(ByteView a, ByteView b) { return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin()); }

void check_decapsulation(const Genuine& g, ByteView secret_key, ByteView ciphertext) {
    auto secret = kem_decapsulate(secret_key, ciphertext);
    if (secret) {
        if (!same(secret->view(), g.sealed.shared_secret.view()))
            fuzzing::fail("decapsulation returned another secret");
    } else if (same(secret_key, g.keys.secret_key.view()) && same(ciphertext, g.sealed.ciphertext)) {
        fuzzing::fail("a genuine ciphertext did not decapsulate");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::use_fixed_random();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    int mode = in.ConsumeIntegralInRange(0, 3);
    switch (mode) {
        case 0: {
            Bytes key = in.ConsumeRemainingBytes<std::uint8_t>();
            auto sealed = kem_encapsulate(key);
            if (sealed && (sealed->ciphertext.empty() || sealed->ciphertext[0] != key[0] ||
                           sealed->shared_secret.size() != KEM_SHARED_SECRET_BYTES))
                fuzzing::fail("encapsulation to a parsed key gave a malformed result");
            break;
        }
        case 1: {
            std::size_t split = in.ConsumeIntegral<std::uint16_t>();
            Bytes rest = in.ConsumeRemainingBytes<std::uint8_t>();
            split = std::min(split, rest.size());
            ByteView all(rest);
            (void)kem_decapsulate(all.first(split), all.subspan(split));
            break;
        }
        default: {
            const Genuine& g = genuine(static_cast<KemLevel>(in.ConsumeIntegralInRange(0, 2)));
            if (mode == 2) {
                Bytes ciphertext = damaged(g.sealed.ciphertext, in);
                check_decapsulation(g, g.keys.secret_key.view(), ciphertext);
            } else {
                Bytes secret_key = damaged(g.keys.secret_key.view(), in);
                check_decapsulation(g, secret_key, g.sealed.ciphertext);
            }
            break;
        }
    }
    return 0;
}
