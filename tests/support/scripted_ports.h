// The scripted stand-in for the window system. A test queues the answers of the message
// boxes and file dialogs it expects, runs the core, then checks what was shown. Any message
// or dialog without a queued answer, a queued text that differs from the shown one, and any
// queued answer still unused when the double is destroyed (or verify() runs) is a test
// failure. The other services keep their state in memory for the test to read.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/ports/ports.h"
#include "support/memory_settings_backend.h"

namespace velmora::test {

namespace ports = core::ports;

struct ShownMessage {
    std::string text;
    ports::MessageButtons buttons;
    ports::MessageIcon icon;
    ports::MessageAnswer answer;  // what the double answered
};

// A message the test expects next. Unset fields match anything.
struct ExpectedMessage {
    std::optional<std::string> text;
    std::optional<ports::MessageButtons> buttons;
    std::optional<ports::MessageIcon> icon;
    ports::MessageAnswer answer = ports::MessageAnswer::Ok;
};

class ScriptedPorts : public ports::MessageBoxPort,
                      public ports::FileDialogPort,
                      public ports::ClipboardPort,
                      public ports::CursorPort,
                      public ports::EventPort,
                      public ports::ProgramPort,
                      public ports::WindowPort,
                      public ports::TextMetricsPort,
                      public ports::LanguagePort {
public:
    ScriptedPorts() = default;
    ~ScriptedPorts() override;
    ScriptedPorts(const ScriptedPorts&) = delete;
    ScriptedPorts& operator=(const ScriptedPorts&) = delete;

    // The bundle the core takes; settings go to settings() below.
    ports::Ports ports();

    // --- Message boxes: one queued answer per expected box, used in order.
    void expectMessage(ports::MessageAnswer answer);  // any text, buttons and icon
    void expectMessage(std::string text, ports::MessageButtons buttons, ports::MessageIcon icon,
                       ports::MessageAnswer answer);
    void expectMessage(ExpectedMessage expected);
    const std::vector<ShownMessage>& messages() const { return m_shown; }
    std::size_t queuedMessages() const { return m_expectedMessages.size(); }

    // --- File dialog: the path the user picks next, or std::nullopt for Cancel.
    void expectFileDialog(std::optional<std::string> chosenPath);
    const std::vector<ports::FileOpenRequest>& fileDialogs() const { return m_fileRequests; }

    // Fails the test for every queued answer not yet used, then forgets them. Runs on
    // destruction too; call it earlier to check a step.
    void verify();

    // --- Clipboard: std::nullopt when it holds no text.
    const std::optional<std::string>& clipboardText() const { return m_clipboard; }

    // --- Pointer: current state and every change in order (true = wait pointer).
    bool isWaitCursor() const { return m_waitCursor; }
    const std::vector<bool>& cursorChanges() const { return m_cursorChanges; }

    // --- Pending events: how often they were run, and what running them does (the
    // core's dispatcher hooks its queue in here).
    int pendingEventRuns() const { return m_pendingEventRuns; }
    void setPendingEventsHandler(std::function<void()> handler) {
        m_pendingEventsHandler = std::move(handler);
    }

    // --- Ending the program: the exit code once endProgram() ran. Ending twice fails.
    const std::optional<int>& endedWithCode() const { return m_exitCode; }

    // --- Owned windows: windows must be declared before they can be related.
    void declareWindow(std::string name);
    std::optional<std::string> ownerOf(std::string_view window) const;

    // --- Dragging: every drag started, as "window.control", in order.
    const std::vector<std::string>& dragsStarted() const { return m_drags; }

    // --- Text metrics. Unless replaced, every character (code point) is pointSize × 10
    // twips wide and every line pointSize × 24 twips high, both rounded, so tests can
    // compute the expected size.
    using TextMeasure =
        std::function<ports::TextExtent(std::string_view, const ports::FontChoice&)>;
    void setTextMeasure(TextMeasure measure) { m_measure = std::move(measure); }
    const std::vector<std::string>& measuredTexts() const { return m_measuredTexts; }

    // --- Window-system language: every code the core applied, in order.
    const std::vector<std::string>& appliedLanguages() const { return m_appliedLanguages; }

    MemorySettingsBackend& settings() { return m_settings; }

    // The port implementations.
    ports::MessageAnswer showMessage(std::string_view text, ports::MessageButtons buttons,
                                     ports::MessageIcon icon) override;
    std::optional<std::string> chooseFileToOpen(const ports::FileOpenRequest& request) override;
    bool hasText() const override { return m_clipboard.has_value(); }
    std::string text() const override { return m_clipboard.value_or(std::string()); }
    void clear() override { m_clipboard.reset(); }
    void setText(std::string_view text) override { m_clipboard = std::string(text); }
    void setWaitCursor(bool on) override;
    void runPendingEvents() override;
    void endProgram(int exitCode) override;
    engine::Status setOwnerWindow(std::string_view window, std::string_view owner) override;
    void startDrag(std::string_view window, std::string_view control) override;
    ports::TextExtent measureText(std::string_view text,
                                  const ports::FontChoice& font) const override;
    void applyLanguage(std::string_view code) override { m_appliedLanguages.emplace_back(code); }

    // The fixed measuring rule described above.
    static ports::TextExtent defaultMeasure(std::string_view text, const ports::FontChoice& font);

private:
    std::vector<ExpectedMessage> m_expectedMessages;  // front is next
    std::vector<ShownMessage> m_shown;
    std::vector<std::optional<std::string>> m_expectedFiles;
    std::vector<ports::FileOpenRequest> m_fileRequests;
    std::optional<std::string> m_clipboard;
    bool m_waitCursor = false;
    std::vector<bool> m_cursorChanges;
    int m_pendingEventRuns = 0;
    std::function<void()> m_pendingEventsHandler;
    std::optional<int> m_exitCode;
    std::map<std::string, std::string, std::less<>> m_windows;  // window -> owner ("" none)
    std::vector<std::string> m_drags;
    TextMeasure m_measure;
    mutable std::vector<std::string> m_measuredTexts;
    std::vector<std::string> m_appliedLanguages;
    MemorySettingsBackend m_settings;
};

// "line 1\r\nline 2" with the control characters spelled out, for failure messages.
std::string printable(std::string_view text);

}  // namespace velmora::test
