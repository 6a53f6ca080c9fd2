// The four maintenance buttons in the real main window on the offscreen platform, over a
// demo database written to a real file: the duplicates view lists and (by the Delete key)
// deletes the surplus rows, the clean-up buttons delete the "(empty)" channels and the
// daggers, and ReNumber then numbers the list; the file shows each result to mdbtools.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/views/channel_list.h"
#include "qt/first_paint.h"
#include "qt/form_widgets.h"
#include "qt/grid_table_model.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"
#include "qt/ports_qt_app.h"
#include "support/app_session.h"
#include "support/shell_command.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

using core::ports::MessageAnswer;
namespace col = core::views::channel_col;

TEST(MaintenanceButtons, EachButtonDoesItsWorkOnTheDemoDatabase) {
    const std::string tool = std::string(velmora::test::binDir()) + "/velmora-db";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
    if (runShell("command -v mdb-export").status != 0)
        GTEST_SKIP() << "mdbtools are not installed";
    qtTestApp();
    AppSession s;
    const std::string file = (s.folder() / "demo.mdb").string();
    const ShellOutcome made =
        runShell(shellQuoted(tool) + " demo " + shellQuoted(file) + " --channels 300");
    ASSERT_EQ(made.status, 0) << made.out;
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, file);
    qt::MainWindow window(s.app());
    ASSERT_TRUE(s.app().start());
    window.show();
    ASSERT_TRUE(waitForFirstPaint(s.app()));
    auto button = [&](const char* name) {
        auto* b = qobject_cast<QPushButton*>(window.widgets().widget(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    };
    auto* grid = qobject_cast<qt::GridView*>(window.widgets().widget("MSFlexGrid1"));
    ASSERT_NE(grid, nullptr);

    // Show/Edit Duplicates, then every listed row deleted by the Delete key.
    button("Command15")->click();
    const int listed = grid->tableModel()->rowCount();
    ASSERT_GT(listed, 1) << "the demo holds channels on several frequencies";
    EXPECT_EQ(s.label(), std::to_string(listed) + " Datarows");
    ASSERT_TRUE(s.app().grid().setRow(1).isOk());
    ASSERT_TRUE(s.app().grid().setRowSel(listed).isOk());
    s.ports().expectMessage(MessageAnswer::Ok);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Delete);
    EXPECT_EQ(grid->tableModel()->rowCount(), 0);
    EXPECT_EQ(s.label(), "0 Datarows");

    // Back to the channel list; the two clean-ups, each answered OK.
    button("Command3")->click();
    const int before = s.app().grid().dataRowCount();
    s.ports().expectMessage(MessageAnswer::Ok);
    button("Command4")->click();
    EXPECT_LT(s.app().grid().dataRowCount(), before) << "the list shows the rows left";
    s.ports().expectMessage(MessageAnswer::Ok);
    button("Command5")->click();
    s.ports().verify();
    const int rows = s.app().grid().dataRowCount();
    for (int r = 1; r <= rows; ++r)
        EXPECT_EQ(s.cell(r, col::kName).find("\u2020"), std::string::npos) << r;

    // ReNumber after sorting by name.
    ASSERT_TRUE(s.app().grid().setCol(col::kName).isOk());
    s.app().grid().sortGenericAscending();
    button("Command8")->click();
    EXPECT_EQ(s.ports().messages().size(), 3u) << "no message of ReNumber's own";
    EXPECT_EQ(s.cell(1, col::kNum), "1");

    const ShellOutcome exported = runShell("mdb-export " + shellQuoted(file) + " CHANNELS");
    ASSERT_EQ(exported.status, 0) << exported.out;
    std::vector<std::string> channels;
    std::istringstream lines(exported.out);
    for (std::string line; std::getline(lines, line);)
        channels.push_back(line);
    std::set<int> numbers;
    for (std::size_t i = 1; i < channels.size(); ++i) {
        numbers.insert(std::atoi(channels[i].c_str()));
        EXPECT_EQ(channels[i].find("\u2020"), std::string::npos) << channels[i];
    }
    EXPECT_EQ(numbers.size(), channels.size() - 1) << "every channel its own number";
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), static_cast<int>(channels.size() - 1));
    const ShellOutcome check = runShell(shellQuoted(tool) + " check " + shellQuoted(file));
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace velmora::test
