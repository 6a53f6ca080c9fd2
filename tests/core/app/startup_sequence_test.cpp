// Start-up as a user meets it: the first run's language window and file dialog, a stored
// path, a stored path that no longer opens, a cancelled dialog, the geometry read from the
// settings, and the default database under Wine.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/app/database_path.h"
#include "core/app/startup.h"
#include "core/app/user_input.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

constexpr char kNoDatabaseEn[] = "No Database found";
constexpr char kOpenFailedEn[] = "Open database failed";

TEST(StartupFirstRun, AsksForTheLanguageThenForTheDatabaseAndStoresBoth) {
    AppSession s;
    const std::string path = s.addDatabase("WinSTB.mdb");
    s.chooseLanguage("Option2");
    s.ports().expectFileDialog(path);

    ASSERT_TRUE(s.start());

    ASSERT_EQ(s.modal().shown().size(), 1u);
    EXPECT_EQ(s.modal().shown()[0], "Form_SetLanguage: Sprache auswählen / Select Language");
    ASSERT_EQ(s.ports().fileDialogs().size(), 1u);
    const auto& request = s.ports().fileDialogs()[0];
    EXPECT_EQ(request.title, "Enter the complete path (incl. filename) to your WinSTB database");
    EXPECT_EQ(request.filterName, "Database Files (*.mdb)");
    EXPECT_EQ(request.filterPattern, "*.MDB");
    // No receiver program under Wine here: the dialog starts in the home folder.
    EXPECT_EQ(request.initialFolder, s.folder().string());

    EXPECT_EQ(s.setting(SettingKey::Language), "eng");
    // The window system's own button texts follow the chosen language, once.
    EXPECT_EQ(s.ports().appliedLanguages(), std::vector<std::string>{"eng"});
    EXPECT_EQ(s.setting(SettingKey::WinSTBPath), path);
    EXPECT_EQ(s.app().state().DbPath, path);
    EXPECT_EQ(s.form().control("Command3").caption, "Show/Edit Channels");
    EXPECT_EQ(s.form().caption(), "Velmora Ver 1.27");
    EXPECT_EQ(s.app().state().CurrentView, "Favkanal");
    EXPECT_FALSE(s.ports().endedWithCode().has_value());
}

TEST(StartupFirstRun, AChosenFileThatDoesNotOpenIsNeverStored) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    const fs::path notADatabase = s.folder() / "notes.mdb";
    std::ofstream(notADatabase) << "text";
    s.ports().expectFileDialog(notADatabase.string());
    s.ports().expectMessage(kOpenFailedEn, MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);

    EXPECT_FALSE(s.start());
    EXPECT_TRUE(s.ports().endedWithCode().has_value());
    EXPECT_FALSE(s.hasSetting(SettingKey::WinSTBPath));
}

TEST(StartupFirstRun, OkWithoutAChoiceAsksForOneAndKeepsTheWindowOpen) {
    AppSession s;
    const std::string path = s.addDatabase("WinSTB.mdb");
    s.ports().expectMessage("Bitte Sprache auswählen / Please select a language",
                            MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    s.modal().expectModal([&](core::form::Form& f) {
        EXPECT_EQ(f.control("Option1").value, 0);
        EXPECT_EQ(f.control("Option2").value, 0);
        core::app::userClick(f, s.app().dispatcher(), "Command1");
        EXPECT_TRUE(f.isVisible());
        core::app::userClick(f, s.app().dispatcher(), "Option2");
        core::app::userClick(f, s.app().dispatcher(), "Option1");
        EXPECT_EQ(f.control("Option2").value, 0);
        core::app::userClick(f, s.app().dispatcher(), "Command1");
        EXPECT_FALSE(f.isVisible());
    });
    s.ports().expectFileDialog(path);

    ASSERT_TRUE(s.start());
    EXPECT_EQ(s.setting(SettingKey::Language), "deu");
    EXPECT_EQ(s.ports().fileDialogs()[0].title,
              "Bitte den vollständigen Pfad (mit Dateiname) zur WinSTB Datenbank eingeben");
    EXPECT_EQ(s.form().control("Command3").caption, "Sender/Gruppe ändern");
    EXPECT_EQ(s.form().control("Frame1").caption, "SonderFunktionen");
    EXPECT_EQ(s.label(), "7 Sender");
}

TEST(StartupFirstRun, ClosingTheLanguageWindowStoresNothingAndLeavesTextsEmpty) {
    AppSession s;
    const std::string path = s.addDatabase("WinSTB.mdb");
    s.storeSetting(SettingKey::WinSTBPath, path);
    s.modal().expectModal([](core::form::Form&) {});

    ASSERT_TRUE(s.start());
    EXPECT_FALSE(s.hasSetting(SettingKey::Language));
    EXPECT_EQ(s.form().control("Command3").caption, "");
    EXPECT_EQ(s.form().control("Check_TV").caption, "TV");
    EXPECT_EQ(s.label(), "7");
    EXPECT_EQ(s.ports().appliedLanguages(), std::vector<std::string>{""});
}

TEST(StartupStoredPath, OpensTheStoredDatabaseWithoutAnyDialog) {
    AppSession s;
    const std::string path = s.addDatabase("chan.mdb");
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, path);
    ASSERT_TRUE(s.start());
    EXPECT_TRUE(s.ports().fileDialogs().empty());
    EXPECT_TRUE(s.modal().shown().empty());
    EXPECT_EQ(s.label(), "7 Channels");
}

TEST(StartupStoredPath, AMissingDatabaseIsReportedThenTheDialogIsOffered) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    const std::string gone = (s.folder() / "moved" / "WinSTB.mdb").string();
    s.storeSetting(SettingKey::WinSTBPath, gone);
    s.ports().expectMessage(kOpenFailedEn, MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);
    s.ports().expectFileDialog(std::nullopt);
    s.ports().expectMessage(kNoDatabaseEn, MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);

    EXPECT_FALSE(s.start());
    EXPECT_TRUE(s.ports().endedWithCode().has_value());
    EXPECT_EQ(s.setting(SettingKey::WinSTBPath), gone);
}

TEST(StartupStoredPath, AnotherDatabaseChosenAfterTheFailureReplacesTheStoredPath) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, (s.folder() / "gone.mdb").string());
    const std::string other = s.addDatabase("other.mdb");
    s.ports().expectMessage(kOpenFailedEn, MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);
    s.ports().expectFileDialog(other);

    ASSERT_TRUE(s.start());
    EXPECT_EQ(s.setting(SettingKey::WinSTBPath), other);
    EXPECT_EQ(s.label(), "7 Channels");
}

TEST(StartupDialog, CancelEndsTheProgramAndDeletesAStoredEmptyPath) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, "");
    s.ports().expectFileDialog(std::nullopt);
    s.ports().expectMessage(kNoDatabaseEn, MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);

    EXPECT_FALSE(s.start());
    EXPECT_TRUE(s.ports().endedWithCode().has_value());
    EXPECT_FALSE(s.hasSetting(SettingKey::WinSTBPath));
    EXPECT_FALSE(s.app().state().hasDatabase());
}

TEST(StartupDialog, AnswersThatNameNoFileAreNotTaken) {
    for (const std::string& answer : {std::string("ab"), std::string("/no/such/file.mdb")}) {
        AppSession s;
        s.storeSetting(SettingKey::Language, "eng");
        s.ports().expectFileDialog(answer);
        s.ports().expectMessage(kNoDatabaseEn, MessageButtons::Ok, MessageIcon::Critical,
                                MessageAnswer::Ok);
        EXPECT_FALSE(s.start()) << answer;
        EXPECT_FALSE(s.hasSetting(SettingKey::WinSTBPath));
    }
    AppSession folder;
    folder.storeSetting(SettingKey::Language, "eng");
    folder.ports().expectFileDialog(folder.folder().string());
    folder.ports().expectMessage(kNoDatabaseEn, MessageButtons::Ok, MessageIcon::Critical,
                                 MessageAnswer::Ok);
    EXPECT_FALSE(folder.start());
}

TEST(StartupGeometry, SettingsAreReadAsSixteenBitWholeNumbers) {
    using core::app::readGeometryNumber;
    EXPECT_EQ(readGeometryNumber("5448"), 5448);
    EXPECT_EQ(readGeometryNumber("-1200"), -1200);
    EXPECT_EQ(readGeometryNumber("  300 twips"), 300);
    EXPECT_EQ(readGeometryNumber("abc"), 0);
    EXPECT_EQ(readGeometryNumber(""), 0);
    EXPECT_EQ(readGeometryNumber("2.5"), 2);  // half to even
    EXPECT_EQ(readGeometryNumber("3.5"), 4);
    EXPECT_EQ(readGeometryNumber("32767"), 32767);
    EXPECT_EQ(readGeometryNumber("-32768"), -32768);
    EXPECT_EQ(readGeometryNumber("32768"), std::nullopt);
    EXPECT_EQ(readGeometryNumber("-40000"), std::nullopt);
}

TEST(StartupGeometry, TheWindowTakesTheStoredPlaceEvenAboveOrLeftOfTheScreen) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    s.storeSetting(SettingKey::TPos, "-1200");
    s.storeSetting(SettingKey::LPos, "-300");
    s.storeSetting(SettingKey::VSize, "99999");  // does not fit: the earlier value (0) stays
    ASSERT_TRUE(s.app().start());
    const auto g = s.form().geometry();
    EXPECT_EQ(g.top, -1200);
    EXPECT_EQ(g.left, -300);
    EXPECT_EQ(g.height, 5448);
    EXPECT_EQ(g.width, 0);
}

TEST(StartupGeometry, DefaultsAndColoursOfAFreshStart) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    ASSERT_TRUE(s.start());
    EXPECT_EQ(s.form().geometry(), (core::form::TwipRect{200, 100, 9312, 5448}));
    EXPECT_EQ(s.form().backColor(), (core::form::Rgb{148, 181, 198}));
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Check_TV",
                             "Check_Radio", "Check_encrypt", "Check_NotEnc"}) {
        EXPECT_EQ(s.form().control(name).backColor, (core::form::Rgb{170, 210, 220})) << name;
    }
    EXPECT_EQ(s.form().control("Label1").backColor, (core::form::Rgb{214, 239, 247}));
    EXPECT_EQ(s.app().grid().backColorFixed(), (core::grid::Rgb{0, 255, 255}));
    EXPECT_EQ(s.app().grid().colWidth(0), 150);
    EXPECT_FALSE(s.app().state().FirstPaintPending);
    EXPECT_FALSE(s.ports().isWaitCursor());
    // Nothing but the database path is stored by a start at the design size.
    EXPECT_FALSE(s.hasSetting(SettingKey::HSize));
    EXPECT_FALSE(s.hasSetting(SettingKey::VSize));
}

TEST(DefaultDatabasePath, FoundUnderTheWinePrefixWhateverTheLetterCase) {
#ifdef _WIN32
    GTEST_SKIP() << "Linux looks into Wine's folder; Windows' own paths ignore letter case";
#endif
    AppSession s;
    const fs::path prefix = s.folder() / "prefix";
    const fs::path db = prefix / "drive_c" / "Programme" / "WinSTB" / "database" / "winstb.MDB";
    fs::create_directories(db.parent_path());
    std::ofstream(db) << "x";

    core::app::PathEnvironment env{s.folder().string(), prefix.string()};
    EXPECT_EQ(core::app::resolveUnderWine(core::app::kWindowsDefaultDatabase, env), db.string());
    const auto start = core::app::defaultDialogStart(env);
    EXPECT_EQ(start.initialFolder, db.parent_path().string());
    EXPECT_EQ(start.initialFileName, db.string());

    // Without WINEPREFIX the prefix is ~/.wine.
    const fs::path home = s.folder() / "home";
    fs::create_directories(home / ".wine");
    fs::rename(prefix / "drive_c", home / ".wine" / "drive_c");
    core::app::PathEnvironment homeOnly{home.string(), ""};
    EXPECT_TRUE(core::app::resolveUnderWine(core::app::kWindowsDefaultDatabase, homeOnly));

    core::app::PathEnvironment none{(s.folder() / "nobody").string(), ""};
    EXPECT_FALSE(core::app::resolveUnderWine(core::app::kWindowsDefaultDatabase, none));
    EXPECT_EQ(core::app::defaultDialogStart(none).initialFolder, none.home);
}

TEST(DefaultDatabasePath, TheDialogStartsInTheFolderOfAnyFileName) {
    EXPECT_EQ(core::app::folderOf("/data/tv/channels.mdb"), "/data/tv");
    EXPECT_EQ(core::app::folderOf("C:\\PROGRAMME\\WINSTB\\DATABASE\\WinSTB.mdb"),
              "C:\\PROGRAMME\\WINSTB\\DATABASE");
    EXPECT_EQ(core::app::folderOf("/a.mdb"), "/");
    EXPECT_EQ(core::app::folderOf("a.mdb"), "");
}

}  // namespace
}  // namespace velmora::test
