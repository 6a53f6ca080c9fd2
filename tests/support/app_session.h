// A whole program session without a window system: the core App over the scripted ports, a
// scripted host for modal windows, and channel databases kept in memory behind real (empty)
// files in a temporary folder, so the start-up's file checks see files that exist. Tests
// act as a user would (click, paint, resize, close) and read the controls and the grid.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/app/app.h"
#include "core/app/modal_host.h"
#include "engine/io/file.h"
#include "engine/store/database.h"
#include "support/scripted_ports.h"
#include "support/winstb_fixture.h"

namespace velmora::test {

// A table storage over a memory storage that outlives it, so one database can be opened,
// closed and opened again like a file.
class SharedStorage : public engine::store::TableStorage {
public:
    explicit SharedStorage(std::shared_ptr<engine::store::MemoryStorage> inner)
        : m_inner(std::move(inner)) {}
    std::vector<engine::store::TableInfo> listTables() override { return m_inner->listTables(); }
    engine::Result<std::unique_ptr<engine::store::Table>> loadTable(
        const std::string& name) override {
        return m_inner->loadTable(name);
    }
    engine::Status commit(const Changes& changes) override { return m_inner->commit(changes); }
    std::string readOnlyReason() const override { return m_inner->readOnlyReason(); }

private:
    std::shared_ptr<engine::store::MemoryStorage> m_inner;
};

// Shows modal windows by running the next queued script against them. A window without a
// script, or a script never used, fails the test. A script that leaves the window open
// stands for the user closing it by its close box.
class ScriptedModalHost : public core::app::ModalHost {
public:
    using Script = std::function<void(core::form::Form&)>;
    ~ScriptedModalHost() override;
    void expectModal(Script script) { m_scripts.push_back(std::move(script)); }
    void showModal(core::form::Form& form, const core::app::ModalGrids& grids) override;
    // While a script runs: the model behind the shown window's grid control `control`.
    core::grid::GridModel& grid(const std::string& control) const;
    // Name and caption of every window shown, in order.
    const std::vector<std::string>& shown() const { return m_shown; }

    // Modeless windows are shown at once and stay until the core closes them; each becomes
    // known to `ports` under its name, so it can be given an owner.
    void setPorts(ScriptedPorts& ports) { m_ports = &ports; }
    void showModeless(core::form::Form& form) override;
    void closeModeless(core::form::Form& form) override;
    // The modeless window open under `name`, or nullptr.
    core::form::Form* modeless(const std::string& name) const;

private:
    ScriptedPorts* m_ports = nullptr;
    std::map<std::string, core::form::Form*> m_modeless;
    std::vector<Script> m_scripts;
    std::vector<std::string> m_shown;
    core::app::ModalGrids m_grids;
};

class AppSession {
public:
    AppSession();
    ~AppSession();

    // A channel database at folder()/name, built from the standard rows (see
    // winstb_fixture.h) or left empty; `edit` may change its tables before it is stored.
    std::string addDatabase(const std::string& name, testing::WinStbOptions options = {},
                            const std::function<void(engine::store::Database&)>& edit = {});
    // A database at folder()/name whose tables `build` makes from nothing.
    std::string addDatabaseBuiltBy(const std::string& name,
                                   const std::function<void(engine::store::Database&)>& build);
    const std::filesystem::path& folder() const { return m_folder; }

    // Jet files (every path not added above) are opened through `env` from now on, as the
    // program opens them through the real file system; a fault-injecting Env makes their
    // writes fail on request. `useOsLocks` false for an Env whose files live in memory. `env`
    // must outlive the session's program; the program's backups go through it too.
    void openJetFilesThrough(engine::io::Env& env, bool useOsLocks = true);
    // Ends the program at once, as a crash-free exit without the user's close: the database
    // handles close. For an Env that goes before the session.
    void endProgram() { m_app.reset(); }
    // The wall clock the program's backup names show (the real one unless set).
    void setClock(core::app::WallClock clock) { m_clock = std::move(clock); }

    ScriptedPorts& ports() { return m_ports; }
    ScriptedModalHost& modal() { return m_modal; }
    // The settings as the program stores them.
    void storeSetting(core::app::SettingKey key, const std::string& value);
    std::string setting(core::app::SettingKey key);
    bool hasSetting(core::app::SettingKey key);

    // The program, made with its commands installed on first use.
    core::app::App& app();
    core::form::Form& form() { return app().mainForm(); }

    // Start-up, then (when it did not end the program) the first paint.
    bool start();
    void paint();
    void resize(int width, int height);
    void click(const std::string& control);
    bool close();

    // What the user sees.
    std::string label() { return form().control("Label1").caption; }
    std::string cell(int row, int col) { return std::string(app().grid().textMatrix(row, col)); }
    // The width column `col` needs to show its widest text (header included) whole, in the
    // scripted ports' measure, up to the fitting limit (core/views/column_widths.h).
    int neededWidth(int col);
    int dataRows() { return app().grid().dataRowCount(); }
    std::vector<std::string> column(int col);
    // The channel list's statement for the boxes as they are ticked now.
    std::string statement();

    // Queues the language window's script: pick the option ("Option1" Deutsch, "Option2"
    // English) and press OK.
    void chooseLanguage(const std::string& option);

private:
    std::filesystem::path m_folder;
    std::map<std::string, std::shared_ptr<engine::store::MemoryStorage>> m_databases;
    engine::io::Env* m_jetEnv = &engine::io::Env::real();
    bool m_useOsLocks = true;
    core::app::WallClock m_clock = core::app::localTimeNow;
    ScriptedPorts m_ports;
    ScriptedModalHost m_modal;
    std::unique_ptr<core::app::App> m_app;
};

}  // namespace velmora::test
