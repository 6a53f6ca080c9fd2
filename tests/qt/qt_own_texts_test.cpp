// Qt's own texts follow the program's language: the standard buttons of the message boxes
// and the file dialog's buttons are German after "deu", English again after "eng", and a
// code that names no language leaves them as they were.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

#include "ports_qt_app.h"
#include "qt/qt_ports.h"

namespace velmora::qt {
namespace {

using core::ports::MessageButtons;
using core::ports::MessageIcon;

struct Texts {
    QString yes, no, cancel, ok, open;
};

// The button texts of a Yes/No/Cancel box, an OK box and the database file dialog, each
// built as the ports build them; accelerator marks removed.
Texts shownTexts() {
    auto plain = [](const QAbstractButton* button) {
        return button == nullptr ? QStringLiteral("<none>")
                                 : button->text().remove(QLatin1Char('&'));
    };
    Texts texts;
    QMessageBox question;
    QtPorts::configureMessageBox(question, "?", MessageButtons::YesNoCancel, MessageIcon::None);
    texts.yes = plain(question.button(QMessageBox::Yes));
    texts.no = plain(question.button(QMessageBox::No));
    texts.cancel = plain(question.button(QMessageBox::Cancel));
    QMessageBox info;
    QtPorts::configureMessageBox(info, "!", MessageButtons::Ok, MessageIcon::Information);
    texts.ok = plain(info.button(QMessageBox::Ok));
    QFileDialog dialog;
    QtPorts::configureFileDialog(dialog, {"title", "Database Files (*.mdb)", "*.MDB", "", ""});
    auto* box = dialog.findChild<QDialogButtonBox*>();
    texts.open =
        box == nullptr ? QStringLiteral("<none>") : plain(box->button(QDialogButtonBox::Open));
    return texts;
}

TEST(QtOwnTexts, DialogButtonsFollowTheLanguage) {
    test::qtTestApp();
    QtPorts ports;
    struct Step {
        std::string code;
        bool german;
    };
    // "" and "xyz" name no language: the texts stay as the step before left them.
    const Step steps[] = {{"eng", false}, {"deu", true},  {"", true},
                          {"deu", true},  {"eng", false}, {"xyz", false}};
    for (const Step& step : steps) {
        ports.applyLanguage(step.code);
        EXPECT_EQ(ports.qtTextsGerman(), step.german) << "after \"" << step.code << '"';
        const Texts t = shownTexts();
        const Texts expected = step.german ? Texts{"Ja", "Nein", "Abbrechen", "OK", "Öffnen"}
                                           : Texts{"Yes", "No", "Cancel", "OK", "Open"};
        EXPECT_EQ(t.yes, expected.yes) << "after \"" << step.code << '"';
        EXPECT_EQ(t.no, expected.no) << "after \"" << step.code << '"';
        EXPECT_EQ(t.cancel, expected.cancel) << "after \"" << step.code << '"';
        EXPECT_EQ(t.ok, expected.ok) << "after \"" << step.code << '"';
        EXPECT_EQ(t.open, expected.open) << "after \"" << step.code << '"';
    }
}

}  // namespace
}  // namespace velmora::qt
