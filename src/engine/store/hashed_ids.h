// Ascending ids by a key's 64-bit hash, in one open-addressed table that holds no key bytes.
//
// For an owner that keeps its keys elsewhere, or can make them again from what the ids name,
// and checks every id found against its own key: the groups of a GROUP BY (whose keys it keeps
// once, in order) and the lookup indexes (whose keys the table's rows give). A KeyedIds slot
// costs 24 bytes and the key's bytes besides; here a slot is 16 bytes. Keys of equal hash
// share one list of ids, which is why the owner checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velmora::engine::store {

class HashedIds {
public:
    using Id = uint32_t;

    // The hash these tables are meant to be given.
    static uint64_t hashOf(std::string_view key);

    // The ids under `hash`, ascending; empty when none. Valid until the next change.
    std::span<const Id> find(uint64_t hash) const;
    // Adds `id` under `hash` (nothing when it is there already), keeping the ids ascending.
    void insert(uint64_t hash, Id id);
    // Removes `id` from under `hash`; the hash goes when it has no id left.
    void erase(uint64_t hash, Id id);
    void clear();
    // Room for this many hashes without growing the table again.
    void reserve(size_t hashes);

private:
    // As in KeyedIds: a slot's `list` says whether it is empty, the mark of a gone hash, a live
    // hash with its one id in the slot, or one whose ids are m_lists[list].
    static constexpr uint32_t kEmpty = UINT32_MAX;
    static constexpr uint32_t kGone = UINT32_MAX - 1;
    static constexpr uint32_t kNoList = UINT32_MAX - 2;
    struct Slot {
        uint64_t hash = 0;
        uint32_t list = kEmpty;
        Id id = 0;  // the hash's one id while `list` is kNoList
    };
    static_assert(sizeof(Slot) == 16);
    static bool isLive(const Slot& s) { return s.list != kEmpty && s.list != kGone; }

    // The live slot of `hash`, or m_slots.size().
    size_t slotOf(uint64_t hash) const;
    // Room for one more hash: grows the table, or rebuilds it without the gone slots.
    void makeRoom();
    void rebuild(size_t capacity);
    uint32_t newList();

    std::vector<Slot> m_slots;  // a power of two in size, or empty
    std::vector<std::vector<Id>> m_lists;
    std::vector<uint32_t> m_freeLists;
    size_t m_live = 0;
    size_t m_gone = 0;
};

}  // namespace velmora::engine::store
