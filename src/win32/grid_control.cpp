#include "win32/grid_control.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/form/ui_types.h"
#include "engine/base/number_text.h"
#include "win32/wide_text.h"

namespace velmora::win32 {

namespace {

using core::grid::CellAlignment;
using core::grid::UserResizing;

constexpr UINT kSyncScrollBars = WM_APP + 1;
// How near a header border the pointer must be to drag it, in pixels at 96 DPI.
constexpr int kResizeGrip = 3;
constexpr int kWheelRows = 3;

UINT textFormat(CellAlignment alignment, std::string_view text) {
    UINT horizontal = DT_LEFT;
    UINT vertical = DT_VCENTER;
    if (alignment == CellAlignment::General) {
        horizontal = engine::readNumber(text) ? DT_RIGHT : DT_LEFT;
    } else {
        // The values run left/centre/right in threes, each as top/centre/bottom.
        const int value = static_cast<int>(alignment);
        const UINT horizontals[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
        const UINT verticals[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
        horizontal = horizontals[value / 3];
        vertical = verticals[value % 3];
    }
    return horizontal | vertical | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
}

// An off-screen bitmap the size of the client area, so a paint never flickers.
class BackBuffer {
public:
    BackBuffer(HDC target, int width, int height)
        : m_dc(CreateCompatibleDC(target)),
          m_bitmap(CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1))),
          m_old(SelectObject(m_dc, m_bitmap)) {}
    ~BackBuffer() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

}  // namespace

void GridControl::registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &GridControl::windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kGridClassName;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

GridControl::GridControl(core::grid::GridModel& model, HWND parent, int id, GdiCache& gdi)
    : m_model(model), m_gdi(gdi) {
    registerClass();
    m_hwnd = CreateWindowExW(
        0, kGridClassName, L"",
        WS_CHILD | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0, 10, 10,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
    m_model.addObserver(this);
    syncScrollBars();
}

GridControl::~GridControl() {
    m_model.removeObserver(this);
    if (m_hwnd != nullptr && IsWindow(m_hwnd)) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

LRESULT CALLBACK GridControl::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<GridControl*>(create->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<GridControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        self->m_hwnd = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

// ---- Layout --------------------------------------------------------------------------------

int GridControl::dpi() const {
    return windowDpi(m_hwnd);
}

int GridControl::colPixels(int col) const {
    return toPixels(m_model.colWidth(col), dpi());
}

int GridControl::rowPixels(int row) const {
    return toPixels(m_model.rowHeight(row), dpi());
}

int GridControl::visibleRows() const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int y = 0;
    for (int r = 0; r < m_model.fixedRows(); ++r)
        y += rowPixels(r);
    int count = 0;
    for (int r = m_model.topRow(); r < m_model.rows(); ++r) {
        y += rowPixels(r);
        if (y > client.bottom)
            break;
        ++count;
    }
    if (count == 0) {
        const int height = std::max(toPixels(m_model.defaultRowHeight(), dpi()), 1);
        count = std::max((static_cast<int>(client.bottom) - y) / height, 1);
    }
    return std::max(count, 1);
}

int GridControl::visibleCols() const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int x = 0;
    for (int c = 0; c < m_model.fixedCols(); ++c)
        x += colPixels(c);
    int count = 0;
    for (int c = m_model.leftCol(); c < m_model.cols(); ++c) {
        x += colPixels(c);
        if (x > client.right)
            break;
        ++count;
    }
    return std::max(count, 1);
}

RECT GridControl::cellRect(int row, int col) const {
    RECT none{0, 0, 0, 0};
    if (row < 0 || col < 0 || row >= m_model.rows() || col >= m_model.cols())
        return none;
    auto offset = [](int index, int fixed, int first, auto size) -> std::optional<int> {
        int pos = 0;
        for (int i = 0; i < fixed && i < index; ++i)
            pos += size(i);
        if (index < fixed)
            return pos;
        if (index < first)
            return std::nullopt;
        for (int i = first; i < index; ++i)
            pos += size(i);
        return pos;
    };
    const auto x =
        offset(col, m_model.fixedCols(), m_model.leftCol(), [this](int c) { return colPixels(c); });
    // Rows beyond the bottom edge are not walked to: the walk stops at the client's height.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    if (row >= m_model.fixedRows() && row > m_model.topRow() + visibleRows() + 1)
        return none;
    const auto y =
        offset(row, m_model.fixedRows(), m_model.topRow(), [this](int r) { return rowPixels(r); });
    if (!x || !y)
        return none;
    return RECT{*x, *y, *x + colPixels(col), *y + rowPixels(row)};
}

std::pair<int, int> GridControl::cellAtPixel(POINT point) const {
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int row = -1;
    int y = 0;
    for (int r = 0; r < m_model.fixedRows() && row < 0; ++r) {
        y += rowPixels(r);
        if (point.y < y)
            row = r;
    }
    for (int r = m_model.topRow(); r < m_model.rows() && row < 0 && y <= client.bottom; ++r) {
        y += rowPixels(r);
        if (point.y < y)
            row = r;
    }
    int col = -1;
    int x = 0;
    for (int c = 0; c < m_model.fixedCols() && col < 0; ++c) {
        x += colPixels(c);
        if (point.x < x)
            col = c;
    }
    for (int c = m_model.leftCol(); c < m_model.cols() && col < 0 && x <= client.right; ++c) {
        x += colPixels(c);
        if (point.x < x)
            col = c;
    }
    if (point.x < 0 || point.y < 0 || row < 0 || col < 0)
        return {-1, -1};
    return {row, col};
}

int GridControl::resizeBorderAt(POINT point) const {
    const UserResizing resizing = m_model.allowUserResizing();
    if (resizing != UserResizing::Columns && resizing != UserResizing::Both)
        return -1;
    if (m_model.fixedRows() == 0 || point.y >= rowPixels(0))
        return -1;
    const int grip = std::max(kResizeGrip * dpi() / 96, 2);
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int x = 0;
    auto test = [&](int c) {
        const int width = colPixels(c);
        if (width == 0)
            return false;
        x += width;
        return std::abs(point.x - x) <= grip;
    };
    for (int c = 0; c < m_model.fixedCols(); ++c) {
        if (test(c))
            return c;
    }
    for (int c = m_model.leftCol(); c < m_model.cols() && x <= client.right + grip; ++c) {
        if (test(c))
            return c;
    }
    return -1;
}

// ---- Painting ------------------------------------------------------------------------------

void GridControl::paint(HDC target, const RECT& client) {
    LARGE_INTEGER started{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&started);
    QueryPerformanceFrequency(&frequency);

    BackBuffer buffer(target, client.right, client.bottom);
    HDC dc = buffer.dc();
    const core::form::FontChoice wanted{m_model.fontName(), m_model.fontSize(), false};
    const HGDIOBJ oldFont = SelectObject(dc, m_gdi.font(wanted, dpi()));
    SetBkMode(dc, TRANSPARENT);
    // Beyond the last cell: the window's empty area in the application workspace colour.
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));

    const core::grid::CellRange block = m_model.selection();
    const bool blockSelected = block.rowCount() > 1 || block.colCount() > 1;
    const bool focused = GetFocus() == m_hwnd;
    const HPEN gridPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
    const HPEN fixedPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    const int padding = std::max(2 * dpi() / 96, 1);

    // The rows and columns in view: the fixed ones, then the scrolled ones to the edge.
    std::vector<std::pair<int, int>> rows;  // row, top pixel
    int y = 0;
    for (int r = 0; r < m_model.fixedRows() && y < client.bottom; ++r) {
        rows.emplace_back(r, y);
        y += rowPixels(r);
    }
    for (int r = m_model.topRow(); r < m_model.rows() && y < client.bottom; ++r) {
        rows.emplace_back(r, y);
        y += rowPixels(r);
    }
    std::vector<std::pair<int, int>> cols;  // column, left pixel
    int x = 0;
    for (int c = 0; c < m_model.fixedCols() && x < client.right; ++c) {
        cols.emplace_back(c, x);
        x += colPixels(c);
    }
    for (int c = m_model.leftCol(); c < m_model.cols() && x < client.right; ++c) {
        cols.emplace_back(c, x);
        x += colPixels(c);
    }

    for (const auto& [row, top] : rows) {
        const int height = rowPixels(row);
        if (height == 0)
            continue;
        for (const auto& [col, left] : cols) {
            const int width = colPixels(col);
            if (width == 0)
                continue;
            RECT cell{left, top, left + width, top + height};
            const bool fixed = row < m_model.fixedRows() || col < m_model.fixedCols();
            const bool highlighted = !fixed && blockSelected && block.contains(row, col) &&
                                     !(row == m_model.row() && col == m_model.col());
            COLORREF back = toColorRef(m_model.effectiveBackColor(row, col));
            COLORREF fore = toColorRef(m_model.foreColor());
            if (highlighted) {
                back = GetSysColor(COLOR_HIGHLIGHT);
                fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
            }
            SetDCBrushColor(dc, back);
            FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            const std::string_view text = m_model.textMatrix(row, col);
            if (!text.empty()) {
                SetTextColor(dc, fore);
                RECT inner{cell.left + padding, cell.top, cell.right - padding, cell.bottom};
                const std::wstring wide = widen(text);
                DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inner,
                          textFormat(m_model.colAlignment(col), text));
            }
            // Lines on the right and bottom edge of every cell.
            SelectObject(dc, fixed ? fixedPen : gridPen);
            MoveToEx(dc, cell.right - 1, cell.top, nullptr);
            LineTo(dc, cell.right - 1, cell.bottom - 1);
            LineTo(dc, cell.left - 1, cell.bottom - 1);
            if (focused && !fixed && row == m_model.row() && col == m_model.col()) {
                RECT focus{cell.left + 1, cell.top + 1, cell.right - 2, cell.bottom - 2};
                DrawFocusRect(dc, &focus);
            }
        }
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(gridPen);
    DeleteObject(fixedPen);
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);

    if (m_paintObserver) {
        LARGE_INTEGER ended{};
        QueryPerformanceCounter(&ended);
        m_paintObserver(static_cast<double>(ended.QuadPart - started.QuadPart) * 1000.0 /
                        static_cast<double>(frequency.QuadPart));
    }
}

// ---- Model to window -----------------------------------------------------------------------

void GridControl::tellViewportHeight() {
    if (m_hwnd == nullptr)
        return;
    RECT client{};
    GetClientRect(m_hwnd, &client);
    int fixed = 0;
    for (int r = 0; r < m_model.fixedRows(); ++r)
        fixed += rowPixels(r);
    m_model.setViewportHeight(std::max(toTwips(static_cast<int>(client.bottom) - fixed, dpi()), 1));
}

void GridControl::changed(bool scrollBars) {
    if (m_hwnd == nullptr || !m_model.redraw())
        return;
    InvalidateRect(m_hwnd, nullptr, FALSE);
    if (scrollBars && !m_scrollSyncPosted) {
        m_scrollSyncPosted = true;
        PostMessageW(m_hwnd, kSyncScrollBars, 0, 0);
    }
}

void GridControl::redrawChanged(bool redraw) {
    if (redraw)
        changed(true);
}

void GridControl::syncScrollBars() {
    m_scrollSyncPosted = false;
    if (m_hwnd == nullptr)
        return;
    SCROLLINFO vertical{};
    vertical.cbSize = sizeof(vertical);
    vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    const int dataRows = std::max(m_model.rows() - m_model.fixedRows(), 0);
    vertical.nMin = 0;
    vertical.nMax = std::max(dataRows - 1, 0);
    vertical.nPage = static_cast<UINT>(std::min(visibleRows(), std::max(dataRows, 1)));
    vertical.nPos = m_model.topRow() - m_model.fixedRows();
    SetScrollInfo(m_hwnd, SB_VERT, &vertical, TRUE);
    ShowScrollBar(m_hwnd, SB_VERT, dataRows > static_cast<int>(vertical.nPage));

    SCROLLINFO horizontal = vertical;
    int widthRight = 0;
    RECT client{};
    GetClientRect(m_hwnd, &client);
    for (int c = 0; c < m_model.cols(); ++c)
        widthRight += colPixels(c);
    const int dataCols = std::max(m_model.cols() - m_model.fixedCols(), 0);
    horizontal.nMax = std::max(dataCols - 1, 0);
    horizontal.nPage = static_cast<UINT>(std::min(visibleCols(), std::max(dataCols, 1)));
    horizontal.nPos = m_model.leftCol() - m_model.fixedCols();
    SetScrollInfo(m_hwnd, SB_HORZ, &horizontal, TRUE);
    ShowScrollBar(m_hwnd, SB_HORZ,
                  widthRight > client.right || m_model.leftCol() > m_model.fixedCols());
}

// ---- User to model -------------------------------------------------------------------------

int GridControl::heldModifiers() {
    int mask = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        mask |= core::form::kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0)
        mask |= core::form::kCtrlMask;
    if (GetKeyState(VK_MENU) < 0)
        mask |= core::form::kAltMask;
    return mask;
}

void GridControl::scrollCurrentIntoView() {
    int top = m_model.topRow();
    const int row = m_model.rowSel();
    if (row >= m_model.fixedRows()) {
        if (row < top)
            top = row;
        else if (row >= top + visibleRows())
            top = row - visibleRows() + 1;
    }
    int left = m_model.leftCol();
    const int col = m_model.colSel();
    if (col >= m_model.fixedCols()) {
        if (col < left)
            left = col;
        else if (col >= left + visibleCols())
            left = col - visibleCols() + 1;
    }
    if (top != m_model.topRow() || left != m_model.leftCol())
        m_model.userScrollTo(top, left);
}

void GridControl::mouse(bool down, int button, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int shift = heldModifiers();
    const int x = toTwips(point.x, dpi());
    const int y = toTwips(point.y, dpi());
    if (down)
        m_model.raiseMouseDown(button, shift, x, y);
    else
        m_model.raiseMouseUp(button, shift, x, y);
}

void GridControl::keyDown(int keyCode) {
    const int shift = heldModifiers();
    m_model.raiseKeyDown(keyCode, shift);
    if (m_hwnd == nullptr)
        return;  // the handler closed the window
    const bool extend = (shift & core::form::kShiftMask) != 0;
    const bool ctrl = (shift & core::form::kCtrlMask) != 0;
    const int page = visibleRows();
    const int farthest = std::max(m_model.rows(), m_model.cols());
    int rowDelta = 0;
    int colDelta = 0;
    switch (keyCode) {
        case VK_UP:
            rowDelta = -1;
            break;
        case VK_DOWN:
            rowDelta = 1;
            break;
        case VK_LEFT:
            colDelta = -1;
            break;
        case VK_RIGHT:
            colDelta = 1;
            break;
        case VK_PRIOR:
            rowDelta = -page;
            break;
        case VK_NEXT:
            rowDelta = page;
            break;
        case VK_HOME:
            colDelta = -farthest;
            rowDelta = ctrl ? -farthest : 0;
            break;
        case VK_END:
            colDelta = farthest;
            rowDelta = ctrl ? farthest : 0;
            break;
        default:
            break;
    }
    if (rowDelta != 0 || colDelta != 0) {
        m_model.userMoveBy(rowDelta, colDelta, extend);
        scrollCurrentIntoView();
    }
}

void GridControl::scrollMessage(bool vertical, int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(m_hwnd, vertical ? SB_VERT : SB_HORZ, &info);
    const int page = vertical ? visibleRows() : visibleCols();
    int pos =
        vertical ? m_model.topRow() - m_model.fixedRows() : m_model.leftCol() - m_model.fixedCols();
    switch (request) {
        case SB_LINEUP:
            pos -= 1;
            break;
        case SB_LINEDOWN:
            pos += 1;
            break;
        case SB_PAGEUP:
            pos -= page;
            break;
        case SB_PAGEDOWN:
            pos += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            pos = info.nTrackPos;  // 32 bits: beyond the 16 of the message's own position
            break;
        case SB_TOP:
            pos = 0;
            break;
        case SB_BOTTOM:
            pos = info.nMax;
            break;
        default:
            return;
    }
    pos = std::clamp(pos, 0, std::max(info.nMax - static_cast<int>(info.nPage) + 1, 0));
    if (vertical)
        m_model.userScrollTo(pos + m_model.fixedRows(), m_model.leftCol());
    else
        m_model.userScrollTo(m_model.topRow(), pos + m_model.fixedCols());
}

LRESULT GridControl::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(m_hwnd, &ps);
            if (m_model.redraw()) {
                RECT client{};
                GetClientRect(m_hwnd, &client);
                paint(dc, client);
            }
            EndPaint(m_hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_SIZE:
            tellViewportHeight();
            changed(true);
            return 0;
        case kSyncScrollBars:
            syncScrollBars();
            return 0;
        case WM_VSCROLL:
        case WM_HSCROLL:
            scrollMessage(message == WM_VSCROLL, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (notches != 0)
                m_model.userScrollTo(
                    std::max(m_model.topRow() - notches * kWheelRows, m_model.fixedRows()),
                    m_model.leftCol());
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT point{};
                GetCursorPos(&point);
                ScreenToClient(m_hwnd, &point);
                if (m_resizingCol >= 0 || resizeBorderAt(point) >= 0) {
                    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                    return TRUE;
                }
            }
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
        case WM_LBUTTONDOWN: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (GetFocus() != m_hwnd)
                SetFocus(m_hwnd);
            if (m_hwnd == nullptr)
                return 0;
            const int border = resizeBorderAt(point);
            if (border >= 0) {
                m_resizingCol = border;
                m_resizeStartX = point.x;
                m_resizeStartWidth = colPixels(border);
                SetCapture(m_hwnd);
                return 0;
            }
            const auto [row, col] = cellAtPixel(point);
            if (row >= 0) {
                m_model.userSelectCell(row, col, (wParam & MK_SHIFT) != 0);
                m_selecting = true;
                SetCapture(m_hwnd);
            }
            mouse(true, core::form::kLeftButton, lParam);
            return 0;
        }
        case WM_MOUSEMOVE: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (m_resizingCol >= 0) {
                const int width =
                    std::max(m_resizeStartWidth + static_cast<int>(point.x) - m_resizeStartX, 0);
                m_model.userResizeColumn(m_resizingCol, toTwips(width, dpi()));
            } else if (m_selecting && (wParam & MK_LBUTTON)) {
                const auto [row, col] = cellAtPixel(point);
                if (row >= 0)
                    m_model.userSelectCell(row, col, true);
            }
            return 0;
        }
        case WM_LBUTTONUP:
            if (GetCapture() == m_hwnd)
                ReleaseCapture();
            if (m_resizingCol >= 0) {
                m_resizingCol = -1;
                return 0;
            }
            m_selecting = false;
            mouse(false, core::form::kLeftButton, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            m_selecting = false;
            m_resizingCol = -1;
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // A right press leaves the current cell alone; the handlers work on the current cell.
            if (GetFocus() != m_hwnd)
                SetFocus(m_hwnd);
            if (m_hwnd != nullptr)
                mouse(true,
                      message == WM_RBUTTONDOWN ? core::form::kRightButton
                                                : core::form::kMiddleButton,
                      lParam);
            return 0;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            mouse(false,
                  message == WM_RBUTTONUP ? core::form::kRightButton : core::form::kMiddleButton,
                  lParam);
            return 0;
        case WM_LBUTTONDBLCLK:
            // The second press of a double click is the double click alone, as the handlers
            // expect it.
            m_model.raiseDblClick();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            keyDown(static_cast<int>(wParam));
            return message == WM_SYSKEYDOWN ? DefWindowProcW(m_hwnd, message, wParam, lParam) : 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            m_model.raiseKeyUp(static_cast<int>(wParam), heldModifiers());
            return message == WM_SYSKEYUP ? DefWindowProcW(m_hwnd, message, wParam, lParam) : 0;
        case WM_CHAR:
            return 0;  // typing into the grid edits nothing
        case WM_SETFOCUS:
            InvalidateRect(m_hwnd, nullptr, FALSE);
            m_model.raiseGotFocus();
            return 0;
        case WM_KILLFOCUS:
            InvalidateRect(m_hwnd, nullptr, FALSE);
            m_model.raiseLostFocus();
            return 0;
        default:
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

}  // namespace velmora::win32
