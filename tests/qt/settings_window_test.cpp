// The Settings window in the real front end on the offscreen platform: the dialog built from
// the core's form, opened beside the main window by the Settings button; a browsed database,
// the language and the colouring chosen with the mouse reach the main window once OK closed
// the dialog.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/settings_command.h"
#include "core/program/install_program.h"
#include "qt/form_dialog.h"
#include "qt/form_widgets.h"
#include "qt/main_window.h"
#include "qt/ports_qt_app.h"
#include "support/scripted_ports.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using core::app::SettingKey;

void store(ScriptedPorts& ports, SettingKey key, const std::string& value) {
    ASSERT_TRUE(ports.settings()
                    .write(core::app::kSettingsApplication, core::app::kSettingsSection,
                           core::app::settingName(key), value)
                    .isOk());
}

std::string stored(ScriptedPorts& ports, SettingKey key) {
    return ports.settings().read(core::app::kSettingsApplication, core::app::kSettingsSection,
                                 core::app::settingName(key), "<absent>");
}

// A Jet file with `channels` demo channels, written by the command-line tool (the engine's
// file headers do not mix with Qt's keywords).
bool writeDemo(const fs::path& path, int channels) {
    const fs::path tool = fs::path(VELMORA_BIN_DIR) / "velmora-db";
    const std::string command = "'" + tool.string() + "' demo '" + path.string() + "' --channels " +
                                std::to_string(channels) + " >/dev/null 2>&1";
    return fs::exists(tool) && std::system(command.c_str()) == 0 && fs::exists(path);
}

template <class W>
W* child(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(SettingsWindowQt, BrowseLanguageAndColouringTakeEffectAfterOk) {
    qtTestApp();
    std::random_device rd;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora-settings-qt-" + std::to_string(rd()));
    fs::create_directories(dir);
    const fs::path first = dir / "WinSTB.mdb";
    const fs::path second = dir / "Other.mdb";
    if (!writeDemo(first, 40) || !writeDemo(second, 200)) {
        fs::remove_all(dir);
        GTEST_SKIP() << "velmora-db could not write demo databases in " << VELMORA_BIN_DIR;
    }

    ScriptedPorts ports;
    store(ports, SettingKey::Language, "eng");
    store(ports, SettingKey::WinSTBPath, first.string());
    qt::QtModalHost modal;
    core::app::AppConfig config;
    config.environment = core::app::PathEnvironment{dir.string(), ""};
    core::app::App app(ports.ports(), modal, std::move(config));
    modal.setDispatcher(app.dispatcher());
    core::program::installProgram(app);
    {
        qt::MainWindow window(app);
        ASSERT_TRUE(app.start());
        modal.setParent(&window);
        window.show();
        auto waitForPaint = [&] {
            for (int i = 0; i < 300 && app.state().FirstPaintPending; ++i)
                QTest::qWait(10);
            return !app.state().FirstPaintPending;
        };
        ASSERT_TRUE(waitForPaint());
        const int firstRows = app.grid().dataRowCount();
        auto* settingsButton = qobject_cast<QPushButton*>(window.widgets().widget("Command11"));
        ASSERT_NE(settingsButton, nullptr);
        EXPECT_EQ(settingsButton->text(), "Settings");

        ports.expectFileDialog(second.string());
        QPoint dialogPlace;
        answerModal([&] { settingsButton->click(); },
                    [&](QWidget* dialog) {
                        EXPECT_EQ(dialog->windowTitle(), "Settings");
                        dialogPlace = dialog->pos();
                        auto* english = child<QRadioButton>(dialog, "Option2");
                        auto* path = child<QLineEdit>(dialog, "Text1");
                        if (english == nullptr || path == nullptr)
                            return;
                        EXPECT_TRUE(english->isChecked());
                        EXPECT_EQ(path->text().toStdString(), first.string());

                        child<QPushButton>(dialog, "Command1")->click();  // browse
                        EXPECT_EQ(path->text().toStdString(), second.string());
                        child<QRadioButton>(dialog, "Option1")->click();
                        EXPECT_TRUE(child<QRadioButton>(dialog, "Option1")->isChecked());
                        EXPECT_FALSE(english->isChecked());
                        child<QCheckBox>(dialog, "Check1")->click();
                        if (const char* shot = std::getenv("VELMORA_SETTINGS_SHOT"))
                            dialog->grab().save(QString::fromLocal8Bit(shot));
                        child<QPushButton>(dialog, "OKButton")->click();
                    });
        const auto g = app.mainForm().geometry();
        EXPECT_EQ(dialogPlace, QPoint(window.widgets().twipsToPixelsX(g.left + 150),
                                      window.widgets().twipsToPixelsY(g.top + 100)));

        EXPECT_EQ(stored(ports, SettingKey::Language), "deu");
        EXPECT_EQ(stored(ports, SettingKey::WinSTBPath), second.string());
        EXPECT_EQ(stored(ports, SettingKey::ColorRadio), "0");
        ASSERT_TRUE(waitForPaint());
        EXPECT_EQ(settingsButton->text(), QString::fromUtf8("Einstellungen"));
        EXPECT_EQ(app.state().DbPath, second.string());
        EXPECT_GT(app.grid().dataRowCount(), firstRows);
        const auto label = qobject_cast<QLabel*>(window.widgets().widget("Label1"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(),
                  QString::number(app.grid().dataRowCount()) + QString::fromUtf8(" Sender"));
        EXPECT_TRUE(window.close());
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
}

}  // namespace
}  // namespace velmora::test
