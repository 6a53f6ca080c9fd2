// Bottom-up index B-trees; see index_builder.h.
#include "engine/jet/index_builder.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

// One entry as a page stores it: key, row pointer, and for node pages the child. The key
// bytes are the leaf entry's own, read where they are kept.
struct Encoded {
    std::span<const uint8_t> key;
    uint32_t dataPage = 0;
    uint8_t dataRow = 0;
    bool node = false;
    uint32_t child = 0;

    size_t size() const { return key.size() + 4 + (node ? 4 : 0); }

    // Writes the entry's bytes from `skip` on (the part a shared prefix leaves) to `at`.
    size_t writeTo(uint8_t* at, size_t skip) const {
        uint8_t* p = std::copy(key.begin() + long(skip), key.end(), at);
        *p++ = uint8_t(dataPage >> 16);
        *p++ = uint8_t(dataPage >> 8);
        *p++ = uint8_t(dataPage);
        *p++ = dataRow;
        if (node) {
            for (int i = 3; i >= 0; --i)
                *p++ = uint8_t(child >> (8 * i));
        }
        return size_t(p - at);
    }
};

Encoded encodeEntry(const LeafEntry& e, uint32_t child, bool node) {
    return Encoded{e.key, e.dataPage, e.dataRow, node, child};
}

size_t commonPrefix(const Encoded& a, const Encoded& b) {
    size_t n = std::min(a.key.size(), b.key.size());
    size_t i = 0;
    while (i < n && a.key[i] == b.key[i])
        ++i;
    return i;
}

// Entries of one page under construction, and what they take once compressed.
struct PagePlan {
    std::vector<Encoded> entries;
    size_t fullBytes = 0;

    size_t storedBytesWith(const Encoded* extra) const {
        size_t n = entries.size() + (extra ? 1 : 0);
        if (n == 0)
            return 0;
        const Encoded& first = entries.empty() ? *extra : entries.front();
        const Encoded& last = extra ? *extra : entries.back();
        size_t prefix = n > 1 ? commonPrefix(first, last) : 0;
        size_t full = fullBytes + (extra ? extra->size() : 0);
        return full - (n - 1) * prefix;
    }
};

struct BuiltPage {
    uint32_t number = 0;
    PagePlan plan;
    uint32_t tail = 0;
    LeafEntry last;  // the last leaf entry under this page
};

std::vector<uint8_t> renderPage(const JetFormat& fmt, uint32_t tdefPage, const BuiltPage& p,
                                bool leaf, uint32_t prev, uint32_t next) {
    std::vector<uint8_t> img(fmt.pageSize, 0);
    img[0] = leaf ? page_type::kIndexLeaf : page_type::kIndexNode;
    img[1] = 0x01;
    putU32(img, 4, tdefPage);
    putU32(img, fmt.ixPrevPage, prev);
    putU32(img, fmt.ixNextPage, next);
    putU32(img, fmt.ixTailPage, leaf ? 0 : p.tail);
    const auto& entries = p.plan.entries;
    size_t prefix = entries.size() > 1 ? commonPrefix(entries.front(), entries.back()) : 0;
    if (fmt.ixPrefixLengthSize == 1)
        img[fmt.ixPrefixLength] = uint8_t(prefix);
    else
        putU16(img, fmt.ixPrefixLength, uint16_t(prefix));
    if (!leaf)
        img[fmt.ixPrefixLength + fmt.ixPrefixLengthSize] = 0x01;  // Access marks node pages here
    size_t pos = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        pos += entries[i].writeTo(img.data() + fmt.ixEntries + pos, i == 0 ? 0 : prefix);
        img[fmt.ixBitmap + pos / 8] |= uint8_t(1u << (pos % 8));
    }
    putU16(img, 2, uint16_t(fmt.pageSize - (fmt.ixEntries + pos)));
    return img;
}

}  // namespace

bool entryLess(const LeafEntry& a, const LeafEntry& b) {
    // One pass over the common bytes: this runs n log n times for every index of a commit.
    const size_t common = std::min(a.key.size(), b.key.size());
    const int order = common == 0 ? 0 : std::memcmp(a.key.data(), b.key.data(), common);
    if (order != 0)
        return order < 0;
    if (a.key.size() != b.key.size())
        return a.key.size() < b.key.size();
    if (a.dataPage != b.dataPage)
        return a.dataPage < b.dataPage;
    return a.dataRow < b.dataRow;
}

Status IndexKeyList::add(const store::TableSchema& schema, const store::RealIndex& index,
                         const store::Row& row, KeyFormat format, RowPointer where) {
    const size_t from = m_bytes.size();
    Status built = appendIndexKey(m_bytes, schema, index, row, format);
    if (!built.isOk()) {
        m_bytes.resize(from);
        return built;
    }
    m_keys.push_back({uint32_t(from), uint32_t(m_bytes.size() - from), where});
    return Status::ok();
}

std::vector<LeafEntry> IndexKeyList::sortedEntries() const {
    std::vector<LeafEntry> entries;
    entries.reserve(m_keys.size());
    const std::span<const uint8_t> all(m_bytes);
    for (const Key& k : m_keys)
        entries.push_back({all.subspan(k.from, k.length), k.where.page, k.where.row});
    std::sort(entries.begin(), entries.end(), entryLess);
    return entries;
}

Result<BuiltIndex> buildIndexTree(const JetFormat& fmt, uint32_t tdefPage, uint32_t rootPage,
                                  const std::vector<LeafEntry>& entries, PageAllocator& allocator) {
    // Entries end strictly before the page end: the reader and the check find an entry by
    // the bitmap bit of its end offset, and take the last byte of the page as no entry's end.
    const size_t space = fmt.pageSize - fmt.ixEntries - 1;
    // Leaves.
    std::vector<BuiltPage> level;
    for (const LeafEntry& e : entries) {
        Encoded enc = encodeEntry(e, 0, false);
        if (enc.size() > space / 3) {
            return Status::error(err::kOperationNotSupported,
                                 "an index key of " + std::to_string(e.key.size()) +
                                     " bytes is too long for an index page");
        }
        if (level.empty() || level.back().plan.storedBytesWith(&enc) > space)
            level.emplace_back();
        BuiltPage& p = level.back();
        p.plan.fullBytes += enc.size();
        p.plan.entries.push_back(enc);
        p.last = e;
    }
    if (level.empty())
        level.emplace_back();  // an empty index is one empty leaf

    // Pages of a level get their numbers before the level above is planned, since parent
    // entries name their children. A level of one page is the top: it goes to the root.
    auto number = [&](std::vector<BuiltPage>& pages) {
        if (pages.size() == 1) {
            pages[0].number = rootPage;
            return;
        }
        for (BuiltPage& p : pages)
            p.number = allocator.allocate();
    };
    std::vector<std::vector<BuiltPage>> levels;
    number(level);
    levels.push_back(std::move(level));
    while (levels.back().size() > 1) {
        const std::vector<BuiltPage>& children = levels.back();
        std::vector<BuiltPage> parents;
        // Each parent: entries for its children but the last, which is its tail.
        std::vector<size_t> tails;  // index into children of each parent's tail
        for (size_t ci = 0; ci < children.size(); ++ci) {
            const BuiltPage& child = children[ci];
            if (!parents.empty()) {
                BuiltPage& cur = parents.back();
                const BuiltPage& tail = children[tails.back()];
                Encoded enc = encodeEntry(tail.last, tail.number, true);
                if (cur.plan.storedBytesWith(&enc) <= space) {
                    cur.plan.fullBytes += enc.size();
                    cur.plan.entries.push_back(enc);
                    cur.tail = child.number;
                    cur.last = child.last;
                    tails.back() = ci;
                    continue;
                }
            }
            BuiltPage fresh;
            fresh.tail = child.number;
            fresh.last = child.last;
            parents.push_back(std::move(fresh));
            tails.push_back(ci);
        }
        // A node with only a tail cannot stand: it takes the previous node's tail as an
        // entry, and the previous node's last listed child becomes that node's tail.
        if (parents.size() > 1 && parents.back().plan.entries.empty()) {
            BuiltPage& prev = parents[parents.size() - 2];
            BuiltPage& last = parents.back();
            size_t prevTail = tails[tails.size() - 2];
            const BuiltPage& moved = children[prevTail];
            Encoded enc = encodeEntry(moved.last, moved.number, true);
            last.plan.fullBytes += enc.size();
            last.plan.entries.insert(last.plan.entries.begin(), enc);
            Encoded demoted = prev.plan.entries.back();
            prev.plan.entries.pop_back();
            prev.plan.fullBytes -= demoted.size();
            const BuiltPage& newTail = children[prevTail - 1];
            prev.tail = newTail.number;
            prev.last = newTail.last;
        }
        number(parents);
        levels.push_back(std::move(parents));
    }

    BuiltIndex out;
    out.levels = levels.size();
    for (size_t li = levels.size(); li-- > 0;) {
        const std::vector<BuiltPage>& pages = levels[li];
        bool leaf = li == 0;
        for (size_t i = 0; i < pages.size(); ++i) {
            uint32_t prev = i > 0 ? pages[i - 1].number : 0;
            uint32_t next = i + 1 < pages.size() ? pages[i + 1].number : 0;
            PageImage img;
            img.number = pages[i].number;
            img.bytes = renderPage(fmt, tdefPage, pages[i], leaf, prev, next);
            out.pages.push_back(std::move(img));
        }
    }
    return out;
}

}  // namespace velmora::engine::jet
