// A control of a window as data: what the core owns and the front end draws.
//
// Every window of the program (the main window, the Settings window, the language window, the
// add-record window, the drag and drop window) is a Form holding Controls. Commands change
// controls only through the Form, which tells the front end what changed; tests read the
// same data ("is Command7 enabled?", "what does Label1 say?").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/form/ui_types.h"

namespace velmora::core::form {

enum class ControlKind { Frame, Button, CheckBox, OptionButton, Label, ListBox, TextBox, Grid };

// Position and size in twips (1/1440 inch), relative to the container.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct FontChoice {
    std::string family = "MS Sans Serif";
    double pointSize = 8.25;
    bool bold = false;
    bool operator==(const FontChoice&) const = default;
};

struct Control {
    std::string name;  // "Command7", "Check_TV", "MSFlexGrid1" ...
    ControlKind kind = ControlKind::Button;
    std::string container;  // name of the containing frame; empty for the window itself
    TwipRect rect;
    std::string captionKey;  // text-table key the caption comes from; empty for a fixed caption
    std::string caption;     // the caption shown now
    std::optional<Rgb> backColor;  // none: the system's window colour
    int borderStyle = 0;           // label: 0 no border, 1 a single line
    FontChoice font;
    bool visible = true;
    bool enabled = true;
    int value = 0;                   // check box / option button: 1 checked, 0 not
    std::vector<std::string> items;  // list box entries
    int listIndex = -1;              // list box selection, -1 for none
    std::string text;                // text box contents
    bool rightAligned = false;       // text box: the text sits at the right edge
    int selStart = 0;                // text box selection
    int selLength = 0;
};

}  // namespace velmora::core::form
