#include "core/interrupt.h"

#include <gtest/gtest.h>

#include <thread>

using namespace qelix;

namespace {

/// A check that counts its questions and says stop from the `stop_at`-th on.
struct Counter {
    int asked = 0;
    int stop_at = 1;
    static bool ask(void* self) {
        auto* c = static_cast<Counter*>(self);
        return ++c->asked >= c->stop_at;
    }
    InterruptCheck check(std::chrono::steady_clock::duration interval = {}) { return {&Counter::ask, this, interval}; }
};

}  // namespace

TEST(Interrupt, NoScopeNeverStops) {
    EXPECT_FALSE(interrupted(INTERRUPT_CLOCK_WORK * 4));
    EXPECT_FALSE(interrupt_requested());
}

TEST(Interrupt, AsksOnlyOnceTheWorkBudgetIsSpent) {
    Counter counter{.stop_at = 3};
    InterruptScope scope(counter.check());
    for (std::int64_t done = 1024; done < INTERRUPT_CLOCK_WORK; done += 1024) EXPECT_FALSE(interrupted(1024));
    EXPECT_EQ(counter.asked, 0);
    EXPECT_FALSE(interrupted(1024));  // budget spent: first question, answered "go on"
    EXPECT_FALSE(interrupted(INTERRUPT_CLOCK_WORK));
    EXPECT_EQ(counter.asked, 2);
    EXPECT_FALSE(scope.fired());
    EXPECT_TRUE(interrupted(INTERRUPT_CLOCK_WORK));
    EXPECT_TRUE(scope.fired());
    // Sticky: later polls stop at once without asking again.
    EXPECT_TRUE(interrupted(1));
    EXPECT_TRUE(interrupt_requested());
    EXPECT_EQ(counter.asked, 3);
}

TEST(Interrupt, IntervalRateLimitsTheQuestions) {
    Counter counter{.stop_at = 1};
    InterruptScope scope(counter.check(std::chrono::hours(1)));
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(interrupted(INTERRUPT_CLOCK_WORK));
    EXPECT_EQ(counter.asked, 0);
}

TEST(Interrupt, ScopesNestAndStayOnTheirThread) {
    Counter outer{.stop_at = 1}, inner{.stop_at = 1000};
    InterruptScope a(outer.check());
    {
        InterruptScope b(inner.check());
        EXPECT_FALSE(interrupted(INTERRUPT_CLOCK_WORK));
        EXPECT_EQ(inner.asked, 1);
        bool other_thread = true;
        std::thread([&] { other_thread = interrupted(INTERRUPT_CLOCK_WORK) || interrupt_requested(); }).join();
        EXPECT_FALSE(other_thread);
    }
    EXPECT_EQ(outer.asked, 0);
    EXPECT_TRUE(interrupted(INTERRUPT_CLOCK_WORK));
    EXPECT_TRUE(a.fired());
}
