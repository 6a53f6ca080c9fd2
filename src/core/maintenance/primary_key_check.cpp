// The primary-key check and its repair over the DAO table definitions of the open database.
#include "core/maintenance/primary_key_check.h"

#include <array>

#include "core/app/app.h"
#include "engine/dao/dao_error.h"
#include "engine/dao/database.h"
#include "engine/dao/table_defs.h"

namespace velmora::core::maintenance {

namespace {

using ports::MessageButtons;

constexpr std::array<std::string_view, 4> kKeyColumns = {"SOURCEID", "SID", "NID", "FREQUENCY"};

KeyCoverage inspect(const engine::dao::Indexes& indexes) {
    KeyCoverage coverage;
    for (const auto& index : indexes) {
        for (const auto& field : index.fields()) {
            // Names compare exactly: an index over "SourceID" does not serve the lookups.
            const std::string& name = field.name();
            if (name == kKeyColumns[0])
                coverage.sourceId = true;
            else if (name == kKeyColumns[1])
                coverage.sid = true;
            else if (name == kKeyColumns[2])
                coverage.nid = true;
            else if (name == kKeyColumns[3])
                coverage.frequency = true;
            else
                coverage.otherColumn = true;
        }
    }
    return coverage;
}

void repair(app::App& app, const engine::dao::TableDef& table) {
    app.showMessage("No primary key in Table CHANNELS", MessageButtons::Ok);
    if (app.showMessage("Create new primary key", MessageButtons::YesNoCancel) !=
        ports::MessageAnswer::Yes)
        return;

    engine::dao::Index key = table.createIndex("PrimaryKey");
    for (std::string_view column : kKeyColumns)
        key.appendField(key.createField(std::string(column)));
    key.setPrimary(true);
    key.setIgnoreNulls(false);

    engine::dao::Indexes indexes = table.indexes();
    if (engine::dao::guarded([&] { indexes.append(key); }) != 0) {
        app.showMessage("Error creating new key", MessageButtons::Ok);
        return;
    }
    if (engine::dao::guarded([&] { indexes.refresh(); }) != 0) {
        app.showMessage("Error creating new key", MessageButtons::Ok);
        return;
    }
    app.showMessage("Primary key created", MessageButtons::Ok);
}

}  // namespace

void checkPrimaryKey(app::App& app) {
    engine::dao::TableDef table = app.db().tableDefs().item("CHANNELS");
    engine::dao::Indexes indexes = table.indexes();
    if (indexes.count() == 0) {
        repair(app, table);
        return;
    }
    const KeyCoverage coverage = inspect(indexes);
    if (coverage.otherColumn)
        app.showMessage("Unknown key in Table CHANNELS", MessageButtons::Ok);
    else if (coverage.sourceId && coverage.sid && coverage.nid && coverage.frequency)
        app.showMessage("Primary key OK", MessageButtons::Ok);
    else
        app.showMessage("Wrong primary key in Table CHANNELS", MessageButtons::Ok);
}

void installPrimaryKeyCheck(app::App& app) {
    app.commands().install(std::string(kCheckPrimKeyCommand), [&app] { checkPrimaryKey(app); });
}

}  // namespace velmora::core::maintenance
