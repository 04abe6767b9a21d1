#pragma once
#include <string>
#include <string_view>

namespace qelix::crypto {

/// A user-given name as it is compared: Unicode white space trimmed, ASCII letters lower-cased, the rest kept.
std::string normalize_name(std::string_view utf8);

}  // namespace qelix::crypto
