#include "quantum/qasm/expression.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "quantum/qasm/text.h"

namespace qelix::qasm {

namespace {

constexpr double PI = 3.141592653589793;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_name_char(char c) { return is_letter(c) || is_digit(c); }

/// The functions of the language, by name.
double (*function_named(std::string_view name))(double) {
    if (name == "sin") return [](double x) { return std::sin(x); };
    if (name == "cos") return [](double x) { return std::cos(x); };
    if (name == "tan") return [](double x) { return std::tan(x); };
    if (name == "exp") return [](double x) { return std::exp(x); };
    if (name == "ln") return [](double x) { return std::log(x); };
    if (name == "sqrt") return [](double x) { return std::sqrt(x); };
    return nullptr;
}

/// Digits with at most one '.', at least one digit, then an optional exponent "e[+-]digits".
bool is_decimal_literal(std::string_view s) {
    std::size_t i = 0, digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < s.size() && is_digit(s[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    return i == s.size();
}

/// Rough decimal magnitude of a valid literal, enough to tell overflow from underflow.
bool overflows(std::string_view s) {
    std::size_t e = s.find_first_of("eE");
    std::string_view mantissa = s.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = s.substr(e + 1);
        bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
        for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
        if (negative) exponent = -exponent;
    }
    std::size_t point = mantissa.find('.');
    std::string_view whole = mantissa.substr(0, point);
    std::size_t lead = whole.find_first_not_of('0');
    if (lead != std::string_view::npos) return exponent + static_cast<long long>(whole.size() - lead) > 0;
    // No significant digit before the point: the value is below 1 before the exponent.
    return exponent > 0 && point != std::string_view::npos &&
           exponent > static_cast<long long>(mantissa.substr(point + 1).find_first_not_of('0'));
}

double read_literal(std::string_view s) {
    double value = 0.0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) return overflows(s) ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

/// Recursive-descent reader over one parameter text.
class ExpressionReader {
   public:
    ExpressionReader(std::string_view text, const Bindings<double>& params) : s_(text), params_(params) {}

    std::expected<double, std::string> run() {
        double value = expression(0);
        skip_blanks();
        if (error_.empty() && pos_ != s_.size())
            error_ = "unexpected token in expression '" + std::string(trim(s_)) + "'";
        if (!error_.empty()) return std::unexpected(error_);
        return value;
    }

   private:
    void skip_blanks() {
        while (pos_ < s_.size() && is_blank(s_[pos_])) ++pos_;
    }
    bool failed() const { return !error_.empty(); }
    double fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
        return 0.0;
    }

    double expression(std::size_t depth) {
        double value = term(depth);
        while (!failed()) {
            skip_blanks();
            if (pos_ >= s_.size() || (s_[pos_] != '+' && s_[pos_] != '-')) break;
            char op = s_[pos_++];
            double rhs = term(depth);
            value = op == '+' ? value + rhs : value - rhs;
        }
        return value;
    }

    double term(std::size_t depth) {
        double value = factor(depth);
        while (!failed()) {
            skip_blanks();
            if (pos_ >= s_.size() || (s_[pos_] != '*' && s_[pos_] != '/')) break;
            char op = s_[pos_++];
            double rhs = factor(depth);
            value = op == '*' ? value * rhs : value / rhs;
        }
        return value;
    }

    double factor(std::size_t depth) {
        // Leading '+' signs are ignored and each '-' negates the rest of the factor; reading
        // them in a loop keeps long sign chains off the call stack.
        bool negate = false;
        for (skip_blanks(); pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-'); skip_blanks())
            negate ^= s_[pos_++] == '-';
        double value = power(depth);
        return negate ? -value : value;
    }

    /// primary ['^' factor]: right-associative, and binding tighter than a sign before it.
    double power(std::size_t depth) {
        double base = primary(depth);
        skip_blanks();
        if (failed() || pos_ >= s_.size() || s_[pos_] != '^') return base;
        if (depth + 1 > MAX_EXPRESSION_NESTING) return nested_too_deep();
        ++pos_;
        return std::pow(base, factor(depth + 1));
    }

    double nested_too_deep() {
        return fail("expression nested deeper than " + std::to_string(MAX_EXPRESSION_NESTING) + " parentheses");
    }

    /// "(" expression ")", the opening parenthesis at pos_.
    double parenthesised(std::size_t depth) {
        if (depth + 1 > MAX_EXPRESSION_NESTING) return nested_too_deep();
        ++pos_;
        double value = expression(depth + 1);
        if (failed()) return value;
        skip_blanks();
        if (pos_ >= s_.size() || s_[pos_] != ')') return fail("missing closing ')' in expression");
        ++pos_;
        return value;
    }

    /// pi, a function call or a parameter name, starting at pos_.
    double named(std::size_t depth) {
        std::size_t start = pos_;
        while (pos_ < s_.size() && is_name_char(s_[pos_])) ++pos_;
        std::string_view name = s_.substr(start, pos_ - start);
        if (name == "pi") return PI;
        if (const double* value = params_.find(name)) return *value;
        if (auto function = function_named(name)) {
            skip_blanks();
            if (pos_ < s_.size() && s_[pos_] == '(') {
                double argument = parenthesised(depth);
                return failed() ? argument : function(argument);
            }
        }
        return fail("unknown identifier '" + std::string(name) + "'");
    }

    double primary(std::size_t depth) {
        if (pos_ < s_.size() && s_[pos_] == '(') return parenthesised(depth);
        if (pos_ < s_.size() && is_letter(s_[pos_])) return named(depth);
        std::size_t start = pos_;
        while (pos_ < s_.size() && (is_digit(s_[pos_]) || s_[pos_] == '.')) ++pos_;
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            while (pos_ < s_.size() && is_digit(s_[pos_])) ++pos_;
        }
        std::string_view literal = s_.substr(start, pos_ - start);
        if (!is_decimal_literal(literal)) return fail("invalid numeric literal '" + std::string(literal) + "'");
        return read_literal(literal);
    }

    std::string_view s_;
    const Bindings<double>& params_;
    std::size_t pos_ = 0;
    std::string error_;
};

}  // namespace

std::expected<double, std::string> evaluate_expression(std::string_view text, const Bindings<double>& params) {
    return ExpressionReader(text, params).run();
}

}  // namespace qelix::qasm
