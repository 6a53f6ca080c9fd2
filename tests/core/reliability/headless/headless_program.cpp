// The program without a window; see headless_program.h.
#include "headless_program.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <string_view>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/modal_host.h"
#include "core/app/settings.h"
#include "core/editing/grid_edit.h"
#include "core/grid/virtual_keys.h"
#include "core/program/install_program.h"
#include "core/views/channel_list.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "support/memory_settings_backend.h"

namespace velmora::test {
namespace {

namespace controls = core::app::control;
namespace app = core::app;
namespace ports = core::ports;

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
    explicit AnsweringPorts(bool print) : m_print(print) {}
    ports::MessageAnswer showMessage(std::string_view text, ports::MessageButtons buttons,
                                     ports::MessageIcon) override {
        m_messages.emplace_back(text);
        if (m_print)
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
    engine::Status setOwnerWindow(std::string_view, std::string_view) override {
        return engine::Status::ok();
    }
    void startDrag(std::string_view, std::string_view) override {}  // no pointer, no drags
    ports::TextExtent measureText(std::string_view text, const ports::FontChoice&) const override {
        return {static_cast<int>(text.size()) * 100, 240};
    }
    void applyLanguage(std::string_view) override {}
    void attach(app::App& a) { m_app = &a; }
    const std::vector<std::string>& messages() const { return m_messages; }

private:
    bool m_print;
    std::vector<std::string> m_messages;
    std::optional<std::string> m_clipboard;
    app::App* m_app = nullptr;
};

class NoModalWindows final : public app::ModalHost {
public:
    explicit NoModalWindows(bool print) : m_print(print) {}
    void showModal(core::form::Form& form, const app::ModalGrids&) override {
        if (m_print)
            std::cerr << "modal window " << form.name() << " closed at once\n";
    }
    void showModeless(core::form::Form& form) override {
        if (m_print)
            std::cerr << "modeless window " << form.name() << " shown\n";
    }
    void closeModeless(core::form::Form&) override {}

private:
    bool m_print;
};

void dispatch(app::App& a, const char* control, core::form::EventKind kind, int keyCode = 0) {
    core::form::Event e;
    e.form = app::kMainFormName;
    e.control = control;
    e.kind = kind;
    e.keyCode = keyCode;
    a.dispatcher().dispatch(e);
}

void click(app::App& a, const char* control) {
    dispatch(a, control, core::form::EventKind::Click);
}

// The user picks popup entry `position` of the grid's popup.
void popup(app::App& a, int position) {
    a.mainForm().setListIndex(controls::kRowPopup, position);
    click(a, controls::kRowPopup);
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

// The user double-clicks grid cell (row, col), types `text` into the editor and presses Enter.
void editCell(app::App& a, int row, int col, const std::string& text) {
    a.dispatcher().userFocus(app::kMainFormName, controls::kMainGrid);
    a.grid().userSelectCell(row, col, false);
    a.grid().raiseDblClick();
    a.mainForm().update(controls::kTextEditor, [&](core::form::Control& c) { c.text = text; });
    dispatch(a, controls::kTextEditor, core::form::EventKind::KeyDown, core::grid::vk::kReturn);
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

}  // namespace

struct HeadlessProgram::Parts {
    Parts(const std::string& file, engine::io::Env& env, Options options)
        : answering(options.printMessages), modal(options.printMessages) {
        (void)settings.write(app::kSettingsApplication, app::kSettingsSection,
                             app::settingName(app::SettingKey::Language), "eng");
        (void)settings.write(app::kSettingsApplication, app::kSettingsSection,
                             app::settingName(app::SettingKey::WinSTBPath), file);
        app::AppConfig config;
        config.files = &env;
        config.clock = options.clock;
        config.storageOpener = [&env, options](const std::string& path)
            -> engine::Result<std::unique_ptr<engine::store::TableStorage>> {
            engine::jet::OpenOptions open;
            open.useOsLocks = options.useOsLocks;
            VELMORA_ASSIGN_OR_RETURN(auto db, engine::jet::JetDatabase::open(path, env, open));
            return std::unique_ptr<engine::store::TableStorage>(std::move(db));
        };
        ports::Ports bundle{answering, answering, answering, answering, answering,
                            answering, answering, answering, answering, settings};
        program = core::program::installProgram(bundle, modal, std::move(config));
        answering.attach(*program);
        this->env = &env;
    }

    AnsweringPorts answering;
    MemorySettingsBackend settings;
    NoModalWindows modal;
    std::unique_ptr<app::App> program;
    engine::io::Env* env = nullptr;
    std::string command;
};

HeadlessProgram::HeadlessProgram(const std::string& file, engine::io::Env& env, Options options)
    : m_parts(std::make_unique<Parts>(file, env, options)) {}

HeadlessProgram::~HeadlessProgram() = default;

const std::vector<std::string>& HeadlessProgram::messages() const {
    return m_parts->answering.messages();
}

int HeadlessProgram::prepare(const std::string& command, int count) {
    app::App& program = *m_parts->program;
    m_parts->command = command;
    if (!program.start())
        return 3;
    dispatch(program, "", core::form::EventKind::Paint);
    if (!program.state().hasDatabase() || program.state().ChannelDb->isReadOnly())
        return 4;
    // The compacted copy goes where the database comes from.
    engine::io::Env& env = *m_parts->env;
    program.state().workspace->setCompactor([&env](const std::string& from, const std::string& to) {
        return engine::jet::compactDatabase(env, from, to).status();
    });
    if (command == "paste") {
        if (!showTable(program, "SETTINGS"))
            return 5;
        m_parts->answering.setText(settingsLines(count));
    }
    return 0;
}

void HeadlessProgram::pressKey(int keyCode, int shift) {
    core::form::Event e;
    e.form = app::kMainFormName;
    e.kind = core::form::EventKind::KeyDown;
    e.keyCode = keyCode;
    e.shift = shift;
    m_parts->program->dispatcher().dispatch(e);
}

int HeadlessProgram::run() {
    app::App& program = *m_parts->program;
    const std::string& command = m_parts->command;
    auto& grid = program.grid();
    namespace col = core::views::channel_col;
    constexpr int kPopupPaste = 3;
    if (command == "save") {
        for (int r = grid.fixedRows(); r < grid.rows(); ++r)
            (void)grid.setTextMatrix(r, col::kName,
                                     std::string(grid.textMatrix(r, col::kName)) + " *");
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
    } else if (command == "rename-group") {
        click(program, "Command6");
        editCell(program, grid.fixedRows(), 1, "Renamed group");
    } else if (command == "duplicates") {
        click(program, "Command15");
    } else if (command == "compact") {
        click(program, "Command13");
    } else {
        return 2;
    }
    return 0;
}

}  // namespace velmora::test
