#include "core/explorer/paste_rows.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/command_names.h"
#include "core/app/failure_text.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/db/sql_literal.h"
#include "core/explorer/pasted_value.h"
#include "core/ports/cursor_port.h"
#include "core/views/recordset_grid.h"
#include "engine/dao/dao_error.h"
#include "engine/dao/field.h"

namespace velmora::core::explorer {

namespace {

namespace tc = engine::dao::type_code;
using engine::dao::guarded;
using ports::MessageButtons;

constexpr char kWrongFormat[] = "Wrong Format!!!";
constexpr char kScratchWrongFormat[] = "Wrong Format";

bool isNumberType(int type) {
    switch (type) {
        case tc::kByte:
        case tc::kInteger:
        case tc::kLong:
        case tc::kCurrency:
        case tc::kSingle:
        case tc::kDouble:
        case tc::kDecimal:
            return true;
        default:
            return false;
    }
}

// Puts piece `text` into `field` of the new record; a refusal leaves the field unset.
void assignPiece(engine::dao::Field field, std::string_view text) {
    (void)guarded([&] {
        const int type = field.type();
        if (type == tc::kText) {
            field.setValue(cutToFieldSize(text, field.size()));
        } else if (isNumberType(type)) {
            field.setNumber(leadingNumber(text));
        } else {
            field.setValue(text);
        }
    });
}

// Lays the text out in the scratch grid, one line per row, one piece per column; false when
// the grid cannot take it.
bool fillScratchGrid(grid::GridModel& scratch, int cols, int rows, std::string_view text) {
    if (!scratch.setFixedRows(0).isOk() || !scratch.setFixedCols(0).isOk())
        return false;
    // Emptied first: cells the text does not reach must not keep an earlier paste's text.
    if (!scratch.setRows(0).isOk() || !scratch.setRows(rows).isOk() || !scratch.setCols(0).isOk() ||
        !scratch.setCols(cols).isOk())
        return false;
    if (!scratch.setCurrentCell(0, 0).isOk() || !scratch.setRowSel(rows - 1).isOk() ||
        !scratch.setColSel(cols - 1).isOk())
        return false;
    return scratch.setClip(text).isOk();
}

// The grid row showing scratch row `r` as it was pasted.
std::string gridLine(const grid::GridModel& scratch, int r) {
    std::string line = "\t";
    for (int c = 0; c < scratch.cols(); ++c) {
        line += scratch.textMatrix(r, c);
        line += '\t';
    }
    return line;
}

// Commits the stored records and shows their rows; false (after the commit's own message,
// with the records rolled back and no row shown) when the commit failed.
bool commitAndShow(app::App& app, std::vector<std::string>& lines) {
    if (lines.empty())
        return true;
    if (!app.commitPending()) {
        lines.clear();
        return false;
    }
    grid::GridModel& g = app.grid();
    for (const std::string& line : lines)
        (void)g.addItem(line);
    lines.clear();
    const int last = g.rows() - 1;
    (void)g.setRow(last);
    (void)g.setRowSel(last);
    (void)g.setTopRow(last);
    views::showDataRowCount(app, app::UiKey::txtDatarows);
    return true;
}

}  // namespace

ClipShape clipShape(std::string_view text) {
    ClipShape shape;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\r', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        if (end < text.size() || !line.empty())
            ++shape.lines;
        const std::size_t lastTab = line.rfind('\t');
        if (lastTab != std::string_view::npos) {
            int fields = static_cast<int>(std::count(line.begin(), line.end(), '\t'));
            if (lastTab + 1 < line.size())
                ++fields;
            shape.width = std::max(shape.width, fields);
        }
        start = end + 1;
    }
    return shape;
}

void PasteRows(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    ports::WaitCursor busy(app.ports().cursor);
    ports::ClipboardPort& clipboard = app.ports().clipboard;
    if (!clipboard.hasText())
        return;
    std::string text = clipboard.text();
    std::erase(text, '\n');
    if (!isPlainText(text)) {
        busy.release();
        app.showMessage(kPasteNotText, MessageButtons::Ok);
        return;
    }
    grid::GridModel& g = app.grid();
    const ClipShape shape = clipShape(text);
    const int fields = g.cols() - 1;
    if (shape.width == 0 || shape.width > fields) {
        busy.release();
        app.showMessage(kWrongFormat, MessageButtons::Ok);
        return;
    }
    grid::GridModel& scratch = app.pasteGrid();
    if (!fillScratchGrid(scratch, fields, shape.lines, text)) {
        // Nothing sound to go on with: the scratch grid may hold an earlier paste.
        busy.release();
        app.showMessage(kScratchWrongFormat, MessageButtons::Ok);
        return;
    }

    const std::optional<std::string> table = db::quoteName(app.state().CurrentView);
    if (!table)
        return;
    const std::string sql = "SELECT * FROM " + *table;
    std::vector<std::string> stored;
    for (int r = 0; r < scratch.rows();) {
        engine::dao::Recordset rs = db::openDynaset(app.db(), sql);
        for (int inBatch = 0; r < scratch.rows() && inBatch < kPasteRowsPerCommit; ++r, ++inBatch) {
            rs.addNew();
            for (int c = 0; c < scratch.cols(); ++c) {
                const std::string_view piece = scratch.textMatrix(r, c);
                if (!piece.empty() && c < rs.fields().count())
                    assignPiece(rs.field(c), piece);
            }
            const int number = rs.tryUpdate();
            if (number != 0) {
                (void)guarded([&] { rs.cancelUpdate(); });
                rs.close();
                const bool shown = commitAndShow(app, stored);
                busy.release();
                if (shown)
                    app.showMessage(app::engineErrorMessage(number), MessageButtons::Ok);
                return;
            }
            stored.push_back(gridLine(scratch, r));
        }
        rs.close();
        if (!commitAndShow(app, stored))
            return;
    }
}

void installPasteRows(app::App& app) {
    app.commands().install(app::command::kPasteRows, [&app] { PasteRows(app); });
}

}  // namespace velmora::core::explorer
