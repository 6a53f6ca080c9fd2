// A modeless window of the core (the drag and drop window): a top-level widget built from
// the form, at least as large as its visible controls need, scrolling when that is higher
// than the screen allows. Its labels take drops: each drag over or onto one reaches the core
// as the label's DragEnter, DragLeave or DragDrop event naming the drag's source. Closing it
// by its close box sends the form's Unload event; the core then closes it through the host.
#pragma once

#include <QWidget>

#include <memory>

#include "core/form/dispatcher.h"
#include "core/form/form.h"

class QMimeData;
class QScrollArea;

namespace velmora::qt {

class FormWidgets;

class ModelessWindow : public QWidget {
    Q_OBJECT

public:
    ModelessWindow(core::form::Form& form, core::form::Dispatcher& dispatcher);
    ~ModelessWindow() override;

    // Stops following the form, which is about to go away.
    void detach();

    FormWidgets* widgets() const { return m_widgets.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyWindow();
    void dispatch(const std::string& control, core::form::EventKind kind,
                  const QMimeData* data = nullptr);

    core::form::Form* m_form;
    core::form::Dispatcher& m_dispatcher;
    QScrollArea* m_scroll;
    QWidget* m_surface;
    std::unique_ptr<FormWidgets> m_widgets;
};

}  // namespace velmora::qt
