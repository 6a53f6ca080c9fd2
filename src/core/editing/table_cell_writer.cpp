#include "core/editing/table_cell_writer.h"

#include <optional>
#include <string>

#include "core/app/app.h"
#include "core/app/failure_text.h"
#include "core/db/dynaset.h"
#include "core/editing/grid_edit.h"
#include "core/editing/row_finder.h"
#include "core/ports/cursor_port.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::editing {

namespace {

using engine::dao::guarded;
using engine::dao::Recordset;

// Stores the cell; the Jet error number, 0 when it worked.
int storeCell(app::App& app, const app::EditedCell& cell) {
    engine::dao::Database& db = app.db();
    std::optional<std::string> sql;
    int number = guarded(
        [&] { sql = rowFindingStatement(db, app.state().CurrentView, app.grid(), cell.row); });
    if (number != 0)
        return number;
    if (!sql)
        return engine::err::kNoCurrentRecord;
    return storeInFirstRecord(db, *sql, cell.col - 1, cell.newText);
}

}  // namespace

int storeInFirstRecord(engine::dao::Database& database, const std::string& sql, int field,
                       const std::string& text) {
    std::optional<Recordset> rs;
    int number = guarded([&] { rs.emplace(db::openDynaset(database, sql)); });
    if (number != 0)
        return number;
    if (rs->eof())
        return engine::err::kNoCurrentRecord;
    number = guarded([&] {
        rs->edit();
        rs->field(field).setValue(text);
    });
    if (number == 0)
        number = rs->tryUpdate();
    if (number != 0)
        (void)guarded([&] { rs->cancelUpdate(); });
    rs->close();
    return number;
}

bool writeTableCell(app::App& app, const app::EditedCell& cell) {
    int number = 0;
    {
        ports::WaitCursor busy(app.ports().cursor);
        number = storeCell(app, cell);
    }
    if (number != 0) {
        app.showMessage(app::engineErrorMessage(number), ports::MessageButtons::Ok);
        app.mainForm().setText(kTextEditor, cell.oldText);
    }
    app.state().FavDirty = false;
    return number == 0;
}

}  // namespace velmora::core::editing
