// The smaller Qt ports: clipboard, wait pointer, pending events, owned windows, text
// metrics in twips.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

#include "engine/base/error_codes.h"
#include "ports_qt_app.h"
#include "qt/qt_ports.h"

namespace velmora::qt {
namespace {

class QtPortsTest : public ::testing::Test {
protected:
    void SetUp() override { test::qtTestApp(); }
    QtPorts m_ports;
};

TEST_F(QtPortsTest, ClipboardCarriesPlainTextBothWays) {
    const std::string cells = "1\tDas Erste\tÄ\r2\tZDF HD\t";
    m_ports.setText(cells);
    EXPECT_TRUE(m_ports.hasText());
    EXPECT_EQ(m_ports.text(), cells);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString(cells));

    QGuiApplication::clipboard()->setText(QStringLiteral("from elsewhere"));
    EXPECT_EQ(m_ports.text(), "from elsewhere");

    m_ports.clear();
    EXPECT_FALSE(m_ports.hasText());
    EXPECT_EQ(m_ports.text(), "");
}

TEST_F(QtPortsTest, WaitCursorIsASwitchNotAStack) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        core::ports::WaitCursor busy(m_ports);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        m_ports.setWaitCursor(true);  // a nested command turning it on again
    }
    // One "normal" restores the normal pointer, however often "wait" was asked for.
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    m_ports.setWaitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtPortsTest, RunPendingEventsRunsQueuedWork) {
    QObject receiver;
    int ran = 0;
    QMetaObject::invokeMethod(
        &receiver, [&ran] { ++ran; }, Qt::QueuedConnection);
    EXPECT_EQ(ran, 0);
    m_ports.runPendingEvents();
    EXPECT_EQ(ran, 1);
}

TEST_F(QtPortsTest, OwnedWindowStaysAboveItsOwnerAndGoesWithIt) {
    auto owner = std::make_unique<QWidget>();
    QPointer<QWidget> owned = new QWidget;  // handed to the owner's parent tree below
    m_ports.registerWindow("Form1", owner.get());
    EXPECT_EQ(m_ports.setOwnerWindow("Form_DropFav", "Form1").code(), engine::err::kItemNotFound);
    m_ports.registerWindow("Form_DropFav", owned);
    EXPECT_EQ(m_ports.setOwnerWindow("Form1", "Form1").code(), engine::err::kInvalidArgument);

    owner->show();
    owned->show();
    ASSERT_TRUE(m_ports.setOwnerWindow("Form_DropFav", "Form1").isOk());
    EXPECT_EQ(owned->parentWidget(), owner.get());
    EXPECT_TRUE(owned->isWindow());
    EXPECT_TRUE(owned->isVisible());  // still shown after changing its parent
    ASSERT_NE(owned->windowHandle(), nullptr);
    EXPECT_EQ(owned->windowHandle()->transientParent(), owner->windowHandle());

    owner.reset();
    EXPECT_TRUE(owned.isNull());
    EXPECT_EQ(m_ports.window("Form_DropFav"), nullptr);
    EXPECT_EQ(m_ports.setOwnerWindow("Form_DropFav", "Form1").code(), engine::err::kItemNotFound);
}

TEST_F(QtPortsTest, TextIsMeasuredInTwips) {
    const core::ports::FontChoice font;  // MS Sans Serif 8.25, or whatever stands in for it
    const auto empty = m_ports.measureText("", font);
    const auto one = m_ports.measureText("W", font);
    const auto four = m_ports.measureText("WWWW", font);
    const auto twoLines = m_ports.measureText("WWWW\r\nW", font);

    // An 8.25 point line is about 165 twips of em plus leading: pixels or points would be
    // an order of magnitude off.
    EXPECT_GT(one.height, 150);
    EXPECT_LT(one.height, 400);
    EXPECT_GT(one.width, 40);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, one.height);
    EXPECT_NEAR(four.width, 4 * one.width, 60);
    EXPECT_EQ(twoLines.width, four.width);
    EXPECT_NEAR(twoLines.height, 2 * one.height, 30);

    core::ports::FontChoice big = font;
    big.pointSize = 16.5;
    EXPECT_GT(m_ports.measureText("W", big).height, one.height * 3 / 2);
    big.bold = true;
    EXPECT_GE(m_ports.measureText("WWWW", big).width, m_ports.measureText("WWWW", font).width);
}

}  // namespace
}  // namespace velmora::qt
