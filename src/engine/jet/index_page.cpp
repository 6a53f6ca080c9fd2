// Decoding of index pages and walking their trees; see index_page.h.
#include "engine/jet/index_page.h"

#include <algorithm>
#include <bit>
#include <set>
#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

constexpr int kMaxTreeDepth = 32;

Status damaged(uint32_t page, const std::string& what) {
    return Status::error(err::kNotADatabase, "index page " + std::to_string(page) + ": " + what);
}

uint32_t getBe24(Bytes b, size_t off) {
    return (uint32_t(b[off]) << 16) | (uint32_t(b[off + 1]) << 8) | b[off + 2];
}
uint32_t getBe32(Bytes b, size_t off) {
    return (uint32_t(b[off]) << 24) | getBe24(b, off + 1);
}

Status walk(io::Pager& pager, const JetFormat& fmt, uint32_t pageNo, int depth,
            std::set<uint32_t>& seen, const IndexPageVisitor& visit) {
    if (depth > kMaxTreeDepth)
        return damaged(pageNo, "the index tree is deeper than any real one");
    if (!seen.insert(pageNo).second)
        return damaged(pageNo, "reached twice while walking the index tree");
    VELMORA_ASSIGN_OR_RETURN(io::PageRef bytes, pager.read(pageNo));
    VELMORA_ASSIGN_OR_RETURN(IndexPage page, decodeIndexPage(fmt, pageNo, *bytes));
    std::vector<uint32_t> children;
    if (!page.isLeaf()) {
        for (const auto& e : page.entries)
            children.push_back(e.childPage);
        if (page.tailPage != 0)
            children.push_back(page.tailPage);
    }
    VELMORA_RETURN_IF_ERROR(visit(std::move(page)));
    for (uint32_t child : children)
        VELMORA_RETURN_IF_ERROR(walk(pager, fmt, child, depth + 1, seen, visit));
    return Status::ok();
}

}  // namespace

Result<IndexPage> decodeIndexPage(const JetFormat& fmt, uint32_t number, Bytes page) {
    if (page.size() != fmt.pageSize)
        return damaged(number, "page has the wrong size");
    IndexPage p;
    p.number = number;
    p.type = page[0];
    if (p.type != page_type::kIndexNode && p.type != page_type::kIndexLeaf)
        return damaged(number, "expected an index page, found page type " + std::to_string(p.type));
    p.freeSpace = getU16(page, 2);
    p.owner = getU32(page, 4);
    p.prevPage = getU32(page, fmt.ixPrevPage);
    p.nextPage = getU32(page, fmt.ixNextPage);
    p.tailPage = getU32(page, fmt.ixTailPage);
    p.prefixLength =
        fmt.ixPrefixLengthSize == 1 ? page[fmt.ixPrefixLength] : getU16(page, fmt.ixPrefixLength);
    const size_t trailer = p.isLeaf() ? 4 : 8;
    const size_t space = fmt.pageSize - fmt.ixEntries;
    Bytes bitmap = page.subspan(fmt.ixBitmap, fmt.ixEntries - fmt.ixBitmap);
    Bytes area = page.subspan(fmt.ixEntries);
    // The bits that end an entry, in order; most bitmap bytes are zero.
    const size_t bits = std::min(space, 8 * bitmap.size());
    std::vector<uint16_t> ends;
    for (size_t at = 0; at < bitmap.size() && 8 * at < bits; ++at) {
        for (unsigned b = bitmap[at]; b != 0; b &= b - 1) {
            const size_t bit = 8 * at + size_t(std::countr_zero(b));
            if (bit < bits)
                ends.push_back(uint16_t(bit));
        }
    }
    p.entries.reserve(ends.size());
    size_t start = 0;
    // One buffer for the prefix and one for each entry in turn, not two allocations an entry.
    std::vector<uint8_t> prefix;
    std::vector<uint8_t> full;
    for (const size_t end : ends) {
        if (end <= start)
            return damaged(number, "an index entry has no bytes");
        Bytes stored = area.subspan(start, end - start);
        if (p.entries.empty()) {
            full.assign(stored.begin(), stored.end());
            if (p.prefixLength > full.size())
                return damaged(number, "the prefix is longer than the first entry");
            prefix.assign(full.begin(), full.begin() + p.prefixLength);
        } else {
            full.assign(prefix.begin(), prefix.end());
            full.insert(full.end(), stored.begin(), stored.end());
        }
        if (full.size() < trailer)
            return damaged(number, "an index entry is too short for its row pointer");
        IndexEntry e;
        size_t keyEnd = full.size() - trailer;
        e.key.assign(full.begin(), full.begin() + long(keyEnd));
        Bytes t(full.data() + keyEnd, trailer);
        e.dataPage = getBe24(t, 0);
        e.dataRow = t[3];
        if (!p.isLeaf())
            e.childPage = getBe32(t, 4);
        p.entries.push_back(std::move(e));
        start = end;
    }
    p.usedBytes = start;
    return p;
}

Result<std::vector<IndexPage>> readIndexTree(io::Pager& pager, const JetFormat& fmt,
                                             uint32_t rootPage) {
    std::vector<IndexPage> out;
    VELMORA_RETURN_IF_ERROR(visitIndexTree(pager, fmt, rootPage, [&](IndexPage&& page) {
        out.push_back(std::move(page));
        return Status::ok();
    }));
    return out;
}

Status visitIndexTree(io::Pager& pager, const JetFormat& fmt, uint32_t rootPage,
                      const IndexPageVisitor& visit) {
    std::set<uint32_t> seen;
    return walk(pager, fmt, rootPage, 0, seen, visit);
}

Result<std::vector<IndexEntry>> readIndexLeafEntries(io::Pager& pager, const JetFormat& fmt,
                                                     uint32_t rootPage,
                                                     std::vector<uint32_t>* pageNumbers) {
    VELMORA_ASSIGN_OR_RETURN(auto pages, readIndexTree(pager, fmt, rootPage));
    std::vector<IndexEntry> out;
    for (auto& p : pages) {
        if (pageNumbers != nullptr)
            pageNumbers->push_back(p.number);
        if (!p.isLeaf())
            continue;
        for (auto& e : p.entries)
            out.push_back(std::move(e));
    }
    return out;
}

}  // namespace velmora::engine::jet
