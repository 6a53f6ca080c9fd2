// The open-addressed table of ascending ids under which KeyedIds and HashedIds keep their
// keys: linear probing over a power-of-two array of slots, each live slot holding its one id
// itself or naming a list of several, and the growing and the sweeping of gone slots.
//
// A slot type brings its own key part and must have the members `hash` (an unsigned number:
// its low bits pick the first slot tried), `list` (a slot state below, default kEmpty) and
// `id` (the one id while `list` is kNoList). What a key is beyond its hash stays with the
// owner, which tells the table which live slot of a hash is the one it means. Kept in a
// header so that each owner's compare is inlined into the probe.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora::engine::store {

// A slot's `list`: empty, the mark of a gone key, a live key with its one id in the slot, or
// (any other value) a live key whose ids are the table's list of that number. Kept in the
// slot's `list` rather than a state of its own, which would pad a slot by 8 bytes: a table of
// 32 767 channels has 65 536 slots.
namespace id_slot {
inline constexpr uint32_t kEmpty = UINT32_MAX;
inline constexpr uint32_t kGone = UINT32_MAX - 1;
inline constexpr uint32_t kNoList = UINT32_MAX - 2;
}  // namespace id_slot

template <class Slot>
class IdSlots {
public:
    using Id = decltype(Slot::id);
    using Hash = decltype(Slot::hash);

    static bool isLive(const Slot& s) {
        return s.list != id_slot::kEmpty && s.list != id_slot::kGone;
    }

    // The ids of the live slot of `hash` that `same(slot)` accepts, ascending; empty when
    // none. Valid until the next change.
    template <class Same>
    std::span<const Id> find(Hash hash, Same same) const {
        const size_t i = slotOf(hash, same);
        if (i >= m_slots.size())
            return {};
        const Slot& s = m_slots[i];
        if (s.list == id_slot::kNoList)
            return {&s.id, 1};
        return m_lists[s.list];
    }

    // Adds `id` to the live slot of `hash` that `same` accepts (nothing when it holds the id
    // already), keeping its ids ascending. Without such a slot, `fresh()` gives the key part
    // of a new one, which gets `id` as its one id; true then.
    template <class Same, class Fresh>
    bool insert(Hash hash, Id id, Same same, Fresh fresh) {
        if (const size_t i = slotOf(hash, same); i < m_slots.size()) {
            addTo(m_slots[i], id);
            return false;
        }
        makeRoom();
        const size_t mask = m_slots.size() - 1;
        size_t i = hash & mask;
        while (isLive(m_slots[i]))
            i = (i + 1) & mask;
        if (m_slots[i].list == id_slot::kGone)
            --m_gone;
        Slot& s = m_slots[i];
        s = fresh();
        s.list = id_slot::kNoList;
        s.id = id;
        ++m_live;
        return true;
    }

    // Removes `id` from the live slot of `hash` that `same` accepts. When that was its last
    // id the slot goes, and is returned (its key part still readable until the next change)
    // so that the owner can let go of what the key held; null otherwise.
    template <class Same>
    const Slot* erase(Hash hash, Id id, Same same) {
        const size_t i = slotOf(hash, same);
        if (i >= m_slots.size())
            return nullptr;
        Slot& s = m_slots[i];
        if (s.list != id_slot::kNoList) {
            removeFromList(s, id);
            return nullptr;
        }
        if (s.id != id)
            return nullptr;
        s.list = id_slot::kGone;
        --m_live;
        ++m_gone;
        return &s;
    }

    void clear() {
        m_slots.clear();
        m_lists.clear();
        m_freeLists.clear();
        m_live = m_gone = 0;
    }

    // Room for this many keys without growing the table again. The keys may fill up to two
    // thirds of it (a probe then reads about two slots, five for a key not there); held to
    // half, as a growing table keeps them, 32 767 channels and a few more took 131 072 slots
    // instead of 65 536.
    void reserve(size_t keys) {
        size_t capacity = std::max<size_t>(16, m_slots.size());
        while ((keys + 1) * 3 > capacity * 2)
            capacity *= 2;
        if (capacity > m_slots.size())
            rebuild(capacity);
    }

    size_t liveCount() const { return m_live; }

    // Calls `f(slot)` on every live slot, which may change the slot's key part but not its
    // hash, list or id.
    template <class F>
    void forEachLive(F f) {
        for (Slot& s : m_slots) {
            if (isLive(s))
                f(s);
        }
    }

private:
    // The live slot of `hash` that `same` accepts, or m_slots.size().
    template <class Same>
    size_t slotOf(Hash hash, Same same) const {
        if (m_slots.empty())
            return 0;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& s = m_slots[i];
            if (s.list == id_slot::kEmpty)
                return m_slots.size();
            if (isLive(s) && s.hash == hash && same(s))
                return i;
        }
    }

    void addTo(Slot& s, Id id) {
        if (s.list == id_slot::kNoList) {
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
    }

    void removeFromList(Slot& s, Id id) {
        std::vector<Id>& ids = m_lists[s.list];
        auto at = std::lower_bound(ids.begin(), ids.end(), id);
        if (at == ids.end() || *at != id)
            return;
        ids.erase(at);
        if (ids.size() > 1)
            return;
        // One id left: it goes back into the slot, and the list's memory with it.
        s.id = ids.front();
        ids = {};
        m_freeLists.push_back(s.list);
        s.list = id_slot::kNoList;
    }

    // Room for one more key: grows the table, or rebuilds it without the gone slots.
    void makeRoom() {
        // At most three quarters of the slots hold a key or a gone mark, so every probe ends.
        if ((m_live + m_gone + 1) * 4 <= m_slots.size() * 3)
            return;
        size_t capacity = std::max<size_t>(16, m_slots.size());
        while ((m_live + 1) * 2 > capacity)
            capacity *= 2;
        rebuild(capacity);
    }

    void rebuild(size_t capacity) {
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

    uint32_t newList() {
        if (!m_freeLists.empty()) {
            const uint32_t i = m_freeLists.back();
            m_freeLists.pop_back();
            return i;
        }
        m_lists.emplace_back();
        return static_cast<uint32_t>(m_lists.size() - 1);
    }

    std::vector<Slot> m_slots;  // a power of two in size, or empty
    std::vector<std::vector<Id>> m_lists;
    std::vector<uint32_t> m_freeLists;
    size_t m_live = 0;
    size_t m_gone = 0;
};

}  // namespace velmora::engine::store
