#include "crypto/kem.h"

#include <gtest/gtest.h>

#include "crypto/test_util.h"

namespace qelix::crypto {
namespace {

struct LevelSizes {
    KemLevel level;
    std::uint8_t marker;
    std::size_t public_key, secret_key, ciphertext;
};
const LevelSizes LEVELS[] = {
    {KemLevel::Level1, 0x01, 801, 1633, 801},
    {KemLevel::Level3, 0x03, 1185, 2401, 1121},
    {KemLevel::Level5, 0x05, 1569, 3169, 1601},
};

Bytes copy(const SecretBytes& s) { return Bytes(s.data(), s.data() + s.size()); }

std::string error_of(const auto& result) {
    return result.has_value() ? std::string("<no error>") : result.error().message();
}

TEST(KemLevelNames, AcceptEveryAliasAfterTrimmingAndLowerCasing) {
    const std::pair<const char*, KemLevel> cases[] = {
        {"1", KemLevel::Level1},          {"level1", KemLevel::Level1},     {"LEVEL_1", KemLevel::Level1},
        {"mlkem512", KemLevel::Level1},   {"ML-KEM-512", KemLevel::Level1}, {"3", KemLevel::Level3},
        {" level3\t", KemLevel::Level3},  {"level_3", KemLevel::Level3},    {"MLKEM768", KemLevel::Level3},
        {"ml-kem-768", KemLevel::Level3}, {"5", KemLevel::Level5},          {"\u3000Level5\u00a0", KemLevel::Level5},
        {"level_5", KemLevel::Level5},    {"mlkem1024", KemLevel::Level5},  {"ML-KEM-1024\n", KemLevel::Level5},
    };
    for (auto [name, level] : cases) EXPECT_EQ(parse_kem_level(name), level) << name;
    EXPECT_EQ(parse_kem_level(std::nullopt), KemLevel::Level3);
}

TEST(KemLevelNames, UnknownNameIsReportedTrimmedAndLowerCased) {
    EXPECT_EQ(error_of(parse_kem_level("  Level2 ")),
              "unknown ML-KEM level 'level2'; expected level1, level3, or level5");
    EXPECT_EQ(error_of(parse_kem_level("")), "unknown ML-KEM level ''; expected level1, level3, or level5");
    // Only ASCII letters are folded, and inner blanks are kept.
    EXPECT_EQ(error_of(parse_kem_level("LEVEL 3")),
              "unknown ML-KEM level 'level 3'; expected level1, level3, or level5");
    EXPECT_EQ(parse_kem_level("x").error().kind, CryptoErrorKind::UnknownKemLevel);
}

TEST(Kem, ExchangeAtEveryLevelAgreesOnTheSecret) {
    for (const LevelSizes& l : LEVELS) {
        KemKeyPair keys = kem_keygen(l.level);
        ASSERT_EQ(keys.public_key.size(), l.public_key);
        ASSERT_EQ(keys.secret_key.size(), l.secret_key);
        EXPECT_EQ(keys.public_key[0], l.marker);
        EXPECT_EQ(keys.secret_key.data()[0], l.marker);
        EXPECT_EQ(kem_marker(l.level), l.marker);

        auto enc = kem_encapsulate(keys.public_key);
        ASSERT_TRUE(enc.has_value()) << error_of(enc);
        ASSERT_EQ(enc->ciphertext.size(), l.ciphertext);
        EXPECT_EQ(enc->ciphertext[0], l.marker);
        ASSERT_EQ(enc->shared_secret.size(), 32u);

        auto dec = kem_decapsulate(keys.secret_key.view(), enc->ciphertext);
        ASSERT_TRUE(dec.has_value()) << error_of(dec);
        EXPECT_EQ(copy(*dec), copy(enc->shared_secret));
    }
}

TEST(Kem, FreshKeysAndSecretsDiffer) {
    KemKeyPair a = kem_keygen(KemLevel::Level1), b = kem_keygen(KemLevel::Level1);
    EXPECT_NE(a.public_key, b.public_key);
    auto x = kem_encapsulate(a.public_key), y = kem_encapsulate(a.public_key);
    EXPECT_NE(copy(x->shared_secret), copy(y->shared_secret));
    EXPECT_NE(x->ciphertext, y->ciphertext);
}

TEST(Kem, EveryFlippedBitOfTagOrCiphertextFailsTheIntegrityCheck) {
    KemKeyPair keys = kem_keygen(KemLevel::Level1);
    Bytes ct = kem_encapsulate(keys.public_key)->ciphertext;
    // Every bit of the tag, and a stride of bits through the raw ciphertext.
    std::vector<std::size_t> bits;
    for (std::size_t bit = 8; bit < 8 * 33; ++bit) bits.push_back(bit);
    for (std::size_t bit = 8 * 33; bit < 8 * ct.size(); bit += 37) bits.push_back(bit);
    bits.push_back(8 * ct.size() - 1);
    for (std::size_t bit : bits) {
        Bytes damaged = ct;
        damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
        auto result = kem_decapsulate(keys.secret_key.view(), damaged);
        ASSERT_FALSE(result.has_value()) << "bit " << bit;
        EXPECT_EQ(result.error(), CryptoError::integrity_check_failed()) << "bit " << bit;
    }
}

TEST(Kem, AnotherKeyOfTheSameLevelFailsTheIntegrityCheck) {
    KemKeyPair alice = kem_keygen(KemLevel::Level3), mallory = kem_keygen(KemLevel::Level3);
    auto enc = kem_encapsulate(alice.public_key);
    auto result = kem_decapsulate(mallory.secret_key.view(), enc->ciphertext);
    EXPECT_EQ(error_of(result), "ciphertext integrity check failed");
    EXPECT_TRUE(result.error().is_decapsulation_failure());
}

TEST(Kem, KeyAndCiphertextOfDifferentLevelsAreRefusedBeforeDecapsulating) {
    KemKeyPair one = kem_keygen(KemLevel::Level1), three = kem_keygen(KemLevel::Level3);
    auto result = kem_decapsulate(one.secret_key.view(), kem_encapsulate(three.public_key)->ciphertext);
    EXPECT_EQ(error_of(result), "invalid key material: key and ciphertext security levels do not match");
    EXPECT_TRUE(result.error().is_decapsulation_failure());
}

TEST(Kem, MalformedPublicKeysGiveTheirParseErrors) {
    KemKeyPair keys = kem_keygen(KemLevel::Level3);
    ByteView pk = keys.public_key;
    Bytes bad_marker(pk.begin(), pk.end());
    bad_marker[0] = 0x02;
    EXPECT_EQ(error_of(kem_encapsulate(ByteView{})), "invalid key material: serialized public key is empty");
    EXPECT_EQ(error_of(kem_encapsulate(bad_marker)), "invalid key material: unknown ML-KEM security level marker");
    EXPECT_EQ(error_of(kem_encapsulate(pk.first(pk.size() - 1))),
              "invalid key material: error: PublicKey expected 1184 bytes, got 1183");
    EXPECT_EQ(error_of(kem_encapsulate(pk.first(1))),
              "invalid key material: error: PublicKey expected 1184 bytes, got 0");
    EXPECT_EQ(error_of(kem_encapsulate(keys.secret_key.view())),
              "invalid key material: error: PublicKey expected 1184 bytes, got 2400");
    EXPECT_FALSE(kem_encapsulate(ByteView{}).error().is_decapsulation_failure());
}

TEST(Kem, MalformedSecretKeysAndCiphertextsGiveTheirParseErrors) {
    KemKeyPair keys = kem_keygen(KemLevel::Level3);
    Bytes ct = kem_encapsulate(keys.public_key)->ciphertext;
    ByteView sk = keys.secret_key.view();
    EXPECT_EQ(error_of(kem_decapsulate(ByteView{}, ct)), "invalid key material: serialized secret key is empty");
    EXPECT_EQ(error_of(kem_decapsulate(keys.public_key, ct)),
              "invalid key material: error: SecretKey expected 2400 bytes, got 1184");
    EXPECT_EQ(error_of(kem_decapsulate(sk, ByteView{})), "invalid key material: serialized ciphertext is empty");
    Bytes short_ct(32, 0x03);
    EXPECT_EQ(error_of(kem_decapsulate(sk, short_ct)),
              "invalid key material: serialized ciphertext is missing integrity tag bytes");
    Bytes tag_only(33, 0);
    tag_only[0] = 0x01;
    EXPECT_EQ(error_of(kem_decapsulate(sk, tag_only)),
              "invalid key material: error: Ciphertext expected 768 bytes, got 0");
    tag_only[0] = 0x04;
    EXPECT_EQ(error_of(kem_decapsulate(sk, tag_only)), "invalid key material: unknown ML-KEM security level marker");
    Bytes long_ct = ct;
    long_ct.push_back(0);
    EXPECT_EQ(error_of(kem_decapsulate(sk, long_ct)),
              "invalid key material: error: Ciphertext expected 1088 bytes, got 1089");
    // The secret key is checked before the ciphertext.
    EXPECT_EQ(error_of(kem_decapsulate(ByteView{}, ByteView{})),
              "invalid key material: serialized secret key is empty");
    // A malformed ciphertext is a bad argument even when the levels also differ.
    EXPECT_FALSE(kem_decapsulate(sk, tag_only).error().is_decapsulation_failure());
}

}  // namespace
}  // namespace qelix::crypto
