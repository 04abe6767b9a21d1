#include "quantum/statevector/parallel.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace qelix {

namespace {

/// States below this many amplitudes (19 qubits) run on the calling thread: measured beside
/// other busy processes, the pool gained nothing below it and lost up to a tenth at 16 to
/// 18 qubits, where a whole gate takes a few tens of microseconds (bench/threads).
constexpr std::size_t MIN_PARALLEL_AMPLITUDES = std::size_t{1} << 19;
/// How long a worker that found no block keeps polling for the next job before it sleeps:
/// long enough to catch the next gate of a circuit, short enough not to take a shared core
/// from the caller or from other programs for long.
constexpr std::chrono::microseconds IDLE_SPIN{50};
/// How long the caller polls for blocks still running elsewhere before it sleeps, which
/// frees its core for a descheduled worker to finish them.
constexpr std::chrono::microseconds JOIN_SPIN{20};
/// A job whose caller waited longer than this share of it for blocks other threads held
/// shows that the cores are taken: the pool then declines jobs (their callers run them
/// alone) for a while, MIN_BACKOFF jobs at first, twice as many each time it recurs.
constexpr double STRAGGLER_SHARE = 0.25;
constexpr std::uint32_t MIN_BACKOFF = 8;
constexpr std::uint32_t MAX_BACKOFF = 1024;
/// Most threads the pool runs, whatever OMP_NUM_THREADS asks for.
constexpr std::size_t MAX_THREADS = 256;

inline void cpu_relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

/// Polls `ready` for up to `limit`; whether it held.
template <class Ready>
bool spin_until(Ready&& ready, std::chrono::microseconds limit) {
    const auto stop = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (ready()) return true;
            cpu_relax();
        }
        if (std::chrono::steady_clock::now() >= stop) return ready();
    }
}

/// The count in OMP_NUM_THREADS (its first entry), or 0 when it holds none.
std::size_t requested_threads() {
    const char* text = std::getenv("OMP_NUM_THREADS");
    if (text == nullptr) return 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || (*end != '\0' && *end != ',')) return 0;
    return static_cast<std::size_t>(std::min<unsigned long long>(value, MAX_THREADS));
}

/// Helper threads that run the blocks of one job at a time beside its caller.
///
/// A job is published as a ticket, its generation in the high half and the next unclaimed
/// block in the low half; a thread claims a block by advancing the ticket. The caller claims
/// blocks too and then waits only for the blocks claimed by others: a helper that the
/// system has descheduled before claiming anything never delays a job, and when helpers
/// are descheduled while holding blocks the pool backs off (see STRAGGLER_SHARE).
class Pool {
   public:
    explicit Pool(std::size_t helpers) {
        for (std::size_t i = 0; i < helpers; ++i) std::thread([this] { serve(); }).detach();
    }

    bool run(std::size_t count, std::size_t blocks, detail::BlockBody body) {
        std::unique_lock lock(busy_, std::try_to_lock);
        if (!lock) return false;
        if (declined_ > 0) {
            --declined_;
            return false;
        }
        const auto start = std::chrono::steady_clock::now();
        count_.store(count, std::memory_order_relaxed);
        blocks_.store(blocks, std::memory_order_relaxed);
        body_.store(body.call, std::memory_order_relaxed);
        context_.store(body.context, std::memory_order_relaxed);
        done_.store(0, std::memory_order_relaxed);
        const std::uint64_t generation = (ticket_.load(std::memory_order_relaxed) >> 32) + 1;
        ticket_.store(generation << 32, std::memory_order_release);
        ticket_.notify_all();
        std::uint64_t seen = generation << 32;
        while (claim(seen)) {}
        const auto claimed = std::chrono::steady_clock::now();
        auto finished = [&] { return done_.load(std::memory_order_acquire) == blocks; };
        if (!spin_until(finished, JOIN_SPIN))
            for (std::uint32_t d; (d = done_.load(std::memory_order_acquire)) != blocks;)
                done_.wait(d, std::memory_order_acquire);
        const auto end = std::chrono::steady_clock::now();
        judge(end - claimed, end - start);
        return true;
    }

   private:
    /// Backs off after a job whose caller spent `waited` of its `total` on other threads' blocks.
    void judge(std::chrono::steady_clock::duration waited, std::chrono::steady_clock::duration total) {
        if (static_cast<double>(waited.count()) <= STRAGGLER_SHARE * static_cast<double>(total.count())) {
            backoff_ = MIN_BACKOFF;
            return;
        }
        declined_ = backoff_;
        backoff_ = std::min(2 * backoff_, MAX_BACKOFF);
    }

    /// Claims and runs one block of the job whose ticket was `seen` (refreshed on the way);
    /// false when that job has no unclaimed block left.
    bool claim(std::uint64_t& seen) {
        for (;;) {
            const auto index = static_cast<std::uint32_t>(seen);
            if (index >= blocks_.load(std::memory_order_relaxed)) return false;
            if (ticket_.compare_exchange_weak(seen, seen + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
                // The job cannot finish before this block does, so its fields stay as read.
                run_block(index);
                ++seen;
                return true;
            }
        }
    }

    void run_block(std::size_t index) {
        const std::size_t count = count_.load(std::memory_order_relaxed);
        const std::size_t blocks = blocks_.load(std::memory_order_relaxed);
        const std::size_t per_block = count / blocks, extra = count % blocks;
        const std::size_t begin = index * per_block + std::min(index, extra);
        const std::size_t end = begin + per_block + (index < extra ? 1 : 0);
        body_.load(std::memory_order_relaxed)(context_.load(std::memory_order_relaxed), begin, end);
        if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == blocks) done_.notify_one();
    }

    void serve() {
        std::uint64_t seen = ticket_.load(std::memory_order_acquire);
        for (;;) {
            while (claim(seen)) {}
            auto moved = [&] { return ticket_.load(std::memory_order_acquire) != seen; };
            if (!spin_until(moved, IDLE_SPIN)) ticket_.wait(seen, std::memory_order_acquire);
            seen = ticket_.load(std::memory_order_acquire);
        }
    }

    std::mutex busy_;
    std::atomic<std::uint64_t> ticket_{0};
    std::atomic<std::size_t> count_{0};
    std::atomic<std::size_t> blocks_{0};
    std::atomic<void (*)(void*, std::size_t, std::size_t)> body_{nullptr};
    std::atomic<void*> context_{nullptr};
    std::atomic<std::uint32_t> done_{0};
    /// Jobs still to decline, and how many the next back-off declines (both under busy_).
    std::uint32_t declined_ = 0;
    std::uint32_t backoff_ = MIN_BACKOFF;
};

}  // namespace

std::size_t worker_count() {
    static const std::size_t count = [] {
        if (std::size_t requested = requested_threads(); requested > 0) return requested;
        cpu_set_t set;
        if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
            return static_cast<std::size_t>(CPU_COUNT(&set));
        return std::max<std::size_t>(1, std::thread::hardware_concurrency());
    }();
    return count;
}

bool worth_parallel(std::size_t amplitudes) { return amplitudes >= MIN_PARALLEL_AMPLITUDES; }

namespace detail {

bool run_on_pool(std::size_t count, std::size_t blocks, BlockBody body) {
    // Created on first use and kept for the life of the process; its threads sleep when idle.
    static Pool* const pool = new Pool(worker_count() - 1);
    return pool->run(count, blocks, body);
}

}  // namespace detail

}  // namespace qelix
