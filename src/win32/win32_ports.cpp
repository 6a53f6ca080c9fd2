#include "win32/win32_ports.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/app/main_form.h"
#include "engine/base/error_codes.h"
#include "win32/screen_units.h"
#include "win32/wide_text.h"
#include "win32/window_placement.h"

namespace velmora::win32 {

namespace ports = core::ports;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

namespace {

// The button captions of the box being shown, for the hook that renames them; one box at a
// time runs on the one thread.
const ButtonTexts* g_boxTexts = nullptr;
HHOOK g_boxHook = nullptr;

void renameButton(HWND box, int id, const std::wstring& text) {
    if (!text.empty())
        if (HWND button = GetDlgItem(box, id))
            SetWindowTextW(button, text.c_str());
}

// MessageBoxW names its buttons in the system's language; the program's language may be
// another. And it centres the box on the screen, while the user looks at the window it
// belongs to. The hook sees the box before it is shown, gives the buttons their names and
// puts it over its owner.
LRESULT CALLBACK messageBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_boxTexts != nullptr) {
        auto box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        GetClassNameW(box, className, 16);
        if (std::wstring(className) == L"#32770") {
            renameButton(box, IDOK, g_boxTexts->ok);
            renameButton(box, IDCANCEL, g_boxTexts->cancel);
            renameButton(box, IDYES, g_boxTexts->yes);
            renameButton(box, IDNO, g_boxTexts->no);
            g_boxTexts = nullptr;  // only the box itself, not a window it may open
            HWND owner = GetWindow(box, GW_OWNER);
            RECT boxRect{};
            RECT ownerRect{};
            if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) &&
                GetWindowRect(box, &boxRect) && GetWindowRect(owner, &ownerRect))
                moveWindowTo(box, centredOver(boxRect, ownerRect, workAreaOf(owner)));
        }
    }
    return CallNextHookEx(g_boxHook, code, wParam, lParam);
}

// Message texts may carry LF alone between lines; the box wants CR LF.
std::wstring boxText(std::string_view text) {
    std::wstring out;
    const std::wstring in = widen(text);
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == L'\n' && (i == 0 || in[i - 1] != L'\r'))
            out += L'\r';
        out += in[i];
    }
    return out;
}

// Opens the clipboard for the calls of one port call and closes it again.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) {
        // Another program may hold the clipboard for a moment.
        for (int attempt = 0; attempt < 10 && !m_open; ++attempt) {
            m_open = OpenClipboard(owner) != FALSE;
            if (!m_open)
                Sleep(10);
        }
    }
    ~ClipboardSession() {
        if (m_open)
            CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    bool isOpen() const { return m_open; }

private:
    bool m_open = false;
};

}  // namespace

ButtonTexts buttonTexts(std::string_view languageCode) {
    if (languageCode == "deu")
        return {L"OK", L"Abbrechen", L"&Ja", L"&Nein"};
    if (languageCode == "eng")
        return {L"OK", L"Cancel", L"&Yes", L"&No"};
    return {};
}

HWND Win32Ports::dialogOwner() const {
    HWND active = GetActiveWindow();
    if (active != nullptr && IsWindowEnabled(active))
        return active;
    HWND main = m_directory.topLevel(core::app::kMainFormName);
    return main != nullptr && IsWindowVisible(main) ? main : nullptr;
}

MessageAnswer Win32Ports::showMessage(std::string_view text, MessageButtons buttons,
                                      MessageIcon icon) {
    UINT style = MB_SETFOREGROUND;
    switch (buttons) {
        case MessageButtons::Ok:
            style |= MB_OK;
            break;
        case MessageButtons::OkCancel:
            style |= MB_OKCANCEL;
            break;
        case MessageButtons::YesNoCancel:
            style |= MB_YESNOCANCEL;
            break;
    }
    switch (icon) {
        case MessageIcon::None:
            break;
        case MessageIcon::Critical:
            style |= MB_ICONERROR;
            break;
        case MessageIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
    }
    HWND owner = dialogOwner();
    if (owner == nullptr)
        style |= MB_TASKMODAL;
    const std::wstring body = boxText(text);
    const std::wstring title = widen(ports::kDefaultMessageTitle);
    // A box shown while the wait cursor is on still gets the arrow to press its buttons.
    const bool wasWaiting = m_waitCursor;
    m_waitCursor = false;
    g_boxTexts = &m_buttons;
    g_boxHook = SetWindowsHookExW(WH_CBT, messageBoxHook, nullptr, GetCurrentThreadId());
    const int pressed = MessageBoxW(owner, body.c_str(), title.c_str(), style);
    if (g_boxHook != nullptr)
        UnhookWindowsHookEx(g_boxHook);
    g_boxHook = nullptr;
    g_boxTexts = nullptr;
    m_waitCursor = wasWaiting;
    switch (pressed) {
        case IDOK:
            return MessageAnswer::Ok;
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        case IDCANCEL:
            return MessageAnswer::Cancel;
        default:
            return ports::dismissAnswer(buttons);
    }
}

std::optional<std::string> Win32Ports::chooseFileToOpen(const ports::FileOpenRequest& request) {
    // One filter entry: its text, its pattern, and the list's closing NUL.
    std::wstring filter = widen(request.filterName);
    filter += L'\0';
    filter += widen(request.filterPattern);
    filter += L'\0';
    const std::wstring title = widen(request.title);
    const std::wstring folder = widen(request.initialFolder);
    // The name buffer: 257 characters, starting with the preset name, the rest NUL.
    constexpr size_t kNameBuffer = 257;
    auto run = [&](const std::wstring& preset) -> std::optional<std::wstring> {
        std::vector<wchar_t> name(kNameBuffer, L'\0');
        std::copy_n(preset.begin(), std::min(preset.size(), kNameBuffer - 1), name.begin());
        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = dialogOwner();
        dialog.lpstrFilter = filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = name.data();
        dialog.nMaxFile = static_cast<DWORD>(kNameBuffer);
        dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        dialog.lpstrTitle = title.c_str();
        // The read-only box would promise what the program does not do: it opens the file
        // for writing unless another program holds it.
        dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
        if (GetOpenFileNameW(&dialog))
            return std::wstring(name.data());
        return std::nullopt;
    };
    const std::wstring preset = widen(request.initialFileName);
    std::optional<std::wstring> chosen = run(preset);
    // A preset the dialog refuses (a folder that does not exist on this machine) opens it
    // with the bare file name instead.
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        const size_t slash = preset.find_last_of(L"\\/");
        chosen = run(slash == std::wstring::npos ? std::wstring() : preset.substr(slash + 1));
    }
    if (!chosen || chosen->empty())
        return std::nullopt;
    return narrow(*chosen);
}

bool Win32Ports::hasText() const {
    return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
}

std::string Win32Ports::text() const {
    ClipboardSession clipboard(dialogOwner());
    if (!clipboard.isOpen())
        return {};
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr)
        return {};
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    if (chars == nullptr)
        return {};
    // The text ends at its NUL, or at the end of the memory block if a program left none.
    const size_t limit = GlobalSize(data) / sizeof(wchar_t);
    const std::wstring text(chars, std::find(chars, chars + limit, L'\0'));
    GlobalUnlock(data);
    return narrow(text);
}

void Win32Ports::clear() {
    ClipboardSession clipboard(dialogOwner());
    if (clipboard.isOpen())
        EmptyClipboard();
}

void Win32Ports::setText(std::string_view text) {
    // Tabs and carriage returns go on as the grid wrote them.
    const std::wstring wide = widen(text);
    ClipboardSession clipboard(dialogOwner());
    if (!clipboard.isOpen())
        return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (memory == nullptr)
        return;
    auto* chars = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(wide.begin(), wide.end(), chars);
    chars[wide.size()] = L'\0';
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
        GlobalFree(memory);  // the clipboard did not take it
}

void Win32Ports::setWaitCursor(bool on) {
    m_waitCursor = on;
    // The windows' WM_SETCURSOR keeps it while the pointer moves; this shows it at once.
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void Win32Ports::endProgram(int exitCode) {
    m_programEnded = true;
    // Hiding is not closing: no close handler asks its question or stores its position.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            ShowWindow(window, SW_HIDE);
            return TRUE;
        },
        0);
    PostQuitMessage(exitCode);
}

engine::Status Win32Ports::setOwnerWindow(std::string_view window, std::string_view owner) {
    HWND owned = m_directory.topLevel(std::string(window));
    HWND ownerWindow = m_directory.topLevel(std::string(owner));
    for (const auto& [name, hwnd] : {std::pair{window, owned}, std::pair{owner, ownerWindow}}) {
        if (hwnd == nullptr)
            return engine::Status::error(engine::err::kItemNotFound,
                                         "unknown window '" + std::string(name) + "'");
    }
    if (owned == ownerWindow)
        return engine::Status::error(engine::err::kInvalidArgument, "a window cannot own itself");
    // An owned window stays above its owner, is minimised with it and goes with it.
    SetWindowLongPtrW(owned, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    return engine::Status::ok();
}

void Win32Ports::startDrag(std::string_view window, std::string_view control) {
    if (m_loop != nullptr)
        m_loop->drag().arm(std::string(window), std::string(control));
}

ports::TextExtent Win32Ports::measureText(std::string_view text,
                                          const ports::FontChoice& font) const {
    HWND main = m_directory.topLevel(core::app::kMainFormName);
    const int dpi = windowDpi(main);
    HDC dc = GetDC(nullptr);
    const FontHandle handle = createFont(font, dpi);
    const HGDIOBJ old = SelectObject(dc, handle.get());
    // Line by line, so an empty text is one line high and a trailing line break counts.
    int width = 0;
    int height = 0;
    std::wstring all = widen(text);
    size_t start = 0;
    while (true) {
        size_t end = all.find(L'\n', start);
        std::wstring line =
            all.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        if (line.empty()) {
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            size.cy = metrics.tmHeight;
        }
        width = std::max(width, static_cast<int>(size.cx));
        height += size.cy;
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {toTwips(width, dpi), toTwips(height, dpi)};
}

void Win32Ports::applyLanguage(std::string_view code) {
    ButtonTexts texts = buttonTexts(code);
    if (!texts.ok.empty())
        m_buttons = std::move(texts);
}

}  // namespace velmora::win32
