// window_driver.exe: drives velmora.exe under Wine from a test script, through window messages
// alone (FindWindowW, SendMessageW), so a test waits on what the windows show instead of on
// fixed delays and never depends on where the pointer is or which window has the X focus.
//
//   window_driver wait TITLE [SECONDS]         a window whose title begins with TITLE is shown;
//                                              prints its whole title
//   window_driver gone TITLE [SECONDS]         no such window is left
//   window_driver wait-text TITLE END [SECONDS]
//                                              one of its controls shows a text ending in END
//   window_driver click TITLE CAPTION          presses its button (or option) CAPTION
//   window_driver edit-cell TITLE RIGHT TEXT   in its grid: moves the current cell RIGHT columns
//                                              to the right, double-clicks it, replaces the
//                                              editor's text with TEXT and presses Enter
//   window_driver place TITLE                  prints its outer rectangle on the screen:
//                                              left top right bottom
//   window_driver close TITLE                  closes it as its close box does
//
// Exit status 0 when done, 1 when the window or control was not found in time, 2 on bad use.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string narrow(const std::wstring& text) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), length, nullptr, nullptr);
    out.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
    return out;
}

std::wstring textOf(HWND window) {
    // WM_GETTEXT answers across processes, with a timeout in case the program is busy.
    wchar_t buffer[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                        2000, &copied);
    return buffer;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct Search {
    std::wstring prefix;
    HWND found = nullptr;
};

HWND findTopLevel(const std::wstring& prefix) {
    Search search{prefix};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!IsWindowVisible(window))
                return TRUE;
            wchar_t title[512] = {};
            GetWindowTextW(window, title, 512);
            if (std::wstring(title).rfind(s->prefix, 0) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

// Polls `condition` every 50 ms for at most `seconds`.
template <class Condition>
bool waitFor(double seconds, Condition condition) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (true) {
        if (condition())
            return true;
        if (static_cast<int>(GetTickCount() - end) > 0)
            return false;
        Sleep(50);
    }
}

HWND waitWindow(const std::wstring& title, double seconds) {
    HWND found = nullptr;
    waitFor(seconds, [&] { return (found = findTopLevel(title)) != nullptr; });
    if (found == nullptr)
        std::fprintf(stderr, "no window titled \"%s...\"\n", narrow(title).c_str());
    return found;
}

HWND childWithText(HWND parent, const std::wstring& text, bool ending) {
    for (HWND child : children(parent)) {
        if (!IsWindowVisible(child))
            continue;
        const std::wstring shown = textOf(child);
        if (ending ? shown.size() >= text.size() &&
                         shown.compare(shown.size() - text.size(), text.size(), text) == 0
                   : shown == text)
            return child;
    }
    return nullptr;
}

HWND visibleChildOfClass(HWND parent, const std::wstring& className) {
    for (HWND child : children(parent)) {
        if (IsWindowVisible(child) && classOf(child) == className)
            return child;
    }
    return nullptr;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

int editCell(HWND window, int right, const std::wstring& text) {
    HWND grid = visibleChildOfClass(window, L"VelmoraGrid");
    if (grid == nullptr) {
        std::fprintf(stderr, "the window has no grid\n");
        return 1;
    }
    for (int i = 0; i < right; ++i) {
        send(grid, WM_KEYDOWN, VK_RIGHT, 0);
        send(grid, WM_KEYUP, VK_RIGHT, 0);
    }
    send(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    HWND editor = nullptr;
    if (!waitFor(5, [&] { return (editor = visibleChildOfClass(window, L"Edit")) != nullptr; })) {
        std::fprintf(stderr, "no editor opened over the cell\n");
        return 1;
    }
    send(editor, EM_SETSEL, 0, -1);
    for (wchar_t c : text)
        send(editor, WM_CHAR, c, 0);
    send(editor, WM_KEYDOWN, VK_RETURN, 0);
    // The edit is finished once the editor is hidden again.
    if (!waitFor(5, [&] { return !IsWindowVisible(editor); })) {
        std::fprintf(stderr, "the editor stayed open\n");
        return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    auto number = [&](size_t index, double fallback) {
        return args.size() > index ? std::wcstod(args[index].c_str(), nullptr) : fallback;
    };
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: window_driver COMMAND TITLE ...\n");
        return 2;
    }
    const std::wstring& command = args[0];
    const std::wstring& title = args[1];
    if (command == L"wait") {
        HWND window = waitWindow(title, number(2, 60));
        if (window == nullptr)
            return 1;
        std::printf("%s\n", narrow(textOf(window)).c_str());
        return 0;
    }
    if (command == L"gone")
        return waitFor(number(2, 60), [&] { return findTopLevel(title) == nullptr; }) ? 0 : 1;

    HWND window = waitWindow(title, 30);
    if (window == nullptr)
        return 1;
    if (command == L"wait-text" && args.size() >= 3) {
        const bool shown =
            waitFor(number(3, 60), [&] { return childWithText(window, args[2], true) != nullptr; });
        if (!shown)
            std::fprintf(stderr, "no control shows a text ending in \"%s\"\n",
                         narrow(args[2]).c_str());
        return shown ? 0 : 1;
    }
    if (command == L"click" && args.size() >= 3) {
        HWND button = nullptr;
        if (!waitFor(10,
                     [&] { return (button = childWithText(window, args[2], false)) != nullptr; })) {
            std::fprintf(stderr, "no control \"%s\"\n", narrow(args[2]).c_str());
            return 1;
        }
        // Posted: a click that opens a modal window or a message box must not hold us.
        PostMessageW(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == L"edit-cell" && args.size() >= 4)
        return editCell(window, static_cast<int>(number(2, 0)), args[3]);
    if (command == L"place") {
        RECT r{};
        GetWindowRect(window, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (command == L"close") {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "unknown command or missing arguments\n");
    return 2;
}
