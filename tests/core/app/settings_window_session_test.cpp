// The Settings window in a whole program session: what OK, Cancel and the browse button
// store, when the start-up sequence runs again, and what the next paint shows then.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/app/main_form.h"
#include "core/app/settings_command.h"
#include "core/app/settings_form.h"
#include "core/app/user_input.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;
namespace sc = core::app::settings_control;
using Script = std::function<void(core::form::Form&)>;

class SettingsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        s.storeSetting(SettingKey::Language, "eng");
        first = s.addDatabase("WinSTB.mdb");
        s.storeSetting(SettingKey::WinSTBPath, first);
        ASSERT_TRUE(s.start());
        core::app::installSettingsCommand(s.app());
    }

    // Opens the window with the Settings button; `script` acts in it as the user would.
    void settings(Script script) {
        s.modal().expectModal(std::move(script));
        s.click("Command11");
    }
    void click(core::form::Form& f, const char* control) {
        core::app::userClick(f, s.app().dispatcher(), control);
    }
    std::map<std::string, std::string> stored() {
        std::map<std::string, std::string> all;
        for (SettingKey key : core::app::kAllSettingKeys)
            all[std::string(core::app::settingName(key))] = s.setting(key);
        return all;
    }
    int cellsWith(const std::string& text) {
        auto& g = s.app().grid();
        int n = 0;
        for (int r = 1; r < g.rows(); ++r)
            for (int c = 1; c < g.cols(); ++c)
                n += g.textMatrix(r, c) == text ? 1 : 0;
        return n;
    }
    int colouredRows() {
        const auto radio =
            core::grid::Rgb{core::app::kRadioRowColor.red, core::app::kRadioRowColor.green,
                            core::app::kRadioRowColor.blue};
        int n = 0;
        for (int r = 1; r <= s.dataRows(); ++r)
            n += s.app().grid().effectiveBackColor(r, 1) == radio ? 1 : 0;
        return n;
    }

    AppSession s;
    std::string first;
};

TEST_F(SettingsWindow, OpensBesideTheMainWindowAndOkWithoutChangeStoresNothing) {
    const auto main = s.form().geometry();
    const auto before = stored();
    const int rows = s.dataRows();
    settings([&](core::form::Form& f) {
        EXPECT_EQ(f.caption(), "Settings");
        EXPECT_EQ(f.geometry().left, main.left + 150);
        EXPECT_EQ(f.geometry().top, main.top + 100);
        EXPECT_EQ(f.control(sc::kPath).text, first);
        EXPECT_EQ(f.control(sc::kDeutsch).value, 0);
        EXPECT_EQ(f.control(sc::kEnglish).value, 1);
        EXPECT_EQ(f.control(sc::kColorRadio).value, 1);
        click(f, sc::kOk);
    });
    EXPECT_EQ(stored(), before);
    EXPECT_FALSE(s.app().state().SettingsChanged);
    EXPECT_FALSE(s.app().state().FirstPaintPending) << "start-up ran again";
    EXPECT_EQ(s.app().state().CurrentView, core::app::kViewChannelList);
    EXPECT_EQ(s.dataRows(), rows);
}

TEST_F(SettingsWindow, OnlyTheColouringChangedRerunsStartUpAndTheNextListFollows) {
    ASSERT_GT(colouredRows(), 0);
    settings([&](core::form::Form& f) {
        click(f, sc::kColorRadio);
        click(f, sc::kOk);
    });
    EXPECT_EQ(s.setting(SettingKey::ColorRadio), "0");
    EXPECT_TRUE(s.app().state().FirstPaintPending);
    EXPECT_EQ(s.app().state().CurrentView, "");
    s.paint();
    EXPECT_EQ(colouredRows(), 0);

    settings([&](core::form::Form& f) {
        EXPECT_EQ(f.control(sc::kColorRadio).value, 0);
        click(f, sc::kColorRadio);
        click(f, sc::kOk);
    });
    EXPECT_EQ(s.setting(SettingKey::ColorRadio), "1");
    s.paint();
    EXPECT_GT(colouredRows(), 0);
}

TEST_F(SettingsWindow, SwitchingTheLanguageRelabelsTheMainWindowAndCancelStoresNothing) {
    const auto before = stored();
    const auto languagesBefore = s.ports().appliedLanguages();
    settings([&](core::form::Form& f) {
        click(f, sc::kDeutsch);
        click(f, sc::kColorRadio);
        f.setText(sc::kPath, "/elsewhere/WinSTB.mdb");
        click(f, sc::kCancel);
    });
    EXPECT_EQ(stored(), before);
    EXPECT_FALSE(s.app().state().FirstPaintPending);
    EXPECT_EQ(s.ports().appliedLanguages(), languagesBefore);

    settings([&](core::form::Form& f) {
        click(f, sc::kDeutsch);
        click(f, sc::kOk);
    });
    EXPECT_EQ(s.setting(SettingKey::Language), "deu");
    // Message box buttons and the file dialog switch with the rerun start-up.
    ASSERT_FALSE(s.ports().appliedLanguages().empty());
    EXPECT_EQ(s.ports().appliedLanguages().back(), "deu");
    s.paint();
    EXPECT_EQ(s.form().control("Command11").caption, "Einstellungen");
    EXPECT_EQ(s.form().control("Command13").caption, "Datenbank komprimieren");
    EXPECT_EQ(s.form().control("Frame5").caption, "Einstellungen ändern");
    EXPECT_EQ(s.label(), std::to_string(s.dataRows()) + " Sender");
}

TEST_F(SettingsWindow, TheSaveQuestionComesFirstAndCancelKeepsTheWindowShut) {
    s.app().state().FavDirty = true;
    s.app().state().MultiFavAdded = true;
    s.ports().expectMessage("You have changed something... Save ?", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Cancel);
    s.click("Command11");  // no window is expected
    EXPECT_TRUE(s.app().state().FavDirty);

    s.ports().expectMessage(MessageAnswer::No);
    settings([&](core::form::Form& f) { click(f, sc::kCancel); });
    EXPECT_FALSE(s.app().state().FavDirty);
    EXPECT_FALSE(s.app().state().MultiFavAdded);
}

TEST_F(SettingsWindow, BrowseThatGivesNoOtherDatabaseKeepsTheOpenOne) {
    auto* open = s.app().state().ChannelDb.get();
    const std::string broken = (s.folder() / "broken.mdb").string();
    std::ofstream(broken) << "not a database";

    s.ports().expectFileDialog(std::nullopt);
    s.ports().expectMessage("No Database found", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    s.ports().expectFileDialog(first);  // the same file
    s.ports().expectFileDialog(broken);
    s.ports().expectMessage("Open database failed", MessageButtons::Ok, MessageIcon::Critical,
                            MessageAnswer::Ok);
    settings([&](core::form::Form& f) {
        for (int i = 0; i < 3; ++i) {
            click(f, sc::kBrowse);
            EXPECT_EQ(f.control(sc::kPath).text, first);
            EXPECT_EQ(s.app().state().ChannelDb.get(), open);
            EXPECT_TRUE(open->isOpen());
        }
        click(f, sc::kOk);
    });
    ASSERT_EQ(s.ports().fileDialogs().size(), 3u);
    EXPECT_EQ(s.ports().fileDialogs()[0].initialFileName, first);
    EXPECT_EQ(s.app().state().DbPath, first);
    EXPECT_FALSE(s.app().state().FirstPaintPending);
}

TEST_F(SettingsWindow, BrowsedDatabaseIsOpenedAtOnceAndStoredByOk) {
    const std::string second =
        s.addDatabase("Other.mdb", testing::WinStbOptions{}, [](engine::store::Database& db) {
            auto table = db.table("CHANNELS");
            ASSERT_TRUE(table.isOk());
            auto row = (*table)->row(0);
            row[1] = engine::store::Value(std::string("Other"));
            (*table)->replace(0, row);
        });
    ASSERT_EQ(cellsWith("Other"), 0);
    s.ports().expectFileDialog(second);
    settings([&](core::form::Form& f) {
        click(f, sc::kBrowse);
        EXPECT_EQ(f.control(sc::kPath).text, second);
        EXPECT_EQ(s.app().state().DbPath, second);
        EXPECT_TRUE(s.app().state().SettingsChanged);
        EXPECT_EQ(s.setting(SettingKey::WinSTBPath), first) << "stored only by OK";
        click(f, sc::kOk);
    });
    EXPECT_EQ(s.setting(SettingKey::WinSTBPath), second);
    s.paint();
    EXPECT_EQ(cellsWith("Other"), 1);
}

// A failure inside the window belongs to the window's own command: it is reported there, the
// window stays open, and only what that command changed is rolled back.
TEST_F(SettingsWindow, AFailingCheckIsReportedAndTheWindowStaysOpen) {
    s.app().commands().install("CheckPrimKey", [this] {
        s.app().db().execute("DELETE FROM FAVNAME");
        throw engine::dao::DaoError(engine::err::kTableNotFound,
                                    "The table 'CHANNELS' does not exist.");
    });
    s.ports().expectMessage(
        ExpectedMessage{.text = "Error 3078\r\nThe table 'CHANNELS' does not exist.",
                        .buttons = MessageButtons::Ok,
                        .icon = MessageIcon::None,
                        .answer = MessageAnswer::Ok});
    settings([&](core::form::Form& f) {
        click(f, sc::kCheckPrimKey);
        EXPECT_TRUE(f.isVisible());
        click(f, sc::kColorRadio);
        click(f, sc::kOk);
    });
    EXPECT_EQ(s.setting(SettingKey::ColorRadio), "0") << "the window went on after the failure";
    auto rs = s.app().db().openRecordset("SELECT * FROM FAVNAME");
    EXPECT_FALSE(rs.eof()) << "the failed command's change was rolled back";
}

// The grid must never show one database while the commands write to another: a window
// that closes without keeping the browsed database goes back to the stored one.
TEST_F(SettingsWindow, CancelAfterBrowsingReturnsToTheStoredDatabase) {
    const std::string second = s.addDatabase("Other.mdb");
    s.ports().expectFileDialog(second);
    settings([&](core::form::Form& f) {
        click(f, sc::kBrowse);
        click(f, sc::kCancel);
    });
    EXPECT_EQ(s.setting(SettingKey::WinSTBPath), first);
    EXPECT_EQ(s.app().state().DbPath, first);
    EXPECT_TRUE(s.app().state().hasDatabase());
    EXPECT_TRUE(s.app().state().FirstPaintPending);
}

// A run whose language window was closed without a choice has no language; OK with the
// preselected English must give it one rather than leave every text empty.
TEST(SettingsWindowWithoutLanguage, OkStoresThePreselectedLanguage) {
    AppSession s;
    s.storeSetting(SettingKey::WinSTBPath, s.addDatabase("WinSTB.mdb"));
    s.modal().expectModal([](core::form::Form&) {});  // language window closed
    ASSERT_TRUE(s.start());
    core::app::installSettingsCommand(s.app());
    ASSERT_EQ(s.form().control("Command11").caption, "");
    s.modal().expectModal([&](core::form::Form& f) {
        EXPECT_EQ(f.control(sc::kEnglish).value, 1);
        core::app::userClick(f, s.app().dispatcher(), sc::kOk);
    });
    s.click("Command11");
    EXPECT_EQ(s.setting(SettingKey::Language), "eng");
    EXPECT_EQ(s.form().control("Command11").caption, "Settings");
}

}  // namespace
}  // namespace velmora::test
