#include "engine/store/keyed_ids.h"

#include <algorithm>
#include <functional>

namespace velmora::engine::store {

namespace {

uint32_t hashOf(std::string_view key) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(key));
}

}  // namespace

size_t KeyedIds::slotOf(std::string_view key, uint32_t hash) const {
    if (m_slots.empty())
        return 0;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.list == kEmpty)
            return m_slots.size();
        if (isLive(s) && s.hash == hash && keyOf(s) == key)
            return i;
    }
}

std::span<const RowId> KeyedIds::find(std::string_view key) const {
    const size_t i = slotOf(key, hashOf(key));
    if (i >= m_slots.size())
        return {};
    const Slot& s = m_slots[i];
    if (s.list == kNoList)
        return {&s.id, 1};
    return m_lists[s.list];
}

void KeyedIds::insert(std::string_view key, RowId id) {
    const uint32_t hash = hashOf(key);
    if (const size_t i = slotOf(key, hash); i < m_slots.size()) {
        Slot& s = m_slots[i];
        if (s.list == kNoList) {
            if (s.id == id)
                return;
            s.list = newList();
            m_lists[s.list] = {std::min(s.id, id), std::max(s.id, id)};
            return;
        }
        std::vector<RowId>& ids = m_lists[s.list];
        auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            ids.insert(at, id);
        return;
    }
    makeRoom();
    const size_t mask = m_slots.size() - 1;
    size_t i = hash & mask;
    while (isLive(m_slots[i]))
        i = (i + 1) & mask;
    if (m_slots[i].list == kGone)
        --m_gone;
    m_slots[i] = Slot{hash, static_cast<uint32_t>(m_keys.size()), static_cast<uint32_t>(key.size()),
                      kNoList, id};
    m_keys.append(key);
    ++m_live;
    m_liveKeyBytes += key.size();
}

void KeyedIds::erase(std::string_view key, RowId id) {
    const size_t i = slotOf(key, hashOf(key));
    if (i >= m_slots.size())
        return;
    Slot& s = m_slots[i];
    if (s.list != kNoList) {
        std::vector<RowId>& ids = m_lists[s.list];
        auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            return;
        ids.erase(at);
        if (ids.size() > 1)
            return;
        // One id left: it goes back into the slot.
        s.id = ids.front();
        ids.clear();
        m_freeLists.push_back(s.list);
        s.list = kNoList;
        return;
    }
    if (s.id != id)
        return;
    s.list = kGone;
    --m_live;
    ++m_gone;
    m_liveKeyBytes -= s.keyLength;
}

void KeyedIds::clear() {
    m_slots.clear();
    m_keys.clear();
    m_lists.clear();
    m_freeLists.clear();
    m_live = m_gone = m_liveKeyBytes = 0;
}

void KeyedIds::reserve(size_t keys) {
    // The table grows once the live keys would fill more than half of it.
    size_t capacity = std::max<size_t>(16, m_slots.size());
    while ((keys + 1) * 2 > capacity)
        capacity *= 2;
    if (capacity > m_slots.size())
        rebuild(capacity);
}

void KeyedIds::makeRoom() {
    // At most three quarters of the slots hold a key or a gone mark, so every probe ends.
    if ((m_live + m_gone + 1) * 4 <= m_slots.size() * 3 &&
        m_keys.size() <= 2 * m_liveKeyBytes + 4096)
        return;
    // Rebuilt without the gone slots and dead key bytes, and twice as large while the live
    // keys would fill more than half of it.
    size_t capacity = std::max<size_t>(16, m_slots.size());
    while ((m_live + 1) * 2 > capacity)
        capacity *= 2;
    rebuild(capacity);
}

void KeyedIds::rebuild(size_t capacity) {
    std::vector<Slot> old = std::move(m_slots);
    std::string oldKeys = std::move(m_keys);
    m_slots.assign(capacity, Slot{});
    m_keys.clear();
    m_keys.reserve(m_liveKeyBytes);
    const size_t mask = capacity - 1;
    for (const Slot& s : old) {
        if (!isLive(s))
            continue;
        size_t i = s.hash & mask;
        while (isLive(m_slots[i]))
            i = (i + 1) & mask;
        m_slots[i] = s;
        m_slots[i].keyAt = static_cast<uint32_t>(m_keys.size());
        m_keys.append(oldKeys, s.keyAt, s.keyLength);
    }
    m_gone = 0;
}

uint32_t KeyedIds::newList() {
    if (!m_freeLists.empty()) {
        const uint32_t i = m_freeLists.back();
        m_freeLists.pop_back();
        return i;
    }
    m_lists.emplace_back();
    return static_cast<uint32_t>(m_lists.size() - 1);
}

}  // namespace velmora::engine::store
