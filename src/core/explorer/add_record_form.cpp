#include "core/explorer/add_record_form.h"

#include "core/app/main_form.h"

namespace velmora::core::explorer {

namespace {

using form::ControlKind;
namespace arc = add_record_control;

// What a fixed dialog's frame and caption bar add to its client area, in twips.
constexpr int kDialogFrameWidth = 120;
constexpr int kDialogFrameHeight = 390;

struct ControlSpec {
    const char* name;
    ControlKind kind;
    form::TwipRect rect;
    const char* caption;
};

const ControlSpec kControls[] = {
    {arc::kOk, ControlKind::Button, {120, 120, 1572, 252}, "OK"},
    {arc::kCancel, ControlKind::Button, {1800, 120, 1572, 252}, "Cancel"},
    {arc::kGrid, ControlKind::Grid, {120, 600, 4932, 4332}, ""},
    // Placed over a cell each time an edit starts.
    {arc::kEditor, ControlKind::TextBox, {120, 600, 2600, 240}, ""},
};

}  // namespace

std::unique_ptr<form::Form> createAddRecordForm(form::TwipRect mainWindow,
                                                const std::string& caption) {
    auto f = std::make_unique<form::Form>(kAddRecordFormName);
    for (const ControlSpec& design : kControls) {
        form::Control c;
        c.name = design.name;
        c.kind = design.kind;
        c.rect = design.rect;
        c.caption = design.caption;
        c.visible = design.kind != ControlKind::TextBox;
        f->addControl(std::move(c));
    }
    f->setCaption(caption);
    f->setBackColor(app::kWindowColor);
    f->setGeometry({mainWindow.left + kAddRecordOffsetLeft, mainWindow.top + kAddRecordOffsetTop,
                    kAddRecordClientWidth + kDialogFrameWidth,
                    kAddRecordClientHeight + kDialogFrameHeight});
    return f;
}

}  // namespace velmora::core::explorer
