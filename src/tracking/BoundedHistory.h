#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace touchlane {

// A history that only grows (a finger's path, the frames of a sequence), kept in
// bounded memory. Nothing is dropped until `Capacity` entries are stored, so
// whatever is measured on a shorter history is exact. From then on the first entry
// and the newest `RecentWindow` entries stay whole and every other entry between
// them is dropped; the older an entry, the more thinnings it has been through.
// Thinning moves at most `Capacity` entries once every (Capacity - stored after
// thinning) appends, so an append costs amortised O(1).
template <typename T, size_t Capacity, size_t RecentWindow>
class BoundedHistory {
    static_assert(RecentWindow >= 1 && Capacity >= 2 * RecentWindow && Capacity >= RecentWindow + 3,
                  "a thinning must drop at least a few entries and keep the amortised cost O(1)");

public:
    static constexpr size_t capacity = Capacity;
    static constexpr size_t recentWindow = RecentWindow;

    void append(T entry) {
        entries_.push_back(std::move(entry));
        ++total_;
        ++wholeTail_;
        if (entries_.size() >= Capacity) thin();
    }

    // Oldest first.
    const std::vector<T>& entries() const { return entries_; }
    // Entries ever appended, dropped ones included.
    uint64_t total() const { return total_; }
    // Nothing has been dropped yet.
    bool isComplete() const { return entries_.size() == total_; }
    // Times entries were dropped; stored positions stay put while it does not change.
    uint64_t thinnings() const { return thinnings_; }

    // Where entry number `number` (0 for the first ever appended) is stored, when it
    // lies in the newest run of entries kept whole; `total()` maps to one past the
    // end. Nothing when the entry was dropped or may have been.
    std::optional<size_t> storedIndex(uint64_t number) const {
        if (number > total_ || total_ - number > wholeTail_) return std::nullopt;
        return entries_.size() - static_cast<size_t>(total_ - number);
    }

private:
    void thin() {
        const size_t oldEnd = entries_.size() - RecentWindow;
        size_t kept = 1;  // the first entry stays
        for (size_t k = 1; k < oldEnd; k += 2) entries_[kept++] = std::move(entries_[k]);
        for (size_t k = oldEnd; k < entries_.size(); ++k) entries_[kept++] = std::move(entries_[k]);
        entries_.resize(kept);
        wholeTail_ = RecentWindow;
        ++thinnings_;
    }

    std::vector<T> entries_;
    uint64_t total_ = 0;
    // The newest entries that follow each other with nothing dropped between them.
    uint64_t wholeTail_ = 0;
    uint64_t thinnings_ = 0;
};

}  // namespace touchlane
