#include "crypto/names.h"

#include <gtest/gtest.h>

namespace qelix::crypto {
namespace {

TEST(NormalizeName, TrimsUnicodeWhiteSpaceAndFoldsOnlyAsciiLetters) {
    EXPECT_EQ(normalize_name("  Level3\t\n"), "level3");
    EXPECT_EQ(normalize_name("\u00a0\u2003ML-KEM-768\u3000\u2029"), "ml-kem-768");
    EXPECT_EQ(normalize_name("\x0b\x0c\r\u0085x\u1680"), "x");
    EXPECT_EQ(normalize_name("A B"), "a b");
    EXPECT_EQ(normalize_name("\u00c9T\u00c9"), "\u00c9t\u00c9");
    EXPECT_EQ(normalize_name(" \t "), "");
    EXPECT_EQ(normalize_name(""), "");
    // A zero-width space is not white space.
    EXPECT_EQ(normalize_name("\u200bx"), "\u200bx");
}

TEST(NormalizeName, KeepsMalformedUtf8WithoutReadingPastTheEnd) {
    EXPECT_EQ(normalize_name(" \xe3\x80"), "\xe3\x80");
    EXPECT_EQ(normalize_name("\xff "), "\xff");
    EXPECT_EQ(normalize_name("\x80\x80 a"), "\x80\x80 a");
}

}  // namespace
}  // namespace qelix::crypto
