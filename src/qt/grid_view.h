// GridView: the Qt widget that shows a core GridModel and feeds the user's actions back.
//
// The grid's first fixed row is the horizontal header and its first fixed column the
// vertical header, both in the grid's fixed-cell colour; column widths and row heights are
// twips turned into pixels at the widget's logical DPI / 1440, a width of 0 hides the column.
// The model is the only record of the current cell, the selection and the scroll position:
// the view shows what the model holds, and a click, a key or a scroll-bar move goes to the
// model first (userSelectCell, userMoveBy, userScrollTo), which raises "leave cell" or
// "scroll" before anything moves. Mouse presses (button and position in twips from the
// grid's top left corner), double clicks, keys (as virtual-key codes with the modifier mask)
// and focus changes are forwarded to the model's raise...() calls for the handlers. Changes
// the view applies from the model are guarded so they never come back as user actions.
#pragma once

#include <QTableView>

#include "core/grid/grid_model.h"

namespace velmora::qt {

class GridTableModel;

class GridView : public QTableView {
    Q_OBJECT

public:
    // `grid` must outlive the view.
    explicit GridView(core::grid::GridModel& grid, QWidget* parent = nullptr);
    ~GridView() override;

    core::grid::GridModel& grid() const { return m_grid; }
    GridTableModel* tableModel() const { return m_model; }

    // The virtual-key code of a Qt key (67 for C, 46 for Delete, 13 for Enter), 0 for a key
    // the handlers have no code for. Keypad digits and operators need the keypad modifier.
    static int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The handlers' modifier mask: 1 Shift, 2 Ctrl, 4 Alt.
    static int shiftMask(Qt::KeyboardModifiers modifiers);
    // The handlers' button code: 1 left, 2 right, 4 middle, 0 any other.
    static int buttonCode(Qt::MouseButton button);

    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;
    int pixelsToTwipsX(int pixels) const;
    int pixelsToTwipsY(int pixels) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Model to widget.
    void applyLayout();
    void applySelection();
    void applyScroll();
    void applyAll();

    // A press on a header: true when it was taken as a grid press, false when it belongs to
    // the header's own border dragging.
    bool headerPress(QHeaderView* header, QMouseEvent* event);
    bool onResizeHandle(QHeaderView* header, QPoint pos) const;
    QPoint toGrid(QWidget* from, QPoint pos) const;
    void raiseMouse(bool down, QWidget* from, QMouseEvent* event);
    void scrollCurrentIntoView();
    // Tells the model the height its scrollable rows are shown in, so the top row it keeps
    // is the one the scroll bar can reach.
    void tellViewportHeight();
    int visibleDataRows() const;

    core::grid::GridModel& m_grid;
    GridTableModel* m_model = nullptr;  // owned through the QObject tree
    bool m_applying = false;            // applying the model's state: no feedback
    bool m_selecting = false;           // left button held after a press in the cells
    bool m_headerPressed = false;       // a press on a header was taken as a grid press
};

}  // namespace velmora::qt
