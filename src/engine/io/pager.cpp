// The page cache; see pager.h.
#include "engine/io/pager.h"

#include <algorithm>
#include <string>

#include "engine/base/error_codes.h"

namespace velmora::engine::io {

Result<std::unique_ptr<Pager>> Pager::open(std::unique_ptr<File> file, uint32_t pageSize,
                                           size_t cachePages) {
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return Status::error(err::kInvalidArgument,
                             "page size " + std::to_string(pageSize) + " is not valid");
    std::unique_ptr<Pager> pager(new Pager(std::move(file), pageSize, cachePages ? cachePages : 1));
    VELMORA_RETURN_IF_ERROR(pager->refreshSize());
    return pager;
}

Status Pager::refreshSize() {
    VELMORA_ASSIGN_OR_RETURN(uint64_t size, m_file->size());
    uint64_t pages = size / m_pageSize;
    if (pages > 0xFFFFFFFFull)
        return Status::error(err::kNotADatabase, "file too large for a Jet database");
    m_pageCount = uint32_t(pages);
    m_trailingBytes = size % m_pageSize;
    return Status::ok();
}

Result<PageRef> Pager::read(uint32_t number) {
    if (number >= m_pageCount) {
        return Status::error(err::kNotADatabase, "page " + std::to_string(number) +
                                                     " lies beyond the end of the file (" +
                                                     std::to_string(m_pageCount) + " pages)");
    }
    if (auto it = m_pages.find(number); it != m_pages.end()) {
        ++m_stats.hits;
        m_lru.splice(m_lru.begin(), m_lru, it->second.lruPos);
        return it->second.page;
    }
    ++m_stats.misses;
    uint32_t count = 1;
    if (number == m_nextInOrder) {
        const uint32_t most = std::min<uint32_t>(kReadAhead, uint32_t(m_capacity / 4));
        while (count < most && number + count < m_pageCount && !m_pages.contains(number + count))
            ++count;
    }
    Status s = readRun(number, count);
    if (!s)
        return s.withContext("page " + std::to_string(number) + ": ");
    m_nextInOrder = number + count;
    return m_pages.at(number).page;
}

std::shared_ptr<std::vector<uint8_t>> Pager::takeBuffer() {
    // A scan of a table larger than the cache reads each page into the buffer of one that no
    // one holds any longer, neither allocating nor clearing it.
    std::shared_ptr<std::vector<uint8_t>> buffer;
    if (m_pages.size() >= m_capacity) {
        auto oldest = m_pages.find(m_lru.back());
        if (oldest->second.page.use_count() == 1 && oldest->second.page->size() == m_pageSize)
            buffer = std::const_pointer_cast<std::vector<uint8_t>>(oldest->second.page);
        m_pages.erase(oldest);
        m_lru.pop_back();
    }
    return buffer ? buffer : std::make_shared<std::vector<uint8_t>>(m_pageSize);
}

Status Pager::readRun(uint32_t first, uint32_t count) {
    if (count == 1) {
        // One page goes straight into its buffer.
        std::shared_ptr<std::vector<uint8_t>> buffer = takeBuffer();
        VELMORA_RETURN_IF_ERROR(m_file->read(uint64_t(first) * m_pageSize, *buffer));
        insert(first, std::move(buffer));
        return Status::ok();
    }
    m_run.resize(size_t(count) * m_pageSize);
    VELMORA_RETURN_IF_ERROR(m_file->read(uint64_t(first) * m_pageSize, m_run));
    // The page asked for goes in last, as the most recently used.
    for (uint32_t k = count; k-- > 0;) {
        std::shared_ptr<std::vector<uint8_t>> buffer = takeBuffer();
        std::copy_n(m_run.begin() + long(size_t(k) * m_pageSize), m_pageSize, buffer->begin());
        insert(first + k, std::move(buffer));
    }
    return Status::ok();
}

void Pager::insert(uint32_t number, std::shared_ptr<std::vector<uint8_t>> buffer) {
    if (m_transform)
        m_transform(number, *buffer);
    m_lru.push_front(number);
    m_pages.emplace(number, Entry{std::move(buffer), m_lru.begin()});
}

void Pager::setTransform(PageTransform transform) {
    m_transform = std::move(transform);
    clear();
}

void Pager::invalidate(uint32_t number) {
    if (auto it = m_pages.find(number); it != m_pages.end()) {
        m_lru.erase(it->second.lruPos);
        m_pages.erase(it);
    }
}

void Pager::clear() {
    m_pages.clear();
    m_lru.clear();
    m_nextInOrder = kNoPage;
}

}  // namespace velmora::engine::io
