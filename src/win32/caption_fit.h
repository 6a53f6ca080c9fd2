// Captions that fit their controls. The design gives every control a size in twips that was
// measured for captions in the design's font; the system's dialog font the controls are drawn
// in is wider, and a German caption would lose its last letters. Rather than cut a caption
// off, its control gets a smaller size of the same font, a quarter point at a time, down to
// 6 points: the size the caption fits in at the control's width, less the room the control
// itself draws in (a check box's box, a frame's edge, a button's border).
#pragma once

#include <string>

#include "core/form/control.h"
#include "win32/screen_units.h"

namespace velmora::win32 {

// The font `control` draws its caption in at `dpi`: its own choice when the caption fits,
// else the largest smaller size that fits (6 points if none does). Controls without a
// caption of one line (text boxes, lists, grids, labels higher than two lines of the font)
// keep their own choice.
core::form::FontChoice captionFont(GdiCache& gdi, const core::form::Control& control, int dpi);

// The width in pixels `caption` takes in `font`.
int captionWidth(HFONT font, const std::wstring& caption);

}  // namespace velmora::win32
