#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tracking/BoundedHistory.h"

namespace touchlane {
namespace {

// Entries are their own append numbers, so every stored entry says where it came from.
template <typename History>
void checkEveryLength(uint64_t appends) {
    History history;
    for (uint64_t n = 0; n < appends; ++n) {
        history.append(n);
        SCOPED_TRACE("after " + std::to_string(n + 1));
        const auto& stored = history.entries();
        ASSERT_EQ(history.total(), n + 1);
        ASSERT_LT(stored.size(), History::capacity);
        ASSERT_EQ(history.isComplete(), stored.size() == n + 1);
        ASSERT_EQ(stored.front(), 0u);
        ASSERT_TRUE(std::is_sorted(stored.begin(), stored.end()));
        ASSERT_EQ(std::adjacent_find(stored.begin(), stored.end()), stored.end());
        // The newest window is whole, and the index map finds what it claims to.
        const size_t whole = std::min<size_t>(stored.size(), History::recentWindow);
        ASSERT_EQ(stored[stored.size() - whole], n + 1 - whole);
        ASSERT_EQ(history.storedIndex(n + 1), stored.size());
        for (uint64_t number = 0; number <= n; ++number) {
            if (const auto index = history.storedIndex(number)) {
                ASSERT_EQ(stored[*index], number);
            }
        }
        ASSERT_TRUE(history.storedIndex(n + 1 - whole).has_value());
    }
}

TEST(BoundedHistory, KeepsTheFirstAndTheNewestWholeAndThinsTheRest) {
    checkEveryLength<BoundedHistory<uint64_t, 8, 3>>(300);
    checkEveryLength<BoundedHistory<uint64_t, 10, 5>>(300);
    checkEveryLength<BoundedHistory<uint64_t, 64, 32>>(1000);
}

}  // namespace
}  // namespace touchlane
