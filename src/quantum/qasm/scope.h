#pragma once
// Name bindings of one gate expansion: parameter values and qubit arguments.
#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace qelix::qasm {

/// A name -> value table where a later binding of a name hides an earlier one.
/// Lookups stay logarithmic however many names a definition declares.
template <class T>
class Bindings {
   public:
    /// Adds a binding; call `seal` before the first lookup.
    void bind(std::string_view name, T value) { entries_.emplace_back(name, std::move(value)); }

    /// Orders the table for lookup, keeping only the last binding of every name.
    void seal() {
        if (entries_.size() < 2) return;
        std::stable_sort(entries_.begin(), entries_.end(),
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
        std::size_t kept = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (i + 1 == entries_.size() || entries_[i + 1].first != entries_[i].first) entries_[kept++] = entries_[i];
        entries_.resize(kept);
    }

    /// The bound value, or null.
    const T* find(std::string_view name) const {
        auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                                   [](const Entry& e, std::string_view n) { return e.first < n; });
        return it != entries_.end() && it->first == name ? &it->second : nullptr;
    }

    bool empty() const { return entries_.empty(); }
    /// Forgets every binding but keeps the memory for the next use.
    void clear() { entries_.clear(); }

   private:
    using Entry = std::pair<std::string_view, T>;
    std::vector<Entry> entries_;
};

/// What a gate body sees: its parameter values and the flat qubits bound to its arguments.
/// At top level both tables are empty.
struct Scope {
    Bindings<double> params;
    Bindings<std::size_t> qubits;
};

}  // namespace qelix::qasm
