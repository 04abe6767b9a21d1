// libFuzzer target for the serialized signature keys and signatures (built and run by
// scripts/fuzz). The first byte picks what the rest becomes:
//   0: a public key, a message and a signature, split where the next bytes say, for verify;
//   1: damage (xor, truncation, extension) applied to a genuine signature, verified under its
//      own key and message;
//   2: damage applied to a genuine ML-DSA secret key, which then signs a message;
//   3: damage applied to a genuine public key, which then verifies the genuine signature.
// Besides surviving every input: only the undamaged signature verifies under the undamaged key.
// SPHINCS+ signing takes long under the sanitizers, so mode 2 signs with ML-DSA keys only.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>

#include "crypto/fuzz_support.h"
#include "crypto/sign.h"

using namespace qelix::crypto;

namespace {

const ByteView MESSAGE(reinterpret_cast<const std::uint8_t*>("fuzzed but fixed message"), 24);

/// A genuine key pair of one scheme and its signature of MESSAGE, made once from the fixed random stream.
struct Genuine {
    SignKeyPair keys;
    Bytes signature;
};

const Genuine& genuine(SignatureScheme scheme) {
    static const std::array<Genuine, 2> all = [] {
        auto make = [](SignatureScheme s) {
            SignKeyPair keys = sign_keygen(s);
            Bytes signature = sign(keys.secret_key.view(), MESSAGE).value();
            return Genuine{std::move(keys), std::move(signature)};
        };
        return std::array<Genuine, 2>{make(SignatureScheme::MlDsa), make(SignatureScheme::SlhDsa)};
    }();
    return all[static_cast<std::size_t>(scheme)];
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::use_fixed_random();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    int mode = in.ConsumeIntegralInRange(0, 3);
    if (mode == 0) {
        std::size_t key_end = in.ConsumeIntegral<std::uint16_t>();
        std::size_t message_end = in.ConsumeIntegral<std::uint16_t>();
        Bytes rest = in.ConsumeRemainingBytes<std::uint8_t>();
        key_end = std::min(key_end, rest.size());
        message_end = std::clamp(message_end, key_end, rest.size());
        ByteView all(rest);
        (void)verify(all.first(key_end), all.subspan(key_end, message_end - key_end), all.subspan(message_end));
        return 0;
    }
    auto scheme = mode == 2 ? SignatureScheme::MlDsa : static_cast<SignatureScheme>(in.ConsumeIntegralInRange(0, 1));
    const Genuine& g = genuine(scheme);
    if (mode == 1) {
        Bytes signature = damaged(g.signature, in);
        auto valid = verify(g.keys.public_key, MESSAGE, signature);
        if (valid && *valid != same(signature, g.signature))
            fuzzing::fail("verify accepted a damaged signature or refused the genuine one");
        if (!valid && same(signature, g.signature)) fuzzing::fail("a genuine signature did not parse");
    } else if (mode == 2) {
        Bytes secret_key = damaged(g.keys.secret_key.view(), in);
        auto signature = sign(secret_key, MESSAGE);
        if (signature && (signature->empty() || (*signature)[0] != secret_key[0]))
            fuzzing::fail("signing with a parsed key gave a malformed signature");
    } else {
        Bytes public_key = damaged(g.keys.public_key, in);
        auto valid = verify(public_key, MESSAGE, g.signature);
        if (valid && *valid && !same(public_key, g.keys.public_key)) fuzzing::fail("a damaged public key verified");
    }
    return 0;
}
