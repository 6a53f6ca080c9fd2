// A window of the program as data: its caption, geometry and controls, and a listener that
// the front end registers to follow every change.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/form/control.h"

namespace velmora::core::form {

// What changed, for the front end to redraw.
class FormListener {
public:
    virtual ~FormListener() = default;
    virtual void controlChanged(const Control& control) = 0;
    virtual void formChanged() = 0;  // caption, geometry, colour or visibility of the window
};

class Form {
public:
    explicit Form(std::string name) : m_name(std::move(name)) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return m_name; }

    // Builds the control list; only done while the form is created.
    Control& addControl(Control control);

    // The control by name; asserts that it exists (names are fixed at design time).
    const Control& control(const std::string& name) const;
    bool hasControl(const std::string& name) const;
    const std::vector<Control>& controls() const { return m_controls; }

    // Changes a control through `change` and tells the listener.
    void update(const std::string& name, const std::function<void(Control&)>& change);

    // Shorthands for the common changes.
    void setCaption(const std::string& name, const std::string& caption);
    void setVisible(const std::string& name, bool visible);
    void setEnabled(const std::string& name, bool enabled);
    void setValue(const std::string& name, int value);
    void setRect(const std::string& name, TwipRect rect);
    void setText(const std::string& name, const std::string& text);
    void setItems(const std::string& name, std::vector<std::string> items, int listIndex = -1);
    void setListIndex(const std::string& name, int listIndex);

    // The window itself.
    const std::string& caption() const { return m_caption; }
    void setCaption(const std::string& caption);
    // A note the title bar shows after the caption (the caption itself stays as designed);
    // empty for none.
    const std::string& titleNote() const { return m_titleNote; }
    void setTitleNote(const std::string& note);
    // The title bar's text: the caption, then the note if there is one.
    std::string title() const;
    TwipRect geometry() const { return m_geometry; }  // outer left, top, width, height
    void setGeometry(TwipRect geometry);
    std::optional<Rgb> backColor() const { return m_backColor; }
    void setBackColor(Rgb color);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    void setListener(FormListener* listener) { m_listener = listener; }

private:
    Control& find(const std::string& name);
    void notifyForm();

    std::string m_name;
    std::string m_caption;
    std::string m_titleNote;
    TwipRect m_geometry;
    std::optional<Rgb> m_backColor;
    bool m_visible = false;
    std::vector<Control> m_controls;
    FormListener* m_listener = nullptr;  // not owned; the front end outlives its binding
};

}  // namespace velmora::core::form
