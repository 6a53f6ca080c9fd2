// Ending the program at once: every event loop ends with the given code and no window's
// close handler runs. Runs in a child process, because ending the loop is for good.
#include <QCloseEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

#include "ports_qt_app.h"
#include "qt/qt_ports.h"

namespace velmora::qt {
namespace {

class CloseRecorder : public QWidget {
public:
    bool closed = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        closed = true;
        event->accept();
    }
};

// Exit codes of the child: the code given to endProgram when all went well, otherwise one
// that names the fault.
[[noreturn]] void endFromInsideAModalBox() {
    QApplication& app = test::qtTestApp();
    QtPorts ports;
    CloseRecorder window;
    window.show();
    // The program ends from inside a nested loop (a message box is up), as compacting does.
    QTimer::singleShot(0, &app, [&ports] {
        QTimer::singleShot(50, [&ports] { ports.endProgram(7); });
        QMessageBox box;
        box.exec();
    });
    const int code = QApplication::exec();
    if (window.closed)
        std::_Exit(90);  // a close handler ran
    if (window.isVisible())
        std::_Exit(91);
    if (!ports.programEnded())
        std::_Exit(92);
    std::_Exit(code);
}

[[noreturn]] void endBeforeTheLoopRuns() {
    test::qtTestApp();
    QtPorts ports;
    CloseRecorder window;
    ports.endProgram(5);  // start-up failed inside the main window's constructor
    window.show();
    const int code = QApplication::exec();
    std::_Exit(window.closed ? 90 : code);
}

TEST(QtProgramDeathTest, EndsEveryLoopWithoutClosingWindows) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(endFromInsideAModalBox(), ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(endBeforeTheLoopRuns(), ::testing::ExitedWithCode(5), "");
}

}  // namespace
}  // namespace velmora::qt
