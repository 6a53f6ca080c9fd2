// The twips layouts drawn in the desktop's own font on the offscreen platform: in the main
// window, the Settings window, the find window and the drag and drop window (its labels sized
// by the front end's text measure, as the program sizes them), in German and in English,
// every visible control shows its whole caption and lies inside its window. A scale factor
// (QT_SCALE_FACTOR) multiplies all of it alike, so what fits here fits at every scale.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <string>
#include <vector>

#include "core/app/command_names.h"
#include "core/favourites/drop_fav_form.h"
#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "qt/first_paint.h"
#include "qt/form_dialog.h"
#include "qt/main_window.h"
#include "qt/modeless_window.h"
#include "qt/ports_qt_app.h"
#include "qt/qt_ports.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;

// What the control needs across to draw its caption whole, and the room its style gives the
// caption; 0 and 0 for a control without a caption.
std::pair<int, int> captionRoom(QWidget* w) {
    const QStyle* style = w->style();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QStyle::SubElement contents =
            qobject_cast<QPushButton*>(w) != nullptr    ? QStyle::SE_PushButtonContents
            : qobject_cast<QRadioButton*>(w) != nullptr ? QStyle::SE_RadioButtonContents
                                                        : QStyle::SE_CheckBoxContents;
        return {button->fontMetrics().horizontalAdvance(button->text()),
                style->subElementRect(contents, &option, button).width()};
    }
    if (auto* frame = qobject_cast<QGroupBox*>(w); frame != nullptr && !frame->title().isEmpty()) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect title =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return {title.left() + frame->fontMetrics().horizontalAdvance(frame->title()),
                frame->width()};
    }
    if (auto* label = qobject_cast<QLabel*>(w); label != nullptr && !label->text().isEmpty()) {
        return {label->fontMetrics().horizontalAdvance(label->text()),
                label->contentsRect().width()};
    }
    return {0, 0};
}

// One line for each control of `window` that cuts its caption off or reaches outside the
// window, naming the control.
std::vector<std::string> cutOff(QWidget* window) {
    std::vector<std::string> faults;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QStringLiteral("qt_")) || !w->isVisibleTo(window))
            continue;
        const std::string where =
            window->windowTitle().toStdString() + " " + name.toStdString() + ": ";
        const QRect placed(w->mapTo(window, QPoint(0, 0)), w->size());
        if (!window->rect().contains(placed))
            faults.push_back(where + "outside the window");
        const auto [needed, room] = captionRoom(w);
        if (needed > room) {
            faults.push_back(where + "caption needs " + std::to_string(needed) + " pixels of " +
                             std::to_string(room));
        }
        if (auto* label = qobject_cast<QLabel*>(w);
            label != nullptr && !label->text().isEmpty() &&
            label->fontMetrics().height() > label->contentsRect().height()) {
            faults.push_back(where + "lower than a line of its text");
        }
    }
    return faults;
}

TEST(WindowLayoutQt, EveryCaptionWholeAndEveryControlInsideItsWindowInBothLanguages) {
    qtTestApp();
    for (const char* language : {"eng", "deu"}) {
        SCOPED_TRACE(language);
        AppSession s;
        qt::QtPorts qtPorts;
        s.ports().setTextMeasure(
            [&qtPorts](std::string_view text, const core::ports::FontChoice& font) {
                return qtPorts.measureText(text, font);
            });
        const std::string path = s.addDatabaseBuiltBy("demo.mdb", [](engine::store::Database& db) {
            auto content = demo::generateDemoDatabase({});
            ASSERT_TRUE(content.isOk());
            ASSERT_TRUE(demo::addDemoTables(db, content.value()).isOk());
            ASSERT_TRUE(db.commit().isOk());
        });
        s.storeSetting(SettingKey::Language, language);
        s.storeSetting(SettingKey::WinSTBPath, path);
        qt::MainWindow window(s.app());
        qt::QtModalHost host;
        host.setDispatcher(s.app().dispatcher());
        host.setParent(&window);
        ASSERT_TRUE(s.app().start());
        window.show();
        ASSERT_TRUE(waitForFirstPaint(s.app()));
        std::vector<std::string> faults = cutOff(&window);

        const auto inDialog = [&](const std::function<void()>& open) {
            s.modal().expectModal([&](core::form::Form& f) { host.showModal(f, {}); });
            answerModal(open, [&](QWidget* dialog) {
                const std::vector<std::string> more = cutOff(dialog);
                faults.insert(faults.end(), more.begin(), more.end());
                static_cast<QDialog*>(dialog)->reject();
            });
        };
        inDialog([&] { s.click("Command11"); });
        inDialog([&] { s.app().commands().run(core::app::command::kFindChannel); });

        s.click("Command14");
        core::form::Form* dropForm = s.modal().modeless(core::favourites::kDropFavFormName);
        ASSERT_NE(dropForm, nullptr);
        int groupLabels = 0;
        for (const core::form::Control& c : dropForm->controls())
            groupLabels += c.visible && c.kind == core::form::ControlKind::Label ? 1 : 0;
        ASSERT_GE(groupLabels, 10) << "the demo's groups, each on a label";
        qt::ModelessWindow drop(*dropForm, s.app().dispatcher());
        drop.show();
        const std::vector<std::string> more = cutOff(&drop);
        faults.insert(faults.end(), more.begin(), more.end());
        drop.detach();

        EXPECT_EQ(faults, std::vector<std::string>{});
        EXPECT_TRUE(window.close());
    }
}

}  // namespace
}  // namespace velmora::test
