// The grid's generic comparison, and a merge sort that stays safe with it.
//
// Two cells that both read as numbers (engine/base/number_text.h) compare by value (9 before 10);
// any other pair compares as text, without regard to the case of ASCII letters. The rule is not a
// strict weak ordering: with "2", "10" and "1a", 2 < 10 by value, 10 < 1a and 1a < 2 as text. The
// standard sorts may read out of bounds with such a comparison, so the grid sorts with
// mergeSortStable, which only ever compares neighbours inside its bounds and always ends; a
// consistent input (all numbers, or all text) comes out properly ordered, and equal keys keep their
// order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace velmora::core::grid {

// Text order of the generic comparison: byte by byte, ASCII letters without regard to case,
// a text before every longer text it begins.
int compareText(std::string_view a, std::string_view b);

// Negative, zero or positive as `a` sorts before, together with or after `b`.
int genericCompare(std::string_view a, std::string_view b);

// Sorts `items` ascending by `less`, keeping the order of items that compare equal. `less`
// need not be a strict weak ordering; the result is then some permutation of the input.
template <class T, class Less>
void mergeSortStable(std::vector<T>& items, Less less) {
    const size_t n = items.size();
    if (n < 2)
        return;
    std::vector<T> buffer(n);
    std::vector<T>* from = &items;
    std::vector<T>* to = &buffer;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t left = 0; left < n; left += 2 * width) {
            const size_t mid = std::min(left + width, n);
            const size_t right = std::min(left + 2 * width, n);
            size_t i = left;
            size_t j = mid;
            size_t k = left;
            // Take from the right run only when it is strictly smaller: equal items stay in
            // input order.
            while (i < mid && j < right)
                (*to)[k++] = less((*from)[j], (*from)[i]) ? (*from)[j++] : (*from)[i++];
            while (i < mid)
                (*to)[k++] = (*from)[i++];
            while (j < right)
                (*to)[k++] = (*from)[j++];
        }
        std::swap(from, to);
    }
    if (from != &items)
        items.swap(*from);
}

}  // namespace velmora::core::grid
