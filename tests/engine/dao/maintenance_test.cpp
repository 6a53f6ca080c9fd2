// Commands that walk a whole dynaset and write every record: renumbering after deleting the
// empty slots, stripping characters from every name, and ReNumber's write-back by identity.
#include <gtest/gtest.h>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "winstb_database.h"

namespace velmora::engine::dao {
namespace {

std::vector<std::string> texts(Database& db, const std::string& sql) {
    std::vector<std::string> out;
    Recordset rs = db.openRecordset(sql, RecordsetType::Snapshot);
    for (; !rs.eof(); rs.moveNext()) {
        std::string line;
        for (Field f : rs.fields())
            line += (line.empty() ? "" : "|") + f.text();
        out.push_back(line);
    }
    return out;
}

TEST(Maintenance, DeleteEmptyChannelsThenNumberInNaturalOrder) {
    auto db = testing::openWinStb().db;
    db->execute("UPDATE CHANNELS SET CHANNELNUM = 100 - CHANNELNUM");
    db->execute("DELETE * From CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))");
    Recordset rs = db->openRecordset("SELECT CHANNELNUM FROM CHANNELS", RecordsetType::Dynaset,
                                     recordset_option::kInconsistent, LockType::Optimistic);
    rs.moveFirst();
    for (int n = 1; !rs.eof(); ++n) {
        rs.edit();
        rs.field(0).setStoreValue(store::Value(int64_t{n}));
        rs.update();
        rs.moveNext();
    }
    rs.close();
    EXPECT_EQ(texts(*db, "SELECT CHANNELNUM, NAME FROM CHANNELS"),
              (std::vector<std::string>{"1|ORF1", "2|ORF2", "3|Ö1", "4|Sport1", "5|Sport1",
                                        "6|Radio X"}));
    // The assignments of the deleted channel's identity stay.
    EXPECT_EQ(texts(*db, "SELECT Count(*) FROM FAVOURITE"), std::vector<std::string>{"4"});
}

std::string withoutDaggers(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        // † is E2 80 A0, ‡ is E2 80 A1 in UTF-8.
        if (i + 2 < name.size() && name.compare(i, 2, "\xE2\x80") == 0 &&
            (name[i + 2] == '\xA0' || name[i + 2] == '\xA1')) {
            i += 2;
            continue;
        }
        out += name[i];
    }
    return out;
}

TEST(Maintenance, EveryNameIsRewritten) {
    auto db = testing::openWinStb().db;
    db->execute("UPDATE CHANNELS SET NAME = '  †ORF‡1 ' WHERE CHANNELNUM = 1");
    Recordset rs = db->openRecordset("SELECT NAME FROM CHANNELS", RecordsetType::Dynaset);
    rs.moveFirst();
    int written = 0;
    while (!rs.eof()) {
        std::string name = rs.field(0).text();
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        rs.edit();
        rs.field(0).setValue(withoutDaggers(name));
        rs.update();
        ++written;
        rs.moveNext();
    }
    EXPECT_EQ(written, 7);
    EXPECT_EQ(texts(*db, "SELECT NAME FROM CHANNELS WHERE CHANNELNUM = 1"),
              std::vector<std::string>{"ORF1"});
}

TEST(Maintenance, RenumberWritesEachRowByItsIdentity) {
    auto db = testing::openWinStb().db;
    // Both rows of the channel on two frequencies get the same number.
    const char* rows[][5] = {{"S19E", "200", "2", "12480", "4"},
                             {"S19E", "200", "2", "12722", "4"},
                             {"S13E", "301", "3", "11000", "5"}};
    for (const auto& r : rows) {
        Recordset rs = db->openRecordset(
            std::string("SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE ") +
                "SOURCEID = '" + r[0] + "' AND SID = " + r[1] + " AND NID = " + r[2] +
                " AND FREQUENCY = " + r[3],
            RecordsetType::Dynaset, recordset_option::kInconsistent, LockType::Optimistic);
        rs.edit();
        rs.field(0).setValue(r[4]);
        EXPECT_EQ(rs.tryUpdate(), 0);
        rs.close();
    }
    // A row that is not there: there is no record to edit.
    Recordset missing = db->openRecordset(
        "SELECT CHANNELNUM FROM CHANNELS WHERE SOURCEID = 'S99W' AND SID = 1 AND NID = 1 AND "
        "FREQUENCY = 1",
        RecordsetType::Dynaset);
    EXPECT_EQ(guarded([&] { missing.edit(); }), 3021);
    EXPECT_EQ(texts(*db, "SELECT CHANNELNUM FROM CHANNELS WHERE SID IN (200, 301)"),
              (std::vector<std::string>{"4", "4", "5"}));
}

}  // namespace
}  // namespace velmora::engine::dao
