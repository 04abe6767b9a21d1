#include "crypto/names.h"

#include <cstdint>
#include <utility>

namespace qelix::crypto {

namespace {

/// Code points with the Unicode White_Space property.
bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

/// Length of the UTF-8 sequence starting with `lead`, 0 for a continuation byte.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

// The code point of the sequence at `text[pos]` with its length, or length 0 when the
// bytes there are not a complete sequence (then it is not white space either).
std::pair<char32_t, std::size_t> decode_at(std::string_view text, std::size_t pos) {
    auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t len = sequence_length(lead);
    if (len == 0 || pos + len > text.size()) return {0, 0};
    if (len == 1) return {lead, 1};
    char32_t c = lead & (0x7F >> len);
    for (std::size_t i = 1; i < len; ++i) {
        auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (next & 0x3F);
    }
    return {c, len};
}

}  // namespace

std::string normalize_name(std::string_view utf8) {
    std::size_t begin = 0;
    while (begin < utf8.size()) {
        auto [c, len] = decode_at(utf8, begin);
        if (len == 0 || !is_white_space(c)) break;
        begin += len;
    }
    // Walk forward to find where the trailing run of white space starts: UTF-8 cannot
    // be decoded backwards without re-synchronising, and names are short.
    std::size_t end = begin;
    for (std::size_t pos = begin; pos < utf8.size();) {
        auto [c, len] = decode_at(utf8, pos);
        if (len == 0) len = 1;
        pos += len;
        if (!is_white_space(c)) end = pos;
    }
    std::string out(utf8.substr(begin, end - begin));
    for (char& ch : out) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return out;
}

}  // namespace qelix::crypto
