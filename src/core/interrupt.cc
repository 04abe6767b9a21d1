#include "core/interrupt.h"

namespace qelix {

InterruptScope::InterruptScope(InterruptCheck check)
    : check_(check),
      previous_(detail::current_interrupt),
      next_ask_(std::chrono::steady_clock::now() + check.interval) {
    detail::current_interrupt = this;
}

InterruptScope::~InterruptScope() { detail::current_interrupt = previous_; }

bool InterruptScope::poll_clock() {
    budget_ = INTERRUPT_CLOCK_WORK;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_ask_ || check_.ask == nullptr) return false;
    next_ask_ = now + check_.interval;
    fired_ = check_.ask(check_.context);
    return fired_;
}

}  // namespace qelix
