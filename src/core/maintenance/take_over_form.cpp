#include "core/maintenance/take_over_form.h"

#include "core/app/app.h"
#include "core/form/control_design.h"

namespace velmora::core::maintenance {

namespace {

using app::UiKey;
using form::ControlKind;
namespace tc = take_over_control;

constexpr int kClientWidth = 7680;
constexpr int kClientHeight = 2760;

const form::ControlDesign kControls[] = {
    {tc::kFile, ControlKind::Label, "", {120, 120, 7440, 255}, ""},
    {tc::kMatched, ControlKind::Label, "", {120, 480, 7440, 255}, ""},
    {tc::kNew, ControlKind::Label, "", {120, 780, 7440, 255}, ""},
    {tc::kGone, ControlKind::Label, "", {120, 1080, 7440, 255}, ""},
    {tc::kGroups, ControlKind::Label, "", {120, 1380, 7440, 255}, ""},
    {tc::kNames, ControlKind::CheckBox, "", {120, 1740, 7440, 255}, ""},
    {tc::kOk, ControlKind::Button, "", {4200, 2220, 1575, 375}, "OK"},
    {tc::kCancel, ControlKind::Button, "", {5985, 2220, 1575, 375}, ""},
};

}  // namespace

std::unique_ptr<form::Form> createTakeOverForm(app::App& app, const std::string& otherFile,
                                               const takeover::TakeOverCounts& counts) {
    auto f = std::make_unique<form::Form>(kTakeOverFormName);
    form::addDesignedControls(*f, kControls);
    f->setCaption(app.text(UiKey::txtTakeOverFrom));
    // The file's name says which backup it is; the dialog started in the database's folder.
    f->setCaption(tc::kFile, otherFile.substr(otherFile.find_last_of("/\\") + 1));
    f->setCaption(tc::kMatched,
                  app.text(UiKey::txtTakeOverMatched) + std::to_string(counts.matched));
    f->setCaption(tc::kNew, app.text(UiKey::txtTakeOverNew) + std::to_string(counts.added));
    f->setCaption(tc::kGone, app.text(UiKey::txtTakeOverGone) + std::to_string(counts.gone));
    f->setCaption(tc::kGroups,
                  app.text(UiKey::txtTakeOverGroups) + std::to_string(counts.groupsCreated));
    f->setCaption(tc::kNames, app.text(UiKey::txtTakeOverNames));
    f->setCaption(tc::kCancel, app.text(UiKey::txtCancel));
    const form::TwipRect main = app.mainForm().geometry();
    f->setGeometry({main.left + 600, main.top + 900, kClientWidth + form::kDialogFrameWidth,
                    kClientHeight + form::kDialogFrameHeight});
    return f;
}

std::optional<bool> runTakeOverWindow(app::App& app, const std::string& otherFile,
                                      const takeover::TakeOverCounts& counts) {
    std::unique_ptr<form::Form> window = createTakeOverForm(app, otherFile, counts);
    form::Form* f = window.get();
    std::optional<bool> answer;
    // The handlers point into this frame: they go when the window does.
    const form::Dispatcher::Connection ok = app.dispatcher().on(
        kTakeOverFormName, tc::kOk, form::EventKind::Click, [f, &answer](const form::Event&) {
            answer = f->control(tc::kNames).value != 0;
            f->setVisible(false);
        });
    const form::Dispatcher::Connection cancel =
        app.dispatcher().on(kTakeOverFormName, tc::kCancel, form::EventKind::Click,
                            [f](const form::Event&) { f->setVisible(false); });
    f->setVisible(true);
    app.modalHost().showModal(*f);
    return answer;
}

}  // namespace velmora::core::maintenance
