#include "qt/install_front_end.h"

#include "qt/main_shortcuts.h"
#include "qt/main_window.h"
#include "qt/overlay_editing.h"
#include "qt/picker_keys.h"

namespace velmora::qt {

void installFrontEnd(MainWindow& window, core::app::App& app) {
    installOverlayEditing(window, app);
    installGroupPickerKeys(window, app);
    installMainShortcuts(window, app);
}

}  // namespace velmora::qt
