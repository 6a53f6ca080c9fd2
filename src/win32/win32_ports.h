// The window-system ports on Win32: message boxes (MessageBoxW, their buttons named in the
// program's language), the file-open dialog (GetOpenFileNameW), the clipboard as Unicode text
// (CF_UNICODETEXT), the wait cursor, the message loop's pending messages, ending the program,
// owned windows (SetWindowLongPtrW with GWLP_HWNDPARENT), drags between controls and text
// measured in a control's font at the screen's DPI.
#pragma once

#include <windows.h>

#include <string>

#include "core/ports/clipboard_port.h"
#include "core/ports/cursor_port.h"
#include "core/ports/event_port.h"
#include "core/ports/file_dialog_port.h"
#include "core/ports/language_port.h"
#include "core/ports/message_box_port.h"
#include "core/ports/program_port.h"
#include "core/ports/text_metrics_port.h"
#include "core/ports/window_port.h"
#include "win32/event_loop.h"
#include "win32/window_directory.h"

namespace velmora::win32 {

// The captions of the message boxes' buttons in a language ("deu", "eng"), with the "&" of
// their access key; empty texts for a code with none of its own (the system's then stay).
struct ButtonTexts {
    std::wstring ok, cancel, yes, no;
};
ButtonTexts buttonTexts(std::string_view languageCode);

class Win32Ports : public core::ports::MessageBoxPort,
                   public core::ports::FileDialogPort,
                   public core::ports::ClipboardPort,
                   public core::ports::CursorPort,
                   public core::ports::EventPort,
                   public core::ports::ProgramPort,
                   public core::ports::WindowPort,
                   public core::ports::TextMetricsPort,
                   public core::ports::LanguagePort {
public:
    explicit Win32Ports(WindowDirectory& directory) : m_directory(directory) {}
    // The loop whose pending messages run and which carries drags; set before the program
    // starts (it needs the core's dispatcher, which needs these ports).
    void setEventLoop(EventLoop* loop) { m_loop = loop; }

    bool programEnded() const { return m_programEnded; }
    bool waitCursor() const { return m_waitCursor; }
    // The window the dialogs belong to: the active window of the program, else the main one.
    HWND dialogOwner() const;

    core::ports::MessageAnswer showMessage(std::string_view text,
                                           core::ports::MessageButtons buttons,
                                           core::ports::MessageIcon icon) override;
    std::optional<std::string> chooseFileToOpen(
        const core::ports::FileOpenRequest& request) override;
    bool hasText() const override;
    std::string text() const override;
    void clear() override;
    void setText(std::string_view text) override;
    void setWaitCursor(bool on) override;
    void runPendingEvents() override {
        if (m_loop != nullptr)
            m_loop->runPending();
    }
    void endProgram(int exitCode) override;
    engine::Status setOwnerWindow(std::string_view window, std::string_view owner) override;
    void startDrag(std::string_view window, std::string_view control) override;
    core::ports::TextExtent measureText(std::string_view text,
                                        const core::ports::FontChoice& font) const override;
    void applyLanguage(std::string_view code) override;

private:
    WindowDirectory& m_directory;
    EventLoop* m_loop = nullptr;
    ButtonTexts m_buttons;
    bool m_waitCursor = false;
    bool m_programEnded = false;
};

}  // namespace velmora::win32
