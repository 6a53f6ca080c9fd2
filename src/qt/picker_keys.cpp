#include "qt/picker_keys.h"

#include <QKeyEvent>
#include <QListWidget>

#include "core/app/app.h"
#include "core/favourites/put_select_in_group.h"
#include "core/grid/virtual_keys.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"
#include "qt/main_window.h"

namespace velmora::qt {

namespace vk = core::grid::vk;
using core::favourites::kGroupPicker;
using core::form::EventKind;

GroupPickerKeys::GroupPickerKeys(core::app::App& app, FormWidgets& widgets, QObject* parent)
    : QObject(parent), m_app(app), m_widgets(widgets) {
    if (QWidget* w = m_widgets.widget(kGroupPicker))
        w->installEventFilter(this);
}

void GroupPickerKeys::dispatch(EventKind kind, int keyCode) {
    core::form::Event e;
    e.form = m_widgets.form().name();
    e.control = kGroupPicker;
    e.kind = kind;
    e.keyCode = keyCode;
    m_app.dispatcher().dispatch(e);
}

bool GroupPickerKeys::eventFilter(QObject* watched, QEvent* event) {
    auto* list = qobject_cast<QListWidget*>(watched);
    if (list == nullptr)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Show:
            list->raise();  // above the grid it is laid over
            return false;
        case QEvent::FocusIn: {
            // An item view makes its first item current when it gets the focus without one;
            // the picker opens without a selection, so Enter right away applies nothing.
            const int selected = m_widgets.form().control(kGroupPicker).listIndex;
            m_widgets.applyGuarded([&] {
                static_cast<QObject*>(list)->event(event);
                if (list->currentRow() != selected)
                    list->setCurrentRow(selected);
            });
            return true;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const int code = GridView::virtualKeyCode(key->key(), key->modifiers());
            if (code == vk::kEscape || code == vk::kReturn) {
                dispatch(EventKind::KeyDown, code);
                return true;
            }
            const int before = list->currentRow();
            static_cast<QObject*>(list)->event(event);
            if (list->currentRow() != before && list->isVisible())
                dispatch(EventKind::Click, 0);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

void installGroupPickerKeys(MainWindow& window, core::app::App& app) {
    new GroupPickerKeys(app, window.widgets(), &window);
}

}  // namespace velmora::qt
