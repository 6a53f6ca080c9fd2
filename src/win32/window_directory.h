// Who is who among the program's windows: the top-level windows by the names the core gives
// them ("Form1", "Form_DropFav"), the controls of every form shown, and which window handle
// belongs to which control of which form. The window port, the focus following, the drag
// and the key routing look windows up here; nothing here decides anything.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace velmora::win32 {

class FormWindows;

// What a control's window handle stands for; kept by the FormWindows that made it and
// attached to the handle as a window property.
struct ControlTag {
    FormWindows* owner = nullptr;
    std::string form;
    std::string control;
};

class WindowDirectory {
public:
    void registerTopLevel(const std::string& name, HWND window) { m_topLevel[name] = window; }
    void forgetTopLevel(const std::string& name) { m_topLevel.erase(name); }
    // The top-level window of that name, or nullptr.
    HWND topLevel(const std::string& name) const;

    void registerForm(const std::string& name, FormWindows* windows) { m_forms[name] = windows; }
    void forgetForm(const std::string& name, const FormWindows* windows);
    FormWindows* form(const std::string& name) const;

    // The control a window handle (or one of its parents inside the form) stands for.
    static const ControlTag* tagOf(HWND window);
    static void attachTag(HWND window, const ControlTag* tag);
    static void detachTag(HWND window);

private:
    std::map<std::string, HWND> m_topLevel;
    std::map<std::string, FormWindows*> m_forms;
};

}  // namespace velmora::win32
