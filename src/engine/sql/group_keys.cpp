#include "engine/sql/group_keys.h"

#include <functional>

namespace velmora::engine::sql {

size_t GroupKeys::add(std::string_view key) {
    // At most half the slots are taken, so a probe ends soon at an empty one.
    if (2 * (size() + 1) > m_slots.size())
        grow();
    const uint64_t hash = std::hash<std::string_view>{}(key);
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint32_t taken = m_slots[i];
        if (taken == 0) {
            m_slots[i] = static_cast<uint32_t>(size() + 1);
            m_hash.push_back(hash);
            m_keys.append(key);
            m_end.push_back(m_keys.size());
            return size() - 1;
        }
        if (m_hash[taken - 1] == hash && this->key(taken - 1) == key)
            return taken - 1;
    }
}

std::string_view GroupKeys::key(size_t number) const {
    const size_t start = number == 0 ? 0 : m_end[number - 1];
    return std::string_view(m_keys).substr(start, m_end[number] - start);
}

void GroupKeys::grow() {
    const size_t capacity = m_slots.empty() ? 16 : 2 * m_slots.size();
    m_slots.assign(capacity, 0);
    const size_t mask = capacity - 1;
    for (size_t k = 0; k < m_hash.size(); ++k) {
        size_t i = m_hash[k] & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = static_cast<uint32_t>(k + 1);
    }
}

}  // namespace velmora::engine::sql
