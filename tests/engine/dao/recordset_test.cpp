// Record sets of the DAO-shaped interface over the in-memory channel database: the cursor,
// fields, snapshots against dynasets, editing and adding with Jet's errors, guarded calls.
#include <gtest/gtest.h>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "support/winstb_fixture.h"

namespace velmora::engine::dao {
namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto storage = std::make_unique<store::MemoryStorage>();
        m_storage = storage.get();
        m_db = m_ws.openDatabase(std::move(storage), "channels.mdb");
        testing::addWinStbTables(m_db->store());
    }

    std::vector<std::string> column(const std::string& sql, int field = 0) {
        std::vector<std::string> out;
        Recordset rs = m_db->openRecordset(sql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext())
            out.push_back(rs.field(field).text());
        return out;
    }

    Workspace m_ws = Workspace::createWorkspace("NewJetWorkspace", "Admin", "");
    store::MemoryStorage* m_storage = nullptr;
    std::unique_ptr<Database> m_db;
};

using Strings = std::vector<std::string>;

TEST_F(RecordsetTest, CursorAndCountFollowDao) {
    Recordset rs = m_db->openRecordset("SELECT CHANNELNUM FROM CHANNELS ORDER BY CHANNELNUM",
                                       RecordsetType::Snapshot, recordset_option::kInconsistent,
                                       LockType::Optimistic);
    EXPECT_FALSE(rs.eof());
    EXPECT_EQ(rs.recordCount(), 1);  // only what was visited, until MoveLast
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 7);
    EXPECT_EQ(rs.field(0).text(), "7");
    rs.moveFirst();
    EXPECT_EQ(rs.field("CHANNELNUM").value(), store::Value(int64_t{1}));
    for (int i = 0; i < 7; ++i)
        rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(guarded([&] { rs.moveNext(); }), 3021);
    EXPECT_EQ(guarded([&] { (void)rs.field(0).value(); }), 3021);

    Recordset empty = m_db->openRecordset("SELECT NAME FROM CHANNELS WHERE SID = 4711");
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.bof());
    EXPECT_EQ(empty.recordCount(), 0);
    EXPECT_EQ(guarded([&] { empty.moveLast(); }), 3021);
}

TEST_F(RecordsetTest, FieldsGiveNamesTypesSizesAndOuterJoinNulls) {
    Recordset rs = m_db->openRecordset(
        "SELECT CHANNELS.NAME, FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS FNum FROM "
        "CHANNELS LEFT JOIN FAVOURITE ON (CHANNELS.SID = FAVOURITE.SID) AND (CHANNELS.NID = "
        "FAVOURITE.NID) AND (CHANNELS.SOURCEID = FAVOURITE.SOURCEID) WHERE CHANNELS.SID = 102",
        RecordsetType::Snapshot);
    Fields fields = rs.fields();
    ASSERT_EQ(fields.count(), 3);
    EXPECT_EQ(fields[0].name(), "NAME");
    EXPECT_EQ(fields[0].type(), type_code::kText);
    EXPECT_EQ(fields[0].size(), 50);
    EXPECT_EQ(fields["fnum"].type(), type_code::kLong);
    EXPECT_EQ(fields[0].text(), "Ö1");
    EXPECT_TRUE(fields["FAVORITE"].isNull());
    EXPECT_EQ(fields["FAVORITE"].text(), "");
    std::vector<std::string> names;
    for (Field f : fields)
        names.push_back(f.name());
    EXPECT_EQ(names, (Strings{"NAME", "FAVORITE", "FNum"}));
    EXPECT_EQ(guarded([&] { (void)fields["Nope"]; }), 3265);
    EXPECT_EQ(guarded([&] { (void)fields[3]; }), 3265);
}

TEST_F(RecordsetTest, SnapshotKeepsItsRowsWhileDynasetShowsChanges) {
    const char* sql = "SELECT NAME FROM CHANNELS WHERE SID = 100";
    Recordset snapshot = m_db->openRecordset(sql, RecordsetType::Snapshot);
    Recordset dynaset = m_db->openRecordset(sql, RecordsetType::Dynaset);
    m_db->execute("UPDATE CHANNELS SET NAME = 'ORF 1 HD' WHERE SID = 100");
    EXPECT_EQ(snapshot.field(0).text(), "ORF1");
    EXPECT_EQ(dynaset.field(0).text(), "ORF 1 HD");
    EXPECT_EQ(guarded([&] { snapshot.edit(); }), 3027);
}

TEST_F(RecordsetTest, DynasetEditWritesTheBaseTable) {
    Recordset rs = m_db->openRecordset(
        "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
        "'S19E' AND SID = 200 AND NID = 2 AND FREQUENCY = 12722",
        RecordsetType::Dynaset, recordset_option::kInconsistent, LockType::Optimistic);
    rs.edit();
    rs.field("CHANNELNUM").setValue("42");
    rs.field("NAME").setValue("Sport1 HD");
    EXPECT_EQ(rs.field("NAME").text(), "Sport1 HD");  // the edit buffer
    rs.update();
    EXPECT_EQ(column("SELECT CHANNELNUM, NAME FROM CHANNELS WHERE SID = 200 AND FREQUENCY = "
                     "12722",
                     1),
              Strings{"Sport1 HD"});
    EXPECT_EQ(column("SELECT CHANNELNUM FROM CHANNELS WHERE NAME = 'sport1 hd'"), Strings{"42"});
    EXPECT_TRUE(m_db->hasPendingChanges());
}

// Each edit goes through lookups that earlier statements built on (SID, FREQUENCY): the row
// leaves the key it had and is found under its new one, and a computed field keeps showing
// its own value, not a column of the base row.
TEST_F(RecordsetTest, EditsMoveLookupKeysAndKeepComputedFields) {
    auto find = [&](int sid, int frequency) {
        return column("SELECT NAME FROM CHANNELS WHERE SID = " + std::to_string(sid) +
                      " AND FREQUENCY = " + std::to_string(frequency));
    };
    ASSERT_EQ(find(200, 12722), Strings{"Sport1"});
    Recordset rs = m_db->openRecordset(
        "SELECT NAME, SID, FREQUENCY, CHANNELNUM + 1 AS NEXTNUM FROM CHANNELS WHERE CHANNELNUM = 5",
        RecordsetType::Dynaset);
    struct Step {
        const char* name;
        int sid;
        int frequency;
    };
    const Step steps[] = {
        {"Sport 2", 200, 12722},  // no key column changes
        {"Sport 2", 200, 12723},  // one of them does
        {"Sport 3", 201, 12480},  // both, to values another row has one of
        {"Sport 3", 200, 12722},  // back to the first key
    };
    int sid = 200, frequency = 12722;
    for (const Step& step : steps) {
        rs.edit();
        // A statement that changes the row between Edit and Update: the edit still wins,
        // and the lookups follow the row from the key the statement gave it.
        if (step.sid == 201) {
            m_db->execute("UPDATE CHANNELS SET FREQUENCY = 12999 WHERE CHANNELNUM = 5");
            ASSERT_EQ(find(sid, 12999), Strings{"Sport 2"});
            frequency = 12999;
        }
        rs.field("NAME").setValue(step.name);
        rs.field("SID").setValue(std::to_string(step.sid));
        rs.field("FREQUENCY").setValue(std::to_string(step.frequency));
        rs.update();
        if (sid != step.sid || frequency != step.frequency) {
            EXPECT_EQ(find(sid, frequency), Strings{}) << step.name;
        }
        sid = step.sid;
        frequency = step.frequency;
        EXPECT_EQ(find(sid, frequency), Strings{step.name});
        EXPECT_EQ(find(200, 12480), Strings{"Sport1"});
        EXPECT_EQ(rs.field("NAME").text(), step.name);
        EXPECT_EQ(rs.field("NEXTNUM").text(), "6") << step.name;
    }
    // The key the statement gave the row in between is free again.
    m_db->execute("UPDATE CHANNELS SET FREQUENCY = 12999 WHERE CHANNELNUM = 4");
    EXPECT_EQ(find(200, 12999), Strings{"Sport1"});
}

TEST_F(RecordsetTest, AssignmentsConvertWithJetErrors) {
    Recordset rs = m_db->openRecordset("SELECT * FROM FAVNAME", RecordsetType::Dynaset);
    rs.edit();
    EXPECT_EQ(guarded([&] { rs.field(1).setValue("abc"); }), 3421);
    EXPECT_EQ(guarded([&] { rs.field(0).setValue(std::string(51, 'x')); }), 3163);
    rs.field(0).setValue(std::string(50, 'x'));
    rs.cancelUpdate();
    EXPECT_EQ(rs.field(0).text(), "News");
    EXPECT_EQ(guarded([&] { rs.field(0).setValue("x"); }), 3020);
    EXPECT_EQ(guarded([&] { rs.update(); }), 3020);

    // An empty text is no number; Null must be said.
    rs.edit();
    EXPECT_EQ(guarded([&] { rs.field(1).setValue(""); }), 3421);
    rs.field(1).setNull();
    EXPECT_TRUE(rs.field(1).isNull());
    rs.cancelUpdate();

    // A number for the engine to convert is rounded for a whole-number field.
    rs.edit();
    rs.field(1).setNumber(7.0);
    rs.update();
    EXPECT_EQ(column("SELECT FAVNUM FROM FAVNAME WHERE FAVNAME = 'News'"), Strings{"7"});
}

TEST_F(RecordsetTest, UpdateRefusesDuplicateKeysAndKeepsTheEditPending) {
    Recordset rs = m_db->openRecordset(
        "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SID = 200 AND "
        "FREQUENCY = 12722",
        RecordsetType::Dynaset);
    rs.edit();
    rs.field("FREQUENCY").setValue("12480");
    EXPECT_EQ(rs.tryUpdate(), 3022);
    EXPECT_EQ(rs.editMode(), EditMode::Edit);
    rs.cancelUpdate();
    EXPECT_EQ(rs.field("FREQUENCY").text(), "12722");

    rs.addNew();
    rs.field("CHANNELNUM").setValue("8");
    rs.field("SID").setValue("900");
    rs.field("NID").setValue("9");
    rs.field("FREQUENCY").setValue("10000");
    EXPECT_EQ(rs.tryUpdate(), 3058);  // SOURCEID, part of the key, is Null
    rs.cancelUpdate();
    EXPECT_EQ(column("SELECT Count(*) FROM CHANNELS"), Strings{"7"});
}

TEST_F(RecordsetTest, AddNewAppendsARecordAndKeepsTheCursor) {
    // The groups view adds NEW1, NEW2, ... to FAVNAME through a dynaset.
    Recordset rs = m_db->openRecordset("SELECT * FROM FAVNAME", RecordsetType::Dynaset,
                                       recordset_option::kInconsistent, LockType::Optimistic);
    rs.addNew();
    rs.field(0).setValue("NEW1");
    rs.field(1).setValue("4");
    rs.update();
    EXPECT_EQ(rs.field(0).text(), "News");
    rs.moveLast();
    EXPECT_EQ(rs.field(0).text(), "NEW1");
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(column("SELECT FAVNAME FROM FAVNAME"), (Strings{"News", "Sport", "Kids", "NEW1"}));
}

TEST_F(RecordsetTest, DeleteLeavesAHoleAndMovesOn) {
    Recordset rs = m_db->openRecordset("SELECT CHANNELNUM FROM CHANNELS", RecordsetType::Dynaset);
    rs.moveNext();
    rs.deleteCurrent();
    EXPECT_EQ(guarded([&] { (void)rs.field(0).value(); }), 3167);
    EXPECT_EQ(rs.tryDeleteCurrent(), 3167);
    rs.moveNext();
    EXPECT_EQ(rs.field(0).text(), "3");
    rs.moveLast();
    EXPECT_EQ(rs.recordCount(), 6);
    EXPECT_EQ(column("SELECT Count(*) FROM CHANNELS"), Strings{"6"});
}

// A reader of whole records sees what a read of each field gives: a snapshot's outer-join
// Nulls, a dynaset's base table as it is now, an edit's assignments; no record, no values.
TEST_F(RecordsetTest, CurrentValuesAreTheFieldsValues) {
    struct Case {
        const char* what;
        RecordsetType type;
        const char* sql;
        void (*before)(Recordset&);
    };
    const Case cases[] = {
        {"snapshot over a join", RecordsetType::Snapshot,
         "SELECT CHANNELS.NAME, FAVOURITE.FAVNAME, FAVOURITE.NUM, CHANNELS.SID FROM CHANNELS "
         "LEFT JOIN FAVOURITE ON CHANNELS.SID = FAVOURITE.SID",
         nullptr},
        {"dynaset", RecordsetType::Dynaset, "SELECT NAME, SID, CHANNELNUM + 1 AS n FROM CHANNELS",
         nullptr},
        {"edit", RecordsetType::Dynaset, "SELECT NAME, SID FROM CHANNELS",
         [](Recordset& rs) {
             rs.edit();
             rs.field("NAME").setValue("edited");
         }},
    };
    for (const Case& c : cases) {
        Recordset rs = m_db->openRecordset(c.sql, c.type);
        if (c.type == RecordsetType::Dynaset)
            m_db->execute("UPDATE CHANNELS SET NAME = 'later' WHERE SID = 100");
        int records = 0;
        bool sawNull = false;
        for (; !rs.eof(); rs.moveNext(), ++records) {
            if (c.before)
                c.before(rs);
            const std::span<const store::Value> values = rs.currentValues();
            ASSERT_EQ(values.size(), static_cast<size_t>(rs.fields().count())) << c.what;
            for (int k = 0; k < rs.fields().count(); ++k) {
                EXPECT_EQ(values[static_cast<size_t>(k)], rs.field(k).value())
                    << c.what << ", record " << records << ", field " << k;
                sawNull = sawNull || store::isNull(values[static_cast<size_t>(k)]);
            }
        }
        EXPECT_EQ(records, 7) << c.what;
        EXPECT_EQ(sawNull, c.type == RecordsetType::Snapshot) << c.what;
        EXPECT_EQ(guarded([&] { (void)rs.currentValues(); }), 3021) << c.what;
        m_db->rollback();
    }
    Recordset rs = m_db->openRecordset("SELECT NAME FROM CHANNELS", RecordsetType::Dynaset);
    rs.deleteCurrent();
    EXPECT_EQ(guarded([&] { (void)rs.currentValues(); }), 3167);
}

TEST_F(RecordsetTest, JoinsAndGroupsAreReadOnly) {
    Recordset rs = m_db->openRecordset(
        "SELECT FAVOURITE.NUM, CHANNELS.NAME FROM FAVOURITE INNER JOIN CHANNELS ON "
        "FAVOURITE.SID = CHANNELS.SID",
        RecordsetType::Dynaset);
    EXPECT_FALSE(rs.isUpdatable());
    EXPECT_EQ(guarded([&] { rs.edit(); }), 3027);
    Recordset computed = m_db->openRecordset("SELECT NAME, CHANNELNUM + 1 AS n FROM CHANNELS");
    computed.edit();
    EXPECT_EQ(guarded([&] { computed.field("n").setValue("1"); }), 3164);
    computed.cancelUpdate();
}

TEST_F(RecordsetTest, TableRecordsetHasEveryColumnAndCountsAtOnce) {
    Recordset rs = m_db->openRecordset("CHANNELS");
    EXPECT_EQ(rs.type(), RecordsetType::Table);
    EXPECT_EQ(rs.fields().count(), 10);
    EXPECT_EQ(rs.field(9).name(), "AUDIOID");
    EXPECT_EQ(rs.recordCount(), 7);
    rs.edit();
    rs.field("AUDIOID").setValue("5");
    rs.update();
    EXPECT_EQ(column("SELECT AUDIOID FROM CHANNELS WHERE CHANNELNUM = 1"), Strings{"5"});
    EXPECT_EQ(guarded([&] { (void)m_db->openRecordset("NOSUCH"); }), 3078);
    EXPECT_EQ(
        guarded([&] { (void)m_db->openRecordset("SELECT * FROM FAVNAME", RecordsetType::Table); }),
        3001);
}

// A live set keeps its base table between calls; a rollback puts a new table object in its
// place and a drop takes it away, and the set must notice both.
TEST_F(RecordsetTest, LiveSetFollowsItsTableThroughRollbackAndDrop) {
    struct Case {
        const char* what;
        void (*replace)(Database&);
        int errorAfter;  // 0: the set reads and edits the restored table
    };
    const Case cases[] = {
        {"rollback", [](Database& db) { db.rollback(); }, 0},
        {"drop", [](Database& db) { db.tableDefs().deleteTable("CHANNELS"); }, 3078},
    };
    m_db->commit();
    for (const Case& c : cases) {
        Recordset rs = m_db->openRecordset("SELECT CHANNELNUM, NAME FROM CHANNELS WHERE SID = 100",
                                           RecordsetType::Dynaset);
        m_db->execute("UPDATE CHANNELS SET NAME = 'changed' WHERE SID = 100");
        ASSERT_EQ(rs.field("NAME").text(), "changed") << c.what;
        c.replace(*m_db);
        if (c.errorAfter != 0) {
            EXPECT_EQ(guarded([&] { (void)rs.field("NAME").text(); }), c.errorAfter) << c.what;
            EXPECT_EQ(guarded([&] { rs.edit(); }), c.errorAfter) << c.what;
            m_db->rollback();
            continue;
        }
        EXPECT_EQ(rs.field("NAME").text(), "ORF1") << c.what;
        rs.edit();
        rs.field("NAME").setValue("ORF 1");
        rs.update();
        EXPECT_EQ(column("SELECT NAME FROM CHANNELS WHERE SID = 100"), Strings{"ORF 1"}) << c.what;
        m_db->rollback();
    }
}

TEST_F(RecordsetTest, ClosedObjectsFailWith3420) {
    Recordset rs = m_db->openRecordset("FAVNAME");
    rs.close();
    EXPECT_EQ(guarded([&] { (void)rs.eof(); }), 3420);
    Recordset other = m_db->openRecordset("FAVNAME");
    m_db->close();
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(guarded([&] { (void)other.field(0).text(); }), 3420);
    EXPECT_EQ(guarded([&] { m_db->execute("DELETE FROM FAVNAME"); }), 3420);
}

}  // namespace
}  // namespace velmora::engine::dao
