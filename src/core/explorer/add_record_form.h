// The add-record window FormAddNew as data: the OK and Cancel buttons, the field/value grid
// and the editor laid over its cells, placed just below and right of the main window's top
// left corner.
#pragma once

#include <memory>
#include <string>

#include "core/form/form.h"

namespace velmora::core::explorer {

inline constexpr char kAddRecordFormName[] = "FormAddNew";

namespace add_record_control {
inline constexpr char kOk[] = "Command_OK";
inline constexpr char kCancel[] = "Command_Cancel";
inline constexpr char kGrid[] = "MSFlexGrid1";
inline constexpr char kEditor[] = "Text1";
}  // namespace add_record_control

// The client area in twips; the outer size adds the frame and caption bar.
inline constexpr int kAddRecordClientWidth = 5148;
inline constexpr int kAddRecordClientHeight = 5220;
inline constexpr int kAddRecordOffsetLeft = 150;
inline constexpr int kAddRecordOffsetTop = 100;

// The grid's two columns.
inline constexpr char kFieldCaption[] = "Field";
inline constexpr char kValueCaption[] = "Value";
inline constexpr int kFieldColumnWidth = 1800;
inline constexpr int kValueColumnWidth = 2600;

// Builds the window, captioned `caption`, placed relative to the main window's outer
// geometry `mainWindow`; the editor is hidden.
std::unique_ptr<form::Form> createAddRecordForm(form::TwipRect mainWindow,
                                                const std::string& caption);

}  // namespace velmora::core::explorer
