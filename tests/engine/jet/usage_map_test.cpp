// Usage maps of both kinds in both Jet versions: rows and map pages decoded from byte layouts
// written out by hand, and the writer's maps decoded again into the pages they were given.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "engine/base/error_codes.h"
#include "engine/jet/page_writer.h"
#include "engine/jet/usage_map.h"

namespace velmora::engine::jet {
namespace {

using Pages = std::vector<uint32_t>;
using Images = std::map<uint32_t, std::vector<uint8_t>>;

MapPageReader readerOf(const Images& images) {
    return [&images](uint32_t page) -> Result<io::PageRef> {
        auto it = images.find(page);
        if (it == images.end())
            return Status::error(err::kNotADatabase, "no page " + std::to_string(page));
        return io::PageRef(std::make_shared<const std::vector<uint8_t>>(it->second));
    };
}

// The map that a writer's row and the map pages it wrote decode to.
Result<UsageMap> decodeWritten(const JetFormat& fmt, const std::vector<uint8_t>& row,
                               const std::vector<PageImage>& written, uint32_t pageLimit) {
    Images images;
    for (const PageImage& p : written)
        images[p.number] = p.bytes;
    return decodeUsageMap(fmt, row, readerOf(images), pageLimit);
}

// The first `count` map pages a row points at (all of them when it has fewer).
Pages leading(const Pages& mapPages, size_t count) {
    return Pages(mapPages.begin(), mapPages.begin() + long(std::min(mapPages.size(), count)));
}

std::vector<uint8_t> bytesOf(std::initializer_list<int> head, size_t size) {
    std::vector<uint8_t> out(size, 0);
    size_t i = 0;
    for (int b : head)
        out[i++] = uint8_t(b);
    return out;
}

// A map page of `fmt` with the given bitmap bytes set (offset into the bitmap -> byte).
std::vector<uint8_t> mapPage(const JetFormat& fmt, std::map<size_t, uint8_t> bitmap,
                             uint8_t type = page_type::kUsageMap) {
    std::vector<uint8_t> page(fmt.pageSize, 0);
    page[0] = type;
    page[1] = 0x01;
    for (auto [at, b] : bitmap)
        page[4 + at] = b;
    return page;
}

struct DecodeCase {
    const char* name;
    const JetFormat& fmt;
    std::vector<uint8_t> row;
    Images images;
    uint32_t pageLimit;
    uint8_t type;
    Pages pages;
    Pages mapPages;
    bool fails = false;
};

TEST(UsageMapCodec, DecodesRowsAndMapPagesOfBothVersions) {
    const JetFormat& j3 = jet3Format();
    const JetFormat& j4 = jet4Format();
    const uint32_t none = UINT32_MAX;
    const std::vector<DecodeCase> cases = {
        {"inline: start page, bits LSB first",
         j4,
         bytesOf({0x00, 8, 0, 0, 0, 0x05, 0x80}, 69),
         {},
         none,
         0,
         {8, 10, 23},
         {}},
        {"inline: pages past the limit are left out",
         j3,
         bytesOf({0x00, 0, 0, 0, 0, 0xFF}, 133),
         {},
         5,
         0,
         {0, 1, 2, 3, 4},
         {}},
        {"Jet 4 reference: 32 736 pages per map page",
         j4,
         bytesOf({0x01, 10, 0, 0, 0, 0, 0, 0, 0, 11, 0, 0, 0}, 69),
         {{10, mapPage(j4, {{0, 0x01}, {4091, 0x80}})}, {11, mapPage(j4, {{0, 0x02}})}},
         none,
         1,
         {0, 32735, 65473},
         {10, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"Jet 3 reference: 16 352 pages per map page",
         j3,
         bytesOf({0x01, 0, 0, 0, 0, 3, 0, 0, 0}, 133),
         {{3, mapPage(j3, {{1, 0x04}, {2043, 0x80}})}},
         none,
         1,
         {16362, 32703},
         {0, 3}},
        {"reference: a range past the limit is not read",
         j4,
         bytesOf({0x01, 10, 0, 0, 0, 99, 0, 0, 0}, 69),
         {{10, mapPage(j4, {{0, 0x06}})}},
         40,
         1,
         {1, 2},
         {10, 99}},
        {"reference: a map page of another type is damage",
         j4,
         bytesOf({0x01, 10, 0, 0, 0}, 69),
         {{10, mapPage(j4, {}, page_type::kData)}},
         none,
         1,
         {},
         {},
         true},
        {"reference: a map page missing from the file is damage",
         j3,
         bytesOf({0x01, 10, 0, 0, 0}, 133),
         {},
         none,
         1,
         {},
         {},
         true},
        {"an unknown map type is damage", j4, bytesOf({0x02}, 69), {}, none, 2, {}, {}, true},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Result<UsageMap> m = decodeUsageMap(c.fmt, c.row, readerOf(c.images), c.pageLimit);
        if (c.fails) {
            ASSERT_FALSE(m.isOk());
            EXPECT_EQ(m.status().code(), err::kNotADatabase);
            continue;
        }
        ASSERT_TRUE(m.isOk()) << m.status().toString();
        EXPECT_EQ(m->type, c.type);
        EXPECT_EQ(m->pages, c.pages);
        if (c.type == usage_map_type::kReference) {
            EXPECT_EQ(leading(m->mapPages, c.mapPages.size()), c.mapPages);
            EXPECT_EQ(m->bitmapBits, referenceSlots(c.row.size()) * pagesPerMapPage(c.fmt));
        }
    }
}

UsageMap inlineMap(uint32_t start) {
    UsageMap m;
    m.startPage = start;
    return m;
}

UsageMap referenceMap(Pages mapPages, size_t rowLength) {
    UsageMap m;
    m.type = usage_map_type::kReference;
    m.mapPages = std::move(mapPages);
    m.mapPages.resize(referenceSlots(rowLength), 0);
    return m;
}

struct EncodeCase {
    const char* name;
    const JetFormat& fmt;
    size_t rowLength;
    UsageMap old;
    uint32_t oldPageCount;
    Pages freeInOld;
    Pages pages;
    uint8_t type;
    std::optional<uint32_t> start;  // inline maps
    Pages mapPages;                 // reference maps: the leading pointers
    Pages freeAfter;                // the allocator's free pages afterwards
};

TEST(UsageMapCodec, WriterMapsDecodeToTheirPagesAndReuseTheirMapPages) {
    const JetFormat& j3 = jet3Format();
    const JetFormat& j4 = jet4Format();
    const std::vector<EncodeCase> cases = {
        {"inline keeps its start while the pages fit",
         j4,
         69,
         inlineMap(16),
         600,
         {},
         {16, 20, 527},
         0,
         16,
         {},
         {}},
        {"inline moves its start down to a multiple of 8",
         j4,
         69,
         inlineMap(16),
         600,
         {},
         {13, 300},
         0,
         8,
         {},
         {}},
        {"Jet 3 inline reaches 1024 pages",
         j3,
         133,
         inlineMap(0),
         1100,
         {},
         {40, 1063},
         0,
         40,
         {},
         {}},
        {"Jet 4 inline outgrown: a reference map on the lowest free page",
         j4,
         69,
         inlineMap(0),
         700,
         {5, 9},
         {30, 600},
         1,
         std::nullopt,
         {5},
         {9}},
        {"Jet 3 inline outgrown: a reference map on a new page",
         j3,
         133,
         inlineMap(0),
         1100,
         {},
         {40, 1070},
         1,
         std::nullopt,
         {1100},
         {}},
        {"a reference map keeps its map page and stays one",
         j4,
         69,
         referenceMap({7}, 69),
         50,
         {},
         {3, 4},
         1,
         std::nullopt,
         {7},
         {}},
        {"a reference map takes a page for a range it reaches first",
         j4,
         69,
         referenceMap({7}, 69),
         50,
         {},
         {5, 40000},
         1,
         std::nullopt,
         {7, 50},
         {}},
        {"a reference map gives back the map page of a range it left",
         j3,
         133,
         referenceMap({7, 8}, 133),
         20000,
         {},
         {17000},
         1,
         std::nullopt,
         {0, 8},
         {7}},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        PageAllocator allocator(c.oldPageCount, c.freeInOld);
        std::vector<PageImage> written;
        Result<std::vector<uint8_t>> row =
            encodeUsageMapRow(c.fmt, c.rowLength, c.old, c.pages, allocator, written);
        ASSERT_TRUE(row.isOk()) << row.status().toString();
        ASSERT_EQ(row->size(), c.rowLength);
        Result<UsageMap> back = decodeWritten(c.fmt, *row, written, UINT32_MAX);
        ASSERT_TRUE(back.isOk()) << back.status().toString();
        EXPECT_EQ(back->type, c.type);
        EXPECT_EQ(back->pages, c.pages);
        if (c.start) {
            EXPECT_EQ(back->startPage, *c.start);
        }
        EXPECT_EQ(leading(back->mapPages, c.mapPages.size()), c.mapPages);
        // Every map page written is one the row points at, and nothing else was taken.
        for (const PageImage& p : written) {
            EXPECT_NE(std::find(back->mapPages.begin(), back->mapPages.end(), p.number),
                      back->mapPages.end());
            EXPECT_EQ(p.bytes[0], page_type::kUsageMap);
            EXPECT_EQ(p.bytes[1], 0x01);
        }
        EXPECT_EQ(allocator.freePagesAfter(), c.freeAfter);
    }
}

TEST(UsageMapCodec, ARowTooShortForTheRangesIsRefused) {
    // 17 pointers in a 69-byte Jet 4 row reach page 17 * 32 736 - 1.
    PageAllocator allocator(10, {});
    std::vector<PageImage> written;
    auto row =
        encodeUsageMapRow(jet4Format(), 69, inlineMap(0), {3, 17 * 32736}, allocator, written);
    ASSERT_FALSE(row.isOk());
    EXPECT_EQ(row.status().code(), err::kOperationNotSupported);
    auto fits =
        encodeUsageMapRow(jet4Format(), 69, inlineMap(0), {3, 17 * 32736 - 1}, allocator, written);
    EXPECT_TRUE(fits.isOk()) << fits.status().toString();
}

struct GlobalCase {
    const char* name;
    const JetFormat& fmt;
    size_t rowLength;
    UsageMap old;
    uint32_t oldPageCount;
    Pages freeInOld;
    int takes;       // pages the commit allocates
    Pages releases;  // pages the commit stops using
    uint8_t type;
    Pages mapPages;      // reference maps: the leading pointers
    Pages freeInFile;    // free pages below the new page count
    uint32_t pageCount;  // after the commit
    size_t length;       // of the new row
    bool refused = false;
    size_t maxRowLength = 4000;  // what page 1 leaves the row
};

TEST(UsageMapCodec, GlobalMapMarksFreePagesAndThePagesPastTheEnd) {
    const JetFormat& j3 = jet3Format();
    const JetFormat& j4 = jet4Format();
    const std::vector<GlobalCase> cases = {
        {"inline from page 0 grows with the file",
         j4,
         69,
         inlineMap(0),
         500,
         {7},
         20,
         {3},
         0,
         {},
         {3},
         519,
         5 + 65},
        {"inline from page 0 that outgrows page 1 becomes a reference map",
         j4,
         69,
         inlineMap(0),
         500,
         {7},
         20,
         {3},
         1,
         {519},
         {3},
         520,
         69,
         false,
         69},
        {"Jet 3 inline one page past its bitmap switches too",
         j3,
         133,
         inlineMap(0),
         1024,
         {},
         1,
         {},
         1,
         {1025},
         {},
         1026,
         133,
         false,
         133},
        {"inline from another page is refused",
         j4,
         69,
         inlineMap(8),
         30,
         {},
         0,
         {},
         0,
         {},
         {},
         30,
         69,
         true},
        {"Jet 4 reference keeps its map page",
         j4,
         69,
         referenceMap({5}, 69),
         20,
         {12},
         2,
         {3},
         1,
         {5},
         {3},
         21,
         69},
        {"Jet 3 reference keeps its map pages across two ranges",
         j3,
         133,
         referenceMap({5, 6}, 133),
         17000,
         {9, 16999},
         1,
         {},
         1,
         {5, 6},
         {16999},
         17000,
         133},
        {"Jet 4 reference without map pages takes one, used",
         j4,
         101,
         referenceMap({}, 101),
         20,
         {},
         0,
         {4},
         1,
         {20},
         {4},
         21,
         101},
        {"Jet 3 reference takes a page for the range the file grows into",
         j3,
         133,
         referenceMap({5}, 133),
         16352,
         {},
         1,
         {},
         1,
         {5, 16353},
         {},
         16354,
         133},
        {"a map page its own bits call free is never handed out",
         j4,
         69,
         referenceMap({5}, 69),
         20,
         {5, 12},
         1,
         {},
         1,
         {5},
         {},
         20,
         69},
    };
    for (const GlobalCase& c : cases) {
        SCOPED_TRACE(c.name);
        UsageMap old = c.old;
        old.pages = c.freeInOld;
        PageAllocator allocator = PageAllocator::forGlobalMap(c.oldPageCount, old);
        for (int i = 0; i < c.takes; ++i)
            allocator.allocate();
        for (uint32_t p : c.releases)
            allocator.release(p);
        std::vector<PageImage> written;
        Result<std::vector<uint8_t>> row =
            encodeGlobalMap(c.fmt, old, c.rowLength, c.maxRowLength, allocator, written);
        if (c.refused) {
            ASSERT_FALSE(row.isOk());
            EXPECT_EQ(row.status().code(), err::kOperationNotSupported);
            continue;
        }
        ASSERT_TRUE(row.isOk()) << row.status().toString();
        EXPECT_EQ(row->size(), c.length);
        EXPECT_EQ(allocator.newPageCount(), c.pageCount);
        Result<UsageMap> inFile = decodeWritten(c.fmt, *row, written, c.pageCount);
        ASSERT_TRUE(inFile.isOk()) << inFile.status().toString();
        EXPECT_EQ(inFile->type, c.type);
        EXPECT_EQ(inFile->pages, c.freeInFile);
        EXPECT_EQ(leading(inFile->mapPages, c.mapPages.size()), c.mapPages);
        // Past the end every page the map covers is free, up to its last bit.
        Result<UsageMap> all = decodeWritten(c.fmt, *row, written, UINT32_MAX);
        ASSERT_TRUE(all.isOk());
        const size_t covered =
            c.type == 0 ? (c.length - 5) * 8 : written.size() * size_t(pagesPerMapPage(c.fmt));
        EXPECT_EQ(all->pages.size(), c.freeInFile.size() + (covered - c.pageCount));
    }
}

}  // namespace
}  // namespace velmora::engine::jet
