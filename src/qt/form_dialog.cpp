#include "qt/form_dialog.h"

#include <QDialog>

#include "qt/form_widgets.h"
#include "qt/overlay_editing.h"

namespace velmora::qt {

namespace {

// Twips a fixed dialog's frame and caption take of its outer size.
constexpr int kDialogFrameWidth = 120;
constexpr int kDialogFrameHeight = 390;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtModalHost::showModal(core::form::Form& form, const core::app::ModalGrids& grids) {
    QDialog dialog(m_parent);
    FormWidgets widgets(form, *m_dispatcher, &dialog, grids);
    if (!grids.empty() && grids.begin()->second != nullptr) {
        // Owned by the dialog; its editor lies over the window's grid.
        new OverlayEditing(*m_dispatcher, widgets, *grids.begin()->second, &dialog);
    }
    auto applyWindow = [&] {
        dialog.setWindowTitle(fromUtf8(form.caption()));
        const auto g = form.geometry();
        dialog.setFixedSize(widgets.twipsToPixelsX(g.width - kDialogFrameWidth),
                            widgets.twipsToPixelsY(g.height - kDialogFrameHeight));
        // The core places its windows in screen twips, as it places the main window.
        dialog.move(widgets.twipsToPixelsX(g.left), widgets.twipsToPixelsY(g.top));
        if (form.backColor()) {
            QPalette p = dialog.palette();
            const auto c = *form.backColor();
            p.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
            dialog.setPalette(p);
        }
        if (!form.isVisible() && dialog.isVisible()) {
            dialog.accept();
        }
    };
    widgets.setWindowChangedHandler(applyWindow);
    applyWindow();
    if (!form.isVisible()) {
        return;
    }
    dialog.exec();
    if (form.isVisible()) {
        // Closed by the window's close box or Escape.
        core::form::Event unload;
        unload.form = form.name();
        unload.kind = core::form::EventKind::Unload;
        m_dispatcher->dispatch(unload);
        form.setVisible(false);
    }
}

}  // namespace velmora::qt
