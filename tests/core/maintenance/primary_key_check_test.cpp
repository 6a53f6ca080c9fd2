// The primary-key check on channel databases whose CHANNELS indexes are shaped for each
// outcome: the indexes are added through the DAO interface, the check runs as the command.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/maintenance/primary_key_check.h"
#include "engine/dao/database.h"
#include "engine/dao/table_defs.h"
#include "support/app_session.h"

namespace velmora::test {
namespace {

using core::app::SettingKey;
using ports::MessageAnswer;
using ports::MessageButtons;
using ports::MessageIcon;

class PrimaryKeyCheck : public ::testing::Test {
protected:
    void SetUp() override {
        s.storeSetting(SettingKey::Language, "eng");
        s.storeSetting(SettingKey::WinSTBPath,
                       s.addDatabase("WinSTB.mdb", testing::WinStbOptions{.primaryKey = false}));
        ASSERT_TRUE(s.start());
        core::maintenance::installPrimaryKeyCheck(s.app());
    }

    engine::dao::TableDef channels() { return s.app().db().tableDefs().item("CHANNELS"); }

    void addIndex(const std::string& name, std::initializer_list<const char*> columns,
                  bool primary = false) {
        auto table = channels();
        auto index = table.createIndex(name);
        for (const char* column : columns)
            index.appendField(index.createField(column));
        index.setPrimary(primary);
        table.indexes().append(index);
    }

    void expectOk(const std::string& text) {
        s.ports().expectMessage(text, MessageButtons::Ok, MessageIcon::None, MessageAnswer::Ok);
    }
    void check() { s.app().commands().run(core::maintenance::kCheckPrimKeyCommand); }

    AppSession s;
};

TEST_F(PrimaryKeyCheck, PooledIndexFieldsDecideTheReport) {
    addIndex("PrimaryKey", {"SOURCEID", "SID", "NID", "FREQUENCY"}, true);
    expectOk("Primary key OK");
    check();

    addIndex("ByName", {"NAME"});
    expectOk("Unknown key in Table CHANNELS");
    check();
}

TEST_F(PrimaryKeyCheck, TwoPlainIndexesCoveringTheFourAreAccepted) {
    addIndex("A", {"SOURCEID", "SID"});
    addIndex("B", {"NID", "FREQUENCY"});
    expectOk("Primary key OK");
    check();
}

TEST_F(PrimaryKeyCheck, ThreeOfTheFourColumnsIsAWrongKey) {
    addIndex("Partial", {"SOURCEID", "SID", "NID"});
    expectOk("Wrong primary key in Table CHANNELS");
    check();
}

TEST_F(PrimaryKeyCheck, AnsweringNoOrCancelChangesNothing) {
    for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Cancel}) {
        expectOk("No primary key in Table CHANNELS");
        s.ports().expectMessage("Create new primary key", MessageButtons::YesNoCancel,
                                MessageIcon::None, answer);
        check();
        EXPECT_EQ(channels().indexes().count(), 0);
    }
}

TEST_F(PrimaryKeyCheck, RepairCreatesThePrimaryKeyOverTheFourColumns) {
    expectOk("No primary key in Table CHANNELS");
    s.ports().expectMessage("Create new primary key", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    expectOk("Primary key created");
    check();

    auto indexes = channels().indexes();
    ASSERT_EQ(indexes.count(), 1);
    auto key = indexes.item("PrimaryKey");
    EXPECT_TRUE(key.primary());
    EXPECT_FALSE(key.ignoreNulls());
    ASSERT_EQ(key.fields().size(), 4u);
    EXPECT_EQ(key.fields()[0].name(), "SOURCEID");
    EXPECT_EQ(key.fields()[1].name(), "SID");
    EXPECT_EQ(key.fields()[2].name(), "NID");
    EXPECT_EQ(key.fields()[3].name(), "FREQUENCY");

    // A second check now finds the key.
    expectOk("Primary key OK");
    check();
}

TEST(PrimaryKeyRepair, RepeatedKeysLeaveTheTableWithoutIndex) {
    AppSession s;
    s.storeSetting(SettingKey::Language, "eng");
    s.storeSetting(SettingKey::WinSTBPath,
                   s.addDatabase("WinSTB.mdb", testing::WinStbOptions{.primaryKey = false},
                                 [](engine::store::Database& db) {
                                     auto table = db.table("CHANNELS");
                                     ASSERT_TRUE(table.isOk());
                                     auto* channels = *table;
                                     channels->append(channels->row(0));  // same four keys
                                 }));
    ASSERT_TRUE(s.start());
    core::maintenance::installPrimaryKeyCheck(s.app());
    s.ports().expectMessage("No primary key in Table CHANNELS", MessageButtons::Ok,
                            MessageIcon::None, MessageAnswer::Ok);
    s.ports().expectMessage("Create new primary key", MessageButtons::YesNoCancel,
                            MessageIcon::None, MessageAnswer::Yes);
    s.ports().expectMessage("Error creating new key", MessageButtons::Ok, MessageIcon::None,
                            MessageAnswer::Ok);
    s.app().commands().run(core::maintenance::kCheckPrimKeyCommand);
    EXPECT_EQ(s.app().db().tableDefs().item("CHANNELS").indexes().count(), 0);
}

}  // namespace
}  // namespace velmora::test
