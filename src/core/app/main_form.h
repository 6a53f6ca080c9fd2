// The main window ("Form1") as data: every control with its container, place and size in
// twips, caption key or fixed caption, colour and initial state, as the window is designed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/form/form.h"

namespace velmora::core::app {

// The design size of the main window (width × height, twips).
inline constexpr int kDesignWidth = 9312;
inline constexpr int kDesignHeight = 5448;
// The main grid's top; it ends where the count and filter strip Frame4 begins.
inline constexpr int kMainGridTop = 120;

inline constexpr form::Rgb kWindowColor{148, 181, 198};
inline constexpr form::Rgb kFrameColor{170, 210, 220};
inline constexpr form::Rgb kCountLabelColor{214, 239, 247};
inline constexpr form::Rgb kFixedCellColor{0, 255, 255};
inline constexpr form::Rgb kRadioRowColor{214, 239, 247};

inline constexpr char kMainFormName[] = "Form1";
inline constexpr char kMainCaption[] = "Velmora Ver 1.27";

// Builds Form1 with its controls in their design state: overlays hidden, the five
// channel-list buttons disabled, the filter boxes checked.
std::unique_ptr<form::Form> createMainForm();

// Controls that get the frame colour at start-up (the five frames and four check boxes).
const std::vector<std::string>& frameColoredControls();

}  // namespace velmora::core::app
