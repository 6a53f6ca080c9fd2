// Columns a user can read, and the widths he gives them.
//
// When a view is shown, every shown column of the grid becomes at least as wide as its
// widest value (and its header) in the grid's font, up to kMaxFittedWidth; a column the view
// made wider keeps its width, a hidden one (width 0) stays hidden, and one that takes its
// share of the window's width (the channel list's names) keeps its share. The header borders can be
// dragged, and a width the user drags is kept in the settings for that view (application
// "Velmora", section "Columns", one key per view), so it comes back whenever the view is
// shown again, also after the next start; it wins over the fitted width.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "core/ports/text_metrics_port.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::grid {
class GridModel;
}

namespace velmora::core::views {

inline constexpr std::string_view kColumnWidthsSection = "Columns";
// Room beside a value's text, for the margins the cells and headers draw around it.
inline constexpr int kColumnTextPadding = 180;
// No column is fitted wider than this (twips); a wider value is cut off at the right.
inline constexpr int kMaxFittedWidth = 3600;

// The font every cell of the grid is drawn in.
ports::FontChoice gridFont(const grid::GridModel& grid);

// What a view's stored widths read as: "column:twips" pairs separated by blanks, "1:600
// 4:2500". Pieces that do not read as two whole numbers are skipped.
std::map<int, int> parseColumnWidths(std::string_view text);
std::string formatColumnWidths(const std::map<int, int>& widths);

// The settings key of a view: its name with every character other than a letter, a digit,
// '_', '-' or '.' written as %XX, so a table name is one key in every settings store.
std::string columnWidthsKey(std::string_view view);

// Fits the columns of the grid to their values, lets the user drag the header borders and
// puts back the widths he set for the current view.
void showColumnsReadably(app::App& app);

// The user dragged column `col` of the current view to `twips`: remembered for the view.
void rememberColumnWidth(app::App& app, int col, int twips);

// Installs the grid's column-resize handler.
void installColumnWidths(app::App& app);

}  // namespace velmora::core::views
