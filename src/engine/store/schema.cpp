#include "engine/store/schema.h"

#include <cctype>

namespace velmora::engine::store {
bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<size_t> TableSchema::findColumn(const std::string& wanted) const {
    for (size_t i = 0; i < columns.size(); ++i) {
        if (sameName(columns[i].name, wanted))
            return i;
    }
    return std::nullopt;
}

}  // namespace velmora::engine::store
