// The window-system ports in Qt: real message boxes and file dialogs, the system clipboard,
// the application-wide wait pointer, Qt's event loop, owned top-level windows and font
// metrics. Lives as long as the QApplication; windows are told to it by name, the way the
// core names them.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
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
#include "qt/drag_source.h"
#include "qt/qt_own_texts.h"

class QFileDialog;
class QMessageBox;

namespace velmora::qt {

class QtPorts : public core::ports::MessageBoxPort,
                public core::ports::FileDialogPort,
                public core::ports::ClipboardPort,
                public core::ports::CursorPort,
                public core::ports::EventPort,
                public core::ports::ProgramPort,
                public core::ports::WindowPort,
                public core::ports::TextMetricsPort,
                public core::ports::LanguagePort {
public:
    QtPorts() = default;
    ~QtPorts() override;
    QtPorts(const QtPorts&) = delete;
    QtPorts& operator=(const QtPorts&) = delete;

    // Makes a top-level window known under its core name ("Form1"). The widget stays owned
    // by whoever created it; a destroyed widget is simply forgotten.
    void registerWindow(const std::string& name, QWidget* window);
    QWidget* window(const std::string& name) const;
    // The window message boxes and the file dialog are shown over (the main window).
    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }

    // True once endProgram() ran; start-up code that ends the program before the event loop
    // runs checks this instead of showing the main window.
    bool programEnded() const { return m_programEnded; }

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
    void runPendingEvents() override;
    void endProgram(int exitCode) override;
    engine::Status setOwnerWindow(std::string_view window, std::string_view owner) override;
    void startDrag(std::string_view window, std::string_view control) override;
    // Carries a started drag to its end: the platform's own drag loop unless another is set.
    // A platform without one (offscreen) stands in with the events a user's drag would send.
    void setDragLoop(DragLoop loop) { m_dragLoop = std::move(loop); }
    core::ports::TextExtent measureText(std::string_view text,
                                        const core::ports::FontChoice& font) const override;
    void applyLanguage(std::string_view code) override { (void)m_ownTexts.apply(code); }
    bool qtTextsGerman() const { return m_ownTexts.isGerman(); }

    // The dialogs as they are shown, without running them, so tests can inspect them.
    static void configureMessageBox(QMessageBox& box, std::string_view text,
                                    core::ports::MessageButtons buttons,
                                    core::ports::MessageIcon icon);
    static void configureFileDialog(QFileDialog& dialog,
                                    const core::ports::FileOpenRequest& request);

private:
    std::map<std::string, QPointer<QWidget>, std::less<>> m_windows;
    QPointer<QWidget> m_dialogParent;
    bool m_waitCursor = false;
    bool m_programEnded = false;
    QtOwnTexts m_ownTexts;
    DragLoop m_dragLoop;
};

// Message texts carry CR LF between lines; Qt labels want a bare line feed.
QString toDisplayText(std::string_view text);

}  // namespace velmora::qt
