#include "qt/startup_timing.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>

#include "core/app/app.h"
#include "core/app/main_window_controls.h"
#include "qt/form_widgets.h"
#include "qt/main_window.h"

namespace velmora::qt {

namespace {

// Watches the grid's viewport for the first paint after the first paint of the window has
// loaded the lists.
class FirstListPaint : public QObject {
public:
    FirstListPaint(core::app::App& app, std::chrono::steady_clock::time_point started,
                   QObject* parent)
        : QObject(parent), m_app(app), m_started(started) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done && !m_app.state().FirstPaintPending &&
            m_app.grid().dataRowCount() > 0) {
            m_done = true;
            // Once this paint has been handled.
            QTimer::singleShot(0, this, [this] {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - m_started)
                                    .count();
                std::fprintf(stderr, "channel list painted after %lld ms (%d rows)\n",
                             static_cast<long long>(ms), m_app.grid().dataRowCount());
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    core::app::App& m_app;
    std::chrono::steady_clock::time_point m_started;
    bool m_done = false;
};

}  // namespace

void installStartupTiming(MainWindow& window, core::app::App& app,
                          std::chrono::steady_clock::time_point started) {
    if (!qEnvironmentVariableIsSet("VELMORA_STARTUP_TIMING"))
        return;
    auto* grid =
        qobject_cast<QAbstractScrollArea*>(window.widgets().widget(core::app::control::kMainGrid));
    if (grid == nullptr)
        return;
    grid->viewport()->installEventFilter(new FirstListPaint(app, started, &window));
}

}  // namespace velmora::qt
