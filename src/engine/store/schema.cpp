#include "engine/store/schema.h"

namespace velmora::engine::store {

bool sameName(const std::string& a, const std::string& b) {
    // ASCII letters fold; names are UTF-8, whose other bytes no locale may fold. Every
    // column reference of every statement is looked up through here.
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && lower(x) != lower(y))
            return false;
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
