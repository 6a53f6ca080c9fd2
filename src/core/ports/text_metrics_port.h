// Measuring text in a font, in twips, so the core can size editors and columns to their
// content the way the window system will draw them.
#pragma once

#include <string_view>

#include "core/form/control.h"

namespace velmora::core::ports {

// The font a control carries is the font its text is measured in.
using FontChoice = form::FontChoice;

// Width and height in twips (1/1440 inch). A text with several lines (LF or CR LF) is as
// wide as its widest line and as high as all its lines together; an empty text is one line
// high and zero wide.
struct TextExtent {
    int width = 0;
    int height = 0;

    bool operator==(const TextExtent&) const = default;
};

class TextMetricsPort {
public:
    virtual ~TextMetricsPort() = default;

    virtual TextExtent measureText(std::string_view text, const FontChoice& font) const = 0;
};

}  // namespace velmora::core::ports
