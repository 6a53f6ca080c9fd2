// RowTexts: the texts of one grid row packed into one heap block.
//
// A list of 32 767 channels has about 400 000 cells of a few letters each; a string object
// per cell costs several times the letters themselves. Here a row costs one allocation that
// holds its letters and two bytes per slot (four in a row of more than 65 535 letters):
//
//   offset         size         meaning
//   0              4            2 * count + wide: count is the number of slots the block
//                               holds; wide (1) says the ends are 4 bytes, else 2
//   4 + w*i        w            end of slot i's text, counted from the first text byte
//   4 + w*count    end[count-1] the texts of slots 0 .. count-1, one after the other
//
// (native byte order, read and written through memcpy, so the block needs no alignment).
// A slot at or beyond count reads as empty text: a row with no text needs no block at all,
// and a row keeps its block when the grid gains columns. Trailing empty slots are not kept.
//
// The views at() returns stay valid until the row is changed (set, truncate, assignment)
// or destroyed; a move keeps them valid, since the block itself does not move.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

namespace velmora::core::grid {

class RowTexts {
public:
    RowTexts() = default;
    // Slots 0 .. texts.size()-1 hold the texts, in order.
    explicit RowTexts(std::span<const std::string_view> texts);

    std::size_t count() const;
    // Empty text for a slot the block does not hold.
    std::string_view at(std::size_t slot) const;
    // Replaces one slot's text (the text may be a view into this row). Lays the block out
    // again, so it costs the row's length.
    void set(std::size_t slot, std::string_view text);
    // Drops the slots from `count` on.
    void truncate(std::size_t count);

private:
    std::unique_ptr<char[]> m_block;  // null: every slot empty
};

}  // namespace velmora::core::grid
