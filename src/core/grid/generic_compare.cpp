// Comparing cells the way the grid's generic sort does.
#include "core/grid/generic_compare.h"

#include <algorithm>

#include "engine/base/number_text.h"

namespace velmora::core::grid {
namespace {

char foldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

int compareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(foldCase(a[i]));
        const auto cb = static_cast<unsigned char>(foldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int genericCompare(std::string_view a, std::string_view b) {
    const std::optional<double> x = engine::readNumber(a);
    if (x) {
        const std::optional<double> y = engine::readNumber(b);
        if (y)
            return *x < *y ? -1 : (*y < *x ? 1 : 0);
    }
    return compareText(a, b);
}

}  // namespace velmora::core::grid
