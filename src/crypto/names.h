#pragma once
#include <string>
#include <string_view>

namespace qelix::crypto {

/// A user-given level or scheme name as it is compared: leading and trailing Unicode
/// white space removed, ASCII letters lower-cased (other characters kept as they are).
std::string normalize_name(std::string_view utf8);

}  // namespace qelix::crypto
