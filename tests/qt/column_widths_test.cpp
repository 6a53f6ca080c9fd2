// Columns a user can read, in the real main window on the offscreen platform with Qt's own
// font metrics: in every view each column shows its values and its header whole (up to the
// fitting limit); a header border dragged with the mouse resizes its column, and the width
// comes back whenever the view is shown again; and the count and filter strip below the grid
// follows the window when it grows, covering none of the grid.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/views/channel_list.h"
#include "core/views/column_widths.h"
#include "qt/grid_table_model.h"
#include "qt_program.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace col = core::views::channel_col;

void showTable(QtProgram& p, const std::string& table) {
    const auto& tables = p.app->mainForm().control("List1").items;
    const auto it = std::find(tables.begin(), tables.end(), table);
    ASSERT_NE(it, tables.end()) << table;
    p.app->mainForm().setListIndex("List1", static_cast<int>(it - tables.begin()));
    p.button("Command2")->click();
}

// Every cell and header of the grid's shown columns whole: the column is at least as wide
// as the text and the margins the cell (or header section) draws around it, unless the
// text is wider than the fitting limit. Columns that share the window's width (grid columns
// in `shares`) keep their share instead.
void expectEveryTextWhole(QtProgram& p, const std::vector<int>& shares) {
    qt::GridView* grid = p.grid();
    qt::GridTableModel* model = grid->tableModel();
    const QFontMetrics cells(grid->font());
    const QFontMetrics headers(grid->horizontalHeader()->font());
    // The delegate's text margins, and the grid line a cell gives up at its right.
    const int cellMargins =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) +
        (grid->showGrid() ? 1 : 0);
    const int headerMargins =
        2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid->horizontalHeader());
    const int limit = grid->twipsToPixelsX(core::views::kMaxFittedWidth);
    int shownColumns = 0;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c) ||
            std::find(shares.begin(), shares.end(), model->gridCol(c)) != shares.end())
            continue;
        ++shownColumns;
        const int width = grid->columnWidth(c);
        const QString header = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int headerNeeds = headers.horizontalAdvance(header) + headerMargins;
        EXPECT_GE(width, std::min(headerNeeds, limit)) << "header " << header.toStdString();
        int widest = 0;
        QString widestText;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString text = model->data(model->index(r, c)).toString();
            const int needs = cells.horizontalAdvance(text) + cellMargins;
            if (needs > widest) {
                widest = needs;
                widestText = text;
            }
        }
        EXPECT_GE(width, std::min(widest, limit))
            << "column " << header.toStdString() << " cuts \"" << widestText.toStdString() << "\"";
    }
    EXPECT_GT(shownColumns, 1);
}

struct View {
    const char* what;
    std::function<void(QtProgram&)> show;
    const char* currentView;
    std::vector<int> shares = {};
};

// A press on the right border of column `section`, a move by `dx` with the button held,
// and the release, as the mouse does it.
void dragHeaderBorder(QHeaderView* header, int section, int dx) {
    QWidget* port = header->viewport();
    const QPoint from(header->sectionViewportPosition(section) + header->sectionSize(section) - 1,
                      header->height() / 2);
    const QPoint to = from + QPoint(dx, 0);
    QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, to, port->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, to);
}

TEST(ColumnWidthsQt, EveryViewShowsItsValuesWholeAndKeepsTheWidthsTheUserDrags) {
    TempFolder dir("velmora-columns-qt-");
    const fs::path file = dir.path() / "WinSTB.mdb";
    // More than a thousand channels: four-digit numbers in the narrow Num column.
    if (!writeDemoDatabase(file, 1500))
        GTEST_SKIP() << "velmora-db could not write a demo database in " << velmora::test::binDir();
    QtProgram p(dir.path(), file);
    p.scripted.setTextMeasure([&p](std::string_view text, const core::ports::FontChoice& font) {
        return p.windows.measureText(text, font);
    });
    ASSERT_TRUE(p.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(p.window.get()));
    core::grid::GridModel& g = p.app->grid();
    ASSERT_GE(g.dataRowCount(), 1500);

    const View views[] = {
        {"the channel list",
         [](QtProgram&) {},
         "Favkanal",
         {col::kProvider, col::kName, col::kFavorite}},
        {"the groups", [](QtProgram& q) { q.button("Command6")->click(); }, "FAVNAME"},
        {"the favourites", [](QtProgram& q) { q.button("Command12")->click(); }, "Favorites"},
        {"the duplicates", [](QtProgram& q) { q.button("Command15")->click(); }, "Duplicates"},
        {"the CHANNELS table", [](QtProgram& q) { showTable(q, "CHANNELS"); }, "CHANNELS"},
        {"the SETTINGS table", [](QtProgram& q) { showTable(q, "SETTINGS"); }, "SETTINGS"},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.what);
        v.show(p);
        ASSERT_EQ(p.app->state().CurrentView, v.currentView);
        expectEveryTextWhole(p, v.shares);
    }

    // A border dragged in the channel list: the column takes the width, the settings keep it
    // for the view, and showing the list again (here after another view) brings it back.
    p.button("Command3")->click();
    ASSERT_EQ(p.app->state().CurrentView, "Favkanal");
    qt::GridView* grid = p.grid();
    const int section = col::kName - grid->tableModel()->colOffset();
    const int before = grid->columnWidth(section);
    dragHeaderBorder(grid->horizontalHeader(), section, 40);
    EXPECT_EQ(grid->columnWidth(section), before + 40);
    const int twips = g.colWidth(col::kName);
    EXPECT_EQ(twips, grid->pixelsToTwipsX(before + 40));
    EXPECT_EQ(p.scripted.settings().read("Velmora", core::views::kColumnWidthsSection, "Favkanal",
                                         "<absent>"),
              std::to_string(col::kName) + ":" + std::to_string(twips));
    p.button("Command6")->click();
    p.button("Command3")->click();
    EXPECT_EQ(g.colWidth(col::kName), twips);
    EXPECT_EQ(grid->columnWidth(section), before + 40);

    // The window made larger: the strip moves down and widens with the grid, below it.
    const QSize grown = p.window->size() + QSize(200, 150);
    p.window->resize(grown);
    QTest::qWait(20);
    QWidget* strip = p.window->widgets().widget("Frame4");
    ASSERT_NE(strip, nullptr);
    const QRect gridAt = grid->geometry();
    const QRect stripAt = strip->geometry();
    EXPECT_GT(stripAt.top(), gridAt.bottom()) << "the strip covers the grid's last row";
    EXPECT_LE(stripAt.bottom(), p.window->height());
    EXPECT_GE(stripAt.right(), gridAt.right() - 1) << "the strip follows the wider window";
    EXPECT_TRUE(p.window->close());
}

}  // namespace
}  // namespace velmora::test
