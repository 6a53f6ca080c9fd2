// Compacting the open database into a new file and ending the program.
#include "core/maintenance/compact_database.h"

#include <filesystem>
#include <system_error>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::maintenance {

using app::UiKey;
using ports::MessageAnswer;
using ports::MessageButtons;

std::string compactedPath(const std::string& dbPath) {
    const std::size_t keep = dbPath.size() >= 4 ? dbPath.size() - 4 : 0;
    return dbPath.substr(0, keep) + "1.mdb";
}

void compactDatabase(app::App& app) {
    const std::string source = app.state().DbPath;
    const std::string target = compactedPath(source);

    std::error_code ec;
    if (std::filesystem::exists(target, ec)) {
        app.showMessage(
            app.text(UiKey::msgNewDatabasePrefix) + target + app.text(UiKey::msgAlreadyExists),
            MessageButtons::Ok);
        return;
    }
    if (app.showMessage(
            app.text(UiKey::msgNewDatabasePrefix) + target + app.text(UiKey::msgCreatedWillExit),
            MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;

    if (app.state().ChannelDb)
        app.state().ChannelDb->close();

    engine::dao::ErrorInfo error;
    engine::dao::guarded([&] { app.state().workspace->compactDatabase(source, target); }, &error);
    if (error.number != 0) {
        // The program ends either way; a half-written copy must not be mistaken for a good
        // one, so whatever the engine left at the target goes.
        std::filesystem::remove(target, ec);
        app.showMessage("Compacting " + source + " into " + target + " failed: Error " +
                            std::to_string(error.number) + " " + error.text,
                        MessageButtons::Ok, ports::MessageIcon::Critical);
    }
    app.runPendingEvents();
    app.ports().program.endProgram(0);
}

void installCompactDatabase(app::App& app) {
    app.commands().install(std::string(kCompactDatabaseCommand), [&app] { compactDatabase(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command13", form::EventKind::Click,
            [&app](const form::Event&) { compactDatabase(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
