// "Paste" of the table view's popup: appends the clipboard's text as new records of the shown
// table, one record per line, one field per tab-separated piece, and shows each stored line
// as a new grid row as it was pasted.
//
// Line feeds are dropped, lines end at carriage returns. A line counts as many fields as it
// has tabs, plus one when text follows its last tab; no line with a field, or a line with
// more fields than the table has, is "Wrong Format!!!" and nothing is written. The lines are
// laid out in the scratch grid MSFlexGrid2 as the grid reads clip text. Each piece goes into
// its field: empty leaves the field unset, Text fields take the text cut to their size,
// number fields the number it starts with (12abc is 12); other fields (dates, Yes/No, memos)
// take the text as the engine converts it, so a copied row pastes back as it was shown. A
// value the field refuses leaves it unset. A record the table refuses stops the paste with
// "Error " and the number; the records before it stay.
//
// The stored records are committed in batches before their grid rows appear, so when a
// commit fails (the file is full, the disk refuses) the grid shows exactly what the file
// holds. Clipboard bytes that are not text are refused before anything is written.
#pragma once

#include <string_view>

namespace velmora::core::app {
class App;
}

namespace velmora::core::explorer {

// The message for clipboard text that is not text (binary data, control characters).
inline constexpr char kPasteNotText[] =
    "The clipboard holds bytes that are not text. Nothing was pasted.";

// Rows stored between two commits.
inline constexpr int kPasteRowsPerCommit = 200;

// The shape of the text to paste (line feeds removed).
struct ClipShape {
    int width = 0;  // the most fields of any line
    int lines = 0;
};
ClipShape clipShape(std::string_view text);

void PasteRows(app::App& app);

// Installs PasteRows as command::kPasteRows.
void installPasteRows(app::App& app);

}  // namespace velmora::core::explorer
