// The real main window on the offscreen platform: started on a channel database (the demo
// database when the command-line tool can write one, else one kept in memory), it shows the
// channel list in its grid, the count in Label1, follows the filter boxes clicked as a user
// clicks them, and tells the core about the user's resizing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "qt/first_paint.h"
#include "qt/form_widgets.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"
#include "qt/ports_qt_app.h"
#include "support/app_session.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;

struct Window {
    explicit Window(AppSession& s) : window(s.app()) {}
    QString text(const char* control) {
        QWidget* w = window.widgets().widget(control);
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            return button->text();
        return {};
    }
    qt::GridView* grid() {
        return qobject_cast<qt::GridView*>(window.widgets().widget("MSFlexGrid1"));
    }
    qt::MainWindow window;
};

TEST(MainWindowStartup, ShowsTheChannelListInTheGridAndTheCount) {
    qtTestApp();
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    Window w(s);
    ASSERT_TRUE(s.app().start());
    w.window.show();
    ASSERT_TRUE(waitForFirstPaint(s.app()));

    EXPECT_EQ(w.window.windowTitle(), "Velmora Ver 1.27");
    EXPECT_EQ(w.text("Label1"), "7 Channels");
    EXPECT_EQ(w.text("Command3"), "Show/Edit Channels");
    ASSERT_NE(w.grid(), nullptr);
    auto* model = w.grid()->tableModel();
    EXPECT_EQ(model->rowCount(), 7);
    EXPECT_EQ(model->columnCount(), 11);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), "NAME");
    EXPECT_EQ(model->data(model->index(2, 3)).toString(), QString::fromUtf8("Ö1"));
    EXPECT_TRUE(w.grid()->isColumnHidden(7) || w.grid()->columnWidth(7) == 0);

    // Unticking TV as the user does lists the radio channels only.
    auto* tv = qobject_cast<QCheckBox*>(w.window.widgets().widget("Check_TV"));
    ASSERT_NE(tv, nullptr);
    tv->click();
    EXPECT_FALSE(tv->isChecked());
    EXPECT_EQ(s.form().control("Check_TV").value, 0);
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(w.text("Label1"), "3 Channels");

    // Shown at its stored size, the window has not grown: pixel rounding stores nothing.
    EXPECT_EQ(s.form().geometry(), (core::form::TwipRect{200, 100, 9312, 5448}));
    EXPECT_FALSE(s.hasSetting(SettingKey::VSize));
    EXPECT_FALSE(s.hasSetting(SettingKey::HSize));

    // Growing the window moves the lower frames and is remembered.
    const QSize bigger = w.window.size() + QSize(0, 100);
    w.window.resize(bigger);
    QTest::qWait(20);
    EXPECT_GT(s.form().geometry().height, 5448);
    EXPECT_EQ(s.setting(SettingKey::HSize), std::to_string(s.form().geometry().height));
    const QWidget* frame2 = w.window.widgets().widget("Frame2");
    EXPECT_EQ(frame2->y(), w.window.widgets().twipsToPixelsY(s.form().control("Frame2").rect.top));
    EXPECT_TRUE(w.window.close());
}

TEST(MainWindowStartup, GermanCaptionsAndTheDemoDatabase) {
    qtTestApp();
    AppSession s;
    const std::filesystem::path tool =
        std::filesystem::path(velmora::test::binDir()) / "velmora-db";
    std::string path;
    if (std::filesystem::exists(tool)) {
        const auto demo = s.folder() / "demo.mdb";
        const std::string command = tool.string() + " demo " + demo.string() + " >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0 && std::filesystem::exists(demo))
            path = demo.string();
    }
    if (path.empty()) {
        // No file writer in this build: the same demo content, kept in memory.
        path = s.addDatabaseBuiltBy("demo.mdb", [](engine::store::Database& db) {
            auto content = demo::generateDemoDatabase({});
            ASSERT_TRUE(content.isOk());
            ASSERT_TRUE(demo::addDemoTables(db, content.value()).isOk());
            ASSERT_TRUE(db.commit().isOk());
        });
    }
    s.storeSetting(SettingKey::Language, "deu");
    s.storeSetting(SettingKey::WinSTBPath, path);
    Window w(s);
    ASSERT_TRUE(s.app().start());
    w.window.show();
    ASSERT_TRUE(waitForFirstPaint(s.app()));

    EXPECT_EQ(w.text("Command3"), QString::fromUtf8("Sender/Gruppe ändern"));
    EXPECT_EQ(w.text("Check_encrypt"), QString::fromUtf8("Verschlüsselt"));
    const int rows = w.grid()->tableModel()->rowCount();
    // Every demo channel at least once, those in several groups once per group.
    EXPECT_GE(rows, demo::kDefaultDemoChannels);
    EXPECT_EQ(w.text("Label1"), QString::number(rows) + QString::fromUtf8(" Sender"));
    EXPECT_EQ(s.app().grid().textMatrix(1, 1), "1");
    EXPECT_TRUE(w.window.close());
}

}  // namespace
}  // namespace velmora::test
