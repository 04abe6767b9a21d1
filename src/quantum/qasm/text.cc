#include "quantum/qasm/text.h"

namespace qelix::qasm {

std::string_view trim(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && is_blank(text[begin])) ++begin;
    while (end > begin && is_blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string to_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<std::string_view> comma_items(std::string_view text) {
    std::vector<std::string_view> items;
    comma_items(text, items);
    return items;
}

void comma_items(std::string_view text, std::vector<std::string_view>& items) {
    items.clear();
    std::size_t depth = 0, start = 0;
    auto take = [&](std::size_t end) {
        std::string_view item = trim(text.substr(start, end - start));
        if (!item.empty()) items.push_back(item);
        start = end + 1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth > 0) --depth;
        } else if (c == ',' && depth == 0) {
            take(i);
        }
    }
    take(text.size());
}

std::optional<std::pair<std::string_view, std::string_view>> split_head(std::string_view statement) {
    // Unlike comma items, a stray ')' here counts below zero, so "x)( q" splits after "x)(" and
    // its head is then refused for the ')' that comes before its '('.
    long long depth = 0;
    bool opened = false;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        char c = statement[i];
        if (c == '(') {
            ++depth;
            opened = true;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0 && is_blank(c)) {
            std::string_view rest = trim(statement.substr(i + 1));
            // An empty remainder means only blanks follow, so no later split can succeed either.
            if (rest.empty()) return std::nullopt;
            // "name (params) operands": the blanks before the parameter list belong to the head.
            if (!opened && rest.front() == '(') {
                i = static_cast<std::size_t>(rest.data() - statement.data()) - 1;
                continue;
            }
            return std::pair{trim(statement.substr(0, i)), rest};
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> after_keyword(std::string_view text, std::string_view word) {
    if (text.size() <= word.size() || !text.starts_with(word) || !is_blank(text[word.size()])) return std::nullopt;
    return trim(text.substr(word.size()));
}

std::optional<std::uint64_t> parse_unsigned(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool split_call_head(std::string_view head, CallHead& out) {
    std::size_t open = head.find('(');
    if (open == std::string_view::npos) {
        out.name = head;
        out.params.clear();
        return true;
    }
    std::size_t close = head.rfind(')');
    if (close == std::string_view::npos || close < open) return false;
    out.name = trim(head.substr(0, open));
    comma_items(head.substr(open + 1, close - open - 1), out.params);
    return true;
}

}  // namespace qelix::qasm
