// The names of the main window's controls (main_form.cpp designs them), in one place as
// command_names.h is for commands: the subsystems name the controls they read or change from
// here, and the front ends find the widgets they built for them by the same names. A list of
// controls that several places walk is defined here once.
#pragma once

namespace velmora::core::app::control {

// The grids: the main grid, which shows the views, and the hidden one Paste fills first.
inline constexpr char kMainGrid[] = "MSFlexGrid1";
inline constexpr char kPasteGrid[] = "MSFlexGrid2";

// The main grid's overlays: the in-place text editor, the group list of the FAVORITE column,
// the row-command popup and the group picker of "Put Select in group...".
inline constexpr char kTextEditor[] = "Text1";
inline constexpr char kGroupList[] = "List2";
inline constexpr char kRowPopup[] = "List3";
inline constexpr char kGroupPicker[] = "List4";

// The explorer: the table list and ShowTable below it.
inline constexpr char kTableList[] = "List1";
inline constexpr char kShowTable[] = "Command2";

// The boxes that narrow the channel list.
inline constexpr char kCheckTv[] = "Check_TV";
inline constexpr char kCheckRadio[] = "Check_Radio";
inline constexpr char kCheckEncrypted[] = "Check_encrypt";
inline constexpr char kCheckNotEncrypted[] = "Check_NotEnc";
inline constexpr const char* kFilterBoxes[] = {kCheckTv, kCheckRadio, kCheckEncrypted,
                                               kCheckNotEncrypted};

// The buttons that work on the channel list, enabled only while it is shown: Save Fav.
// Channels, ReNumber, Delete Selection, Put Select in group... and Drag + Drop.
inline constexpr const char* kChannelListButtons[] = {"Command7", "Command8", "Command9",
                                                      "Command10", "Command14"};

}  // namespace velmora::core::app::control
