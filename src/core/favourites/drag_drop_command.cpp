// "Drag + Drop" (Command14) and the life of the window it opens.
#include <memory>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "core/favourites/drop_fav_form.h"
#include "core/favourites/drop_fav_window.h"
#include "core/grid/virtual_keys.h"

namespace velmora::core::favourites {

namespace {

using form::EventKind;
namespace dc = drop_fav_control;

constexpr char kDragDropButton[] = "Command14";
using app::control::kMainGrid;
constexpr char kNoGroupsMessage[] = "No Favorite groups defined";

// The open window, if any; its handlers are registered once and find it here.
struct DragDrop {
    explicit DragDrop(app::App& app) : app(app) {}

    void open() {
        app.state().DragDropOpen = true;
        if (window) {
            app.modalHost().showModeless(window->form());
            return;
        }
        auto opened = std::make_unique<DropFavWindow>(app);
        if (!opened->load()) {
            app.showMessage(kNoGroupsMessage, ports::MessageButtons::Ok);
            app.state().DragDropOpen = false;
            return;
        }
        window = std::move(opened);
        handleLabels(window->labelCount());
        window->form().setVisible(true);
        app.modalHost().showModeless(window->form());
        const engine::Status owned =
            app.ports().windows.setOwnerWindow(kDropFavFormName, app::kMainFormName);
        if (!owned.isOk())
            app.showMessage("ERROR\r\n" + owned.message(), ports::MessageButtons::Ok);
    }

    void close() {
        app.state().DragDropOpen = false;
        if (!window)
            return;
        window->form().setVisible(false);
        app.modalHost().closeModeless(window->form());
        window.reset();
    }

    void keyDown(int keyCode) {
        if (!window)
            return;
        if (keyCode == grid::vk::kUp)
            window->moveSelection(-1);
        else if (keyCode == grid::vk::kDown)
            window->moveSelection(1);
        else if (keyCode == grid::vk::kReturn)
            window->dropOnSelected();
    }

    // Registers the handlers of the labels 1 .. count (the "ZZZZ" label and the groups'),
    // for as many as a window has needed so far; they last as long as the program.
    void handleLabels(int count) {
        form::Dispatcher& d = app.dispatcher();
        for (; labelsHandled < count; ++labelsHandled) {
            const std::string label =
                labelsHandled == 0 ? std::string(dc::kNoGroupLabel) : groupLabelName(labelsHandled);
            d.on(kDropFavFormName, label, EventKind::DragEnter, [this](const form::Event& e) {
                 if (window)
                     window->dragOver(e, true);
             }).keep();
            d.on(kDropFavFormName, label, EventKind::DragLeave, [this](const form::Event& e) {
                 if (window)
                     window->dragOver(e, false);
             }).keep();
            d.on(kDropFavFormName, label, EventKind::DragDrop, [this](const form::Event& e) {
                 if (window)
                     window->drop(e);
             }).keep();
            const int group = labelsHandled;
            d.on(kDropFavFormName, label, EventKind::Click, [this, group](const form::Event&) {
                 if (window)
                     window->select(group);
             }).keep();
        }
    }

    app::App& app;
    std::unique_ptr<DropFavWindow> window;
    int labelsHandled = 0;
};

}  // namespace

void installDragDrop(app::App& app) {
    auto state = std::make_shared<DragDrop>(app);
    form::Dispatcher& d = app.dispatcher();
    d.on(app::kMainFormName, kDragDropButton, EventKind::Click, [state](const form::Event&) {
         state->open();
     }).keep();
    d.on(kDropFavFormName, "", EventKind::Unload, [state](const form::Event&) {
         state->close();
     }).keep();
    d.on(kDropFavFormName, "", EventKind::KeyDown, [state](const form::Event& e) {
         state->keyDown(e.keyCode);
     }).keep();
    app.commands().install(app::command::kCloseDragDrop, [state] { state->close(); });
    app.commands().install(app::command::kStartGridDrag, [&app] {
        app.ports().windows.startDrag(app::kMainFormName, kMainGrid);
    });
    app.commands().install(app::command::kDropOnSelectedGroup, [state] {
        if (state->window)
            state->window->dropOnSelected();
    });
}

}  // namespace velmora::core::favourites
