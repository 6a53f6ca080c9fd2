// The page images of one commit, in memory up to a budget and in a scratch file past it; see
// commit_pages.h.
#include "engine/jet/commit_pages.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "engine/base/error_codes.h"
#include "engine/io/page_digest.h"

namespace velmora::engine::jet {

CommitPages::CommitPages(uint32_t pageSize, io::Env* env, std::string databasePath, size_t budget)
    : m_pageSize(pageSize), m_env(env), m_databasePath(std::move(databasePath)), m_budget(budget) {}

Status CommitPages::put(uint32_t page, std::vector<uint8_t> image) {
    if (image.size() != m_pageSize)
        return Status::error(err::kInvalidArgument, "a page image of " +
                                                        std::to_string(image.size()) +
                                                        " bytes for page " + std::to_string(page));
    auto [it, added] = m_images.try_emplace(page);
    Image& held = it->second;
    if (held.slot) {
        held.slotHash = io::quickPageHash(page, image);
        return m_scratch->write(*held.slot * m_pageSize, image);
    }
    if (added)
        m_inMemory.push_back(page);
    else
        m_bytesInMemory -= held.bytes.size();
    held.bytes = std::move(image);
    m_bytesInMemory += held.bytes.size();
    return m_bytesInMemory > m_budget ? spill() : Status::ok();
}

Status CommitPages::spill() {
    if (!m_scratch && !m_noScratch) {
        // Without one the commit holds its images in memory, as it would with a larger budget.
        m_noScratch = true;
        if (m_env != nullptr) {
            Result<std::unique_ptr<io::File>> made = m_env->openScratch(m_databasePath);
            if (made.isOk()) {
                m_scratch = std::move(made).value();
                m_noScratch = false;
            }
        }
    }
    if (!m_scratch)
        return Status::ok();
    // Once over the budget, a batch of images goes in one write, into consecutive slots, so
    // that the next puts need none.
    const size_t batchBytes = kPagesPerSpill * m_pageSize;
    const size_t keep = m_budget > batchBytes ? m_budget - batchBytes : 0;
    std::vector<uint8_t> batch;
    batch.reserve(batchBytes);
    while (m_bytesInMemory > keep && !m_inMemory.empty()) {
        batch.clear();
        const uint64_t firstSlot = m_slots;
        while (m_bytesInMemory > keep && !m_inMemory.empty() && batch.size() < batchBytes) {
            const uint32_t page = m_inMemory.front();
            Image& held = m_images.at(page);
            m_inMemory.pop_front();
            held.slotHash = io::quickPageHash(page, held.bytes);
            batch.insert(batch.end(), held.bytes.begin(), held.bytes.end());
            m_bytesInMemory -= held.bytes.size();
            held.bytes = std::vector<uint8_t>();
            held.slot = m_slots++;
        }
        VELMORA_RETURN_IF_ERROR(m_scratch->write(firstSlot * m_pageSize, batch));
    }
    return Status::ok();
}

Status CommitPages::readSlot(uint64_t slot, size_t count, MutableBytes out) const {
    Status read = m_scratch->read(slot * m_pageSize, out.first(count * m_pageSize));
    return read.isOk() ? read : read.withContext("a page image of the commit: ");
}

Result<bool> CommitPages::find(uint32_t page, std::vector<uint8_t>& out) const {
    auto it = m_images.find(page);
    if (it == m_images.end())
        return false;
    if (!it->second.slot) {
        out = it->second.bytes;
        return true;
    }
    out.resize(m_pageSize);
    VELMORA_RETURN_IF_ERROR(readSlot(*it->second.slot, 1, out));
    return true;
}

Result<std::vector<uint8_t>> CommitPages::current(io::Pager& pager, uint32_t page) const {
    std::vector<uint8_t> image;
    VELMORA_ASSIGN_OR_RETURN(bool pending, find(page, image));
    if (pending)
        return image;
    if (page >= pager.pageCount())
        return std::vector<uint8_t>(pager.pageSize(), 0);
    VELMORA_ASSIGN_OR_RETURN(io::PageRef ref, pager.read(page));
    return *ref;
}

std::vector<uint32_t> CommitPages::pageNumbers() const {
    std::vector<uint32_t> numbers;
    numbers.reserve(m_images.size());
    for (const auto& entry : m_images)
        numbers.push_back(entry.first);
    return numbers;
}

io::FileAfterCommit CommitPages::fileAfter(uint64_t sizeBefore) const {
    io::FileAfterCommit after;
    after.size = sizeBefore;
    after.pages.reserve(m_images.size());
    for (const auto& [page, held] : m_images) {
        after.size = std::max(after.size, (uint64_t(page) + 1) * m_pageSize);
        after.pages.push_back(
            {page, held.slot ? held.slotHash : io::quickPageHash(page, held.bytes)});
    }
    return after;
}

Status CommitPages::forEachRun(uint32_t maxPages, const RunVisitor& visit) const {
    // Not zeroed first: every byte of a run is copied or read into it before it is visited.
    const size_t capacity = std::min<size_t>(maxPages, m_images.size()) * m_pageSize;
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    const MutableBytes run(buffer.get(), capacity);
    // Images of the run in consecutive slots come back in one read.
    size_t readAt = 0, readCount = 0;
    uint64_t readFrom = 0;
    auto readPending = [&]() -> Status {
        if (readCount == 0)
            return Status::ok();
        const size_t count = std::exchange(readCount, 0);
        return readSlot(readFrom, count, run.subspan(readAt));
    };
    for (auto it = m_images.begin(); it != m_images.end();) {
        const uint32_t first = it->first;
        size_t length = 0;
        for (uint32_t next = first;
             it != m_images.end() && it->first == next && next - first < maxPages; ++it, ++next) {
            const Image& held = it->second;
            if (!held.slot) {
                VELMORA_RETURN_IF_ERROR(readPending());
                std::copy(held.bytes.begin(), held.bytes.end(), run.begin() + long(length));
            } else {
                if (readCount != 0 && *held.slot != readFrom + readCount)
                    VELMORA_RETURN_IF_ERROR(readPending());
                if (readCount == 0) {
                    readFrom = *held.slot;
                    readAt = length;
                }
                ++readCount;
            }
            length += m_pageSize;
        }
        VELMORA_RETURN_IF_ERROR(readPending());
        VELMORA_RETURN_IF_ERROR(visit(first, run.first(length)));
    }
    return Status::ok();
}

}  // namespace velmora::engine::jet
