// Real Qt message boxes behind the message port: title, icon, buttons, plain text with its
// line breaks, and the answer for each button, Escape included.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include "ports_qt_app.h"
#include "qt/qt_ports.h"

namespace velmora::qt {
namespace {

using core::ports::MessageAnswer;
using core::ports::MessageButtons;
using core::ports::MessageIcon;
using test::answerModal;

struct Shown {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Shows one box through the port, records what it looked like, then presses `press` (or
// Escape when `press` is NoButton).
MessageAnswer showAndPress(std::string_view text, MessageButtons buttons, MessageIcon icon,
                           QMessageBox::StandardButton press, Shown* shown = nullptr) {
    QtPorts ports;
    MessageAnswer answer = MessageAnswer::Ok;
    answerModal([&] { answer = ports.showMessage(text, buttons, icon); },
                [&](QWidget* dialog) {
                    auto* box = qobject_cast<QMessageBox*>(dialog);
                    ASSERT_NE(box, nullptr);
                    if (shown != nullptr)
                        *shown = {box->windowTitle(), box->text(), box->textFormat(), box->icon(),
                                  box->standardButtons()};
                    if (press == QMessageBox::NoButton) {
                        QTest::keyClick(box, Qt::Key_Escape);
                    } else {
                        ASSERT_NE(box->button(press), nullptr);
                        box->button(press)->click();
                    }
                });
    return answer;
}

TEST(QtMessageBoxTest, EveryButtonGivesItsAnswer) {
    struct Case {
        MessageButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: Escape
        MessageAnswer expected;
    };
    const Case cases[] = {
        {MessageButtons::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageButtons::Ok, QMessageBox::NoButton, MessageAnswer::Ok},
        {MessageButtons::OkCancel, QMessageBox::Ok, MessageAnswer::Ok},
        {MessageButtons::OkCancel, QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageButtons::OkCancel, QMessageBox::NoButton, MessageAnswer::Cancel},
        {MessageButtons::YesNoCancel, QMessageBox::Yes, MessageAnswer::Yes},
        {MessageButtons::YesNoCancel, QMessageBox::No, MessageAnswer::No},
        {MessageButtons::YesNoCancel, QMessageBox::Cancel, MessageAnswer::Cancel},
        {MessageButtons::YesNoCancel, QMessageBox::NoButton, MessageAnswer::Cancel},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(showAndPress("Question", c.buttons, MessageIcon::None, c.press), c.expected)
            << core::ports::toString(c.buttons) << " pressing " << c.press;
    }
}

TEST(QtMessageBoxTest, ShowsTitleIconButtonsAndPlainText) {
    struct Case {
        MessageButtons buttons;
        MessageIcon icon;
        QMessageBox::StandardButtons qtButtons;
        QMessageBox::Icon qtIcon;
    };
    const Case cases[] = {
        {MessageButtons::Ok, MessageIcon::Critical, QMessageBox::Ok, QMessageBox::Critical},
        {MessageButtons::OkCancel, MessageIcon::Information, QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Information},
        {MessageButtons::YesNoCancel, MessageIcon::None,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoIcon},
    };
    for (const Case& c : cases) {
        Shown shown;
        showAndPress("Löschen ist nicht möglich.\r\nErst <b>speichern</b>", c.buttons, c.icon,
                     QMessageBox::NoButton, &shown);
        EXPECT_EQ(shown.title, QStringLiteral("Velmora"));
        EXPECT_EQ(shown.text, QStringLiteral("Löschen ist nicht möglich.\nErst <b>speichern</b>"));
        EXPECT_EQ(shown.format, Qt::PlainText);  // never taken for markup
        EXPECT_EQ(shown.icon, c.qtIcon);
        EXPECT_EQ(shown.buttons, c.qtButtons);
    }
}

}  // namespace
}  // namespace velmora::qt
