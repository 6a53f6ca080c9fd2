#include "engine/store/keyed_ids.h"

#include <functional>

namespace velmora::engine::store {

namespace {

uint32_t hashOf(std::string_view key) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(key));
}

}  // namespace

std::span<const RowId> KeyedIds::find(std::string_view key) const {
    return m_slots.find(hashOf(key), sameKey(key));
}

void KeyedIds::insert(std::string_view key, RowId id) {
    const uint32_t hash = hashOf(key);
    const bool added = m_slots.insert(hash, id, sameKey(key), [&] {
        return Slot{.hash = hash,
                    .keyAt = static_cast<uint32_t>(m_keys.size()),
                    .keyLength = static_cast<uint32_t>(key.size())};
    });
    if (added) {
        m_keys.append(key);
        m_liveKeyBytes += key.size();
    }
}

void KeyedIds::erase(std::string_view key, RowId id) {
    const Slot* gone = m_slots.erase(hashOf(key), id, sameKey(key));
    if (gone == nullptr)
        return;
    m_liveKeyBytes -= gone->keyLength;
    if (m_keys.size() > 2 * m_liveKeyBytes + 4096)
        dropGoneKeyBytes();
}

void KeyedIds::clear() {
    m_slots.clear();
    m_keys.clear();
    m_liveKeyBytes = 0;
}

void KeyedIds::dropGoneKeyBytes() {
    std::string old = std::move(m_keys);
    m_keys.clear();
    m_keys.reserve(m_liveKeyBytes);
    m_slots.forEachLive([&](Slot& s) {
        const uint32_t at = static_cast<uint32_t>(m_keys.size());
        m_keys.append(old, s.keyAt, s.keyLength);
        s.keyAt = at;
    });
}

}  // namespace velmora::engine::store
