// The scripted window-system double.
#include "support/scripted_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/base/error_codes.h"

namespace velmora::test {

using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return "\"" + out + "\"";
}

ScriptedPorts::~ScriptedPorts() {
    verify();
}

ports::Ports ScriptedPorts::ports() {
    return ports::Ports{*this, *this, *this, *this, *this, *this, *this, *this, *this, m_settings};
}

void ScriptedPorts::expectMessage(MessageAnswer answer) {
    expectMessage(ExpectedMessage{{}, {}, {}, answer});
}

void ScriptedPorts::expectMessage(std::string text, MessageButtons buttons, MessageIcon icon,
                                  MessageAnswer answer) {
    expectMessage(ExpectedMessage{std::move(text), buttons, icon, answer});
}

void ScriptedPorts::expectMessage(ExpectedMessage expected) {
    m_expectedMessages.push_back(std::move(expected));
}

void ScriptedPorts::expectFileDialog(std::optional<std::string> chosenPath) {
    m_expectedFiles.push_back(std::move(chosenPath));
}

void ScriptedPorts::verify() {
    for (const ExpectedMessage& expected : m_expectedMessages) {
        ADD_FAILURE() << "expected message never shown: "
                      << (expected.text ? printable(*expected.text) : std::string("(any text)"))
                      << " (answer " << ports::toString(expected.answer) << ")";
    }
    m_expectedMessages.clear();
    for (const std::optional<std::string>& path : m_expectedFiles) {
        ADD_FAILURE() << "expected file dialog never shown (answer "
                      << (path ? printable(*path) : std::string("Cancel")) << ")";
    }
    m_expectedFiles.clear();
}

MessageAnswer ScriptedPorts::showMessage(std::string_view text, MessageButtons buttons,
                                         MessageIcon icon) {
    ShownMessage shown{std::string(text), buttons, icon, ports::dismissAnswer(buttons)};
    if (m_expectedMessages.empty()) {
        ADD_FAILURE() << "unexpected message " << printable(text) << " ["
                      << ports::toString(buttons) << ", " << ports::toString(icon) << "]; answered "
                      << ports::toString(shown.answer);
        m_shown.push_back(shown);
        return shown.answer;
    }
    const ExpectedMessage expected = m_expectedMessages.front();
    m_expectedMessages.erase(m_expectedMessages.begin());
    if (expected.text && *expected.text != text) {
        ADD_FAILURE() << "message text " << printable(text) << ", expected "
                      << printable(*expected.text);
    }
    if (expected.buttons && *expected.buttons != buttons) {
        ADD_FAILURE() << "message " << printable(text) << " has buttons "
                      << ports::toString(buttons) << ", expected "
                      << ports::toString(*expected.buttons);
    }
    if (expected.icon && *expected.icon != icon) {
        ADD_FAILURE() << "message " << printable(text) << " has icon " << ports::toString(icon)
                      << ", expected " << ports::toString(*expected.icon);
    }
    if (ports::isAnswerOffered(buttons, expected.answer)) {
        shown.answer = expected.answer;
    } else {
        ADD_FAILURE() << "queued answer " << ports::toString(expected.answer)
                      << " is not a button of message " << printable(text) << " ["
                      << ports::toString(buttons) << "]; answered "
                      << ports::toString(shown.answer);
    }
    m_shown.push_back(shown);
    return shown.answer;
}

std::optional<std::string> ScriptedPorts::chooseFileToOpen(const ports::FileOpenRequest& request) {
    m_fileRequests.push_back(request);
    if (m_expectedFiles.empty()) {
        ADD_FAILURE() << "unexpected file dialog " << printable(request.title) << " in folder "
                      << printable(request.initialFolder) << "; cancelled";
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(m_expectedFiles.front());
    m_expectedFiles.erase(m_expectedFiles.begin());
    return answer;
}

void ScriptedPorts::setWaitCursor(bool on) {
    m_waitCursor = on;
    m_cursorChanges.push_back(on);
}

void ScriptedPorts::runPendingEvents() {
    ++m_pendingEventRuns;
    if (m_pendingEventsHandler) {
        m_pendingEventsHandler();
    }
}

void ScriptedPorts::endProgram(int exitCode) {
    if (m_exitCode) {
        ADD_FAILURE() << "program ended a second time (code " << exitCode << ", first "
                      << *m_exitCode << ")";
        return;
    }
    m_exitCode = exitCode;
}

void ScriptedPorts::declareWindow(std::string name) {
    m_windows.emplace(std::move(name), "");
}

std::optional<std::string> ScriptedPorts::ownerOf(std::string_view window) const {
    const auto it = m_windows.find(window);
    if (it == m_windows.end() || it->second.empty()) {
        return std::nullopt;
    }
    return it->second;
}

engine::Status ScriptedPorts::setOwnerWindow(std::string_view window, std::string_view owner) {
    const auto it = m_windows.find(window);
    for (std::string_view name : {window, owner}) {
        if (!m_windows.contains(name)) {
            return engine::Status::error(engine::err::kItemNotFound,
                                         "unknown window '" + std::string(name) + "'");
        }
    }
    if (window == owner) {
        return engine::Status::error(engine::err::kInvalidArgument, "a window cannot own itself");
    }
    it->second = std::string(owner);
    return engine::Status::ok();
}

void ScriptedPorts::startDrag(std::string_view window, std::string_view control) {
    m_drags.push_back(std::string(window) + "." + std::string(control));
}

ports::TextExtent ScriptedPorts::measureText(std::string_view text,
                                             const ports::FontChoice& font) const {
    m_measuredTexts.emplace_back(text);
    return m_measure ? m_measure(text, font) : defaultMeasure(text, font);
}

ports::TextExtent ScriptedPorts::defaultMeasure(std::string_view text,
                                                const ports::FontChoice& font) {
    int lines = 1;
    int widest = 0;
    int current = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;  // CR LF is one line break
        }
        if (c == '\n' || c == '\r') {
            ++lines;
            current = 0;
            continue;
        }
        if ((c & 0xC0) != 0x80) {  // count code points, not UTF-8 continuation bytes
            widest = std::max(widest, ++current);
        }
    }
    return {static_cast<int>(std::lround(widest * font.pointSize * 10)),
            static_cast<int>(std::lround(lines * font.pointSize * 24))};
}

}  // namespace velmora::test
