// The page cache between the Jet format code and a File.
//
// A Jet file is an array of fixed-size pages. The pager reads whole pages, keeps the most
// recently used ones in memory (least recently used pages are dropped first) and hands them
// out as shared, immutable buffers, so a decoder can keep a page alive while the cache moves
// on. The cache is small by default (64 pages): tables are decoded into memory once, so their
// data pages are read once per load; what is read again and again (table definitions, usage
// maps, index roots) is few pages, and the system keeps the file's pages in its own cache
// anyway, where reading a page again costs less than the page fault of a page of cache more.
// Misses in page order are a scan: the pages after the one asked for come in the same read, up
// to kReadAhead of them (and a quarter of the cache), so that loading a table costs a read per
// run of its pages rather than one per page. Every page number is checked against the file's
// page count before the file is touched. A page transform (for example the per-page decoding
// of an encoded database) is applied once, when a page enters the cache.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::io {

using PageRef = std::shared_ptr<const std::vector<uint8_t>>;

class Pager {
public:
    // Transforms the raw bytes of page `number` in place when it is read.
    using PageTransform = std::function<void(uint32_t number, MutableBytes page)>;

    // `pageSize` must be a power of two of at least 512. The page count is the file size
    // divided by the page size; a partial page at the end is not a page.
    static Result<std::unique_ptr<Pager>> open(std::unique_ptr<File> file, uint32_t pageSize,
                                               size_t cachePages = 64);

    uint32_t pageSize() const { return m_pageSize; }
    uint32_t pageCount() const { return m_pageCount; }
    // Bytes after the last whole page (non-zero only for a truncated or damaged file).
    uint64_t trailingBytes() const { return m_trailingBytes; }

    // Page `number`; 3049 when it lies beyond the end of the file.
    Result<PageRef> read(uint32_t number);

    void setTransform(PageTransform transform);
    // Forgets cached pages (after the file was changed underneath).
    void invalidate(uint32_t number);
    void clear();

    // Re-reads the file size (after the file grew or shrank).
    Status refreshSize();

    File& file() { return *m_file; }

    struct Stats {
        uint64_t hits = 0;
        uint64_t misses = 0;
    };
    const Stats& stats() const { return m_stats; }

private:
    Pager(std::unique_ptr<File> file, uint32_t pageSize, size_t cachePages)
        : m_file(std::move(file)), m_pageSize(pageSize), m_capacity(cachePages) {}

    struct Entry {
        PageRef page;
        std::list<uint32_t>::iterator lruPos;
    };

    static constexpr uint32_t kReadAhead = 32;
    // The cache's buffer for one more page: a new one, or when the cache is full that of its
    // least recently used page, which is dropped.
    std::shared_ptr<std::vector<uint8_t>> takeBuffer();
    // Reads pages [first, first + count) into the cache.
    Status readRun(uint32_t first, uint32_t count);
    // Puts page `number`, as read from the file, into the cache as the most recently used,
    // transformed.
    void insert(uint32_t number, std::shared_ptr<std::vector<uint8_t>> buffer);

    std::unique_ptr<File> m_file;
    uint32_t m_pageSize;
    uint32_t m_pageCount = 0;
    uint64_t m_trailingBytes = 0;
    size_t m_capacity;
    PageTransform m_transform;
    std::list<uint32_t> m_lru;  // most recently used first
    std::unordered_map<uint32_t, Entry> m_pages;
    Stats m_stats;
    static constexpr uint32_t kNoPage = 0xFFFFFFFFu;
    uint32_t m_nextInOrder = kNoPage;  // the page after the last one read from the file
    std::vector<uint8_t> m_run;        // a run of pages as read, before they go into the cache
};

}  // namespace velmora::engine::io
