// The grid adapter as a Qt item model: checked by QAbstractItemModelTester through every kind
// of grid change, and for its mapping of header, cells, colours and alignment.
#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/grid/grid_model.h"
#include "ports_qt_app.h"
#include "qt/grid_table_model.h"

namespace velmora::qt {
namespace {

using core::grid::CellAlignment;
using core::grid::GridModel;
using core::grid::Rgb;

// Collects what the model tester reports; it reports through the "qt.modeltest" category.
std::vector<std::string>* g_testerFailures = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void collectTesterMessages(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (g_testerFailures && context.category && std::string(context.category) == "qt.modeltest" &&
        type != QtDebugMsg)
        g_testerFailures->push_back(message.toStdString());
    else if (g_previousHandler)
        g_previousHandler(type, context, message);
}

class GridTableModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        velmora::test::qtTestApp();
        g_testerFailures = &m_failures;
        g_previousHandler = qInstallMessageHandler(collectTesterMessages);
    }
    void TearDown() override {
        qInstallMessageHandler(g_previousHandler);
        g_testerFailures = nullptr;
    }

    static void fill(GridModel& grid, int dataRows) {
        ASSERT_TRUE(grid.setRows(1).isOk());
        ASSERT_TRUE(grid.setHeader({"", "Num", "NAME"}, CellAlignment::LeftCenter).isOk());
        for (int i = 0; i < dataRows; ++i)
            ASSERT_TRUE(grid.addItem("\t" + std::to_string(dataRows - i) + "\tname").isOk());
    }

    std::vector<std::string> m_failures;
};

TEST_F(GridTableModelTest, ModelTesterAcceptsEveryKindOfChange) {
    GridModel grid;
    GridTableModel model(grid);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    fill(grid, 5);
    ASSERT_TRUE(grid.addItem("\t0\tinserted", 1).isOk());
    ASSERT_TRUE(grid.removeItem(grid.rows() - 1).isOk());
    ASSERT_TRUE(grid.setCols(5).isOk());
    ASSERT_TRUE(grid.setCols(2).isOk());
    ASSERT_TRUE(grid.setCols(3).isOk());
    grid.sortGenericAscending();
    ASSERT_TRUE(grid.setTextMatrix(0, 1, "Nummer").isOk());
    ASSERT_TRUE(grid.setTextMatrix(2, 0, "marker").isOk());
    ASSERT_TRUE(grid.setCellBackColorAt(2, 2, Rgb{214, 239, 247}).isOk());
    ASSERT_TRUE(grid.setColWidth(2, 0).isOk());
    ASSERT_TRUE(grid.setCurrentCell(1, 1).isOk());
    ASSERT_TRUE(grid.setRowSel(3).isOk());
    ASSERT_TRUE(grid.setClip("a\tb\rc\td").isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    ASSERT_TRUE(grid.setFixedRows(0).isOk());
    ASSERT_TRUE(grid.setFixedRows(1).isOk());
    ASSERT_TRUE(grid.setFixedCols(1).isOk());
    // Redraw off: many changes, then one reset.
    grid.setRedraw(false);
    ASSERT_TRUE(grid.setRows(1).isOk());
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(grid.addItem("\tx\ty").isOk());
    ASSERT_TRUE(grid.removeItem(3).isOk());
    grid.setRedraw(true);
    ASSERT_TRUE(grid.setRows(1).isOk());  // only the header row left
    ASSERT_TRUE(grid.addItem("\tlast").isOk());
    EXPECT_TRUE(m_failures.empty()) << m_failures.front();
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 2);
}

TEST_F(GridTableModelTest, FixedRowIsTheHeaderAndCellsMapThrough) {
    GridModel grid;
    fill(grid, 2);
    GridTableModel model(grid);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Num");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "NAME");
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "2");
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "name");
    EXPECT_EQ(model.indexForCell(2, 2), model.index(1, 1));
    EXPECT_FALSE(model.indexForCell(0, 1).isValid()) << "a header cell is no item";
    EXPECT_FALSE(model.indexForCell(3, 1).isValid());

    // Fixed cells in the fixed colour, a coloured cell in its colour, others white.
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
              QColor(240, 240, 240));
    EXPECT_EQ(model.headerData(0, Qt::Vertical, Qt::BackgroundRole).value<QColor>(),
              QColor(240, 240, 240));
    ASSERT_TRUE(grid.setCellBackColorAt(1, 1, Rgb{214, 239, 247}).isOk());
    EXPECT_EQ(model.data(model.index(0, 0), Qt::BackgroundRole).value<QColor>(),
              QColor(214, 239, 247));
    EXPECT_EQ(model.data(model.index(1, 0), Qt::BackgroundRole).value<QColor>(), Qt::white);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(GridTableModelTest, Alignment) {
    struct Case {
        CellAlignment alignment;
        const char* text;
        Qt::Alignment expected;
    };
    const Case cases[] = {
        {CellAlignment::LeftCenter, "12", Qt::AlignLeft | Qt::AlignVCenter},
        {CellAlignment::LeftTop, "a", Qt::AlignLeft | Qt::AlignTop},
        {CellAlignment::CenterBottom, "a", Qt::AlignHCenter | Qt::AlignBottom},
        {CellAlignment::RightCenter, "a", Qt::AlignRight | Qt::AlignVCenter},
        {CellAlignment::General, "12.5", Qt::AlignRight | Qt::AlignVCenter},
        {CellAlignment::General, "ARD", Qt::AlignLeft | Qt::AlignVCenter},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GridTableModel::toQtAlignment(c.alignment, c.text), c.expected) << c.text;

    GridModel grid;
    fill(grid, 1);
    GridTableModel model(grid);
    ASSERT_TRUE(grid.setColAlignment(1, CellAlignment::RightCenter).isOk());
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);
}

TEST_F(GridTableModelTest, HeaderChangesAreHeaderSignals) {
    GridModel grid;
    fill(grid, 2);
    GridTableModel model(grid);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy cells(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(grid.setTextMatrix(0, 2, "Provider").isOk());
    ASSERT_EQ(header.count(), 1);
    EXPECT_EQ(header.at(0).at(0).value<Qt::Orientation>(), Qt::Horizontal);
    EXPECT_EQ(header.at(0).at(1).toInt(), 1);
    EXPECT_EQ(cells.count(), 0);
    ASSERT_TRUE(grid.setTextMatrix(2, 1, "7").isOk());
    ASSERT_EQ(cells.count(), 1);
    EXPECT_EQ(cells.at(0).at(0).toModelIndex(), model.index(1, 0));
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), "7");
}

TEST_F(GridTableModelTest, RedrawOffDefersStructureToOneReset) {
    GridModel grid;
    fill(grid, 0);
    GridTableModel model(grid);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    grid.setRedraw(false);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(grid.addItem("\t" + std::to_string(i)).isOk());
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(model.rowCount(), 0) << "the views still see the shape they were told";
    grid.setRedraw(true);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.data(model.index(999, 0)).toString(), "999");
    // With Redraw on, rows arrive one by one again.
    ASSERT_TRUE(grid.addItem("\tmore").isOk());
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(reset.count(), 1);
}

TEST_F(GridTableModelTest, ScratchGridWithoutFixedCellsHasNoHeaders) {
    GridModel grid;
    ASSERT_TRUE(grid.setFixedRows(0).isOk());
    ASSERT_TRUE(grid.setFixedCols(0).isOk());
    GridTableModel model(grid);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    ASSERT_TRUE(grid.setRows(3).isOk());
    ASSERT_TRUE(grid.setTextMatrix(0, 0, "first").isOk());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "first");
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).isValid());
    EXPECT_TRUE(m_failures.empty());
}

}  // namespace
}  // namespace velmora::qt
