#include "core/app/settings_command.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/app.h"
#include "core/app/main_form.h"
#include "core/app/settings_form.h"
#include "core/app/startup.h"

namespace velmora::core::app {

namespace {

using form::EventKind;
using ports::MessageButtons;
using ports::MessageIcon;
namespace sc = settings_control;

// Run by name so the shell does not link the maintenance commands.

// One showing of the window: its form and its handlers, which live exactly as long as it.
class SettingsWindow {
public:
    explicit SettingsWindow(App& app)
        : m_app(app), m_form(createSettingsForm(app.mainForm().geometry())) {
        on(sc::kOk, [this] { ok(); });
        on(sc::kCancel, [this] { cancel(); });
        on(sc::kBrowse, [this] { browse(); });
        on(sc::kCheckPrimKey, [this] { m_app.commands().run(command::kCheckPrimKey); });
        // The close box stores nothing, as Cancel.
        handle("", EventKind::Unload, [this] { cancel(); });
    }

    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    void show() {
        const AppState& s = m_app.state();
        form::Form& f = *m_form;
        f.setText(sc::kPath, s.DbPath);
        f.setValue(s.LanguageCode == kLanguageGerman ? sc::kDeutsch : sc::kEnglish, 1);
        f.setValue(sc::kColorRadio, s.ColorRadio ? 1 : 0);
        m_pathWhenOpened = s.DbPath;
        f.setVisible(true);
        m_app.modalHost().showModal(f);
    }

    // The database open now is another one than the window found.
    bool switchedDatabase() const { return m_app.state().DbPath != m_pathWhenOpened; }

private:
    void on(const char* control, std::function<void()> body) {
        handle(control, EventKind::Click, std::move(body));
    }

    void handle(const char* control, EventKind kind, std::function<void()> body) {
        m_handlers.push_back(m_app.dispatcher().on(
            kSettingsFormName, control, kind,
            [this, body = std::move(body)](const form::Event&) { m_app.runModalCommand(body); }));
    }

    void store(SettingKey key, std::string_view value) {
        const engine::Status status = m_app.settings().write(key, value);
        if (!status.isOk()) {
            // A value that could not be stored would silently come back at the next start.
            m_app.showMessage("ERROR\r\n" + status.message(), MessageButtons::Ok);
        }
    }

    void ok() {
        AppState& s = m_app.state();
        form::Form& f = *m_form;
        s.SettingsChanged = false;

        // The chosen language is stored whenever it is not the one in use; a run whose
        // language window was closed without a choice has none, and must be able to get one.
        std::string_view chosen;
        if (f.control(sc::kDeutsch).value != 0) {
            chosen = kLanguageGerman;
        } else if (f.control(sc::kEnglish).value != 0) {
            chosen = kLanguageEnglish;
        }
        if (!chosen.empty() && s.LanguageCode != chosen) {
            store(SettingKey::Language, chosen);
            s.SettingsChanged = true;
        }

        // Compared exactly, letter case counts; neither tested nor opened here.
        const std::string path = f.control(sc::kPath).text;
        if (path != m_app.settings().read(SettingKey::WinSTBPath, "")) {
            store(SettingKey::WinSTBPath, path);
            s.SettingsChanged = true;
        }

        const bool colour = f.control(sc::kColorRadio).value != 0;
        if (s.ColorRadio != colour) {
            s.ColorRadio = colour;
            store(SettingKey::ColorRadio, colour ? "1" : "0");
            s.SettingsChanged = true;
        }
        f.setVisible(false);
    }

    void cancel() {
        m_app.state().SettingsChanged = false;
        m_form->setVisible(false);
    }

    void browse() {
        AppState& s = m_app.state();
        s.SettingsChanged = false;
        const std::optional<std::string> answer = BrowseForDatabase(m_app, s.DbPath);
        if (!isAcceptedDatabasePath(answer)) {
            m_app.showMessage(m_app.text(UiKey::msgNoDatabase), MessageButtons::Ok);
            return;
        }
        const std::string& path = *answer;
        if (path == s.DbPath) {
            return;
        }
        std::unique_ptr<engine::dao::Database> candidate;
        if (s.workspace->tryOpenDatabase(path, candidate) != 0 || candidate == nullptr) {
            m_app.showMessage(m_app.text(UiKey::msgOpenDbFailed), MessageButtons::Ok,
                              MessageIcon::Critical);
            return;
        }
        // The test open is kept as the new database: opening the same file a second time
        // could only fail where the first open worked. Closing the old one writes what it
        // still holds; if that fails, the old one stays open and the failure is reported.
        if (s.ChannelDb) {
            s.ChannelDb->close();
        }
        s.ChannelDb = std::move(candidate);
        s.DbPath = path;
        s.SettingsChanged = true;
        m_form->setText(sc::kPath, s.DbPath);
    }

    App& m_app;
    std::unique_ptr<form::Form> m_form;
    std::string m_pathWhenOpened;
    // The window's handlers point into it: they go when it does.
    std::vector<form::Dispatcher::Connection> m_handlers;
};

}  // namespace

void runSettingsCommand(App& app) {
    AppState& s = app.state();
    if (!app.askSaveQuestion()) {
        return;
    }
    s.FavDirty = false;
    s.MultiFavAdded = false;
    s.SettingsChanged = false;

    bool switched = false;
    {
        SettingsWindow window(app);
        window.show();
        switched = window.switchedDatabase();
    }
    if (s.SettingsChanged || switched) {
        runStartupSequence(app);
    }
}

void installSettingsCommand(App& app) {
    app.commands().install(kSettingsCommand, [&app] { runSettingsCommand(app); });
    app.dispatcher()
        .on(kMainFormName, "Command11", EventKind::Click,
            [&app](const form::Event&) { app.commands().run(kSettingsCommand); })
        .keep();
}

}  // namespace velmora::core::app
