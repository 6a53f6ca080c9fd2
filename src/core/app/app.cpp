#include "core/app/app.h"

#include <stdexcept>

#include "core/app/failure_text.h"

#include "core/app/main_form.h"
#include "core/app/main_window_events.h"
#include "core/app/startup.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::app {

App::App(ports::Ports ports, ModalHost& modalHost, AppConfig config)
    : m_ports(ports),
      m_modalHost(modalHost),
      m_config(std::move(config)),
      m_undo(*m_config.files),
      m_settings(ports.settings),
      m_mainForm(createMainForm()) {
    m_dispatcher.setBeforeCommand([this] { settle(); });
    m_dispatcher.setAfterCommand([this] { afterCommand(); });
    m_dispatcher.setAbandonHook([this](const std::exception_ptr& error) { abandon(error); });
}

App::~App() = default;

bool App::start() {
    return runStartupSequence(*this);
}

void App::endProgram(int exitCode) {
    if (m_programEnded) {
        return;
    }
    m_programEnded = true;
    m_ports.program.endProgram(exitCode);
}

engine::dao::Database& App::db() {
    if (!m_state.hasDatabase()) {
        throw engine::dao::DaoError(engine::jetError(engine::err::kObjectInvalid));
    }
    return *m_state.ChannelDb;
}

bool App::askSaveQuestion() {
    if (!m_state.FavDirty) {
        return true;
    }
    if (!m_saveQuestion) {
        throw std::logic_error("the save question is not installed");
    }
    return m_saveQuestion();
}

void App::runModalCommand(const std::function<void()>& command) {
    try {
        afterCommand();
        command();
        afterCommand();
    } catch (...) {
        abandon(std::current_exception());
    }
}

ports::MessageAnswer App::showMessage(std::string_view text, ports::MessageButtons buttons,
                                      ports::MessageIcon icon) {
    return m_ports.messages.showMessage(text, buttons, icon);
}

void App::runPendingEvents() {
    m_dispatcher.runPending();
    m_ports.events.runPendingEvents();
    m_dispatcher.runPending();
}

void App::setWindowGeometry(form::TwipRect outer) {
    m_mainForm->setGeometry(outer);
    applyResize(outer.width, outer.height);
}

void App::applyResize(int width, int height) {
    applyMainWindowResize(*this, width, height);
}

bool App::requestClose() {
    m_closeAccepted = true;
    form::Event unload;
    unload.form = kMainFormName;
    unload.kind = form::EventKind::Unload;
    m_dispatcher.dispatch(unload);
    return m_closeAccepted;
}

void App::requestRepaint() {
    if (m_repaintRequest) {
        m_repaintRequest();
    }
}

std::unique_ptr<engine::dao::Workspace> App::createWorkspace() const {
    auto workspace = std::make_unique<engine::dao::Workspace>(
        engine::dao::Workspace::createWorkspace("NewJetWorkspace", "Admin", ""));
    if (m_config.storageOpener) {
        workspace->setStorageOpener(m_config.storageOpener);
    }
    return workspace;
}

void App::afterCommand() {
    (void)commitPending();
    closeUndoStep();
}

void App::closeUndoStep() {
    const engine::Status stored = m_undo.closeStep();
    if (!stored.isOk()) {
        showMessage(text(UiKey::msgUndoNotStored) + stored.message(), ports::MessageButtons::Ok);
    }
}

bool App::commitPending() {
    if (!m_state.hasDatabase() || !m_state.ChannelDb->hasPendingChanges()) {
        settle();
        return true;
    }
    if (!backUpBeforeFirstWrite()) {
        m_state.ChannelDb->rollback();
        rolledBack("");
        return false;
    }
    // Without its digest the history cannot follow the file; the command is stored all the
    // same, and an undo later finds nothing to take back.
    (void)m_undo.follow(*m_state.ChannelDb);
    try {
        m_state.ChannelDb->commit();
    } catch (const engine::dao::DaoError& e) {
        // The file keeps the state before the command; so must the tables in memory.
        m_state.ChannelDb->rollback();
        const std::string message = engineErrorMessage(e.number(), e.text());
        rolledBack(message);
        return false;
    }
    settle();
    return true;
}

bool App::backUpBeforeFirstWrite() {
    const std::string& path = m_state.ChannelDb->path();
    if (m_state.ChannelDb->isReadOnly() || m_backedUp.count(path) != 0) {
        return true;  // a read-only file is not written; its commit reports why
    }
    const LocalTime now = m_config.clock();
    const engine::Status backup = backUpFile(*m_config.files, path, now);
    if (!backup.isOk()) {
        const auto answer = showMessage(
            backupFailedQuestion(m_state.LanguageCode, backupPath(path, now), backup.message()),
            ports::MessageButtons::OkCancel, ports::MessageIcon::None);
        if (answer != ports::MessageAnswer::Ok) {
            return false;
        }
    }
    m_backedUp.insert(path);
    return true;
}

void App::abandon(const std::exception_ptr& error) {
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const engine::dao::DaoError& e) {
        message = engineErrorMessage(e.number(), e.text());
    } catch (const std::exception& e) {
        message = std::string("ERROR\r\n") + e.what();
    } catch (...) {
        message = "ERROR";
    }
    m_ports.cursor.setWaitCursor(false);
    if (m_state.hasDatabase() && m_state.ChannelDb->hasPendingChanges()) {
        m_state.ChannelDb->rollback();
        rolledBack(message);
        return;
    }
    showMessage(message, ports::MessageButtons::Ok, ports::MessageIcon::None);
    settle();
}

void App::rolledBack(std::string message) {
    std::string note;
    const bool gridChanged = m_grid.contentVersion() != m_gridVersionBefore;
    if (m_favDirtyBefore && m_grid.isRecording()) {
        // The file never held the user's unsaved edits: rebuilding from it would drop them.
        if (gridChanged) {
            m_grid.takeBackRecorded();
            note = gridTakenBackNote(m_state.LanguageCode);
        }
        takeBackShownState();
    } else if (gridChanged) {
        bool reloaded = false;
        try {
            reloaded = m_viewRebuild && m_viewRebuild();
        } catch (const std::exception&) {
            reloaded = false;  // the grid is left as it is; the note says so
        }
        note = reloaded ? gridReloadedNote(m_state.LanguageCode)
                        : gridNotReloadedNote(m_state.LanguageCode);
    } else {
        m_state.FavDirty = m_favDirtyBefore;
    }
    if (!note.empty()) {
        message += message.empty() ? note : "\r\n" + note;
    }
    if (!message.empty()) {
        showMessage(message, ports::MessageButtons::Ok, ports::MessageIcon::None);
    }
    settle();
}

void App::takeBackShownState() {
    m_state.FavDirty = true;
    m_state.MultiFavAdded = m_shownBefore.multiFavAdded;
    m_state.ColumnIsText = m_shownBefore.columnIsText;
    m_mainForm->setCaption("Label1", m_shownBefore.countLabel);
    if (m_viewEntry && !m_shownBefore.view.empty())
        m_viewEntry(m_shownBefore.view);
    else
        m_state.CurrentView = m_shownBefore.view;
}

void App::settle() {
    m_gridVersionBefore = m_grid.contentVersion();
    m_favDirtyBefore = m_state.FavDirty;
    if (!m_favDirtyBefore) {
        m_grid.stopRecording();
        return;
    }
    m_grid.startRecording();
    m_shownBefore = ShownState{m_state.CurrentView, m_state.MultiFavAdded,
                               m_mainForm->control("Label1").caption, m_state.ColumnIsText};
}

}  // namespace velmora::core::app
