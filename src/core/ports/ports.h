// Everything the core asks of the window system, in one bundle handed to the main window's
// core at start-up. The Qt front end fills it with real dialogs; tests with the scripted
// double from tests/support.
#pragma once

#include "core/ports/clipboard_port.h"
#include "core/ports/cursor_port.h"
#include "core/ports/event_port.h"
#include "core/ports/file_dialog_port.h"
#include "core/ports/language_port.h"
#include "core/ports/message_box_port.h"
#include "core/ports/program_port.h"
#include "core/ports/settings_backend.h"
#include "core/ports/text_metrics_port.h"
#include "core/ports/window_port.h"

namespace velmora::core::ports {

// Non-owning: whoever builds the bundle keeps the implementations alive longer than the
// core that uses it.
struct Ports {
    MessageBoxPort& messages;
    FileDialogPort& fileDialog;
    ClipboardPort& clipboard;
    CursorPort& cursor;
    EventPort& events;
    ProgramPort& program;
    WindowPort& windows;
    TextMetricsPort& textMetrics;
    LanguagePort& language;
    SettingsBackend& settings;
};

}  // namespace velmora::core::ports
