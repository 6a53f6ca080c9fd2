// libFuzzer target for the clip-text parser of the grid (what a paste and Ctrl+V feed it):
// the first bytes shape the grid (rows, columns, fixed rows and columns) and choose the
// selected block, the rest is the text. Any text must be placed or refused with a Status;
// the block read back as clip text and placed again must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/grid/grid_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6)
        return 0;
    using velmora::core::grid::GridModel;
    GridModel grid;
    const int rows = 1 + data[0] % 40;
    const int cols = 1 + data[1] % 12;
    (void)grid.setRows(rows);
    (void)grid.setCols(cols);
    (void)grid.setFixedRows(data[2] % 2);
    (void)grid.setFixedCols((data[2] >> 1) % 2);
    (void)grid.setRow(data[3] % rows);
    (void)grid.setCol(data[4] % cols);
    (void)grid.setRowSel(data[5] % rows);
    (void)grid.setColSel((data[5] >> 3) % cols);

    const std::string_view text(reinterpret_cast<const char*>(data + 6), size - 6);
    if (!grid.setClip(text).isOk())
        return 0;
    const std::string first = grid.clip();
    if (!grid.setClip(first).isOk() || grid.clip() != first)
        std::abort();
    return 0;
}
