// The main window's own events: the first paint (table list and channel list), resizing
// (the grid and the lower frames follow the window, the sizes are remembered) and closing
// (the save question, the window position remembered).
#pragma once

#include <array>

namespace velmora::core::app {

class App;

// Registers Form1's Paint, Resize and Unload handlers with the app's dispatcher.
void installMainWindowEvents(App& app);

// The resize rules for a new outer size in twips. Only growth beyond the design size moves
// anything or is stored; below it the controls keep their last places.
void applyMainWindowResize(App& app, int width, int height);

// The channel list's Provider, NAME and FAVORITE widths for a window width: they share the
// free width D = width - 9312 + 6975 - 425 - 1700 in the parts 0.285, 0.408 and 0.306.
std::array<int, 3> channelListNameWidths(int windowWidth);

}  // namespace velmora::core::app
