#include "core/maintenance/take_over_command.h"

#include <filesystem>

#include "core/app/app.h"
#include "core/app/database_path.h"
#include "core/app/file_backup.h"
#include "core/app/main_form.h"
#include "core/app/read_only_notice.h"
#include "core/maintenance/take_over_form.h"
#include "core/ports/cursor_port.h"
#include "core/takeover/take_over.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::maintenance {

namespace {

using app::UiKey;
using ports::MessageButtons;

// The dialog starts in the database's folder with its newest backup preset; the list shows
// the newest files first, so the other backups are at hand too.
ports::FileOpenRequest chooseOtherRequest(app::App& app) {
    ports::FileOpenRequest request;
    request.title = app.text(UiKey::msgTakeOverChooseFile);
    request.filterName = app.text(UiKey::txtTakeOverFileFilter);
    request.filterPattern = "*.MDB;*.BAK";
    request.initialFolder = app::folderOf(app.state().DbPath);
    const std::vector<std::string> backups = app::backupsOf(app.state().DbPath);
    if (!backups.empty())
        request.initialFileName = backups.back();
    request.newestFirst = true;
    return request;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

}  // namespace

void TakeOverFrom(app::App& app) {
    if (app::refuseWhileReadOnly(app))
        return;
    if (!app.askSaveQuestion())
        return;
    const std::optional<std::string> chosen =
        app.ports().fileDialog.chooseFileToOpen(chooseOtherRequest(app));
    if (!app::isAcceptedDatabasePath(chosen))
        return;
    if (sameFile(*chosen, app.state().DbPath)) {
        app.showMessage(app.text(UiKey::msgTakeOverSameFile), MessageButtons::Ok);
        return;
    }

    takeover::TakeOverPlan plan;
    {
        ports::WaitCursor busy(app.ports().cursor);
        std::unique_ptr<engine::dao::Workspace> workspace = app.createWorkspace();
        std::unique_ptr<engine::dao::Database> other;
        engine::dao::ErrorInfo error;
        if (engine::dao::guarded([&] { other = workspace->openDatabase(*chosen); }, &error) != 0) {
            busy.release();
            std::string message = app.text(UiKey::msgOpenDbFailed) + "\r\n" + *chosen +
                                  "\r\nError " + std::to_string(error.number);
            if (!error.text.empty())
                message += "\r\n" + error.text;
            app.showMessage(message, MessageButtons::Ok);
            return;
        }
        // The names are planned always; the window's option decides whether they are written.
        plan = takeover::planTakeOver(app.db(), *other, {.takeNames = true});
        other->close();
    }
    if (plan.counts.matched == 0) {
        app.showMessage(app.text(UiKey::msgTakeOverNoMatch), MessageButtons::Ok);
        return;
    }
    const std::optional<bool> names = runTakeOverWindow(app, *chosen, plan.counts);
    if (!names)
        return;
    if (!*names) {
        for (takeover::TakeOverPlan::ChannelRow& row : plan.channels)
            row.name.reset();
    }
    // The grid is built again from the file: edits the save question let go are gone.
    app.state().FavDirty = false;
    app.state().MultiFavAdded = false;
    ports::WaitCursor busy(app.ports().cursor);
    takeover::applyTakeOver(app.db(), plan);
    // One step: the file holds the whole take-over before the list shows it.
    if (!app.commitPending())
        return;
    app.commands().run(app::command::kLoadChannelList);
}

void installTakeOverFrom(app::App& app) {
    app.commands().install(app::command::kTakeOverFrom, [&app] { TakeOverFrom(app); });
    app.dispatcher()
        .on(app::kMainFormName, "Command16", form::EventKind::Click,
            [&app](const form::Event&) { TakeOverFrom(app); })
        .keep();
}

}  // namespace velmora::core::maintenance
