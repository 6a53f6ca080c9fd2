#include "core/form/form.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace velmora::core::form {

Control& Form::addControl(Control control) {
    assert(!hasControl(control.name));
    m_controls.push_back(std::move(control));
    return m_controls.back();
}

bool Form::hasControl(const std::string& name) const {
    return std::any_of(m_controls.begin(), m_controls.end(),
                       [&](const Control& c) { return c.name == name; });
}

Control& Form::find(const std::string& name) {
    for (auto& c : m_controls) {
        if (c.name == name)
            return c;
    }
    // A control name that does not exist is a programming error, not a user's.
    throw std::logic_error("form " + m_name + " has no control " + name);
}

const Control& Form::control(const std::string& name) const {
    return const_cast<Form*>(this)->find(name);
}

void Form::update(const std::string& name, const std::function<void(Control&)>& change) {
    Control& c = find(name);
    change(c);
    if (m_listener)
        m_listener->controlChanged(c);
}

void Form::setCaption(const std::string& name, const std::string& caption) {
    update(name, [&](Control& c) { c.caption = caption; });
}
void Form::setVisible(const std::string& name, bool visible) {
    update(name, [&](Control& c) { c.visible = visible; });
}
void Form::setEnabled(const std::string& name, bool enabled) {
    update(name, [&](Control& c) { c.enabled = enabled; });
}
void Form::setValue(const std::string& name, int value) {
    update(name, [&](Control& c) { c.value = value; });
}
void Form::setRect(const std::string& name, TwipRect rect) {
    update(name, [&](Control& c) { c.rect = rect; });
}
void Form::setText(const std::string& name, const std::string& text) {
    update(name, [&](Control& c) { c.text = text; });
}
void Form::setItems(const std::string& name, std::vector<std::string> items, int listIndex) {
    update(name, [&](Control& c) {
        c.items = std::move(items);
        c.listIndex = listIndex;
    });
}
void Form::setListIndex(const std::string& name, int listIndex) {
    update(name, [&](Control& c) { c.listIndex = listIndex; });
}

void Form::notifyForm() {
    if (m_listener)
        m_listener->formChanged();
}
void Form::setCaption(const std::string& caption) {
    m_caption = caption;
    notifyForm();
}
void Form::setTitleNote(const std::string& note) {
    m_titleNote = note;
    notifyForm();
}
std::string Form::title() const {
    return m_titleNote.empty() ? m_caption : m_caption + " - " + m_titleNote;
}
void Form::setGeometry(TwipRect geometry) {
    m_geometry = geometry;
    notifyForm();
}
void Form::setBackColor(Rgb color) {
    m_backColor = color;
    notifyForm();
}
void Form::setVisible(bool visible) {
    m_visible = visible;
    notifyForm();
}

}  // namespace velmora::core::form
