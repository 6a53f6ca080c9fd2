// Finding a channel by its name: Ctrl+F opens the find window over the grid; Enter, F3 or
// "Next" makes the next row whose NAME contains the text (letter case ignored) the current
// row and scrolls it into view, Shift+F3 or "Previous" the row before; the search goes round
// from the end to the start. Nothing is written: only the current cell and the scroll
// position change. With the window closed, F3 and Shift+F3 go on with the last text.
//
// The search works on the grid's column headed "NAME" (the channel list, the duplicates
// view, the CHANNELS table); a grid without one has nothing to search, and the keys do
// nothing there.
#pragma once

#include <optional>
#include <string_view>

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::editing {

enum class FindDirection { Next, Previous };

// The column headed exactly "NAME", or std::nullopt.
std::optional<int> nameColumn(const grid::GridModel& grid);

// The first data row after (Next) or before (Previous) `fromRow` whose cell in `col` contains
// `text`, going round the end of the grid; `fromRow` itself is looked at last. Nothing for
// an empty text or when no row matches.
std::optional<int> findRow(const grid::GridModel& grid, int col, std::string_view text, int fromRow,
                           FindDirection direction);

// Installs the commands FindChannel, FindNext and FindPrevious (command_registry.h) and the
// find window's handlers.
void installFindChannel(app::App& app);

}  // namespace velmora::core::editing
