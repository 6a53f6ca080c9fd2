// Index pages: intermediate ("node", type 0x03) and leaf (type 0x04) pages of a real index's
// B-tree.
//
//   field          J3 off  J4 off  size
//   free space     0x02    0x02    2
//   owner (TDEF)   0x04    0x04    4
//   previous page  0x08    0x0C    4     same level, 0 = none
//   next page      0x0C    0x10    4
//   tail page      0x10    0x14    4     node pages: the last child, not listed as an entry
//   prefix length  0x14    0x18    1/2   bytes every entry after the first shares with it
//   entry bitmap   0x16    0x1B          bit (end of entry, from entries start) set per entry
//   entries        0xF8    0x1E0
//
// Leaf entry: [key][data page: 3 bytes big-endian][row: 1]. Node entry: the same, then the
// child page (4 bytes big-endian); its key and row are those of the child's last entry.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/pager.h"
#include "engine/jet/format.h"

namespace velmora::engine::jet {

struct IndexEntry {
    std::vector<uint8_t> key;  // the encoded key, without the row pointer
    uint32_t dataPage = 0;
    uint8_t dataRow = 0;
    uint32_t childPage = 0;  // node entries only

    bool operator==(const IndexEntry&) const = default;
};

struct IndexPage {
    uint32_t number = 0;
    uint8_t type = 0;  // page_type::kIndexNode or kIndexLeaf
    uint16_t freeSpace = 0;
    uint32_t owner = 0;
    uint32_t prevPage = 0;
    uint32_t nextPage = 0;
    uint32_t tailPage = 0;
    uint16_t prefixLength = 0;
    std::vector<IndexEntry> entries;
    size_t usedBytes = 0;  // stored entry bytes (after prefix compression)

    bool isLeaf() const { return type == page_type::kIndexLeaf; }
};

Result<IndexPage> decodeIndexPage(const JetFormat& fmt, uint32_t number, Bytes page);

// Every page of the tree under `rootPage`, parents before children, children in key order.
// A page reached twice, a tree deeper than any real one or a page of the wrong type is
// reported as damage.
Result<std::vector<IndexPage>> readIndexTree(io::Pager& pager, const JetFormat& fmt,
                                             uint32_t rootPage);

// The same pages in the same order, handed to `visit` one at a time, so that a caller that
// looks at each page once never holds the whole tree decoded. A failing visit ends the walk
// with its status.
using IndexPageVisitor = std::function<Status(IndexPage&& page)>;
Status visitIndexTree(io::Pager& pager, const JetFormat& fmt, uint32_t rootPage,
                      const IndexPageVisitor& visit);

// The leaf entries of the tree under `rootPage`, in tree order; with `pageNumbers`, also the
// number of every page of the tree, in the order of readIndexTree().
Result<std::vector<IndexEntry>> readIndexLeafEntries(io::Pager& pager, const JetFormat& fmt,
                                                     uint32_t rootPage,
                                                     std::vector<uint32_t>* pageNumbers = nullptr);

}  // namespace velmora::engine::jet
