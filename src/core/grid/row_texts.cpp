// Laying out and reading one row's packed texts (row_texts.h has the block's layout).
#include "core/grid/row_texts.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace velmora::core::grid {
namespace {

constexpr std::size_t kWord = sizeof(std::uint32_t);
constexpr std::size_t kNarrow = sizeof(std::uint16_t);
// The most letters a row with 2-byte ends holds.
constexpr std::size_t kNarrowLetters = std::numeric_limits<std::uint16_t>::max();

std::size_t readNumber(const char* at, std::size_t bytes) {
    if (bytes == kNarrow) {
        std::uint16_t value;
        std::memcpy(&value, at, kNarrow);
        return value;
    }
    std::uint32_t value;
    std::memcpy(&value, at, kWord);
    return value;
}

void writeNumber(char* at, std::size_t bytes, std::size_t value) {
    if (bytes == kNarrow) {
        const auto half = static_cast<std::uint16_t>(value);
        std::memcpy(at, &half, kNarrow);
        return;
    }
    const auto word = static_cast<std::uint32_t>(value);
    std::memcpy(at, &word, kWord);
}

// A block holding slots 0 .. count-1 with the texts textOf(i), or null when all of them are
// empty. Trailing empty slots are left out. textOf may read the block being replaced: the new
// one is complete before the caller lets the old one go.
template <class TextOf>
std::unique_ptr<char[]> layOut(std::size_t count, TextOf textOf) {
    while (count > 0 && textOf(count - 1).empty())
        --count;
    if (count == 0)
        return nullptr;
    std::size_t letters = 0;
    for (std::size_t i = 0; i < count; ++i)
        letters += textOf(i).size();
    if (letters > std::numeric_limits<std::uint32_t>::max() ||
        count > std::numeric_limits<std::uint32_t>::max() / (2 * kWord))
        throw std::length_error("a grid row's texts are too long");
    const bool wide = letters > kNarrowLetters;
    const std::size_t endBytes = wide ? kWord : kNarrow;
    const std::size_t header = kWord + endBytes * count;
    auto block = std::make_unique_for_overwrite<char[]>(header + letters);
    writeNumber(block.get(), kWord, 2 * count + (wide ? 1 : 0));
    std::size_t end = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view text = textOf(i);
        if (!text.empty())
            std::memcpy(block.get() + header + end, text.data(), text.size());
        end += text.size();
        writeNumber(block.get() + kWord + endBytes * i, endBytes, end);
    }
    return block;
}

}  // namespace

RowTexts::RowTexts(std::span<const std::string_view> texts)
    : m_block(layOut(texts.size(), [&](std::size_t i) { return texts[i]; })) {}

std::size_t RowTexts::count() const {
    return m_block ? readNumber(m_block.get(), kWord) / 2 : 0;
}

std::string_view RowTexts::at(std::size_t slot) const {
    if (!m_block)
        return {};
    // The header word read once: a cell's text is read on every paint and compare.
    const std::size_t head = readNumber(m_block.get(), kWord);
    const std::size_t count = head / 2;
    if (slot >= count)
        return {};
    const std::size_t bytes = (head & 1) != 0 ? kWord : kNarrow;
    const char* ends = m_block.get() + kWord;
    const std::size_t begin = slot == 0 ? 0 : readNumber(ends + bytes * (slot - 1), bytes);
    return {ends + bytes * count + begin, readNumber(ends + bytes * slot, bytes) - begin};
}

void RowTexts::set(std::size_t slot, std::string_view text) {
    const std::string_view old = at(slot);
    if (old == text)
        return;
    if (old.size() == text.size()) {
        // The letters change where they are (a new number of as many digits, say); the
        // layout stays. The text may be a view into this block.
        std::memmove(m_block.get() + (old.data() - m_block.get()), text.data(), text.size());
        return;
    }
    const std::size_t count = std::max(this->count(), slot + 1);
    m_block = layOut(count, [&](std::size_t i) { return i == slot ? text : at(i); });
}

void RowTexts::truncate(std::size_t count) {
    if (count < this->count())
        m_block = layOut(count, [&](std::size_t i) { return at(i); });
}

}  // namespace velmora::core::grid
