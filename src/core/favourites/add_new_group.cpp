#include "core/favourites/add_new_group.h"

#include <string>

#include "core/app/app.h"
#include "core/app/command_names.h"
#include "core/app/failure_text.h"
#include "core/app/read_only_notice.h"
#include "core/db/dynaset.h"
#include "core/views/recordset_grid.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::favourites {

namespace {

using engine::dao::ErrorInfo;
using engine::dao::guarded;
using ports::MessageButtons;

std::string groupName(int i) {
    return "NEW" + std::to_string(i);
}

// Stores the group NEW<i>; the engine's refusal in `error` (number 0 when it was stored).
void tryStore(engine::dao::Recordset& rs, int i, ErrorInfo& error) {
    if (guarded(
            [&] {
                rs.addNew();
                rs.field(0).setValue(groupName(i));
                rs.field(1).setNumber(i);
                rs.update();
            },
            &error) != 0) {
        (void)guarded([&] { rs.cancelUpdate(); });
    }
}

}  // namespace

void AddNewGroup(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    engine::dao::Recordset rs = db::openDynaset(app.db(), "SELECT * FROM FAVNAME");
    ErrorInfo error;
    int i = 1;
    for (; i <= kAddNewGroupAttempts; ++i) {
        tryStore(rs, i, error);
        if (error.number != engine::err::kDuplicateKey)
            break;
    }
    rs.close();
    if (error.number != 0) {
        std::string message;
        if (error.number == engine::err::kDuplicateKey) {
            message = "No group was added: " + groupName(1) + " to " +
                      groupName(kAddNewGroupAttempts) + " exist already.";
        } else {
            message = app::engineErrorMessage(error.number, error.text);
        }
        app.showMessage(message, MessageButtons::Ok);
        return;
    }
    // The group is in the file before the grid shows it.
    if (!app.commitPending())
        return;
    grid::GridModel& g = app.grid();
    (void)g.addItem("\t" + groupName(i) + "\t" + std::to_string(i));
    const int last = g.rows() - 1;
    (void)g.setRow(last);
    (void)g.setRowSel(last);
    (void)g.setTopRow(last);
    views::showDataRowCount(app, app::UiKey::txtGroups);
}

void installAddNewGroup(app::App& app) {
    app.commands().install(app::command::kAddNewGroup, [&app] { AddNewGroup(app); });
}

}  // namespace velmora::core::favourites
