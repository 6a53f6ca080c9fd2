// The distinct keys of a grouping, numbered in the order they first appear.
//
// A grouped query puts every row's key through here once. The table is open-addressed over
// key numbers and each key's bytes are kept once, back to back in one buffer, so grouping
// 32 767 rows that are all different allocates nothing per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::engine::sql {

class GroupKeys {
public:
    // The number of `key`; a key seen for the first time gets the next number, size() before
    // the call.
    size_t add(std::string_view key);
    std::string_view key(size_t number) const;
    size_t size() const { return m_hash.size(); }

private:
    void grow();

    std::vector<uint32_t> m_slots;  // key number + 1, 0 where empty; a power of two in size
    std::vector<uint64_t> m_hash;   // per key number
    std::vector<size_t> m_end;      // per key number: where its bytes end in m_keys
    std::string m_keys;
};

}  // namespace velmora::engine::sql
