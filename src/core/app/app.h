// App: the running program without its toolkit. It owns what lives longer than a command
// (the main window's controls, the main grid and the paste grid, the shared state, the
// text table, the settings, the dispatcher, the command registry and the view registry) and
// hands them to the commands.
//
// Commands are not members. Each subsystem installs its handlers and named commands from
// its own folder (views::installChannelList(app), ...) and reaches the shared parts through
// the accessors below; the shell runs the ones it needs by name (command_registry.h). What
// the App itself handles is the window: start-up, the first paint, resizing and closing
// (main_window_events.cpp, startup.cpp). The constructor installs none of it:
// program::installProgram makes the App and installs the window's events and every subsystem.
//
// Every event reaches the core through dispatcher(); after each top-level event the open
// database is committed, and an unguarded failure abandons the command, rolls the database
// back and shows one message. A rolled-back command never costs the user unsaved channel-list
// edits: while FavDirty is set the grid records its changes, and a rollback takes them back
// together with the view, the count label and the flags the command had changed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "core/app/app_state.h"
#include "core/app/command_registry.h"
#include "core/app/database_path.h"
#include "core/app/file_backup.h"
#include "core/app/modal_host.h"
#include "core/app/settings.h"
#include "core/app/ui_text.h"
#include "core/app/undo_history.h"
#include "core/app/view_registry.h"
#include "core/form/dispatcher.h"
#include "core/form/form.h"
#include "core/grid/grid_model.h"
#include "core/ports/ports.h"
#include "engine/dao/workspace.h"

namespace velmora::core::app {

struct AppConfig {
    // Opens the storage behind a database path (the Jet file layer in the program, memory
    // storages in tests).
    engine::dao::StorageOpener storageOpener;
    PathEnvironment environment = PathEnvironment::fromProcess();
    // Where backups of the database are written (beside it), and the clock their names show.
    engine::io::Env* files = &engine::io::Env::real();
    WallClock clock = localTimeNow;
};

class App {
public:
    App(ports::Ports ports, ModalHost& modalHost, AppConfig config);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Runs the start-up sequence. False when it ended the program (no database); the caller
    // then shows no window.
    bool start();
    // True once the program was ended (start-up found no database, compacting finished).
    bool programEnded() const { return m_programEnded; }
    void endProgram(int exitCode = 0);

    // --- What commands work on -------------------------------------------------------------
    AppState& state() { return m_state; }
    const AppState& state() const { return m_state; }
    form::Form& mainForm() { return *m_mainForm; }
    const form::Form& mainForm() const { return *m_mainForm; }
    grid::GridModel& grid() { return m_grid; }            // MSFlexGrid1
    grid::GridModel& pasteGrid() { return m_pasteGrid; }  // MSFlexGrid2
    form::Dispatcher& dispatcher() { return m_dispatcher; }
    CommandRegistry& commands() { return m_commands; }
    ViewRegistry& views() { return m_views; }
    const ViewRegistry& views() const { return m_views; }
    ports::Ports& ports() { return m_ports; }
    ModalHost& modalHost() { return m_modalHost; }
    Settings& settings() { return m_settings; }
    UiText& uiText() { return m_uiText; }
    const std::string& text(UiKey key) const { return m_uiText.text(key); }
    const PathEnvironment& environment() const { return m_config.environment; }
    const AppConfig& config() const { return m_config; }
    // The open database; throws DaoError 3420 (object invalid) when none is open.
    engine::dao::Database& db();

    // The save question every view change, the Settings command and closing ask while the
    // grid holds unsaved assignments: true to go on, false to stop. The favourites subsystem
    // installs it (it owns the save); asking while FavDirty is set and none is installed is a
    // programming error (std::logic_error). Asks nothing when FavDirty is off.
    bool askSaveQuestion();
    void setSaveQuestion(std::function<bool()> question) { m_saveQuestion = std::move(question); }

    // Rebuilds the current view from the file after a rolled-back command that had changed
    // the grid; false when the view cannot be rebuilt. The views install it.
    void setViewRebuild(std::function<bool()> rebuild) { m_viewRebuild = std::move(rebuild); }
    // Makes `view` the current view again with its controls (the filter boxes, the
    // channel-list buttons, List3), when a rolled-back command is taken back to what the
    // window showed before it. The views install it.
    void setViewEntry(std::function<void(const std::string& view)> enter) {
        m_viewEntry = std::move(enter);
    }

    // Commits what the running command changed so far as its own atomic step, so that a later
    // failure of the same command rolls back only what follows. The first commit to a file in
    // a run makes its backup first (file_backup.h); when that fails the user chooses between
    // going on without one and writing nothing. False when nothing was written: then the
    // changes were rolled back and the failure reported (see rolledBack).
    bool commitPending();

    // The commits of one command are one step of the undo history (undo_history.h): the
    // step is closed when the command's event has been handled, and by this call, which the
    // save question's Yes makes so that the save is a step of its own.
    void closeUndoStep();
    UndoHistory& undoHistory() { return m_undo; }

    // The backup before the first write to the open file in this run (file_backup.h); false
    // when it failed and the user chose to write nothing. Commits make it themselves; a write
    // that is no commit (an undo) asks for it first.
    bool backUpBeforeFirstWrite();

    // Builds the shown view again from the file; false when it cannot be built.
    bool rebuildShownView() { return m_viewRebuild && m_viewRebuild(); }

    // Runs one command of a modal window while the command that opened the window is still
    // running. Changes made before it are committed first and its own are committed after
    // it, as for any event; an unguarded failure is reported and rolls back only its own
    // changes. Nothing escapes, so the window stays open and no error reaches the window
    // system's event loop.
    void runModalCommand(const std::function<void()>& command);

    // A message box with the default title.
    ports::MessageAnswer showMessage(std::string_view text, ports::MessageButtons buttons,
                                     ports::MessageIcon icon = ports::MessageIcon::None);

    // Lets every pending event run: the dispatcher's queue, then the window system's.
    void runPendingEvents();

    // Moves or sizes the main window from code; the resize rules run at once, as the
    // window system raises its resize event while the size is set.
    void setWindowGeometry(form::TwipRect outer);
    // The resize rules for a new outer size (twips), also run for the user's resizing.
    void applyResize(int width, int height);

    // Closing the main window: dispatches its Unload event and says whether it may close.
    bool requestClose();
    // Set by the Unload handler: false when the save question was cancelled.
    void setCloseAccepted(bool accepted) { m_closeAccepted = accepted; }

    // The front end's way to be asked for a paint (start-up reruns leave the first paint
    // pending); none in tests, which dispatch the paint themselves.
    void setRepaintRequest(std::function<void()> request) { m_repaintRequest = std::move(request); }
    void requestRepaint();

    // Starts a workspace with the configured storage opener.
    std::unique_ptr<engine::dao::Workspace> createWorkspace() const;

private:
    void afterCommand();
    void abandon(const std::exception_ptr& error);
    // After the changes of a command were rolled back: with unsaved edits before it, the
    // window shows again what it showed (the grid's recorded changes and the view taken
    // back); without, a grid the command changed is rebuilt from the file (or the message
    // says it could not be). FavDirty is what it was before the command, and `message`
    // (empty: none) is shown with a line saying what the grid shows.
    void rolledBack(std::string message);
    // The grid and the file are in step: what follows belongs to the next command. While
    // FavDirty is set, the grid records from here and the window's view state is noted.
    void settle();
    void takeBackShownState();

    // What the main window showed besides the grid when the running command began; noted
    // only while the grid held unsaved edits.
    struct ShownState {
        std::string view;
        bool multiFavAdded = false;
        std::string countLabel;
        std::array<bool, 101> columnIsText{};
    };

    ports::Ports m_ports;
    ModalHost& m_modalHost;
    AppConfig m_config;
    // Before the state: the open database's commit observer points into it.
    UndoHistory m_undo;
    Settings m_settings;
    UiText m_uiText;
    std::unique_ptr<form::Form> m_mainForm;
    grid::GridModel m_grid;
    grid::GridModel m_pasteGrid;
    std::uint64_t m_gridVersionBefore = 0;  // the grid's content when the command began
    bool m_favDirtyBefore = false;          // FavDirty when the running command began
    ShownState m_shownBefore;
    std::set<std::string> m_backedUp;  // files whose first write in this run is past
    form::Dispatcher m_dispatcher;
    CommandRegistry m_commands;
    ViewRegistry m_views{m_commands};
    AppState m_state;
    std::function<void()> m_repaintRequest;
    std::function<bool()> m_saveQuestion;
    std::function<bool()> m_viewRebuild;
    std::function<void(const std::string&)> m_viewEntry;
    bool m_closeAccepted = true;
    bool m_programEnded = false;
};

}  // namespace velmora::core::app
