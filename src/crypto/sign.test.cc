#include "crypto/sign.h"

#include <gtest/gtest.h>

#include "crypto/test_util.h"

namespace qelix::crypto {
namespace {

using testing::ascii;

std::string error_of(const auto& result) {
    return result.has_value() ? std::string("<no error>") : result.error().message();
}

TEST(SignatureSchemeNames, AcceptEveryAliasAfterTrimmingAndLowerCasing) {
    for (const char* name : {"ml_dsa", "ML-DSA", " mldsa ", "Dilithium"}) {
        EXPECT_EQ(parse_signature_scheme(name), SignatureScheme::MlDsa) << name;
    }
    for (const char* name : {"slh_dsa", "SLH-DSA", "slhdsa", "sphincs", " SPHINCS+ "}) {
        EXPECT_EQ(parse_signature_scheme(name), SignatureScheme::SlhDsa) << name;
    }
    EXPECT_EQ(parse_signature_scheme(std::nullopt), SignatureScheme::MlDsa);
    EXPECT_EQ(error_of(parse_signature_scheme(" RSA ")), "unknown signature scheme 'rsa'; expected ml_dsa or slh_dsa");
    EXPECT_EQ(error_of(parse_signature_scheme("")), "unknown signature scheme ''; expected ml_dsa or slh_dsa");
}

struct SchemeSizes {
    SignatureScheme scheme;
    std::uint8_t marker;
    std::size_t public_key, secret_key, signature;
};
const SchemeSizes SCHEMES[] = {
    {SignatureScheme::MlDsa, 0x01, 1953, 4033, 3310},
    {SignatureScheme::SlhDsa, 0x02, 33, 65, 17089},
};

TEST(Sign, SignaturesVerifyOnlyForTheirMessageAndKey) {
    for (const SchemeSizes& s : SCHEMES) {
        SignKeyPair keys = sign_keygen(s.scheme), other = sign_keygen(s.scheme);
        ASSERT_EQ(keys.public_key.size(), s.public_key);
        ASSERT_EQ(keys.secret_key.size(), s.secret_key);
        EXPECT_EQ(keys.public_key[0], s.marker);
        EXPECT_EQ(keys.secret_key.data()[0], s.marker);
        EXPECT_EQ(signature_marker(s.scheme), s.marker);

        auto sig = sign(keys.secret_key.view(), ascii("attack at dawn"));
        ASSERT_TRUE(sig.has_value()) << error_of(sig);
        EXPECT_EQ(sig->size(), s.signature);
        EXPECT_EQ((*sig)[0], s.marker);
        EXPECT_EQ(verify(keys.public_key, ascii("attack at dawn"), *sig), true);
        EXPECT_EQ(verify(keys.public_key, ascii("attack at dusk"), *sig), false);
        EXPECT_EQ(verify(other.public_key, ascii("attack at dawn"), *sig), false);

        Bytes damaged = *sig;
        damaged[damaged.size() / 2] ^= 0x10;
        EXPECT_EQ(verify(keys.public_key, ascii("attack at dawn"), damaged), false);
        Bytes truncated(sig->begin(), sig->end() - 1);
        EXPECT_EQ(verify(keys.public_key, ascii("attack at dawn"), truncated), false);
        EXPECT_EQ(verify(keys.public_key, ascii("attack at dawn"), ByteView(*sig).first(1)), false);

        auto empty_sig = sign(keys.secret_key.view(), ByteView{});
        EXPECT_EQ(verify(keys.public_key, ByteView{}, *empty_sig), true);
    }
}

TEST(Sign, SchemeMismatchIsAFailedVerificationNotAnError) {
    SignKeyPair ml = sign_keygen(SignatureScheme::MlDsa), slh = sign_keygen(SignatureScheme::SlhDsa);
    auto sig = sign(ml.secret_key.view(), ascii("m"));
    EXPECT_EQ(verify(slh.public_key, ascii("m"), *sig), false);
}

TEST(Sign, MalformedKeysAndSignaturesGiveTheirParseErrors) {
    SignKeyPair keys = sign_keygen(SignatureScheme::MlDsa);
    ByteView sk = keys.secret_key.view();
    Bytes sig = *sign(sk, ascii("m"));

    EXPECT_EQ(error_of(sign(ByteView{}, ascii("m"))), "invalid key material: serialized secret key is empty");
    EXPECT_EQ(error_of(sign(sk.first(sk.size() - 1), ascii("m"))),
              "invalid key material: error: SecretKey expected 4032 bytes, got 4031");
    Bytes marker3(sk.begin(), sk.end());
    marker3[0] = 0x03;
    EXPECT_EQ(error_of(sign(marker3, ascii("m"))), "invalid key material: unknown signature scheme marker");

    EXPECT_EQ(error_of(verify(ByteView{}, ascii("m"), sig)), "invalid key material: serialized public key is empty");
    EXPECT_EQ(error_of(verify(sk, ascii("m"), sig)),
              "invalid key material: error: PublicKey expected 1952 bytes, got 4032");
    EXPECT_EQ(error_of(verify(keys.public_key, ascii("m"), ByteView{})),
              "invalid key material: serialized signature is empty");
    Bytes sig3 = sig;
    sig3[0] = 0x03;
    EXPECT_EQ(error_of(verify(keys.public_key, ascii("m"), sig3)),
              "invalid key material: unknown signature scheme marker");
    Bytes too_long = sig;
    too_long.push_back(0);
    EXPECT_EQ(error_of(verify(keys.public_key, ascii("m"), too_long)),
              "invalid key material: error: DetachedSignature expected 3309 bytes, got 3310");
    // The public key is checked before the signature.
    EXPECT_EQ(error_of(verify(ByteView{}, ascii("m"), ByteView{})),
              "invalid key material: serialized public key is empty");

    Bytes slh_long(1 + 17089, 0);
    slh_long[0] = 0x02;
    SignKeyPair slh = sign_keygen(SignatureScheme::SlhDsa);
    EXPECT_EQ(error_of(verify(slh.public_key, ascii("m"), slh_long)),
              "invalid key material: error: DetachedSignature expected 17088 bytes, got 17089");
    EXPECT_EQ(error_of(sign(slh.public_key, ascii("m"))),
              "invalid key material: error: SecretKey expected 64 bytes, got 32");
}

}  // namespace
}  // namespace qelix::crypto
