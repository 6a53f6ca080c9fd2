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

#include "engine/store/id_slots.h"

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
    void clear() { m_slots.clear(); }
    // Room for this many hashes without growing the table again.
    void reserve(size_t hashes) { m_slots.reserve(hashes); }

private:
    struct Slot {
        uint64_t hash = 0;
        uint32_t list = id_slot::kEmpty;
        Id id = 0;
    };
    static_assert(sizeof(Slot) == 16);
    // The hash is the whole key.
    static bool anyKey(const Slot&) { return true; }

    IdSlots<Slot> m_slots;
};

}  // namespace velmora::engine::store
