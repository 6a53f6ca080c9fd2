// The grid widget: shows the grid model, and turns clicks, keys, scrolling and focus into the
// model's user and event calls.
#include "qt/grid_view.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

#include "core/form/ui_types.h"
#include "core/grid/virtual_keys.h"
#include "qt/grid_table_model.h"

namespace velmora::qt {

namespace vk = core::grid::vk;
using core::grid::UserResizing;

GridView::GridView(core::grid::GridModel& grid, QWidget* parent)
    : QTableView(parent), m_grid(grid) {
    m_model = new GridTableModel(grid, this);
    setModel(m_model);

    // Qt selects nothing by itself: every change goes through the model and comes back.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAutoScroll(false);  // a current cell set by code does not scroll, as in the control
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setMinimumSectionSize(0);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
        header->setStretchLastSection(false);
        header->viewport()->installEventFilter(this);
    }

    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (!m_applying)
                    m_grid.userResizeColumn(m_model->gridCol(logical), pixelsToTwipsX(size));
            });
    connect(verticalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (!m_applying)
                    m_grid.userResizeRow(m_model->gridRow(logical), pixelsToTwipsY(size));
            });

    connect(m_model, &GridTableModel::gridLayoutChanged, this, &GridView::applyLayout);
    connect(m_model, &GridTableModel::gridCurrentCellChanged, this, &GridView::applySelection);
    connect(m_model, &GridTableModel::gridScrolled, this, &GridView::applyScroll);
    connect(m_model, &GridTableModel::gridRedrawChanged, this, [this](bool redraw) {
        viewport()->setUpdatesEnabled(redraw);
        if (redraw)
            applyAll();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &GridView::applyAll);
    // Qt moves its selection with inserted and removed items; the grid keeps its numbers.
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &GridView::applySelection);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &GridView::applySelection);
    connect(m_model, &QAbstractItemModel::columnsInserted, this, &GridView::applyAll);
    connect(m_model, &QAbstractItemModel::columnsRemoved, this, &GridView::applyAll);

    viewport()->setUpdatesEnabled(grid.redraw());
    applyAll();
}

GridView::~GridView() = default;

// ---- Units and codes -----------------------------------------------------------------------

int GridView::twipsToPixelsX(int twips) const {
    return core::form::twipsToPixels(twips, logicalDpiX());
}

int GridView::twipsToPixelsY(int twips) const {
    return core::form::twipsToPixels(twips, logicalDpiY());
}

int GridView::pixelsToTwipsX(int pixels) const {
    return core::form::pixelsToTwips(pixels, logicalDpiX());
}

int GridView::pixelsToTwipsY(int pixels) const {
    return core::form::pixelsToTwips(pixels, logicalDpiY());
}

int GridView::virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? vk::kNumpad0 + (qtKey - Qt::Key_0) : qtKey;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;  // Qt's letter codes are the upper-case ASCII codes, as are ours
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::kF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace:
            return vk::kBackspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::kTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::kReturn;
        case Qt::Key_Shift:
            return vk::kShift;
        case Qt::Key_Control:
            return vk::kControl;
        case Qt::Key_Alt:
            return vk::kAlt;
        case Qt::Key_Pause:
            return vk::kPause;
        case Qt::Key_CapsLock:
            return vk::kCapsLock;
        case Qt::Key_Escape:
            return vk::kEscape;
        case Qt::Key_Space:
            return vk::kSpace;
        case Qt::Key_PageUp:
            return vk::kPageUp;
        case Qt::Key_PageDown:
            return vk::kPageDown;
        case Qt::Key_End:
            return vk::kEnd;
        case Qt::Key_Home:
            return vk::kHome;
        case Qt::Key_Left:
            return vk::kLeft;
        case Qt::Key_Up:
            return vk::kUp;
        case Qt::Key_Right:
            return vk::kRight;
        case Qt::Key_Down:
            return vk::kDown;
        case Qt::Key_Insert:
            return vk::kInsert;
        case Qt::Key_Delete:
            return vk::kDelete;
        case Qt::Key_Menu:
            return vk::kApps;
        case Qt::Key_Asterisk:
            return keypad ? vk::kMultiply : 0;
        case Qt::Key_Plus:
            return keypad ? vk::kAdd : 0;
        case Qt::Key_Minus:
            return keypad ? vk::kSubtract : 0;
        case Qt::Key_Period:
            return keypad ? vk::kDecimal : 0;
        case Qt::Key_Slash:
            return keypad ? vk::kDivide : 0;
        default:
            return 0;
    }
}

int GridView::shiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= core::form::kShiftMask;
    if (modifiers & Qt::ControlModifier)
        mask |= core::form::kCtrlMask;
    if (modifiers & Qt::AltModifier)
        mask |= core::form::kAltMask;
    return mask;
}

int GridView::buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return core::form::kLeftButton;
        case Qt::RightButton:
            return core::form::kRightButton;
        case Qt::MiddleButton:
            return core::form::kMiddleButton;
        default:
            return 0;
    }
}

// ---- Model to widget -----------------------------------------------------------------------

void GridView::applyAll() {
    applyLayout();
    applySelection();
    applyScroll();
}

void GridView::applyLayout() {
    QScopedValueRollback<bool> guard(m_applying, true);
    QHeaderView* columns = horizontalHeader();
    QHeaderView* rows = verticalHeader();
    const UserResizing resizing = m_grid.allowUserResizing();
    const bool columnsResizable =
        resizing == UserResizing::Columns || resizing == UserResizing::Both;
    const bool rowsResizable = resizing == UserResizing::Rows || resizing == UserResizing::Both;
    columns->setSectionResizeMode(columnsResizable ? QHeaderView::Interactive : QHeaderView::Fixed);
    rows->setSectionResizeMode(rowsResizable ? QHeaderView::Interactive : QHeaderView::Fixed);

    // The size always, the family where the grid names one: the core measures the texts it
    // sizes columns and editors to in this font (QtPorts::measureText).
    QFont font =
        m_grid.fontName().empty() ? QFont() : QFont(QString::fromStdString(m_grid.fontName()));
    font.setPointSizeF(m_grid.fontSize());
    if (font != this->font())
        setFont(font);

    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int twips = m_grid.colWidth(m_model->gridCol(c));
        setColumnHidden(c, twips == 0);
        if (twips > 0 && columns->sectionSize(c) != twipsToPixelsX(twips))
            columns->resizeSection(c, twipsToPixelsX(twips));
    }
    if (m_model->rowOffset() == 1 && m_grid.rowHeight(0) > 0) {
        columns->setFixedHeight(twipsToPixelsY(m_grid.rowHeight(0)));
        columns->show();
    } else {
        columns->hide();
    }
    if (m_model->colOffset() == 1 && m_grid.colWidth(0) > 0) {
        rows->setFixedWidth(twipsToPixelsX(m_grid.colWidth(0)));
        rows->show();
    } else {
        rows->hide();
    }

    const int defaultHeight = twipsToPixelsY(m_grid.defaultRowHeight());
    if (rows->defaultSectionSize() != defaultHeight)
        rows->setDefaultSectionSize(defaultHeight);
    for (int r = 0; r < m_model->rowCount(); ++r) {
        const int pixels = twipsToPixelsY(m_grid.rowHeight(m_model->gridRow(r)));
        if ((pixels == 0) != isRowHidden(r))
            setRowHidden(r, pixels == 0);
        if (pixels > 0 && rows->sectionSize(r) != pixels)
            rows->resizeSection(r, pixels);
    }
}

void GridView::applySelection() {
    QScopedValueRollback<bool> guard(m_applying, true);
    const core::grid::CellRange block = m_grid.selection();
    const int top = std::max(block.top - m_model->rowOffset(), 0);
    const int left = std::max(block.left - m_model->colOffset(), 0);
    const int bottom = std::min(block.bottom - m_model->rowOffset(), m_model->rowCount() - 1);
    const int right = std::min(block.right - m_model->colOffset(), m_model->columnCount() - 1);
    QItemSelection selection;
    if (top <= bottom && left <= right)
        selection.select(m_model->index(top, left), m_model->index(bottom, right));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    const QModelIndex current = m_model->indexForCell(m_grid.row(), m_grid.col());
    if (current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    else
        selectionModel()->clearCurrentIndex();
}

void GridView::applyScroll() {
    QScopedValueRollback<bool> guard(m_applying, true);
    updateGeometries();  // the scroll ranges may still describe the old shape
    verticalScrollBar()->setValue(m_grid.topRow() - m_model->rowOffset());
    horizontalScrollBar()->setValue(m_grid.leftCol() - m_model->colOffset());
}

// ---- Scrolling -----------------------------------------------------------------------------

void GridView::scrollContentsBy(int dx, int dy) {
    if (!m_applying) {
        // The scroll bar has its new value but nothing has moved yet: the model raises
        // "scroll" now, while the old cells are still where the handlers expect them.
        m_grid.userScrollTo(verticalScrollBar()->value() + m_model->rowOffset(),
                            horizontalScrollBar()->value() + m_model->colOffset());
    }
    QTableView::scrollContentsBy(dx, dy);
    // The "scroll" handlers may have changed cells and closed an editor laid over the grid
    // while the pixels were about to move; moved pixels would show those old cells.
    if (!m_applying)
        viewport()->update();
}

bool GridView::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize)
        tellViewportHeight();
    return handled;
}

void GridView::tellViewportHeight() {
    // Fixed rows below the first are items of the view, drawn in the viewport too.
    int fixedInside = 0;
    for (int r = m_model->rowOffset(); r < m_grid.fixedRows(); ++r)
        fixedInside += m_grid.rowHeight(r);
    m_grid.setViewportHeight(std::max(pixelsToTwipsY(viewport()->height()) - fixedInside, 1));
}

void GridView::scrollCurrentIntoView() {
    const QModelIndex corner = m_model->indexForCell(m_grid.rowSel(), m_grid.colSel());
    if (corner.isValid())
        scrollTo(corner);
}

int GridView::visibleDataRows() const {
    const int height = std::max(twipsToPixelsY(m_grid.defaultRowHeight()), 1);
    return std::max(viewport()->height() / height, 1);
}

// ---- Mouse ---------------------------------------------------------------------------------

QPoint GridView::toGrid(QWidget* from, QPoint pos) const {
    return from->mapTo(this, pos);
}

void GridView::raiseMouse(bool down, QWidget* from, QMouseEvent* event) {
    const QPoint pos = toGrid(from, event->position().toPoint());
    const int button = buttonCode(event->button());
    const int shift = shiftMask(event->modifiers());
    if (down)
        m_grid.raiseMouseDown(button, shift, pixelsToTwipsX(pos.x()), pixelsToTwipsY(pos.y()));
    else
        m_grid.raiseMouseUp(button, shift, pixelsToTwipsX(pos.x()), pixelsToTwipsY(pos.y()));
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) {
            m_grid.userSelectCell(m_model->gridRow(index.row()), m_model->gridCol(index.column()),
                                  event->modifiers() & Qt::ShiftModifier);
            m_selecting = true;
        }
    }
    // A right press leaves the current cell alone; the handlers work on the current cell.
    raiseMouse(true, viewport(), event);
    event->accept();
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    if (m_selecting && (event->buttons() & Qt::LeftButton)) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            m_grid.userSelectCell(m_model->gridRow(index.row()), m_model->gridCol(index.column()),
                                  true);
    }
    event->accept();
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    m_selecting = false;
    raiseMouse(false, viewport(), event);
    event->accept();
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is the double click alone, as the handlers expect.
    m_grid.raiseDblClick();
    event->accept();
}

bool GridView::onResizeHandle(QHeaderView* header, QPoint pos) const {
    const bool horizontal = header->orientation() == Qt::Horizontal;
    const UserResizing resizing = m_grid.allowUserResizing();
    const bool allowed = resizing == UserResizing::Both ||
                         resizing == (horizontal ? UserResizing::Columns : UserResizing::Rows);
    if (!allowed)
        return false;
    const int p = horizontal ? pos.x() : pos.y();
    const int grip = header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
    for (int logical = 0; logical < header->count(); ++logical) {
        if (header->isSectionHidden(logical))
            continue;
        const int end = header->sectionViewportPosition(logical) + header->sectionSize(logical);
        if (std::abs(end - p) <= grip)
            return true;
        if (end > p + grip)
            return false;
    }
    return false;
}

bool GridView::headerPress(QHeaderView* header, QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (onResizeHandle(header, pos))
        return false;  // the header drags the border itself
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    const bool horizontal = header->orientation() == Qt::Horizontal;
    const int section = header->logicalIndexAt(pos);
    if (event->button() == Qt::LeftButton && section >= 0) {
        const bool extend = event->modifiers() & Qt::ShiftModifier;
        if (horizontal)
            m_grid.userSelectCell(0, m_model->gridCol(section), extend);
        else
            m_grid.userSelectCell(m_model->gridRow(section), 0, extend);
    }
    m_headerPressed = true;
    raiseMouse(true, header->viewport(), event);
    return true;
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    QHeaderView* header = nullptr;
    if (watched == horizontalHeader()->viewport())
        header = horizontalHeader();
    else if (watched == verticalHeader()->viewport())
        header = verticalHeader();
    if (!header)
        return QTableView::eventFilter(watched, event);

    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return headerPress(header, mouse);
        case QEvent::MouseMove:
            if (m_headerPressed && (mouse->buttons() & Qt::LeftButton)) {
                const int section = header->logicalIndexAt(mouse->position().toPoint());
                if (section >= 0 && header->orientation() == Qt::Horizontal)
                    m_grid.userSelectCell(0, m_model->gridCol(section), true);
                else if (section >= 0)
                    m_grid.userSelectCell(m_model->gridRow(section), 0, true);
            }
            return m_headerPressed;
        case QEvent::MouseButtonRelease:
            if (!m_headerPressed)
                return false;
            m_headerPressed = false;
            raiseMouse(false, header->viewport(), mouse);
            return true;
        case QEvent::MouseButtonDblClick:
            if (onResizeHandle(header, mouse->position().toPoint()))
                return false;
            m_grid.raiseDblClick();
            return true;
        default:
            return false;
    }
}

// ---- Keys and focus ------------------------------------------------------------------------

void GridView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int code = virtualKeyCode(event->key(), modifiers);
    if (code != 0)
        m_grid.raiseKeyDown(code, shiftMask(modifiers));

    const bool extend = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int page = visibleDataRows();
    const int far = std::max(m_grid.rows(), m_grid.cols());
    int rowDelta = 0;
    int colDelta = 0;
    switch (event->key()) {
        case Qt::Key_Up:
            rowDelta = -1;
            break;
        case Qt::Key_Down:
            rowDelta = 1;
            break;
        case Qt::Key_Left:
            colDelta = -1;
            break;
        case Qt::Key_Right:
            colDelta = 1;
            break;
        case Qt::Key_PageUp:
            rowDelta = -page;
            break;
        case Qt::Key_PageDown:
            rowDelta = page;
            break;
        case Qt::Key_Home:
            colDelta = -far;
            rowDelta = ctrl ? -far : 0;
            break;
        case Qt::Key_End:
            colDelta = far;
            rowDelta = ctrl ? far : 0;
            break;
        default:
            break;
    }
    if (rowDelta != 0 || colDelta != 0) {
        m_grid.userMoveBy(rowDelta, colDelta, extend);
        scrollCurrentIntoView();
    }
    event->accept();
}

void GridView::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats its presses; the handlers see one release at the end.
    if (!event->isAutoRepeat()) {
        const int code = virtualKeyCode(event->key(), event->modifiers());
        if (code != 0)
            m_grid.raiseKeyUp(code, shiftMask(event->modifiers()));
    }
    event->accept();
}

void GridView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    m_grid.raiseGotFocus();
}

void GridView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    m_grid.raiseLostFocus();
}

}  // namespace velmora::qt
