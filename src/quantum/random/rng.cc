#include "quantum/random/rng.h"

#include <sys/random.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/error.h"

namespace qelix {

SeededRng SeededRng::from_seed_u64(std::uint64_t seed) {
    // PCG32 output steps expand the seed; the state advances before each word.
    constexpr std::uint64_t MUL = 6364136223846793005ULL;
    constexpr std::uint64_t INC = 11634580027462260723ULL;
    ChaChaKey key{};
    std::uint64_t s = seed;
    for (auto& word : key) {
        s = s * MUL + INC;
        auto x = static_cast<std::uint32_t>(((s >> 18) ^ s) >> 27);
        word = std::rotr(x, static_cast<int>(s >> 59));
    }
    return SeededRng(key);
}

SeededRng SeededRng::from_entropy() {
    unsigned char bytes[32];
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t got = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw InternalFault(std::string("from_entropy failed: ") + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    ChaChaKey key{};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = std::uint32_t{bytes[4 * i]} | std::uint32_t{bytes[4 * i + 1]} << 8 |
                 std::uint32_t{bytes[4 * i + 2]} << 16 | std::uint32_t{bytes[4 * i + 3]} << 24;
    return SeededRng(key);
}

void SeededRng::refill() {
    const std::array<ChaChaBlock, CHACHA_LANES> blocks = chacha_blocks(key_, counter_, ROUNDS);
    static_assert(sizeof blocks == sizeof buffer_);
    std::memcpy(buffer_.data(), blocks.data(), sizeof blocks);
    counter_ += CHACHA_LANES;
}

std::uint32_t SeededRng::next_u32() {
    if (index_ >= BUFFER_WORDS) {
        refill();
        index_ = 0;
    }
    return buffer_[index_++];
}

std::uint64_t SeededRng::next_u64() {
    std::uint64_t low, high;
    if (index_ + 1 < BUFFER_WORDS) {
        low = buffer_[index_];
        high = buffer_[index_ + 1];
        index_ += 2;
    } else if (index_ == BUFFER_WORDS - 1) {
        // The pair straddles a refill: last word of this buffer, first of the next.
        low = buffer_[BUFFER_WORDS - 1];
        refill();
        high = buffer_[0];
        index_ = 1;
    } else {
        refill();
        low = buffer_[0];
        high = buffer_[1];
        index_ = 2;
    }
    return high << 32 | low;
}

double SeededRng::next_f64() { return static_cast<double>(next_u64() >> 11) * 0x1.0p-53; }

std::uint64_t SeededRng::gen_range_u64(std::uint64_t low, std::uint64_t high) {
    if (low >= high) throw InternalFault("gen_range_u64 needs low < high");
    std::uint64_t range = high - low;
    std::uint64_t zone = (range << std::countl_zero(range)) - 1;
    while (true) {
        unsigned __int128 product = static_cast<unsigned __int128>(next_u64()) * range;
        if (static_cast<std::uint64_t>(product) <= zone) return low + static_cast<std::uint64_t>(product >> 64);
    }
}

}  // namespace qelix
