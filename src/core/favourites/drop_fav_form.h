// The drag and drop favourites window ("Form_DropFav") as data: the mode frame with its two
// option buttons, the "ZZZZ" label that stands for no group, and one label per favourite
// group. Its captions are fixed German and English texts, never translated.
#pragma once

#include <memory>
#include <string>

#include "core/form/form.h"

namespace velmora::core::favourites {

inline constexpr char kDropFavFormName[] = "Form_DropFav";
inline constexpr char kDropFavCaption[] = "Drag&Drop Favorites";

namespace drop_fav_control {
inline constexpr char kModeFrame[] = "Frame1";
inline constexpr char kAddMode[] = "Option1";      // "Hinzufügen": a further group, a new row
inline constexpr char kReplaceMode[] = "Option2";  // "Ersetzen": the row changes its group
inline constexpr char kNoGroupLabel[] = "Label1";  // "ZZZZ"
}  // namespace drop_fav_control

// The window is designed with this many group labels; a database with more groups gets one
// label for each of them and the window scrolls.
inline constexpr int kDesignGroupLabels = 64;

inline constexpr int kDropFavClientWidth = 2292;
inline constexpr int kLabelLeft = 120;
inline constexpr int kFirstLabelTop = 480;

inline constexpr form::Rgb kLabelWhite{255, 255, 255};
inline constexpr form::Rgb kLabelHighlight{255, 255, 192};

// The label of the k-th group (k from 1): "Label2" for the first.
std::string groupLabelName(int k);
// The group number of a label name, 0 for "Label1" and for names that are no label's.
int groupNumberOfLabel(const std::string& control);

// Builds the window in its design state with max(groupLabels, 64) hidden group labels and
// replace mode chosen.
std::unique_ptr<form::Form> createDropFavForm(int groupLabels);

}  // namespace velmora::core::favourites
