#include "quantum/simulator/measurement_source.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "core/interrupt.h"
#include "quantum/circuit/circuit.h"
#include "quantum/simulator/sampler.h"
#include "quantum/simulator/simulator.h"

namespace qelix {

namespace {

// H on each of k qubits, then every qubit measured in order.
std::optional<Circuit> superposition_circuit(std::size_t k) {
    Result<Circuit> circuit = Circuit::create(k);
    if (!circuit) return std::nullopt;
    for (std::size_t q = 0; q < k; ++q) {
        if (!circuit->h(q)) return std::nullopt;
    }
    if (!circuit->measure_all()) return std::nullopt;
    return std::move(*circuit);
}

/// Bits of a generator handed out a few at a time (leftover bits of a word are dropped when
/// a request needs more than remain, which keeps every bit handed out uniform and independent).
class BitStream {
   public:
    explicit BitStream(SeededRng& rng) : rng_(rng) {}
    /// The next `count` (at most 64) bits as a number.
    std::uint64_t take(int count) {
        if (available_ < count) {
            word_ = rng_.next_u64();
            available_ = 64;
        }
        const std::uint64_t bits = count == 64 ? word_ : word_ & ((std::uint64_t{1} << count) - 1);
        word_ = count == 64 ? 0 : word_ >> count;
        available_ -= count;
        return bits;
    }

   private:
    SeededRng& rng_;
    std::uint64_t word_ = 0;
    int available_ = 0;
};

/// The sampler of one width, with its answers for the draws r = m * 2^-53 (m uniform on 53
/// bits, as next_f64 makes them) looked up by the top SLICE_BITS of m: where the sampler
/// gives one answer for every m of a slice, that answer is stored and the lower bits of m
/// are never drawn; only in the slices a running sum falls inside are they drawn and the
/// sampler asked. Each outcome has exactly the distribution of one next_f64 draw.
class OutcomeTable {
   public:
    static constexpr int SLICE_BITS = 12;
    static constexpr int LOW_BITS = 53 - SLICE_BITS;
    static constexpr std::size_t SLICES = std::size_t{1} << SLICE_BITS;

    explicit OutcomeTable(Sampler sampler) : sampler_(std::move(sampler)) {}

    /// Fills the slice answers (a few thousand lookups: worth it for long requests only).
    void build() {
        // The sampler's answer grows with r, so a slice whose lowest and highest draws agree
        // gives that answer throughout.
        answers_.resize(SLICES);
        for (std::size_t j = 0; j < SLICES; ++j) {
            const std::uint64_t a = answer(j << LOW_BITS);
            answers_[j] = a == answer(((j + 1) << LOW_BITS) - 1) ? static_cast<std::uint16_t>(a) : MIXED;
        }
    }

    bool built() const { return !answers_.empty(); }

    /// One outcome for the draw r = next_f64(), looked up in the sampler.
    std::uint8_t outcome(double r) const { return static_cast<std::uint8_t>(sampler_.index_for(r)); }

    /// One outcome drawn from `bits`; needs build().
    std::uint8_t draw(BitStream& bits) const {
        const std::uint64_t slice = bits.take(SLICE_BITS);
        if (answers_[slice] != MIXED) return static_cast<std::uint8_t>(answers_[slice]);
        return static_cast<std::uint8_t>(answer(slice << LOW_BITS | bits.take(LOW_BITS)));
    }

   private:
    static constexpr std::uint16_t MIXED = 0xFFFF;
    std::uint64_t answer(std::uint64_t m) const { return sampler_.index_for(std::ldexp(static_cast<double>(m), -53)); }

    Sampler sampler_;
    std::vector<std::uint16_t> answers_;
};

/// Outcomes drawn between two polls for an interrupt.
constexpr std::size_t POLL_OUTCOMES = std::size_t{1} << 16;

}  // namespace

MeasurementSource measurement_source() {
    // The settings of a default Simulator(): no seed, ideal noise, parallel allowed. A shot
    // of the fast path is one next_f64 draw looked up in the circuit's probabilities, and
    // the measured qubits are 0..k-1 in order, so the drawn basis index is the outcome.
    struct State {
        SimulatorConfig config;
        std::array<std::optional<OutcomeTable>, MAX_SOURCE_QUBITS + 1> tables;
        std::optional<SeededRng> rng;
    };
    auto state = std::make_shared<State>();
    return [state](std::size_t k, std::span<std::uint8_t> outcomes) -> std::size_t {
        if (k == 0 || k > MAX_SOURCE_QUBITS) return 0;
        std::optional<OutcomeTable>& table = state->tables[k];
        if (!table) {
            std::optional<Circuit> circuit = superposition_circuit(k);
            if (!circuit) return 0;
            Result<Probabilities> probabilities = qelix::probabilities(state->config, *circuit);
            if (!probabilities) return 0;
            table.emplace(Sampler(std::move(*probabilities)));
        }
        if (!state->rng) state->rng = SeededRng::from_entropy();
        if (!table->built() && outcomes.size() >= OutcomeTable::SLICES / 4) table->build();
        if (!table->built()) {
            for (std::uint8_t& outcome : outcomes) outcome = table->outcome(state->rng->next_f64());
            return outcomes.size();
        }
        BitStream bits(*state->rng);
        for (std::size_t done = 0; done < outcomes.size(); done += POLL_OUTCOMES) {
            const std::size_t end = std::min(outcomes.size(), done + POLL_OUTCOMES);
            for (std::size_t i = done; i < end; ++i) outcomes[i] = table->draw(bits);
            // A stop keeps what was drawn: the caller sees the short count and the interrupt.
            if (interrupted(static_cast<std::int64_t>(end - done))) return end;
        }
        return outcomes.size();
    };
}

}  // namespace qelix
