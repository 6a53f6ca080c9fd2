// The one QApplication of the front-end test executable, created on first use on the
// offscreen platform unless the environment names another. Shared by every Qt test file;
// reuses an application someone else already created.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace velmora::test {

inline QApplication& qtTestApp() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QT_QPA_PLATFORM_DEFAULT);
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down from a static destructor races its own globals.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `show` (which opens a modal dialog and returns when it closes) and, once the dialog
// is up, hands it to `answer`, which must close it. A dialog that never appears fails the
// test; one that `answer` leaves open is closed so the test cannot hang.
inline void answerModal(const std::function<void()>& show,
                        const std::function<void(QWidget*)>& answer) {
    qtTestApp();
    struct State {
        bool active = true;
        bool answered = false;
        std::function<void(QWidget*)> answer;
    };
    auto state = std::make_shared<State>();
    state->answer = answer;
    auto poll = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> weakPoll = poll;
    *poll = [state, weakPoll](int triesLeft) {
        if (!state->active)
            return;
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            if (triesLeft > 0) {
                QTimer::singleShot(10, [weakPoll, triesLeft] {
                    if (auto next = weakPoll.lock())
                        (*next)(triesLeft - 1);
                });
            }
            return;
        }
        state->answered = true;
        QPointer<QWidget> guard(dialog);
        state->answer(dialog);
        QTimer::singleShot(200, [guard] {
            if (guard && QApplication::activeModalWidget() == guard.data()) {
                ADD_FAILURE() << "the answer left the dialog open";
                guard->close();
            }
        });
    };
    QTimer::singleShot(0, [weakPoll] {
        if (auto first = weakPoll.lock())
            (*first)(500);
    });
    show();
    state->active = false;
    EXPECT_TRUE(state->answered) << "no modal dialog appeared";
}

}  // namespace velmora::test
