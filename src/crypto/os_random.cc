#include "crypto/os_random.h"

#include <sys/random.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/error.h"

namespace qelix::crypto {

namespace {
std::atomic<RandomSource> random_source{&getrandom};
}  // namespace

void fill_os_random(std::span<std::uint8_t> out) {
    RandomSource source = random_source.load(std::memory_order_relaxed);
    std::size_t done = 0;
    while (done < out.size()) {
        // getrandom returns at most 32 MiB - 1 per call and a signal may cut it
        // short, so keep asking until the whole buffer is filled.
        ssize_t got = source(out.data() + done, out.size() - done, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw InternalFault(std::string("getrandom failed: ") + std::strerror(errno));
        }
        done += static_cast<std::size_t>(got);
    }
}

RandomSource swap_random_source_for_testing(RandomSource source) { return random_source.exchange(source); }

}  // namespace qelix::crypto

// PQClean is compiled with -fexceptions, so an InternalFault thrown here unwinds
// cleanly through its C frames back to the caller instead of letting the library
// go on with predictable bytes.
extern "C" __attribute__((visibility("default"))) int PQCLEAN_randombytes(std::uint8_t* out, std::size_t n) {
    qelix::crypto::fill_os_random({out, n});
    return 0;
}
