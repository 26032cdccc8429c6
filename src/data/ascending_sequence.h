// Items kept in ascending order of a key, an item whose key equals that of
// earlier items going after them (stable insertion): the order in which a
// chart keeps the points of a series, and in which the results file lists
// the spectra's rows, so that both show the same order.
//
// Adding is O(1): an item is appended. The items added out of order since
// the last read are ordered when the sequence is next read: a stable sort of
// them, merged after the items already in place (the merge puts the older of
// two equal keys first). The result equals inserting every item after each
// earlier one whose key is <= its own, at O(n log n) for any order of adding
// instead of O(n^2) for a file read backwards; items added in ascending
// order are never moved.
//
// Keys are compared with <, so they must be ordered (no NaN); the program's
// keys are finite times and wavelengths. A read orders the items in place,
// so a sequence is not to be read from two threads at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace quorvane {

// `Key` is a pointer to the data member that orders the items.
template <typename Item, auto Key>
class AscendingSequence {
  public:
    void add(Item item) {
        const bool inPlace =
            ordered_ == items_.size() && (items_.empty() || !(item.*Key < items_.back().*Key));
        items_.push_back(std::move(item));
        if (inPlace)
            ordered_ = items_.size();
    }

    // Every item added, in ascending key order.
    const std::vector<Item>& items() const {
        if (ordered_ < items_.size()) {
            const auto ascending = [](const Item& a, const Item& b) { return a.*Key < b.*Key; };
            const auto middle = items_.begin() + static_cast<std::ptrdiff_t>(ordered_);
            std::stable_sort(middle, items_.end(), ascending);
            std::inplace_merge(items_.begin(), middle, items_.end(), ascending);
            ordered_ = items_.size();
        }
        return items_;
    }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

  private:
    mutable std::vector<Item> items_;
    // The leading items known to be in order.
    mutable std::size_t ordered_ = 0;
};

}  // namespace quorvane
