// GridControl: the grid as a Win32 control, a window class of our own drawing a core
// GridModel and feeding the user's actions back to it.
//
// Owner-data style: the control keeps no cells; each paint draws only the rows and columns
// in view straight from the model, into an off-screen bitmap that is then copied in one go,
// so tens of thousands of rows cost no more to show than a screenful. The fixed rows and
// columns are drawn in the grid's fixed-cell colour and never scroll. Column widths and row
// heights are twips turned into pixels at the window's DPI (a width of 0 hides the column).
//
// The model is the only record of the current cell, the selection and the scroll position:
// a click, a key or a scroll-bar move goes to the model first (userSelectCell, userMoveBy,
// userScrollTo), which raises "leave cell" or "scroll" before anything moves, and the control
// repaints from what the model then holds. Presses (button and position in twips from the
// grid's top left), double clicks, keys (virtual-key codes with the modifier mask) and focus
// changes go to the model's raise...() calls for the handlers. The borders of the header
// row's cells can be dragged to resize a column when the model allows it.
#pragma once

#include <windows.h>

#include <functional>

#include "core/grid/grid_model.h"
#include "win32/screen_units.h"

namespace velmora::win32 {

inline constexpr wchar_t kGridClassName[] = L"VelmoraGrid";

class GridControl : private core::grid::GridObserver {
public:
    // Registers the window class once per process.
    static void registerClass();

    // Creates the control as a child of `parent` with the command id `id`. `model` and `gdi`
    // must outlive the control.
    GridControl(core::grid::GridModel& model, HWND parent, int id, GdiCache& gdi);
    ~GridControl() override;
    GridControl(const GridControl&) = delete;
    GridControl& operator=(const GridControl&) = delete;

    HWND hwnd() const { return m_hwnd; }
    core::grid::GridModel& model() const { return m_model; }

    // Told after each paint that drew the model, with how long the drawing took.
    void setPaintObserver(std::function<void(double milliseconds)> observer) {
        m_paintObserver = std::move(observer);
    }

    // The pixel rectangle of a cell in the control's client area as the grid is scrolled
    // now; empty when the cell is out of view.
    RECT cellRect(int row, int col) const;
    // The cell under a client point, {-1, -1} where there is none.
    std::pair<int, int> cellAtPixel(POINT point) const;

    // The modifier mask of the keys held now: 1 Shift, 2 Ctrl, 4 Alt.
    static int heldModifiers();

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    // GridObserver: every change repaints; shape and scroll changes also refresh the scroll
    // bars, once, after the messages of the moment.
    void rowsAboutToBeInserted(int, int) override {}
    void rowsInserted(int, int) override { changed(true); }
    void rowsAboutToBeRemoved(int, int) override {}
    void rowsRemoved(int, int) override { changed(true); }
    void columnsAboutToBeInserted(int, int) override {}
    void columnsInserted(int, int) override { changed(true); }
    void columnsAboutToBeRemoved(int, int) override {}
    void columnsRemoved(int, int) override { changed(true); }
    void aboutToReset() override {}
    void resetDone() override { changed(true); }
    void cellsChanged(const core::grid::CellRange&) override { changed(false); }
    void layoutChanged() override { changed(true); }
    void currentCellChanged() override { changed(false); }
    void scrolled() override { changed(true); }
    void redrawChanged(bool redraw) override;
    void changed(bool scrollBars);

    void paint(HDC target, const RECT& client);
    void syncScrollBars();
    int dpi() const;
    int colPixels(int col) const;
    int rowPixels(int row) const;
    // How many scrollable rows (columns) fit below (beside) the fixed ones, at least one.
    int visibleRows() const;
    // Tells the model the height its scrollable rows are shown in (below the fixed rows), so
    // the top row it keeps is one the scroll bar can reach.
    void tellViewportHeight();
    int visibleCols() const;
    // The column whose right border lies under x in the header row, or -1.
    int resizeBorderAt(POINT point) const;
    void scrollCurrentIntoView();
    void mouse(bool down, int button, LPARAM lParam);
    void keyDown(int keyCode);
    void scrollMessage(bool vertical, int request);

    core::grid::GridModel& m_model;
    GdiCache& m_gdi;
    HWND m_hwnd = nullptr;
    bool m_scrollSyncPosted = false;
    bool m_selecting = false;  // left button held after a press in the cells
    int m_resizingCol = -1;    // a header border being dragged
    int m_resizeStartX = 0;
    int m_resizeStartWidth = 0;
    std::function<void(double)> m_paintObserver;
};

}  // namespace velmora::win32
