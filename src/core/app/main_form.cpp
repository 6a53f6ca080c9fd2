#include "core/app/main_form.h"

#include "core/app/main_window_controls.h"

namespace velmora::core::app {
namespace {

using form::Control;
using form::ControlKind;

struct DesignedControl {
    const char* name;
    ControlKind kind;
    const char* container;
    form::TwipRect rect;
    const char* captionKey;  // text-table key, or nullptr
    const char* fixedCaption;
};

// The design table of the main window, in the order the controls are listed there.
const DesignedControl kControls[] = {
    {"Frame5", ControlKind::Frame, "", {120, 30, 1815, 580}, "txtChangeSettings", nullptr},
    {"Command11", ControlKind::Button, "Frame5", {140, 240, 1572, 252}, "txtSettings", nullptr},
    {"Frame3", ControlKind::Frame, "", {120, 720, 1815, 3015}, "txtDbExplorerFunctions", nullptr},
    {"Command1", ControlKind::Button, "Frame3", {140, 240, 1572, 252}, "txtGetTables", nullptr},
    {control::kShowTable,
     ControlKind::Button,
     "Frame3",
     {140, 240, 1572, 252},
     "txtShowTable",
     nullptr},
    {control::kTableList, ControlKind::ListBox, "Frame3", {120, 600, 1572, 1968}, nullptr, ""},
    {control::kPasteGrid, ControlKind::Grid, "Frame3", {120, 2400, 1572, 492}, nullptr, ""},
    // 3000 high, ending at Frame4's top: drawn 3135 high it ran under the strip, which hid
    // most of its last row.
    {control::kMainGrid, ControlKind::Grid, "", {2040, kMainGridTop, 6975, 3000}, nullptr, ""},
    {"Frame4", ControlKind::Frame, "", {2040, 3120, 6972, 612}, nullptr, ""},
    {"Label1", ControlKind::Label, "Frame4", {120, 240, 1332, 252}, nullptr, ""},
    {control::kCheckTv, ControlKind::CheckBox, "Frame4", {1680, 240, 735, 255}, nullptr, "TV"},
    {control::kCheckRadio,
     ControlKind::CheckBox,
     "Frame4",
     {2520, 240, 855, 255},
     nullptr,
     "Radio"},
    {control::kCheckEncrypted,
     ControlKind::CheckBox,
     "Frame4",
     {3600, 240, 1455, 255},
     "txtEncrypted",
     nullptr},
    {control::kCheckNotEncrypted,
     ControlKind::CheckBox,
     "Frame4",
     {5040, 240, 1812, 255},
     "txtNotEncrypted",
     nullptr},
    {"Frame2", ControlKind::Frame, "", {120, 3840, 5895, 1215}, "txtNormalUserFunctions", nullptr},
    {"Command3",
     ControlKind::Button,
     "Frame2",
     {140, 240, 1812, 252},
     "txtShowEditChannels",
     nullptr},
    {"Command7",
     ControlKind::Button,
     "Frame2",
     {2060, 240, 1812, 252},
     "txtSaveFavChannels",
     nullptr},
    {"Command6",
     ControlKind::Button,
     "Frame2",
     {3980, 240, 1812, 252},
     "txtEditFavoriteGroups",
     nullptr},
    {"Command8", ControlKind::Button, "Frame2", {140, 560, 1812, 252}, "txtReNumber", nullptr},
    {"Command9",
     ControlKind::Button,
     "Frame2",
     {2060, 560, 1812, 252},
     "txtDeleteSelection",
     nullptr},
    {"Command10",
     ControlKind::Button,
     "Frame2",
     {3980, 560, 1812, 252},
     "txtPutSelectInGroup",
     nullptr},
    {"Command12",
     ControlKind::Button,
     "Frame2",
     {140, 880, 1812, 252},
     "txtChangeFavoriteNr",
     nullptr},
    {"Command14", ControlKind::Button, "Frame2", {2060, 880, 1812, 252}, nullptr, "Drag + Drop"},
    {"Command15",
     ControlKind::Button,
     "Frame2",
     {3980, 880, 1812, 252},
     "txtShowEditDuplicates",
     nullptr},
    {"Frame1", ControlKind::Frame, "", {6840, 3840, 2175, 1215}, "txtSpecialFunctions", nullptr},
    // Four buttons share the frame that was laid out for three: a little less height each.
    {"Command4",
     ControlKind::Button,
     "Frame1",
     {120, 200, 1935, 240},
     "txtDeleteEmptyChannels",
     nullptr},
    {"Command5",
     ControlKind::Button,
     "Frame1",
     {120, 450, 1935, 240},
     "txtDeleteSpecialChars",
     nullptr},
    {"Command13",
     ControlKind::Button,
     "Frame1",
     {120, 700, 1935, 240},
     "txtCompactDatabase",
     nullptr},
    {"Command16", ControlKind::Button, "Frame1", {120, 950, 1935, 240}, "txtTakeOverFrom", nullptr},
    {control::kGroupList, ControlKind::ListBox, "", {6000, 3960, 615, 240}, nullptr, ""},
    {control::kGroupPicker, ControlKind::ListBox, "", {6000, 4320, 615, 240}, nullptr, ""},
    {control::kRowPopup, ControlKind::ListBox, "", {6000, 4680, 1332, 240}, nullptr, ""},
    {control::kTextEditor, ControlKind::TextBox, "", {240, 2760, 255, 285}, nullptr, ""},
};

// Hidden until a command shows them.
const char* const kHiddenAtStart[] = {"Command1",          control::kPasteGrid,
                                      control::kGroupList, control::kGroupPicker,
                                      control::kRowPopup,  control::kTextEditor};

}  // namespace

const std::vector<std::string>& frameColoredControls() {
    static const std::vector<std::string> names = {"Frame1",
                                                   "Frame2",
                                                   "Frame3",
                                                   "Frame4",
                                                   "Frame5",
                                                   control::kCheckTv,
                                                   control::kCheckRadio,
                                                   control::kCheckEncrypted,
                                                   control::kCheckNotEncrypted};
    return names;
}

std::unique_ptr<form::Form> createMainForm() {
    auto f = std::make_unique<form::Form>(kMainFormName);
    for (const auto& design : kControls) {
        Control c;
        c.name = design.name;
        c.kind = design.kind;
        c.container = design.container;
        c.rect = design.rect;
        if (design.captionKey)
            c.captionKey = design.captionKey;
        if (design.fixedCaption)
            c.caption = design.fixedCaption;
        f->addControl(std::move(c));
    }
    for (const char* name : kHiddenAtStart)
        f->setVisible(name, false);
    // ShowTable waits for the table list; the channel list's buttons for the channel list.
    f->setEnabled(control::kShowTable, false);
    for (const char* name : control::kChannelListButtons)
        f->setEnabled(name, false);
    for (const char* name : control::kFilterBoxes)
        f->setValue(name, 1);
    f->setCaption(kMainCaption);
    f->setGeometry({200, 100, kDesignWidth, kDesignHeight});
    return f;
}

}  // namespace velmora::core::app
