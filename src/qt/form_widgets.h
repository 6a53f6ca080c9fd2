// FormWidgets: the Qt widgets of one core Form, built from its control data and kept in step
// with it.
//
// One widget per control (frame: QGroupBox, button: QPushButton, check box: QCheckBox,
// option button: QRadioButton, label: QLabel, list box: QListWidget, text box: QLineEdit,
// grid: GridView over the GridModel the caller names), placed inside its container at its
// twips turned into pixels at the surface's logical DPI / 1440. Every user action is sent
// to the core's dispatcher as the form's event; what the core changes comes back through
// FormListener and is applied under a guard, so it never returns as a user action.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "core/form/dispatcher.h"
#include "core/form/form.h"
#include "core/grid/grid_model.h"

namespace velmora::qt {

class FormWidgets : public QObject, private core::form::FormListener {
    Q_OBJECT

public:
    // Builds the widgets of `form` on `surface` (the window's client area). `grids` gives
    // the model behind each grid control by name. Form, dispatcher and grids must outlive
    // this object.
    FormWidgets(core::form::Form& form, core::form::Dispatcher& dispatcher, QWidget* surface,
                std::map<std::string, core::grid::GridModel*> grids = {});
    ~FormWidgets() override;

    QWidget* widget(const std::string& control) const;
    core::form::Form& form() const { return m_form; }

    int twipsToPixelsX(int twips) const;
    int twipsToPixelsY(int twips) const;
    int pixelsToTwipsX(int pixels) const;
    int pixelsToTwipsY(int pixels) const;

    // True while a core change is being applied to the widgets.
    bool applying() const { return m_applying; }

    // Called for window-level changes (caption, geometry, colour, visibility).
    void setWindowChangedHandler(std::function<void()> handler) {
        m_windowChanged = std::move(handler);
    }

    // Runs f with the guard set: widget changes made meanwhile are not user actions.
    void applyGuarded(const std::function<void()>& f);

private:
    void controlChanged(const core::form::Control& control) override;
    void formChanged() override;

    QWidget* create(const core::form::Control& control, QWidget* parent);
    void apply(const core::form::Control& control);
    void dispatch(const std::string& control, core::form::EventKind kind);
    void userClicked(const std::string& control);

    core::form::Form& m_form;
    core::form::Dispatcher& m_dispatcher;
    QPointer<QWidget> m_surface;
    std::map<std::string, core::grid::GridModel*> m_grids;
    std::map<std::string, QPointer<QWidget>> m_widgets;
    std::function<void()> m_windowChanged;
    bool m_applying = false;
};

}  // namespace velmora::qt
