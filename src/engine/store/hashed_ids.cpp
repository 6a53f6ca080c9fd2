#include "engine/store/hashed_ids.h"

#include <algorithm>
#include <functional>

namespace velmora::engine::store {

uint64_t HashedIds::hashOf(std::string_view key) {
    return static_cast<uint64_t>(std::hash<std::string_view>{}(key));
}

size_t HashedIds::slotOf(uint64_t hash) const {
    if (m_slots.empty())
        return 0;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.list == kEmpty)
            return m_slots.size();
        if (isLive(s) && s.hash == hash)
            return i;
    }
}

std::span<const HashedIds::Id> HashedIds::find(uint64_t hash) const {
    const size_t i = slotOf(hash);
    if (i >= m_slots.size())
        return {};
    const Slot& s = m_slots[i];
    if (s.list == kNoList)
        return {&s.id, 1};
    return m_lists[s.list];
}

void HashedIds::insert(uint64_t hash, Id id) {
    if (const size_t i = slotOf(hash); i < m_slots.size()) {
        Slot& s = m_slots[i];
        if (s.list == kNoList) {
            if (s.id == id)
                return;
            s.list = newList();
            m_lists[s.list] = {std::min(s.id, id), std::max(s.id, id)};
            return;
        }
        std::vector<Id>& ids = m_lists[s.list];
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
    m_slots[i] = Slot{hash, kNoList, id};
    ++m_live;
}

void HashedIds::erase(uint64_t hash, Id id) {
    const size_t i = slotOf(hash);
    if (i >= m_slots.size())
        return;
    Slot& s = m_slots[i];
    if (s.list != kNoList) {
        std::vector<Id>& ids = m_lists[s.list];
        auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            return;
        ids.erase(at);
        if (ids.size() > 1)
            return;
        // One id left: it goes back into the slot.
        s.id = ids.front();
        ids = {};
        m_freeLists.push_back(s.list);
        s.list = kNoList;
        return;
    }
    if (s.id != id)
        return;
    s.list = kGone;
    --m_live;
    ++m_gone;
}

void HashedIds::clear() {
    m_slots.clear();
    m_lists.clear();
    m_freeLists.clear();
    m_live = m_gone = 0;
}

void HashedIds::reserve(size_t hashes) {
    // The table grows once the live hashes would fill more than half of it.
    size_t capacity = std::max<size_t>(16, m_slots.size());
    while ((hashes + 1) * 2 > capacity)
        capacity *= 2;
    if (capacity > m_slots.size())
        rebuild(capacity);
}

void HashedIds::makeRoom() {
    // At most three quarters of the slots hold a hash or a gone mark, so every probe ends.
    if ((m_live + m_gone + 1) * 4 <= m_slots.size() * 3)
        return;
    size_t capacity = std::max<size_t>(16, m_slots.size());
    while ((m_live + 1) * 2 > capacity)
        capacity *= 2;
    rebuild(capacity);
}

void HashedIds::rebuild(size_t capacity) {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(capacity, Slot{});
    const size_t mask = capacity - 1;
    for (const Slot& s : old) {
        if (!isLive(s))
            continue;
        size_t i = s.hash & mask;
        while (isLive(m_slots[i]))
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
    m_gone = 0;
}

uint32_t HashedIds::newList() {
    if (!m_freeLists.empty()) {
        const uint32_t i = m_freeLists.back();
        m_freeLists.pop_back();
        return i;
    }
    m_lists.emplace_back();
    return static_cast<uint32_t>(m_lists.size() - 1);
}

}  // namespace velmora::engine::store
