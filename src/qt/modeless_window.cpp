#include "qt/modeless_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

#include "core/form/control_design.h"
#include "qt/drag_source.h"
#include "qt/form_widgets.h"
#include "qt/grid_view.h"

namespace velmora::qt {

namespace {

using core::form::ControlKind;
using core::form::EventKind;

// The room a window leaves between its last control and its edge, in twips.
constexpr int kEdgeRoom = 120;

// The client size a form's controls need: the design's, or more where a control sized from
// the desktop's font (the drag and drop window's labels, higher than the design's font made
// them) reaches beyond it.
core::form::TwipRect neededClient(const core::form::Form& form) {
    const core::form::TwipRect g = form.geometry();
    const int designWidth = g.width - core::form::kDialogFrameWidth;
    const int designHeight = g.height - core::form::kDialogFrameHeight;
    int width = designWidth;
    int height = designHeight;
    for (const core::form::Control& c : form.controls()) {
        if (!c.visible || !c.container.empty())
            continue;
        const int right = c.rect.left + c.rect.width;
        const int bottom = c.rect.top + c.rect.height;
        if (right > designWidth)
            width = std::max(width, right + kEdgeRoom);
        if (bottom > designHeight)
            height = std::max(height, bottom + kEdgeRoom);
    }
    return {0, 0, width, height};
}

}  // namespace

ModelessWindow::ModelessWindow(core::form::Form& form, core::form::Dispatcher& dispatcher)
    : QWidget(nullptr, Qt::Window),
      m_form(&form),
      m_dispatcher(dispatcher),
      m_scroll(new QScrollArea(this)),
      m_surface(new QWidget) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidget(m_surface);  // owns the surface
    m_widgets = std::make_unique<FormWidgets>(form, dispatcher, m_surface);
    for (const core::form::Control& c : form.controls()) {
        if (c.kind != ControlKind::Label)
            continue;
        QWidget* label = m_widgets->widget(c.name);
        label->setAcceptDrops(true);
        label->setProperty("controlName", QString::fromStdString(c.name));
        label->installEventFilter(this);
    }
    m_widgets->setWindowChangedHandler([this] { applyWindow(); });
    applyWindow();
}

ModelessWindow::~ModelessWindow() = default;

void ModelessWindow::detach() {
    m_widgets.reset();
    m_form = nullptr;
}

void ModelessWindow::applyWindow() {
    if (m_form == nullptr)
        return;
    setWindowTitle(QString::fromStdString(m_form->caption()));
    const core::form::TwipRect client = neededClient(*m_form);
    const int width = m_widgets->twipsToPixelsX(client.width);
    const int height = m_widgets->twipsToPixelsY(client.height);
    m_surface->setFixedSize(width, height);
    // A window higher than the screen shows the rest of its labels by scrolling.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int available =
        screen != nullptr ? screen->availableGeometry().height() * 9 / 10 : height;
    const bool scrolls = height > available;
    const int scrollBar = scrolls ? m_scroll->verticalScrollBar()->sizeHint().width() : 0;
    setFixedSize(width + scrollBar, std::min(height, available));
}

void ModelessWindow::dispatch(const std::string& control, EventKind kind, const QMimeData* data) {
    if (m_form == nullptr)
        return;
    core::form::Event e;
    e.form = m_form->name();
    e.control = control;
    e.kind = kind;
    if (const auto source = dragSourceOf(data)) {
        e.sourceForm = source->form;
        e.sourceControl = source->control;
    }
    m_dispatcher.dispatch(e);
}

bool ModelessWindow::eventFilter(QObject* watched, QEvent* event) {
    const std::string control = watched->property("controlName").toString().toStdString();
    switch (event->type()) {
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            dispatch(control, EventKind::DragEnter, drag->mimeData());
            if (dragSourceOf(drag->mimeData()))
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::DragLeave:
            dispatch(control, EventKind::DragLeave);
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            dispatch(control, EventKind::DragDrop, drop->mimeData());
            drop->acceptProposedAction();
            return true;
        }
        case QEvent::MouseButtonPress:
            dispatch(control, EventKind::Click);
            return true;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void ModelessWindow::keyPressEvent(QKeyEvent* event) {
    core::form::Event e;
    if (m_form == nullptr)
        return;
    e.form = m_form->name();
    e.kind = EventKind::KeyDown;
    e.keyCode = GridView::virtualKeyCode(event->key(), event->modifiers());
    m_dispatcher.dispatch(e);
}

void ModelessWindow::closeEvent(QCloseEvent* event) {
    if (m_form == nullptr) {
        event->accept();
        return;
    }
    // The core decides: its Unload handler closes the window through the host.
    event->ignore();
    dispatch("", EventKind::Unload);
}

}  // namespace velmora::qt
