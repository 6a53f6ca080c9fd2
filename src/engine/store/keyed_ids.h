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
#include <vector>

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
    void reserve(size_t keys);

    size_t keyCount() const { return m_live; }

private:
    // A slot's `list` says what it is: empty, the mark of a gone key, a live key with its
    // one id in the slot, or a live key whose ids are m_lists[list]. 24 bytes a slot, where a
    // state of its own would pad it to 32: a table of 32 767 channels has 65 536 of them.
    static constexpr uint32_t kEmpty = UINT32_MAX;
    static constexpr uint32_t kGone = UINT32_MAX - 1;
    static constexpr uint32_t kNoList = UINT32_MAX - 2;
    struct Slot {
        uint32_t hash = 0;  // the low half of the key's hash
        uint32_t keyAt = 0;
        uint32_t keyLength = 0;
        uint32_t list = kEmpty;
        RowId id = 0;  // the key's one id while `list` is kNoList
    };
    static_assert(sizeof(Slot) == 24);
    static bool isLive(const Slot& s) { return s.list != kEmpty && s.list != kGone; }

    std::string_view keyOf(const Slot& s) const { return {m_keys.data() + s.keyAt, s.keyLength}; }
    // The live slot of `key`, or m_slots.size().
    size_t slotOf(std::string_view key, uint32_t hash) const;
    // Room for one more key: grows the table, or rebuilds it without the gone slots and
    // the bytes of gone keys, when they have piled up.
    void makeRoom();
    void rebuild(size_t capacity);
    uint32_t newList();

    std::vector<Slot> m_slots;  // a power of two in size, or empty
    std::string m_keys;         // the bytes of every key, live or gone
    std::vector<std::vector<RowId>> m_lists;
    std::vector<uint32_t> m_freeLists;
    size_t m_live = 0;
    size_t m_gone = 0;
    size_t m_liveKeyBytes = 0;
};

}  // namespace velmora::engine::store
