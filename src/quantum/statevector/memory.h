#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

namespace qelix {

/// Bytes of one amplitude (two 64-bit floats).
inline constexpr std::uint64_t AMPLITUDE_BYTES = 16;

/// Bytes of a state of `num_qubits` qubits, or nullopt when the figure exceeds 64 bits.
std::optional<std::uint64_t> state_bytes(std::size_t num_qubits);

/// Bytes the system can still hand to this process without overcommitting: the
/// smallest of the kernel's available-memory estimate (plus free swap), the cgroup
/// limit's headroom and the address-space limit's headroom.
std::uint64_t available_memory();

/// True when `bytes` more can really be provided (see available_memory).
bool can_provide(std::uint64_t bytes);

/// Bytes a counts table of `entries` outcomes with keys of `key_bytes` characters may take,
/// with a copy of every key for the caller (saturating).
std::uint64_t counts_table_bytes(std::uint64_t entries, std::uint64_t key_bytes);

/// Whether a counts table that has just reached `entries` outcomes may grow to twice that.
/// Checked at each power of two (small tables are granted without reading the limits), so
/// the cost is a few checks per run; a run with many
/// distinct outcomes of long keys then fails cleanly instead of exhausting memory.
bool counts_can_double(std::uint64_t entries, std::uint64_t key_bytes);

}  // namespace qelix
