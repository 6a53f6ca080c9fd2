#include "qt/main_window.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QTimer>

#include "core/app/main_form.h"
#include "core/app/main_window_controls.h"
#include "qt/form_widgets.h"

namespace velmora::qt {

MainWindow::MainWindow(core::app::App& app, QWidget* parent) : QWidget(parent), m_app(app) {
    m_widgets = new FormWidgets(app.mainForm(), app.dispatcher(), this,
                                {{core::app::control::kMainGrid, &app.grid()},
                                 {core::app::control::kPasteGrid, &app.pasteGrid()}});
    m_widgets->setWindowChangedHandler([this] { applyWindow(); });
    m_app.setRepaintRequest([this] {
        update();
        schedulePaint();
    });
    applyWindow();
}

MainWindow::~MainWindow() {
    m_app.setRepaintRequest({});
}

void MainWindow::applyWindow() {
    const core::form::Form& f = m_app.mainForm();
    m_widgets->applyGuarded([&] {
        setWindowTitle(QString::fromUtf8(f.title().c_str()));
        if (f.backColor()) {
            QPalette p = palette();
            const auto c = *f.backColor();
            p.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
            setPalette(p);
            setAutoFillBackground(true);
        }
        const auto g = f.geometry();
        const QSize client(m_widgets->twipsToPixelsX(g.width - kFrameWidthTwips),
                           m_widgets->twipsToPixelsY(g.height - kFrameHeightTwips));
        if (size() != client) {
            resize(client);
        }
        const QPoint place(m_widgets->twipsToPixelsX(g.left), m_widgets->twipsToPixelsY(g.top));
        if (pos() != place) {
            move(place);
        }
    });
}

void MainWindow::schedulePaint() {
    if (m_paintScheduled || !m_app.state().FirstPaintPending) {
        return;
    }
    m_paintScheduled = true;
    // Out of the paint event: the first paint loads lists and may show message boxes.
    QTimer::singleShot(0, this, [this] {
        m_paintScheduled = false;
        core::form::Event paint;
        paint.form = core::app::kMainFormName;
        paint.kind = core::form::EventKind::Paint;
        m_app.dispatcher().dispatch(paint);
    });
}

void MainWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    schedulePaint();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_widgets->applying()) {
        return;
    }
    // Pixels are coarser than twips: a side whose pixel size did not change keeps the
    // core's twips, so showing the window at its stored size never reads back as growth.
    const core::form::TwipRect g = m_app.mainForm().geometry();
    const QSize now = event->size();
    core::form::Event resize;
    resize.form = core::app::kMainFormName;
    resize.kind = core::form::EventKind::Resize;
    resize.width = now.width() == m_widgets->twipsToPixelsX(g.width - kFrameWidthTwips)
                       ? g.width
                       : m_widgets->pixelsToTwipsX(now.width()) + kFrameWidthTwips;
    resize.height = now.height() == m_widgets->twipsToPixelsY(g.height - kFrameHeightTwips)
                        ? g.height
                        : m_widgets->pixelsToTwipsY(now.height()) + kFrameHeightTwips;
    if (resize.width == g.width && resize.height == g.height) {
        return;
    }
    m_app.dispatcher().dispatch(resize);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_widgets->applying()) {
        return;
    }
    core::form::TwipRect g = m_app.mainForm().geometry();
    if (pos().x() != m_widgets->twipsToPixelsX(g.left)) {
        g.left = m_widgets->pixelsToTwipsX(pos().x());
    }
    if (pos().y() != m_widgets->twipsToPixelsY(g.top)) {
        g.top = m_widgets->pixelsToTwipsY(pos().y());
    }
    m_widgets->applyGuarded([&] { m_app.mainForm().setGeometry(g); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_app.requestClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace velmora::qt
