#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "quantum/statevector/kernels.h"
#include "quantum/statevector/statevector.h"

namespace qelix {

/// Most qubits a chunk holds: 2^16 amplitudes (1 MiB) stay in a core's second-level cache.
inline constexpr std::size_t CHUNK_QUBITS = 16;
/// Lowest qubits every chunk holds, so that it is gathered in contiguous segments of at
/// least 2^LOW_QUBITS amplitudes (4 KiB): gathering 1 KiB segments cost 3.5 streaming
/// passes, 4 KiB ones 2.2. Of the pairs we measured (14 to 17, 6 to 9) 16 and 8 ran the
/// 20- to 26-qubit benchmark circuits fastest, 5 to 12 % ahead of 15 and 6.
inline constexpr std::size_t LOW_QUBITS = 8;

/// Applies gates to a state in runs that stay in cache, bit for bit as gate by gate.
///
/// A gate updates groups of amplitudes that differ only in its qubits, with arithmetic that
/// depends only on the group. Consecutive gates whose qubits, with the lowest LOW_QUBITS,
/// number at most CHUNK_QUBITS are queued as one run, which is then applied chunk by chunk:
/// a chunk is the 2^CHUNK_QUBITS amplitudes that differ only in the run's qubits, gathered
/// into a buffer where those qubits are the low bits (an exact relabelling), updated by every
/// gate of the run in order while it is in cache, and written back. Every amplitude goes
/// through the same operations in the same order as gate by gate, so the bits agree; between
/// runs the state is in index order, so measurement and sampling need no relabelling back.
/// Inside a chunk, consecutive gates that a fused kernel covers go through each register
/// together (apply_one_qubit_fused), in the same order. A run of one gate takes the streaming
/// kernels, and so does every gate of a state small enough to be one chunk.
class GateRun {
   public:
    /// Runs on `state`, on the worker pool when `parallel` is set and a run is large enough.
    GateRun(StateBuffer& state, bool parallel);
    /// The same with chunks of `chunk_qubits` qubits where the state is larger, on the pool
    /// whenever `parallel` is set (tests use small chunks and states to reach relabelling).
    GateRun(StateBuffer& state, bool parallel, std::size_t chunk_qubits);

    /// Queues `gate` on `targets`, first applying the queued run when the gate does not fit
    /// in its chunk; faults as StateBuffer::kernel_gate.
    void apply(const Gate& gate, std::span<const std::size_t> targets);
    /// Applies the queued run. Call it before anything reads the state.
    void flush();
    /// The state with every queued gate applied.
    StateBuffer& flushed() {
        flush();
        return state_;
    }
    /// Runs applied so far: the passes over the state that the gates have cost.
    std::size_t passes() const { return passes_; }

   private:
    void apply_chunks();

    StateBuffer& state_;
    bool parallel_;
    /// Qubits per chunk; 0 when the whole state is one chunk and gates apply at once.
    std::size_t chunk_qubits_;
    std::vector<KernelGate> queue_;
    /// The qubits the current chunk holds: the low ones and those of the queued gates.
    std::uint64_t held_;
    std::size_t passes_ = 0;
};

}  // namespace qelix
