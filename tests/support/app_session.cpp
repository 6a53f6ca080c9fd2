#include "support/app_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include "core/app/main_form.h"
#include "core/app/user_input.h"
#include "core/program/install_program.h"
#include "core/views/channel_list.h"
#include "core/views/column_widths.h"
#include "engine/jet/jet_database.h"

namespace velmora::test {

namespace fs = std::filesystem;
using core::app::SettingKey;

ScriptedModalHost::~ScriptedModalHost() {
    if (!m_scripts.empty()) {
        ADD_FAILURE() << m_scripts.size() << " modal window(s) expected but never shown";
    }
}

void ScriptedModalHost::showModal(core::form::Form& form, const core::app::ModalGrids& grids) {
    m_shown.push_back(form.name() + ": " + form.caption());
    if (m_scripts.empty()) {
        ADD_FAILURE() << "unexpected modal window " << form.name();
        form.setVisible(false);
        return;
    }
    Script script = std::move(m_scripts.front());
    m_scripts.erase(m_scripts.begin());
    m_grids = grids;
    script(form);
    m_grids.clear();
    if (form.isVisible()) {
        form.setVisible(false);  // closed by its close box
    }
}

void ScriptedModalHost::showModeless(core::form::Form& form) {
    m_shown.push_back(form.name() + ": " + form.caption());
    m_modeless[form.name()] = &form;
    if (m_ports != nullptr)
        m_ports->declareWindow(form.name());
}

void ScriptedModalHost::closeModeless(core::form::Form& form) {
    m_modeless.erase(form.name());
}

core::form::Form* ScriptedModalHost::modeless(const std::string& name) const {
    const auto it = m_modeless.find(name);
    return it == m_modeless.end() ? nullptr : it->second;
}

core::grid::GridModel& ScriptedModalHost::grid(const std::string& control) const {
    const auto it = m_grids.find(control);
    if (it == m_grids.end() || it->second == nullptr)
        throw std::logic_error("the window shown has no grid " + control);
    return *it->second;
}

AppSession::AppSession() {
    std::random_device rd;
    m_folder = fs::temp_directory_path() / ("velmora-session-" + std::to_string(rd()));
    fs::create_directories(m_folder);
}

AppSession::~AppSession() {
    m_app.reset();
    std::error_code ec;
    fs::remove_all(m_folder, ec);
}

std::string AppSession::addDatabase(const std::string& name, testing::WinStbOptions options,
                                    const std::function<void(engine::store::Database&)>& edit) {
    return addDatabaseBuiltBy(name, [&](engine::store::Database& db) {
        testing::addWinStbTables(db, options);
        if (edit) {
            edit(db);
            EXPECT_TRUE(db.commit().isOk());
        }
    });
}

std::string AppSession::addDatabaseBuiltBy(
    const std::string& name, const std::function<void(engine::store::Database&)>& build) {
    auto inner = std::make_shared<engine::store::MemoryStorage>();
    {
        engine::store::Database db(std::make_unique<SharedStorage>(inner));
        build(db);
    }
    const fs::path path = m_folder / name;
    std::ofstream(path) << "stands for a channel database kept in memory\n";
    m_databases[path.string()] = inner;
    return path.string();
}

void AppSession::openJetFilesThrough(engine::io::Env& env, bool useOsLocks) {
    m_jetEnv = &env;
    m_useOsLocks = useOsLocks;
}

void AppSession::storeSetting(SettingKey key, const std::string& value) {
    ASSERT_TRUE(m_ports.settings()
                    .write(core::app::kSettingsApplication, core::app::kSettingsSection,
                           core::app::settingName(key), value)
                    .isOk());
}

std::string AppSession::setting(SettingKey key) {
    return m_ports.settings().read(core::app::kSettingsApplication, core::app::kSettingsSection,
                                   core::app::settingName(key), "<absent>");
}

bool AppSession::hasSetting(SettingKey key) {
    return m_ports.settings().contains(core::app::kSettingsApplication, core::app::kSettingsSection,
                                       core::app::settingName(key));
}

core::app::App& AppSession::app() {
    if (!m_app) {
        core::app::AppConfig config;
        config.environment = core::app::PathEnvironment{m_folder.string(), ""};
        config.files = m_jetEnv;
        config.clock = [this] { return m_clock(); };
        config.storageOpener = [this](const std::string& path)
            -> engine::Result<std::unique_ptr<engine::store::TableStorage>> {
            auto it = m_databases.find(path);
            if (it == m_databases.end()) {
                // Any other path is opened as the program opens it: as a Jet file.
                engine::jet::OpenOptions options;
                options.useOsLocks = m_useOsLocks;
                VELMORA_ASSIGN_OR_RETURN(auto file,
                                         engine::jet::JetDatabase::open(path, *m_jetEnv, options));
                return std::unique_ptr<engine::store::TableStorage>(std::move(file));
            }
            return std::unique_ptr<engine::store::TableStorage>(
                std::make_unique<SharedStorage>(it->second));
        };
        m_modal.setPorts(m_ports);
        m_ports.declareWindow(core::app::kMainFormName);
        m_app = core::program::installProgram(m_ports.ports(), m_modal, std::move(config));
        m_ports.setPendingEventsHandler([this] { m_app->dispatcher().runPending(); });
    }
    return *m_app;
}

bool AppSession::start() {
    if (!app().start()) {
        return false;
    }
    paint();
    return true;
}

void AppSession::paint() {
    core::form::Event e;
    e.form = core::app::kMainFormName;
    e.kind = core::form::EventKind::Paint;
    app().dispatcher().dispatch(e);
}

void AppSession::resize(int width, int height) {
    core::form::Event e;
    e.form = core::app::kMainFormName;
    e.kind = core::form::EventKind::Resize;
    e.width = width;
    e.height = height;
    app().dispatcher().dispatch(e);
}

void AppSession::click(const std::string& control) {
    core::app::userClick(app().mainForm(), app().dispatcher(), control);
}

bool AppSession::close() {
    return app().requestClose();
}

std::vector<std::string> AppSession::column(int col) {
    std::vector<std::string> out;
    auto& g = app().grid();
    for (int r = g.fixedRows(); r < g.rows(); ++r) {
        out.emplace_back(g.textMatrix(r, col));
    }
    return out;
}

std::string AppSession::statement() {
    return core::views::channelListStatement(core::views::currentFilter(app()));
}

void AppSession::chooseLanguage(const std::string& option) {
    m_modal.expectModal([this, option](core::form::Form& f) {
        core::app::userClick(f, app().dispatcher(), option);
        core::app::userClick(f, app().dispatcher(), "Command1");
    });
}

int AppSession::neededWidth(int col) {
    const core::grid::GridModel& g = app().grid();
    const core::ports::FontChoice font = core::views::gridFont(g);
    int widest = 0;
    for (int row = 0; row < g.rows(); ++row)
        widest =
            std::max(widest, ScriptedPorts::defaultMeasure(g.textMatrix(row, col), font).width);
    return std::min(widest + core::views::kColumnTextPadding, core::views::kMaxFittedWidth);
}

}  // namespace velmora::test
