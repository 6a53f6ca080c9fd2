// The window "Take over from..." shows before anything is written: the other file's name, how
// many channels are found in both, how many are new, how many are gone, how many favourite
// groups are created, and the option to take the names over too; OK goes on, Cancel (or
// closing the window) changes nothing.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/form/form.h"
#include "core/takeover/take_over.h"

namespace velmora::core::app {
class App;
}

namespace velmora::core::maintenance {

inline constexpr char kTakeOverFormName[] = "FormTakeOver";

namespace take_over_control {
inline constexpr char kFile[] = "LabelFile";
inline constexpr char kMatched[] = "LabelMatched";
inline constexpr char kNew[] = "LabelNew";
inline constexpr char kGone[] = "LabelGone";
inline constexpr char kGroups[] = "LabelGroups";
inline constexpr char kNames[] = "CheckNames";
inline constexpr char kOk[] = "CommandOK";
inline constexpr char kCancel[] = "CommandCancel";
}  // namespace take_over_control

// The window with its texts for `counts` of taking `otherFile` over.
std::unique_ptr<form::Form> createTakeOverForm(app::App& app, const std::string& otherFile,
                                               const takeover::TakeOverCounts& counts);

// Shows the window modally. The answer: whether to take the names over, or nothing when the
// user cancelled.
std::optional<bool> runTakeOverWindow(app::App& app, const std::string& otherFile,
                                      const takeover::TakeOverCounts& counts);

}  // namespace velmora::core::maintenance
