#include "engine/store/hashed_ids.h"

#include <functional>

namespace velmora::engine::store {

uint64_t HashedIds::hashOf(std::string_view key) {
    return static_cast<uint64_t>(std::hash<std::string_view>{}(key));
}

std::span<const HashedIds::Id> HashedIds::find(uint64_t hash) const {
    return m_slots.find(hash, anyKey);
}

void HashedIds::insert(uint64_t hash, Id id) {
    m_slots.insert(hash, id, anyKey, [hash] { return Slot{.hash = hash}; });
}

void HashedIds::erase(uint64_t hash, Id id) {
    m_slots.erase(hash, id, anyKey);
}

}  // namespace velmora::engine::store
