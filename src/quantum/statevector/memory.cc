#include "quantum/statevector/memory.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace qelix {

namespace {

constexpr std::uint64_t UNLIMITED = std::numeric_limits<std::uint64_t>::max();

/// A "Key:   value kB" entry of /proc/meminfo in bytes.
std::optional<std::uint64_t> meminfo_entry(const std::string& key) {
    std::ifstream in("/proc/meminfo");
    std::string name;
    std::uint64_t kib = 0;
    std::string unit;
    while (in >> name >> kib) {
        std::getline(in, unit);
        if (name == key + ":") return kib * 1024;
    }
    return std::nullopt;
}

/// A single number from a file, or nullopt when absent or "max".
std::optional<std::uint64_t> read_number(const std::string& path) {
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text == "max") return std::nullopt;
    try {
        return std::stoull(text);
    } catch (...) {
        return std::nullopt;
    }
}

/// What the kernel expects it can hand out without swapping, plus free swap.
std::uint64_t system_headroom() {
    struct sysinfo info {};
    bool have_info = sysinfo(&info) == 0;
    std::uint64_t unit = have_info ? info.mem_unit : 1;
    std::uint64_t swap = have_info ? std::uint64_t{info.freeswap} * unit : 0;
    if (auto available = meminfo_entry("MemAvailable")) return *available + swap;
    if (have_info) return (std::uint64_t{info.freeram} + info.bufferram) * unit + swap;
    return UNLIMITED;
}

/// Room left under this process's cgroup (v2) memory limit.
std::uint64_t cgroup_headroom() {
    std::ifstream self("/proc/self/cgroup");
    std::string line;
    while (std::getline(self, line)) {
        if (line.rfind("0::", 0) != 0) continue;
        std::string dir = "/sys/fs/cgroup" + line.substr(3);
        auto limit = read_number(dir + "/memory.max");
        if (!limit) return UNLIMITED;
        auto used = read_number(dir + "/memory.current").value_or(0);
        return *limit > used ? *limit - used : 0;
    }
    return UNLIMITED;
}

/// Room left under the address-space and data-segment limits.
std::uint64_t rlimit_headroom() {
    std::uint64_t room = UNLIMITED;
    std::uint64_t mapped = 0;
    {
        std::ifstream statm("/proc/self/statm");
        std::uint64_t pages = 0;
        if (statm >> pages) mapped = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    }
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) continue;
        std::uint64_t cur = limit.rlim_cur;
        room = std::min(room, cur > mapped ? cur - mapped : 0);
    }
    return room;
}

}  // namespace

std::optional<std::uint64_t> state_bytes(std::size_t num_qubits) {
    // 16 * 2^n fits 64 bits up to n = 59.
    if (num_qubits >= 60) return std::nullopt;
    return AMPLITUDE_BYTES << num_qubits;
}

std::uint64_t available_memory() { return std::min({system_headroom(), cgroup_headroom(), rlimit_headroom()}); }

bool can_provide(std::uint64_t bytes) {
    // Reading the limits costs tens of microseconds, more than a small simulation
    // itself; a request this small that still fails surfaces as std::bad_alloc.
    constexpr std::uint64_t ALWAYS_GRANTED = std::uint64_t{1} << 24;
    return bytes <= ALWAYS_GRANTED || bytes <= available_memory();
}

std::uint64_t counts_table_bytes(std::uint64_t entries, std::uint64_t key_bytes) {
    // A hash node with its count and string header, the key's characters, and the same
    // key once more in the caller's hands.
    constexpr std::uint64_t ENTRY_OVERHEAD = 128;
    const std::uint64_t per_entry =
        key_bytes > (UNLIMITED - ENTRY_OVERHEAD) / 2 ? UNLIMITED : 2 * key_bytes + ENTRY_OVERHEAD;
    return entries > UNLIMITED / per_entry ? UNLIMITED : entries * per_entry;
}

bool counts_can_double(std::uint64_t entries, std::uint64_t key_bytes) {
    if ((entries & (entries - 1)) != 0) return true;
    return can_provide(counts_table_bytes(entries, key_bytes));
}

}  // namespace qelix
