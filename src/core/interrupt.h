#pragma once
// Stopping long calls early. The core never knows who asks: a caller installs a check
// for its own thread (the Python binding asks the interpreter for pending signals), and
// long loops poll between steps of work (gates, shots, iterations), never inside a
// kernel. A loop told to stop returns an `Interrupted` error value, or stops early and
// leaves its caller to look at interrupt_requested().
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace qelix {

/// Work units (roughly one amplitude update each) between two reads of the clock, so
/// that polling costs nothing next to the work even in loops of tiny steps.
inline constexpr std::int64_t INTERRUPT_CLOCK_WORK = std::int64_t{1} << 16;

/// Elements between two polls in loops over a whole state (one pass over 2^26 amplitudes
/// takes a good part of a second).
inline constexpr std::size_t INTERRUPT_POLL_CHUNK = std::size_t{1} << 16;

/// The question a caller lets long calls ask: `ask(context)` is true when the call should stop.
struct InterruptCheck {
    bool (*ask)(void* context) = nullptr;
    void* context = nullptr;
    /// Least time between two questions (the answer's latency on top of one step of work).
    std::chrono::steady_clock::duration interval = std::chrono::milliseconds(50);
};

/// Installs a check for the calling thread for the scope's lifetime; scopes nest, the
/// innermost answering. Worker threads never see it: only the calling thread polls.
class InterruptScope {
   public:
    explicit InterruptScope(InterruptCheck check);
    ~InterruptScope();
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

    /// True once the check has asked to stop; it stays true.
    bool fired() const { return fired_; }

   private:
    friend bool interrupted(std::int64_t work);
    /// Reads the clock and, once the interval has passed, asks the check.
    bool poll_clock();

    InterruptCheck check_;
    InterruptScope* previous_;
    std::int64_t budget_ = INTERRUPT_CLOCK_WORK;
    std::chrono::steady_clock::time_point next_ask_;
    bool fired_ = false;
};

namespace detail {
/// The innermost scope of the calling thread, or none.
inline thread_local InterruptScope* current_interrupt = nullptr;
}  // namespace detail

/// Called by long loops after a step of about `work` units: true when the current call
/// should stop (now, or already earlier in the same scope). Always false without a scope.
inline bool interrupted(std::int64_t work) {
    InterruptScope* scope = detail::current_interrupt;
    if (scope == nullptr) return false;
    if (scope->fired_) return true;
    scope->budget_ -= work;
    return scope->budget_ <= 0 && scope->poll_clock();
}

/// True when the calling thread has an interrupt check installed.
inline bool interrupt_installed() { return detail::current_interrupt != nullptr; }

/// True when the current call was told to stop, for callers of loops that stop early.
inline bool interrupt_requested() {
    const InterruptScope* scope = detail::current_interrupt;
    return scope != nullptr && scope->fired();
}

}  // namespace qelix
