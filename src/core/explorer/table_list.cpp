#include "core/explorer/table_list.h"

#include "core/app/app.h"
#include "core/app/main_window_controls.h"
#include "core/db/table_names.h"

namespace velmora::core::explorer {

void GetTables(app::App& app) {
    form::Form& f = app.mainForm();
    f.setItems(app::control::kTableList, {});
    f.setItems(app::control::kTableList, db::userTableNames(app.db()));
    f.setEnabled(app::control::kShowTable, true);
}

void installTableList(app::App& app) {
    app.commands().install(app::command::kGetTables, [&app] { GetTables(app); });
}

}  // namespace velmora::core::explorer
