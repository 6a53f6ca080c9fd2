// Ascending row ids by a byte-string key, in one open-addressed table.
//
// A lookup index over 32 767 channels is asked twice for every grid row of a full save, and
// the unique keys of a table's primary key are all built on its first change. Kept
// as a map of strings to vectors, each lookup walked a bucket, a node, the key's own buffer and
// an id list, all in different places. Here the slots sit in one array: a lookup reads one slot
// (the key's hash and, for the usual key of one row, the row id itself) and the key's bytes in
// one shared buffer. Keys with several rows keep their ids in a list of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/store/id_slots.h"
#include "engine/store/table.h"

namespace velmora::engine::store {

class KeyedIds {
public:
    // The ids under `key`, ascending; empty when none. Valid until the next change.
    std::span<const RowId> find(std::string_view key) const;
    // Adds `id` under `key` (nothing when it is there already), keeping the ids ascending.
    void insert(std::string_view key, RowId id);
    // Removes `id` from under `key`; the key goes when it has no id left.
    void erase(std::string_view key, RowId id);
    void clear();
    // Room for this many keys without growing the table again.
    void reserve(size_t keys) { m_slots.reserve(keys); }
    // Room for this many bytes of keys without moving them again.
    void reserveKeyBytes(size_t bytes) { m_keys.reserve(bytes); }

    size_t keyCount() const { return m_slots.liveCount(); }

private:
    // 24 bytes a slot: the low half of the key's hash and where its bytes lie in m_keys.
    struct Slot {
        uint32_t hash = 0;
        uint32_t keyAt = 0;
        uint32_t keyLength = 0;
        uint32_t list = id_slot::kEmpty;
        RowId id = 0;
    };
    static_assert(sizeof(Slot) == 24);

    std::string_view keyOf(const Slot& s) const { return {m_keys.data() + s.keyAt, s.keyLength}; }
    auto sameKey(std::string_view key) const {
        return [this, key](const Slot& s) { return keyOf(s) == key; };
    }
    // Writes the live keys' bytes anew, without those of gone keys, once these pile up.
    void dropGoneKeyBytes();

    IdSlots<Slot> m_slots;
    std::string m_keys;  // the bytes of every key, live or gone
    size_t m_liveKeyBytes = 0;
};

}  // namespace velmora::engine::store
