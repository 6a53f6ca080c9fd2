#include "win32/form_windows.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "core/app/user_input.h"
#include "core/form/ui_types.h"
#include "win32/caption_fit.h"
#include "win32/wide_text.h"

namespace velmora::win32 {

namespace {

using core::form::Control;
using core::form::ControlKind;
using core::form::EventKind;

constexpr int kFirstControlId = 100;
// Posted to the surface: redraw the control whose handle it carries.
constexpr UINT kRedrawControl = WM_APP + 30;
constexpr wchar_t kFrameClassName[] = L"VelmoraFrame";
// The overlays named like this are drawn in the system's tooltip colour (the in-place editor)
// and its scroll-bar colour (the row-command popup), as the controls were designed.
constexpr char kInPlaceEditor[] = "Text1";
constexpr char kRowPopup[] = "List3";

// ---- The frame: a window of our own, so it can show its colour under its contents --------

LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFONT:
            SetWindowLongPtrW(hwnd, 0, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam))
                InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return GetWindowLongPtrW(hwnd, 0);
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // clicks go to what lies under the frame's empty parts
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT rc{};
            GetClientRect(hwnd, &rc);
            const ControlTag* tag = WindowDirectory::tagOf(hwnd);
            const COLORREF back =
                tag != nullptr ? tag->owner->areaColor(tag->control) : GetSysColor(COLOR_BTNFACE);
            SetDCBrushColor(dc, back);
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            const HGDIOBJ oldFont =
                SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrW(hwnd, 0)));
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            wchar_t caption[256] = {};
            GetWindowTextW(hwnd, caption, 256);
            RECT border = rc;
            border.top += caption[0] != L'\0' ? metrics.tmHeight / 2 : 0;
            DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
            if (caption[0] != L'\0') {
                SetBkColor(dc, back);
                SetBkMode(dc, OPAQUE);
                SetTextColor(
                    dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
                RECT text{rc.left + metrics.tmAveCharWidth, rc.top, rc.right,
                          rc.top + metrics.tmHeight};
                DrawTextW(dc, (std::wstring(L" ") + caption + L" ").c_str(), -1, &text,
                          DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
            }
            SelectObject(dc, oldFont);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void registerFrameClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = frameProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kFrameClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

// True when the text was replaced.
bool setWindowTextIfChanged(HWND hwnd, const std::string& text) {
    const std::wstring wide = widen(text);
    if (windowText(hwnd) == wide)
        return false;
    SetWindowTextW(hwnd, wide.c_str());
    return true;
}

void setStyleBit(HWND hwnd, LONG_PTR bit, bool on, bool extended = false) {
    const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
    const LONG_PTR style = GetWindowLongPtrW(hwnd, index);
    const LONG_PTR wanted = on ? (style | bit) : (style & ~bit);
    if (wanted == style)
        return;
    SetWindowLongPtrW(hwnd, index, wanted);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace

FormWindows::FormWindows(core::form::Form& form, core::form::Dispatcher& dispatcher,
                         WindowDirectory& directory, HWND surface,
                         std::map<std::string, core::grid::GridModel*> grids)
    : m_form(form),
      m_dispatcher(dispatcher),
      m_directory(directory),
      m_surface(surface),
      m_grids(std::move(grids)),
      m_dpi(windowDpi(surface)) {
    registerFrameClass();
    // Containers come before their contents in every design table, so one pass suffices.
    applyGuarded([&] {
        for (const Control& c : m_form.controls()) {
            create(c);
            apply(c);
        }
        // Frames lie under everything else, so their contents are drawn above them.
        for (const auto& item : m_items) {
            if (m_form.control(item->name).kind == ControlKind::Frame)
                SetWindowPos(item->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    });
    m_form.setListener(this);
    m_directory.registerForm(m_form.name(), this);
}

FormWindows::~FormWindows() {
    detach();
    for (const auto& item : m_items) {
        if (item->grid == nullptr && IsWindow(item->hwnd)) {
            RemoveWindowSubclass(item->hwnd, &FormWindows::controlProc, 1);
            WindowDirectory::detachTag(item->hwnd);
            DestroyWindow(item->hwnd);
        }
    }
}

void FormWindows::focusControl() {
    if (m_detached)
        return;
    auto takesFocus = [](HWND hwnd) {
        return hwnd != nullptr && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) &&
               (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_TABSTOP) != 0;
    };
    HWND target =
        m_dispatcher.focusForm() == m_form.name() ? window(m_dispatcher.focusControl()) : nullptr;
    if (!takesFocus(target)) {
        target = nullptr;
        for (const Control& c : m_form.controls()) {
            if (takesFocus(window(c.name))) {
                target = window(c.name);
                break;
            }
        }
    }
    if (target != nullptr)
        SetFocus(target);
}

void FormWindows::detach() {
    if (m_detached)
        return;
    m_detached = true;
    m_form.setListener(nullptr);
    m_directory.forgetForm(m_form.name(), this);
}

HWND FormWindows::window(const std::string& control) const {
    const Item* item = itemByName(control);
    return item != nullptr ? item->hwnd : nullptr;
}

GridControl* FormWindows::grid(const std::string& control) const {
    const Item* item = itemByName(control);
    return item != nullptr ? item->grid.get() : nullptr;
}

FormWindows::Item* FormWindows::itemByName(const std::string& name) const {
    for (const auto& item : m_items) {
        if (item->name == name)
            return item.get();
    }
    return nullptr;
}

FormWindows::Item* FormWindows::itemById(int id) {
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void FormWindows::applyGuarded(const std::function<void()>& f) {
    const bool was = m_applying;
    m_applying = true;
    f();
    m_applying = was;
}

void FormWindows::setDpi(int dpi) {
    if (dpi == m_dpi)
        return;
    m_dpi = dpi;
    m_gdi.dropFonts();
    applyGuarded([&] {
        for (const Control& c : m_form.controls())
            apply(c);
    });
}

// ---- Building ------------------------------------------------------------------------------

void FormWindows::create(const Control& c) {
    auto item = std::make_unique<Item>();
    item->name = c.name;
    item->id = kFirstControlId + static_cast<int>(m_items.size());
    item->tag = ControlTag{this, m_form.name(), c.name};
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(item->id));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const DWORD common = WS_CHILD | WS_CLIPSIBLINGS;
    const wchar_t* className = L"BUTTON";
    DWORD style = common;
    DWORD exStyle = 0;
    switch (c.kind) {
        case ControlKind::Frame:
            className = kFrameClassName;
            break;
        case ControlKind::Button:
            style |= WS_TABSTOP | BS_PUSHBUTTON;
            break;
        case ControlKind::CheckBox:
            // Not automatic: the core decides the value and the window shows it.
            style |= WS_TABSTOP | BS_CHECKBOX;
            break;
        case ControlKind::OptionButton:
            style |= WS_TABSTOP | BS_RADIOBUTTON;
            break;
        case ControlKind::Label:
            className = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
            break;
        case ControlKind::ListBox:
            className = L"LISTBOX";
            style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::TextBox:
            className = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            // The in-place editor covers exactly its cell: a thin line, no sunken edge.
            if (c.name == kInPlaceEditor)
                style |= WS_BORDER;
            else
                exStyle = WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Grid:
            break;
    }
    if (c.kind == ControlKind::Grid) {
        const auto it = m_grids.find(c.name);
        if (it != m_grids.end() && it->second != nullptr) {
            item->grid = std::make_unique<GridControl>(*it->second, m_surface, item->id, m_gdi);
            item->hwnd = item->grid->hwnd();
        } else {
            item->hwnd = CreateWindowExW(0, L"STATIC", L"", common, 0, 0, 0, 0, m_surface, menu,
                                         instance, nullptr);
        }
    } else {
        item->hwnd = CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, m_surface, menu,
                                     instance, nullptr);
        if (c.kind != ControlKind::Frame)
            SetWindowSubclass(item->hwnd, &FormWindows::controlProc, 1,
                              reinterpret_cast<DWORD_PTR>(item.get()));
    }
    WindowDirectory::attachTag(item->hwnd, &item->tag);
    m_items.push_back(std::move(item));
}

// ---- Core to windows -----------------------------------------------------------------------

bool FormWindows::effectivelyVisible(const Control& c) const {
    if (!c.visible)
        return false;
    return c.container.empty() || !m_form.hasControl(c.container) ||
           effectivelyVisible(m_form.control(c.container));
}

bool FormWindows::effectivelyEnabled(const Control& c) const {
    if (!c.enabled)
        return false;
    return c.container.empty() || !m_form.hasControl(c.container) ||
           effectivelyEnabled(m_form.control(c.container));
}

POINT FormWindows::origin(const Control& c) const {
    POINT p{0, 0};
    for (const Control* at = &c; !at->container.empty() && m_form.hasControl(at->container);) {
        at = &m_form.control(at->container);
        p.x += at->rect.left;
        p.y += at->rect.top;
    }
    return POINT{toPixels(p.x), toPixels(p.y)};
}

COLORREF FormWindows::areaColor(const std::string& control) const {
    if (m_detached)
        return GetSysColor(COLOR_BTNFACE);
    for (std::string name = control; !name.empty() && m_form.hasControl(name);) {
        const Control& c = m_form.control(name);
        if (c.backColor)
            return toColorRef(*c.backColor);
        name = c.container;
    }
    if (m_form.backColor())
        return toColorRef(*m_form.backColor());
    return GetSysColor(COLOR_BTNFACE);
}

void FormWindows::applyPlace(const Control& c, Item& item) {
    const POINT at = origin(c);
    const int x = at.x + toPixels(c.rect.left);
    const int y = at.y + toPixels(c.rect.top);
    RECT now{};
    GetWindowRect(item.hwnd, &now);
    MapWindowPoints(nullptr, m_surface, reinterpret_cast<POINT*>(&now), 2);
    const int width = toPixels(c.rect.width);
    const int height = toPixels(c.rect.height);
    if (now.left != x || now.top != y || now.right - now.left != width ||
        now.bottom - now.top != height)
        SetWindowPos(item.hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    const bool visible = effectivelyVisible(c);
    const bool wasVisible = IsWindowVisible(item.hwnd) != FALSE;
    if (visible && !wasVisible && c.kind != ControlKind::Frame) {
        // A control that appears lies above the others (an editor over the grid).
        item.pressed = false;
        SetWindowPos(item.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (visible != wasVisible)
        ShowWindow(item.hwnd, visible ? SW_SHOWNA : SW_HIDE);
    const bool enabled = effectivelyEnabled(c);
    if ((IsWindowEnabled(item.hwnd) != FALSE) != enabled)
        EnableWindow(item.hwnd, enabled);
}

void FormWindows::applyContents(const Control& c) {
    Item* item = itemByName(c.name);
    HWND hwnd = item->hwnd;
    if (item->grid == nullptr) {
        const HFONT font = m_gdi.font(captionFont(m_gdi, c, m_dpi), m_dpi);
        if (reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)) != font)
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    switch (c.kind) {
        case ControlKind::Frame:
        case ControlKind::Button:
            setWindowTextIfChanged(hwnd, c.caption);
            break;
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            setWindowTextIfChanged(hwnd, c.caption);
            SendMessageW(hwnd, BM_SETCHECK, c.value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::Label:
            setWindowTextIfChanged(hwnd, c.caption);
            setStyleBit(hwnd, WS_BORDER, c.borderStyle == 1);
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case ControlKind::ListBox: {
            const int count = static_cast<int>(SendMessageW(hwnd, LB_GETCOUNT, 0, 0));
            bool same = count == static_cast<int>(c.items.size());
            for (int i = 0; same && i < count; ++i) {
                const int length = static_cast<int>(SendMessageW(hwnd, LB_GETTEXTLEN, i, 0));
                std::wstring text(static_cast<size_t>(length) + 1, L'\0');
                SendMessageW(hwnd, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
                text.resize(static_cast<size_t>(length));
                same = text == widen(c.items[static_cast<size_t>(i)]);
            }
            if (!same) {
                SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
                SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
                for (const std::string& entry : c.items)
                    SendMessageW(hwnd, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(widen(entry).c_str()));
                SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            if (static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0)) != c.listIndex)
                SendMessageW(hwnd, LB_SETCURSEL, c.listIndex, 0);
            break;
        }
        case ControlKind::TextBox: {
            const bool replaced = setWindowTextIfChanged(hwnd, c.text);
            const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
            if (((style & ES_RIGHT) != 0) != c.rightAligned)
                setStyleBit(hwnd, ES_RIGHT, c.rightAligned);
            if (replaced || item->selStart != c.selStart || item->selLength != c.selLength) {
                item->selStart = c.selStart;
                item->selLength = c.selLength;
                SendMessageW(hwnd, EM_SETSEL, c.selStart, c.selStart + c.selLength);
            }
            break;
        }
        case ControlKind::Grid:
            break;
    }
}

void FormWindows::apply(const Control& c) {
    Item* item = itemByName(c.name);
    if (item == nullptr || item->hwnd == nullptr)
        return;
    applyGuarded([&] {
        applyContents(c);
        applyPlace(c, *item);
        if (c.kind == ControlKind::Frame) {
            // The frame's contents follow its place, visibility and state.
            for (const Control& inner : m_form.controls()) {
                if (inner.container == c.name)
                    apply(inner);
            }
        }
    });
}

void FormWindows::controlChanged(const Control& control) {
    apply(control);
}

void FormWindows::formChanged() {
    InvalidateRect(m_surface, nullptr, TRUE);
    if (m_windowChanged)
        m_windowChanged();
}

// ---- Windows to core -----------------------------------------------------------------------

void FormWindows::dispatch(const std::string& control, EventKind kind, int keyCode) {
    if (m_applying || m_detached)
        return;
    core::form::Event event;
    event.form = m_form.name();
    event.control = control;
    event.kind = kind;
    event.button = core::form::kLeftButton;
    event.keyCode = keyCode;
    event.shift = GridControl::heldModifiers();
    m_dispatcher.dispatch(event);
}

void FormWindows::command(Item& item, int code) {
    if (m_applying || m_detached)
        return;
    const Control& c = m_form.control(item.name);
    switch (c.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::OptionButton:
            if (code == BN_CLICKED) {
                const HWND hwnd = item.hwnd;
                core::app::userClick(m_form, m_dispatcher, item.name);
                // The button may draw itself once more after the notification, with the state
                // it had before; a handler may have set it back meanwhile (a cancelled filter
                // click), so once the click is over it is drawn again from what it holds.
                PostMessageW(m_surface, kRedrawControl, 0, reinterpret_cast<LPARAM>(hwnd));
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                const int index = static_cast<int>(SendMessageW(item.hwnd, LB_GETCURSEL, 0, 0));
                m_form.update(item.name, [index](Control& ctl) { ctl.listIndex = index; });
            } else if (code == LBN_DBLCLK) {
                dispatch(item.name, EventKind::DblClick);
            }
            break;
        case ControlKind::TextBox:
            if (code == EN_CHANGE) {
                const std::string text = narrow(windowText(item.hwnd));
                m_form.update(item.name, [&](Control& ctl) { ctl.text = text; });
            }
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED)
                dispatch(item.name, EventKind::Click);
            break;
        case ControlKind::Frame:
        case ControlKind::Grid:
            break;
    }
}

bool FormWindows::handleSurfaceMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
    if (m_detached)
        return false;
    switch (message) {
        case kRedrawControl: {
            const auto hwnd = reinterpret_cast<HWND>(lParam);
            if (IsWindow(hwnd) && GetParent(hwnd) == m_surface)
                InvalidateRect(hwnd, nullptr, TRUE);
            result = 0;
            return true;
        }
        case WM_COMMAND: {
            Item* item = itemById(LOWORD(wParam));
            if (item == nullptr || reinterpret_cast<HWND>(lParam) != item->hwnd)
                return false;
            command(*item, HIWORD(wParam));
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            const ControlTag* tag = WindowDirectory::tagOf(reinterpret_cast<HWND>(lParam));
            if (tag == nullptr || tag->owner != this)
                return false;
            const Control& c = m_form.control(tag->control);
            auto hdc = reinterpret_cast<HDC>(wParam);
            COLORREF back = 0;
            if (c.name == kInPlaceEditor && c.kind == ControlKind::TextBox) {
                back = GetSysColor(COLOR_INFOBK);
                SetTextColor(hdc, GetSysColor(COLOR_INFOTEXT));
            } else if (c.name == kRowPopup && c.kind == ControlKind::ListBox) {
                back = GetSysColor(COLOR_SCROLLBAR);
            } else if (c.kind == ControlKind::TextBox || c.kind == ControlKind::ListBox) {
                if (!c.backColor)
                    return false;  // the system's own window colour
                back = toColorRef(*c.backColor);
            } else {
                back = areaColor(c.name);
            }
            SetBkColor(hdc, back);
            result = reinterpret_cast<LRESULT>(
                m_gdi.brush({GetRValue(back), GetGValue(back), GetBValue(back)}));
            return true;
        }
        case WM_ERASEBKGND: {
            RECT rc{};
            GetClientRect(m_surface, &rc);
            const COLORREF back =
                m_form.backColor() ? toColorRef(*m_form.backColor()) : GetSysColor(COLOR_BTNFACE);
            SetDCBrushColor(reinterpret_cast<HDC>(wParam), back);
            FillRect(reinterpret_cast<HDC>(wParam), &rc,
                     static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            result = 1;
            return true;
        }
        default:
            return false;
    }
}

// ---- Keys and clicks of the controls -------------------------------------------------------

LRESULT CALLBACK FormWindows::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR data) {
    auto* item = reinterpret_cast<Item*>(data);
    return item->tag.owner->controlMessage(*item, hwnd, message, wParam, lParam);
}

LRESULT FormWindows::controlMessage(Item& item, HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
    if (m_detached)
        return DefSubclassProc(hwnd, message, wParam, lParam);
    const Control& c = m_form.control(item.name);
    const bool ownKeys = m_dispatcher.hasHandler(m_form.name(), item.name, EventKind::KeyDown);
    auto handledKey = [&](WPARAM key) {
        if (!ownKeys)
            return false;
        if (c.kind == ControlKind::TextBox)
            return key == VK_ESCAPE || key == VK_RETURN || key == VK_UP || key == VK_DOWN;
        if (c.kind == ControlKind::ListBox)
            return key == VK_ESCAPE || key == VK_RETURN;
        return false;
    };
    switch (message) {
        case WM_KEYDOWN:
            if (handledKey(wParam)) {
                dispatch(item.name, EventKind::KeyDown, static_cast<int>(wParam));
                return 0;
            }
            if (c.kind == ControlKind::ListBox) {
                // Let the list move its selection first; a move is the list's click.
                const LRESULT before = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                const LRESULT after = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
                if (after != before && IsWindowVisible(hwnd)) {
                    m_form.update(item.name, [after](Control& ctl) {
                        ctl.listIndex = static_cast<int>(after);
                    });
                    dispatch(item.name, EventKind::Click);
                }
                return result;
            }
            break;
        case WM_CHAR:
            // The keys taken above would beep in the control.
            if (handledKey(wParam == L'\r' ? VK_RETURN : wParam == 27 ? VK_ESCAPE : 0))
                return 0;
            break;
        case WM_GETDLGCODE:
            if (ownKeys)
                return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, message, wParam, lParam);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            item.pressed = true;
            break;
        case WM_LBUTTONUP:
            if (c.kind == ControlKind::ListBox && std::exchange(item.pressed, false)) {
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
                if (HIWORD(hit) == 0) {  // on an item
                    const int index = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
                    if (index != c.listIndex)
                        m_form.update(item.name, [index](Control& ctl) { ctl.listIndex = index; });
                    dispatch(item.name, EventKind::Click);
                }
                return result;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace velmora::win32
