#include "win32/window_directory.h"

namespace velmora::win32 {

namespace {
constexpr wchar_t kTagProperty[] = L"VelmoraControl";
}

HWND WindowDirectory::topLevel(const std::string& name) const {
    const auto it = m_topLevel.find(name);
    return it == m_topLevel.end() || !IsWindow(it->second) ? nullptr : it->second;
}

void WindowDirectory::forgetForm(const std::string& name, const FormWindows* windows) {
    const auto it = m_forms.find(name);
    if (it != m_forms.end() && it->second == windows)
        m_forms.erase(it);
}

FormWindows* WindowDirectory::form(const std::string& name) const {
    const auto it = m_forms.find(name);
    return it == m_forms.end() ? nullptr : it->second;
}

const ControlTag* WindowDirectory::tagOf(HWND window) {
    for (HWND w = window; w != nullptr; w = GetParent(w)) {
        if (auto* tag = static_cast<const ControlTag*>(GetPropW(w, kTagProperty)))
            return tag;
        if ((GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) == 0)
            break;  // a top-level window: the search ends at its own edge
    }
    return nullptr;
}

void WindowDirectory::attachTag(HWND window, const ControlTag* tag) {
    SetPropW(window, kTagProperty, const_cast<ControlTag*>(tag));
}

void WindowDirectory::detachTag(HWND window) {
    RemovePropW(window, kTagProperty);
}

}  // namespace velmora::win32
