// The complete program in the real front end on the offscreen platform, over demo databases
// that velmora-db writes into a folder of the test's own: the core as installed for the
// window, Qt's dialogs and modeless windows, Qt's window port (owners and drags), and the
// scripted ports for message boxes, the file dialog and the settings.
#pragma once

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/program/install_program.h"
#include "first_paint.h"
#include "ports_qt_app.h"
#include "qt/form_dialog.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/install_front_end.h"
#include "qt/main_shortcuts.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/picker_keys.h"
#include "qt/qt_ports.h"
#include "support/scripted_ports.h"
#include "support/test_paths.h"

namespace velmora::test {

// A temporary folder, removed with everything in it when the test ends.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix) {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Writes the demo database of `channels` channels; false when velmora-db is not built or
// fails (the test then skips).
inline bool writeDemoDatabase(const std::filesystem::path& file, int channels, int seed = 1) {
    const std::filesystem::path tool =
        std::filesystem::path(velmora::test::binDir()) / "velmora-db";
    const std::string command = "'" + tool.string() + "' demo '" + file.string() + "' --channels " +
                                std::to_string(channels) + " --seed " + std::to_string(seed) +
                                " >/dev/null 2>&1";
    return std::filesystem::exists(tool) && std::system(command.c_str()) == 0 &&
           std::filesystem::exists(file);
}

class QtProgram {
public:
    // The program with `database` stored as its channel database and English as its
    // language; `folder` stands for the user's drive, where the file dialog starts.
    QtProgram(const std::filesystem::path& folder, const std::filesystem::path& database) {
        qtTestApp();
        store(core::app::SettingKey::Language, "eng");
        store(core::app::SettingKey::WinSTBPath, database.string());
        const core::ports::Ports s = scripted.ports();
        m_ports = std::make_unique<core::ports::Ports>(
            core::ports::Ports{s.messages, s.fileDialog, s.clipboard, s.cursor, s.events, s.program,
                               windows, s.textMetrics, s.language, s.settings});
        modal.setWindowRegistry([this](const std::string& name, QWidget* window) {
            windows.registerWindow(name, window);
        });
        core::app::AppConfig config;
        config.environment = core::app::PathEnvironment{folder.string(), ""};
        app = core::program::installProgram(*m_ports, modal, std::move(config));
        modal.setDispatcher(app->dispatcher());
    }

    // Builds the main window with its keys as the program's entry point does, starts the
    // program and waits for the first painted list.
    ::testing::AssertionResult start() {
        window = std::make_unique<qt::MainWindow>(*app);
        qt::installFrontEnd(*window, *app);
        windows.registerWindow(core::app::kMainFormName, window.get());
        if (!app->start())
            return ::testing::AssertionFailure() << "start-up failed";
        modal.setParent(window.get());
        window->show();
        return waitForPaint();
    }

    ::testing::AssertionResult waitForPaint() { return waitForFirstPaint(*app); }

    void store(core::app::SettingKey key, const std::string& value) {
        ASSERT_TRUE(scripted.settings()
                        .write(core::app::kSettingsApplication, core::app::kSettingsSection,
                               core::app::settingName(key), value)
                        .isOk());
    }
    std::string stored(core::app::SettingKey key) {
        return scripted.settings().read(core::app::kSettingsApplication,
                                        core::app::kSettingsSection, core::app::settingName(key),
                                        "<absent>");
    }

    QPushButton* button(const char* name) const {
        return qobject_cast<QPushButton*>(window->widgets().widget(name));
    }
    qt::GridView* grid() const {
        return qobject_cast<qt::GridView*>(window->widgets().widget("MSFlexGrid1"));
    }

private:
    // Made first and gone last: the core holds on to the ports it names.
    std::unique_ptr<core::ports::Ports> m_ports;

public:
    ScriptedPorts scripted;
    qt::QtPorts windows;
    qt::QtModalHost modal;
    std::unique_ptr<core::app::App> app;
    // Declared last: the window goes before the core it shows.
    std::unique_ptr<qt::MainWindow> window;
};

}  // namespace velmora::test
