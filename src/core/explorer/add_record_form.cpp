#include "core/explorer/add_record_form.h"

#include "core/app/main_form.h"
#include "core/form/control_design.h"

namespace velmora::core::explorer {

namespace {

using form::ControlKind;
namespace arc = add_record_control;

const form::ControlDesign kControls[] = {
    {arc::kOk, ControlKind::Button, "", {120, 120, 1572, 252}, "OK"},
    {arc::kCancel, ControlKind::Button, "", {1800, 120, 1572, 252}, "Cancel"},
    {arc::kGrid, ControlKind::Grid, "", {120, 600, 4932, 4332}, ""},
    // Placed over a cell each time an edit starts; hidden until then.
    {arc::kEditor, ControlKind::TextBox, "", {120, 600, 2600, 240}, ""},
};

}  // namespace

std::unique_ptr<form::Form> createAddRecordForm(form::TwipRect mainWindow,
                                                const std::string& caption) {
    auto f = std::make_unique<form::Form>(kAddRecordFormName);
    form::addDesignedControls(*f, kControls);
    f->setVisible(arc::kEditor, false);
    f->setCaption(caption);
    f->setBackColor(app::kWindowColor);
    f->setGeometry({mainWindow.left + kAddRecordOffsetLeft, mainWindow.top + kAddRecordOffsetTop,
                    kAddRecordClientWidth + form::kDialogFrameWidth,
                    kAddRecordClientHeight + form::kDialogFrameHeight});
    return f;
}

}  // namespace velmora::core::explorer
