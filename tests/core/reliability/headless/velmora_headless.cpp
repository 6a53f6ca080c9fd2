// The complete program without a window: every command installed as for the window, the
// window system answered by a few lines of code (every question gets OK or Yes, messages are
// printed to stderr). It starts on the database given, builds the channel list, says "ready"
// on stdout, runs one whole command the way a user would start it, and says "done".
//
//     velmora-headless FILE save              edit every name, then "Save Fav. Channels"
//     velmora-headless FILE delete-selection  select the first half, "Delete Selection"
//     velmora-headless FILE renumber          "ReNumber" over the whole channel list
//     velmora-headless FILE delete-empty      "Delete empty channels"
//     velmora-headless FILE paste [N]         SETTINGS shown, N new records (450 unless
//                                             given) on the clipboard, "Paste" of the popup
//     velmora-headless FILE compact           "Compact Database" into FILE's "1.mdb" copy
//
// The SIGKILL harness (kill_harness_test.cpp) kills it at random moments of the command.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/modal_host.h"
#include "core/app/settings.h"
#include "core/program/install_program.h"
#include "core/views/channel_list.h"
#include "core/views/grid_edit.h"
#include "support/memory_settings_backend.h"

namespace {

namespace ports = velmora::core::ports;
namespace app = velmora::core::app;

class AnsweringPorts final : public ports::MessageBoxPort,
                             public ports::FileDialogPort,
                             public ports::ClipboardPort,
                             public ports::CursorPort,
                             public ports::EventPort,
                             public ports::ProgramPort,
                             public ports::WindowPort,
                             public ports::TextMetricsPort,
                             public ports::LanguagePort {
public:
    ports::MessageAnswer showMessage(std::string_view text, ports::MessageButtons buttons,
                                     ports::MessageIcon) override {
        std::cerr << "message: " << text << '\n';
        return buttons == ports::MessageButtons::YesNoCancel ? ports::MessageAnswer::Yes
                                                             : ports::MessageAnswer::Ok;
    }
    std::optional<std::string> chooseFileToOpen(const ports::FileOpenRequest&) override {
        return std::nullopt;
    }
    bool hasText() const override { return m_clipboard.has_value(); }
    std::string text() const override { return m_clipboard.value_or(std::string()); }
    void clear() override { m_clipboard.reset(); }
    void setText(std::string_view text) override { m_clipboard = std::string(text); }
    void setWaitCursor(bool) override {}
    void runPendingEvents() override {
        if (m_app != nullptr)
            m_app->dispatcher().runPending();
    }
    void endProgram(int) override {}
    velmora::engine::Status setOwnerWindow(std::string_view, std::string_view) override {
        return velmora::engine::Status::ok();
    }
    void startDrag(std::string_view, std::string_view) override {}  // no pointer, no drags
    ports::TextExtent measureText(std::string_view text, const ports::FontSpec&) const override {
        return {static_cast<int>(text.size()) * 100, 240};
    }
    void applyLanguage(std::string_view) override {}
    void attach(app::App& a) { m_app = &a; }

private:
    std::optional<std::string> m_clipboard;
    app::App* m_app = nullptr;
};

class NoModalWindows final : public app::ModalHost {
public:
    void showModal(velmora::core::form::Form& form, const app::ModalGrids&) override {
        std::cerr << "modal window " << form.name() << " closed at once\n";
    }
    void showModeless(velmora::core::form::Form& form) override {
        std::cerr << "modeless window " << form.name() << " shown\n";
    }
    void closeModeless(velmora::core::form::Form&) override {}
};

void click(app::App& a, const char* control) {
    velmora::core::form::Event e;
    e.form = app::kMainFormName;
    e.control = control;
    e.kind = velmora::core::form::EventKind::Click;
    a.dispatcher().dispatch(e);
}

// The user picks popup entry `position` of the grid's popup.
void popup(app::App& a, int position) {
    a.mainForm().setListIndex(velmora::core::views::kRowPopup, position);
    velmora::core::form::Event e;
    e.form = app::kMainFormName;
    e.control = velmora::core::views::kRowPopup;
    e.kind = velmora::core::form::EventKind::Click;
    a.dispatcher().dispatch(e);
}

// The user selects `table` in the explorer's list and presses "ShowTable"; false when the
// table is not listed or not shown.
bool showTable(app::App& a, const std::string& table) {
    const std::vector<std::string>& tables = a.mainForm().control("List1").items;
    const auto it = std::find(tables.begin(), tables.end(), table);
    if (it == tables.end())
        return false;
    a.mainForm().setListIndex("List1", static_cast<int>(it - tables.begin()));
    click(a, "Command2");
    return a.state().CurrentView == table;
}

// `count` new SETTINGS records as the table view copies them: key, value, date, flag, factor,
// note, tab-separated, CR LF after each.
std::string settingsLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        text += "PASTED" + n + "\tvalue " + n + "\t2025-03-04 05:06:07\tTrue\t" + n + ".5\tnote " +
                n + "\r\n";
    }
    return text;
}

void paint(app::App& a) {
    velmora::core::form::Event e;
    e.form = app::kMainFormName;
    e.kind = velmora::core::form::EventKind::Paint;
    a.dispatcher().dispatch(e);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: velmora-headless FILE "
                     "save|delete-selection|renumber|delete-empty|paste [N]|compact\n";
        return 2;
    }
    const std::string file = argv[1];
    const std::string command = argv[2];
    const int pasteCount = argc == 4 ? std::atoi(argv[3]) : 450;

    AnsweringPorts answering;
    velmora::test::MemorySettingsBackend settings;
    (void)settings.write(app::kSettingsApplication, app::kSettingsSection,
                         app::settingName(app::SettingKey::Language), "eng");
    (void)settings.write(app::kSettingsApplication, app::kSettingsSection,
                         app::settingName(app::SettingKey::WinSTBPath), file);
    ports::Ports bundle{answering, answering, answering, answering, answering,
                        answering, answering, answering, answering, settings};
    NoModalWindows modal;
    app::App program(bundle, modal, app::AppConfig{});
    answering.attach(program);
    velmora::core::program::installProgram(program);
    if (!program.start())
        return 3;
    paint(program);
    if (!program.state().hasDatabase() || program.state().ChannelDb->isReadOnly())
        return 4;

    auto& grid = program.grid();
    namespace col = velmora::core::views::channel_col;
    constexpr int kPopupPaste = 3;
    if (command == "paste") {  // the table shown and the text copied before the command
        if (!showTable(program, "SETTINGS"))
            return 5;
        answering.setText(settingsLines(pasteCount));
    }
    std::cout << "ready" << std::endl;
    if (command == "save") {
        for (int r = grid.fixedRows(); r < grid.rows(); ++r)
            (void)grid.setTextMatrix(r, col::kName, grid.textMatrix(r, col::kName) + " *");
        program.state().FavDirty = true;
        click(program, "Command7");
    } else if (command == "delete-selection") {
        (void)grid.setRow(grid.fixedRows());
        (void)grid.setRowSel(grid.fixedRows() + (grid.rows() - grid.fixedRows()) / 2);
        click(program, "Command9");
    } else if (command == "renumber") {
        click(program, "Command8");
    } else if (command == "delete-empty") {
        click(program, "Command4");
    } else if (command == "paste") {
        popup(program, kPopupPaste);
    } else if (command == "compact") {
        click(program, "Command13");
    } else {
        std::cerr << "unknown command " << command << '\n';
        return 2;
    }
    std::cout << "done" << std::endl;
    return 0;
}
