#pragma once
// Long work runs without the interpreter lock and answers Ctrl-C. The binding converts
// its arguments first (copies, or shared borrows of the instances, whose flags other
// threads respect), runs the core call through `released`, then builds the Python result
// with the lock held again. While the call runs, other Python threads go on, and on the
// main thread an interrupt check takes the lock back every CHECK_INTERVAL to run the
// interpreter's signal handlers: a KeyboardInterrupt stops the core at its next poll.
#include <nanobind/nanobind.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>

#include "core/interrupt.h"

namespace qelix::py {

namespace nb = nanobind;

/// Least time between two looks at pending signals during a released call.
inline constexpr std::chrono::milliseconds CHECK_INTERVAL{50};

/// Notes which thread is the interpreter's main thread (at import, with the lock held).
void remember_main_thread();

/// The interpreter lock given up for the guard's lifetime (taken back on destruction),
/// with an interrupt check installed on the main thread.
class ReleasedLock {
   public:
    ReleasedLock();
    ~ReleasedLock();
    ReleasedLock(const ReleasedLock&) = delete;
    ReleasedLock& operator=(const ReleasedLock&) = delete;

    /// Takes the lock back and raises what a signal handler raised during the call.
    void finish();

   private:
    /// The interrupt check: runs the signal handlers with the lock held; true when one raised.
    static bool ask(void* self);

    PyThreadState* state_ = nullptr;
    /// Installed on the main thread only: other threads never run signal handlers.
    std::optional<InterruptScope> scope_;
};

/// Runs `work`, which must not touch any Python object, without the interpreter lock;
/// raises KeyboardInterrupt (or whatever a signal handler raised) if one stopped it.
template <class F>
auto released(F&& work) {
    ReleasedLock lock;
    auto result = std::forward<F>(work)();
    lock.finish();
    return result;
}

/// Runs pending signal handlers every `stride` calls (`count` counting them), raising
/// what they raise: for long loops that must hold the lock, such as building big lists.
inline void check_signals(std::size_t count, std::size_t stride = std::size_t{1} << 16) {
    if (count % stride == stride - 1 && PyErr_CheckSignals() != 0) throw nb::python_error();
}

}  // namespace qelix::py
