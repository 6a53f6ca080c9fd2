#include "core/app/main_window_events.h"

#include <cmath>
#include <string>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "core/app/read_only_notice.h"
#include "core/ports/cursor_port.h"

namespace velmora::core::app {

namespace {

using form::EventKind;

// How far the grid and the lower frames sit from the window's bottom and right edges. The
// grid ends where the count and filter strip Frame4 begins, so the strip never covers its
// last row; the strip is as wide as the grid.
constexpr int kFrame4TopMargin = 2328;
constexpr int kGridHeightMargin = kFrame4TopMargin + kMainGridTop;
constexpr int kLowerFramesTopMargin = 1608;
constexpr int kGridWidthMargin = kDesignWidth - 6975;
constexpr int kFrame4WidthMargin = kGridWidthMargin + 3;

void firstPaint(App& app) {
    AppState& s = app.state();
    if (!s.FirstPaintPending) {
        return;
    }
    // Cleared even when a load below fails: otherwise every repaint behind its error
    // message would try again and show the message again.
    struct ClearPending {
        AppState& s;
        ~ClearPending() { s.FirstPaintPending = false; }
    } clear{s};
    ports::WaitCursor busy(app.ports().cursor);
    form::TwipRect g = app.mainForm().geometry();
    g.height = s.saved.height;
    g.width = s.saved.width;
    app.setWindowGeometry(g);
    showReadOnlyState(app);
    app.commands().run(command::kGetTables);
    app.commands().run(command::kLoadChannelList);
}

void closing(App& app) {
    // The position is stored before the save question: a save that fails there abandons
    // this handler, and the position must not be lost with it.
    const form::TwipRect g = app.mainForm().geometry();
    (void)app.settings().write(SettingKey::TPos, std::to_string(g.top));
    (void)app.settings().write(SettingKey::LPos, std::to_string(g.left));

    // Until the save has reached the file the window stays open, so a failing save (reported
    // by the dispatcher or by the commit) cannot take the unsaved assignments with it.
    app.setCloseAccepted(false);
    if (!app.askSaveQuestion()) {
        return;
    }
    app.setCloseAccepted(true);
    app.commands().runIfInstalled(command::kCloseDragDrop);
}

}  // namespace

std::array<int, 3> channelListNameWidths(int windowWidth) {
    const double d =
        std::round(static_cast<double>(windowWidth) - kDesignWidth + 6975 - 425 - 1700);
    return {static_cast<int>(std::floor(d * 0.285)), static_cast<int>(std::floor(d * 0.408)),
            static_cast<int>(std::floor(d * 0.306))};
}

void applyMainWindowResize(App& app, int width, int height) {
    form::Form& f = app.mainForm();
    form::TwipRect g = f.geometry();
    if (g.width != width || g.height != height) {
        g.width = width;
        g.height = height;
        f.setGeometry(g);
    }
    if (height > kDesignHeight) {
        f.update(control::kMainGrid,
                 [&](form::Control& c) { c.rect.height = height - kGridHeightMargin; });
        f.update("Frame4", [&](form::Control& c) { c.rect.top = height - kFrame4TopMargin; });
        f.update("Frame1", [&](form::Control& c) { c.rect.top = height - kLowerFramesTopMargin; });
        f.update("Frame2", [&](form::Control& c) { c.rect.top = height - kLowerFramesTopMargin; });
        (void)app.settings().write(SettingKey::HSize, std::to_string(height));
    }
    if (width > kDesignWidth) {
        f.update(control::kMainGrid,
                 [&](form::Control& c) { c.rect.width = width - kGridWidthMargin; });
        f.update("Frame4", [&](form::Control& c) { c.rect.width = width - kFrame4WidthMargin; });
        app.commands().runIfInstalled(command::kFitColumnsToWindow);
        (void)app.settings().write(SettingKey::VSize, std::to_string(width));
    }
}

void installMainWindowEvents(App& app) {
    form::Dispatcher& d = app.dispatcher();
    d.on(kMainFormName, "", EventKind::Paint, [&app](const form::Event&) {
         firstPaint(app);
     }).keep();
    d.on(kMainFormName, "", EventKind::Resize, [&app](const form::Event& e) {
         applyMainWindowResize(app, e.width, e.height);
     }).keep();
    d.on(kMainFormName, "", EventKind::Unload, [&app](const form::Event&) { closing(app); }).keep();
}

}  // namespace velmora::core::app
