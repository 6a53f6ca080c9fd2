#include "core/explorer/table_list.h"

#include "core/app/app.h"
#include "core/db/table_names.h"

namespace velmora::core::explorer {

void GetTables(app::App& app) {
    form::Form& f = app.mainForm();
    f.setItems("List1", {});
    f.setItems("List1", db::userTableNames(app.db()));
    f.setEnabled("Command2", true);
}

void installTableList(app::App& app) {
    app.commands().install(app::command::kGetTables, [&app] { GetTables(app); });
}

}  // namespace velmora::core::explorer
