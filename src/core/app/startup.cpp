#include "core/app/startup.h"

#include <cctype>
#include <cfenv>
#include <cmath>

#include "core/app/app.h"
#include "core/app/language_form.h"
#include "core/app/main_form.h"
#include "engine/base/number_text.h"
#include "engine/dao/dao_error.h"

namespace velmora::core::app {

namespace {

using ports::MessageButtons;
using ports::MessageIcon;

constexpr char kFilterName[] = "Database Files (*.mdb)";
constexpr char kFilterPattern[] = "*.MDB";

// A stored value may fail to be written (a read-only configuration folder). From the open
// database on, the sequence goes on past a failed step; a setting that could not be stored
// is simply asked for again at the next start.
void storeSetting(App& app, SettingKey key, std::string_view value) {
    (void)app.settings().write(key, value);
}

// The dialog as on a first start, until it gives an existing file or is cancelled.
std::optional<std::string> chooseDatabase(App& app, const DialogStart& start) {
    std::optional<std::string> answer = BrowseForDatabase(app, start);
    if (!isAcceptedDatabasePath(answer)) {
        return std::nullopt;
    }
    return answer;
}

// Opens DbPath in the workspace; false with nothing open when it fails.
bool openChannelDb(App& app) {
    AppState& s = app.state();
    std::unique_ptr<engine::dao::Database> db;
    const int number = s.workspace->tryOpenDatabase(s.DbPath, db);
    if (number != 0 || db == nullptr) {
        return false;
    }
    s.ChannelDb = std::move(db);
    return true;
}

void noDatabase(App& app) {
    app.showMessage(app.text(UiKey::msgNoDatabase), MessageButtons::Ok, MessageIcon::Critical);
    app.endProgram();
}

}  // namespace

std::optional<std::string> BrowseForDatabase(App& app, const DialogStart& start) {
    ports::FileOpenRequest request;
    request.title = app.text(UiKey::msgEnterDbPath);
    request.filterName = kFilterName;
    request.filterPattern = kFilterPattern;
    request.initialFolder = start.initialFolder;
    request.initialFileName = start.initialFileName;
    return app.ports().fileDialog.chooseFileToOpen(request);
}

std::optional<std::string> BrowseForDatabase(App& app, std::string_view path) {
    return BrowseForDatabase(app, DialogStart{folderOf(path), std::string(path)});
}

std::optional<int16_t> readGeometryNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        number.push_back(text[i++]);
    }
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number.push_back(text[i++]);
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number.push_back(text[i++]);
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            number.push_back(text[i++]);
            digits = true;
        }
    }
    // A leading number of too many digits for a double fits no geometry.
    const std::optional<double> value = digits ? engine::readNumber(number) : 0.0;
    if (!value) {
        return std::nullopt;
    }
    // Whole numbers round half to even, as the stored settings were always read.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(*value);
    std::fesetround(saved);
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<int16_t>(rounded);
}

void readSavedGeometry(App& app) {
    SavedGeometry& g = app.state().saved;
    auto read = [&](SettingKey key, int16_t& target) {
        if (auto value = readGeometryNumber(app.settings().read(key))) {
            target = *value;
        }
    };
    read(SettingKey::HSize, g.height);
    read(SettingKey::VSize, g.width);
    read(SettingKey::TPos, g.top);
    read(SettingKey::LPos, g.left);
}

bool runStartupSequence(App& app) {
    AppState& s = app.state();
    form::Form& f = app.mainForm();

    // 1-2. The language; on the very first run the language window asks for it.
    s.LanguageCode = app.settings().read(SettingKey::Language);
    if (s.LanguageCode.empty()) {
        s.LanguageCode = runLanguageWindow(app);
    }
    ApplyLanguage(app.uiText(), s.LanguageCode,
                  [&](std::string_view control, const std::string& caption) {
                      f.setCaption(std::string(control), caption);
                  });
    // The window system's own texts (message box buttons, the file dialog) follow it too,
    // before the first dialog of this sequence can appear.
    app.ports().language.applyLanguage(s.LanguageCode);

    // 3. The database path: stored, else chosen in the dialog.
    std::string path = app.settings().read(SettingKey::WinSTBPath);
    const bool pathWasStored = !path.empty();
    if (!pathWasStored) {
        auto chosen = chooseDatabase(app, defaultDialogStart(app.environment()));
        if (!chosen) {
            if (app.settings().isStored(SettingKey::WinSTBPath)) {
                (void)app.settings().remove(SettingKey::WinSTBPath);
            }
            noDatabase(app);
            return false;
        }
        path = *chosen;
    }

    // 4-5. A fresh workspace; whatever was open before is released first.
    s.FirstPaintPending = true;
    s.DbPath = path;
    if (s.ChannelDb) {
        s.ChannelDb->close();
        s.ChannelDb.reset();
    }
    s.workspace.reset();
    s.workspace = app.createWorkspace();

    // 7. Open it. A stored path that no longer opens is reported, then the dialog is offered
    // as on a first start; without that, a moved database would end every start forever.
    if (!openChannelDb(app)) {
        app.showMessage(app.text(UiKey::msgOpenDbFailed), MessageButtons::Ok,
                        MessageIcon::Critical);
        if (!pathWasStored) {
            app.endProgram();
            return false;
        }
        auto chosen = chooseDatabase(app, defaultDialogStart(app.environment()));
        if (!chosen) {
            noDatabase(app);  // the stored path stays as it was
            return false;
        }
        s.DbPath = *chosen;
        if (!openChannelDb(app)) {
            app.showMessage(app.text(UiKey::msgOpenDbFailed), MessageButtons::Ok,
                            MessageIcon::Critical);
            app.endProgram();
            return false;
        }
    }

    // 8. Stored only now that it opened.
    storeSetting(app, SettingKey::WinSTBPath, s.DbPath);

    // 9-10. Flags and the grid's fixed look.
    s.FavDirty = false;
    s.groupPickPurpose = GroupPickPurpose::None;
    s.PendingFilterClick = FilterClick::None;
    app.grid().setBackColorFixed(
        grid::Rgb{kFixedCellColor.red, kFixedCellColor.green, kFixedCellColor.blue});
    s.CurrentView.clear();
    (void)app.grid().setColWidth(0, 150);

    // 11-12. Geometry.
    readSavedGeometry(app);
    app.setWindowGeometry({s.saved.left, s.saved.top, s.saved.width, s.saved.height});

    // 13. Radio colouring: only "1" means on.
    s.ColorRadio = app.settings().read(SettingKey::ColorRadio) == "1";

    // 14. Colours.
    f.setBackColor(kWindowColor);
    for (const std::string& name : frameColoredControls()) {
        f.update(name, [](form::Control& c) { c.backColor = kFrameColor; });
    }
    f.update("Label1", [](form::Control& c) { c.backColor = kCountLabelColor; });

    app.requestRepaint();
    return true;
}

}  // namespace velmora::core::app
