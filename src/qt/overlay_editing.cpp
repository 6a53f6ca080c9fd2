#include "qt/overlay_editing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScopedValueRollback>

#include <algorithm>

#include "core/app/main_form.h"
#include "core/editing/grid_edit.h"
#include "core/grid/virtual_keys.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"

namespace velmora::qt {

namespace {

namespace vk = core::grid::vk;

const char* const kOverlays[] = {core::app::control::kTextEditor, core::app::control::kGroupList,
                                 core::app::control::kRowPopup};

// An empty name is the front end's default font: the one the grid widget shows.
QFont overlayFont(const core::form::FontChoice& wanted, const QWidget* grid) {
    QFont font = wanted.family.empty() && grid != nullptr
                     ? grid->font()
                     : QFont(QString::fromStdString(wanted.family));
    font.setPointSizeF(wanted.pointSize);
    font.setBold(wanted.bold);
    return font;
}

// The system colours the overlays are drawn in: the editor in the tooltip background, the
// popup in the scroll-bar colour (the button face on the desktops Qt draws for).
void applySystemColours(QWidget* editor, QWidget* popup) {
    if (editor != nullptr) {
        QPalette p = editor->palette();
        p.setColor(QPalette::Base, p.color(QPalette::ToolTipBase));
        p.setColor(QPalette::Text, p.color(QPalette::ToolTipText));
        editor->setPalette(p);
    }
    if (popup != nullptr) {
        QPalette p = popup->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        popup->setPalette(p);
    }
}

}  // namespace

OverlayEditing::OverlayEditing(core::form::Dispatcher& dispatcher, FormWidgets& widgets,
                               const core::grid::GridModel& grid, QObject* parent)
    : QObject(parent), m_dispatcher(dispatcher), m_widgets(widgets), m_grid(grid) {
    for (const char* overlay : kOverlays) {
        if (QWidget* w = m_widgets.widget(overlay))
            w->installEventFilter(this);
    }
    applySystemColours(m_widgets.widget(core::app::control::kTextEditor),
                       m_widgets.widget(core::app::control::kRowPopup));
    m_focusObserver =
        m_dispatcher.addFocusObserver([this](const std::string& form, const std::string& control) {
            coreMovedFocus(form, control);
        });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { qtMovedFocus(now); });
}

OverlayEditing::~OverlayEditing() {
    m_dispatcher.removeFocusObserver(m_focusObserver);
}

std::string OverlayEditing::controlOf(QWidget* widget) const {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        for (const core::form::Control& c : m_widgets.form().controls()) {
            if (m_widgets.widget(c.name) == w)
                return c.name;
        }
    }
    return {};
}

void OverlayEditing::coreMovedFocus(const std::string& form, const std::string& control) {
    if (form != m_widgets.form().name())
        return;
    QWidget* w = m_widgets.widget(control);
    if (w == nullptr || w->hasFocus() || !w->isVisible())
        return;
    QScopedValueRollback<bool> guard(m_movingFocus, true);
    w->setFocus(Qt::OtherFocusReason);
}

void OverlayEditing::qtMovedFocus(QWidget* now) {
    // Focus moved by the core, or by Qt while it applied a change of the core (an overlay
    // hidden while it had the focus), is no move of the user's.
    if (m_movingFocus || m_widgets.applying() || now == nullptr)
        return;
    const std::string control = controlOf(now);
    if (control.empty())
        return;  // a dialog's widget, or one of another window
    m_dispatcher.userFocus(m_widgets.form().name(), control);
}

void OverlayEditing::dispatchKey(const std::string& control, int keyCode, int shift) {
    core::form::Event e;
    e.form = m_widgets.form().name();
    e.control = control;
    e.kind = core::form::EventKind::KeyDown;
    e.keyCode = keyCode;
    e.shift = shift;
    m_dispatcher.dispatch(e);
}

void OverlayEditing::shown(const std::string& control, QWidget* widget) {
    const core::form::Control& c = m_widgets.form().control(control);
    const QFont font = overlayFont(c.font, m_widgets.widget(core::app::control::kMainGrid));
    if (widget->font() != font)
        widget->setFont(font);
    widget->raise();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setCursorPosition(c.selStart);
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        // The core sized the list as one grid row per item; its items are that high too,
        // less what the frame takes when the list holds them all.
        const int count = std::max(list->count(), 1);
        int rowHeight = m_widgets.twipsToPixelsY(m_grid.cellHeight());
        const int inner = list->height() - 2 * list->frameWidth();
        if (rowHeight * count <= list->height() && rowHeight * count > inner)
            rowHeight = std::max(inner / count, 1);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSizeHint(QSize(1, rowHeight));
        list->doItemsLayout();
    }
}

bool OverlayEditing::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const std::string control = widget ? controlOf(widget) : std::string();
    if (control.empty())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show) {
        shown(control, widget);
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            // An item view makes its first item current when it gets the focus without one;
            // the list box keeps no selection, so Enter on the fresh popup runs nothing.
            const int selected = m_widgets.form().control(control).listIndex;
            m_widgets.applyGuarded([&] {
                static_cast<QObject*>(list)->event(event);
                if (list->currentRow() != selected)
                    list->setCurrentRow(selected);
            });
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    const int code = GridView::virtualKeyCode(key->key(), key->modifiers());
    const int shift = GridView::shiftMask(key->modifiers());
    if (control == core::app::control::kTextEditor) {
        if (code == vk::kEscape || code == vk::kReturn || code == vk::kUp || code == vk::kDown) {
            dispatchKey(control, code, shift);
            return true;
        }
        return false;
    }
    auto* list = qobject_cast<QListWidget*>(widget);
    if (list == nullptr)
        return false;
    if (code == vk::kEscape || code == vk::kReturn) {
        dispatchKey(control, code, shift);
        return true;
    }
    // Let the list move its selection first; a move is the list's click.
    const int before = list->currentRow();
    static_cast<QObject*>(list)->event(event);
    if (list->currentRow() != before && list->isVisible()) {
        core::form::Event click;
        click.form = m_widgets.form().name();
        click.control = control;
        click.kind = core::form::EventKind::Click;
        m_dispatcher.dispatch(click);
    }
    return true;
}

void installOverlayEditing(MainWindow& window, core::app::App& app) {
    new OverlayEditing(app.dispatcher(), window.widgets(), app.grid(), &window);
}

}  // namespace velmora::qt
