#pragma once
// Error propagation for functions that return std::expected: the early return that
// every caller of a fallible step would otherwise spell out by hand.
#include <expected>
#include <utility>

/// Evaluates `expr` (a std::expected); when it holds an error, returns that error from the
/// enclosing function (whose result must hold the same error type), else carries on.
#define QELIX_TRY(expr)                                                                     \
    do {                                                                                    \
        if (auto&& qelix_try_ = (expr); !qelix_try_)                                        \
            return std::unexpected(std::forward<decltype(qelix_try_)>(qelix_try_).error()); \
    } while (false)

/// QELIX_TRY for a step with another error type: returns `convert(error)` instead.
#define QELIX_TRY_MAP(expr, convert)                                                                 \
    do {                                                                                             \
        if (auto&& qelix_try_ = (expr); !qelix_try_)                                                 \
            return std::unexpected(convert(std::forward<decltype(qelix_try_)>(qelix_try_).error())); \
    } while (false)
