// Query definitions: a statement parsed once and run with new parameter values must find, and
// change, exactly what its text with the values written in finds and changes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "winstb_database.h"

namespace velmora::engine::dao {
namespace {

using store::Value;

// Every row of the set from where it stands, its fields as text joined by '|'.
std::vector<std::string> rowsOf(Recordset& rs) {
    std::vector<std::string> out;
    for (; !rs.eof(); rs.moveNext()) {
        std::string line;
        for (int k = 0; k < rs.fields().count(); ++k)
            line += (k ? "|" : "") + (rs.field(k).isNull() ? "NULL" : rs.field(k).text());
        out.push_back(line);
    }
    return out;
}
std::vector<std::string> rowsOf(Recordset&& rs) {
    return rowsOf(rs);
}

constexpr char kSelect[] = "SELECT CHANNELNUM, NAME FROM CHANNELS WHERE ";

TEST(QueryDef, FindsWhatTheTextWithItsValuesFinds) {
    auto db = testing::openWinStb({.primaryKey = false}).db;
    db->execute("UPDATE CHANNELS SET SOURCEID = 'O''Brien' WHERE CHANNELNUM = 7");
    QueryDef q = db->createQueryDef(
        std::string("PARAMETERS pSource Text, pSid Double, pFrequency Double; ") + kSelect +
        "SOURCEID = pSource AND SID = pSid AND FREQUENCY = pFrequency");
    EXPECT_EQ(q.parameterCount(), 3);
    struct Case {
        Value source, sid, frequency;
        const char* literals;  // the same condition as text
    };
    const std::vector<Case> cases = {
        {Value(std::string("S19E")), Value(int64_t(200)), Value(int64_t(12722)),
         "SOURCEID = 'S19E' AND SID = 200 AND FREQUENCY = 12722"},
        // Text compares by the collation, and a number as text converts.
        {Value(std::string("s19e")), Value(std::string("100")), Value(11953.0),
         "SOURCEID = 's19e' AND SID = 100 AND FREQUENCY = 11953"},
        {Value(std::string("O'Brien")), Value(int64_t(301)), Value(int64_t(11000)),
         "SOURCEID = 'O''Brien' AND SID = 301 AND FREQUENCY = 11000"},
        // A value between whole numbers finds nothing, nor does Null.
        {Value(std::string("S19E")), Value(100.5), Value(int64_t(11953)),
         "SOURCEID = 'S19E' AND SID = 100.5 AND FREQUENCY = 11953"},
        {Value(std::string("S19E")), Value(store::Null{}), Value(int64_t(11953)),
         "SOURCEID = 'S19E' AND SID = Null AND FREQUENCY = 11953"},
    };
    // One dynaset is opened for the first case and requeried for each after it: run again
    // over the rows and storage of the case before, it finds what a new set finds.
    std::optional<Recordset> requeried;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.literals);
        q.setParameter("pSource", c.source);
        q.setParameter("PSID", c.sid);  // names ignore letter case
        q.setParameter("pFrequency", c.frequency);
        const auto expected = rowsOf(db->openRecordset(std::string(kSelect) + c.literals));
        EXPECT_EQ(rowsOf(q.openRecordset(RecordsetType::Snapshot)), expected);
        if (requeried)
            requeried->requery();
        else
            requeried.emplace(q.openRecordset(RecordsetType::Dynaset));
        EXPECT_EQ(rowsOf(*requeried), expected);
    }
    // The last non-empty answer was not a fluke of the cases: ORF1 is found once more, by a
    // new set and by the one requeried after the empty answers.
    q.setParameter("pSource", Value(std::string("S19E")));
    q.setParameter("pSid", Value(int64_t(100)));
    q.setParameter("pFrequency", Value(int64_t(11953)));
    EXPECT_EQ(rowsOf(q.openRecordset()), std::vector<std::string>{"1|ORF1"});
    requeried->requery();
    EXPECT_EQ(rowsOf(*requeried), std::vector<std::string>{"1|ORF1"});
}

// Requery runs the statement again as it stands: a text reads the table's rows now, a query
// definition its parameters' values now; the set starts on its first row with no edit
// pending, and a run that fails leaves it empty. A table's set has no statement to run.
TEST(QueryDef, RequeryRunsTheStatementAgain) {
    auto db = testing::openWinStb({.primaryKey = false}).db;
    const std::string three = std::string(kSelect) + "CHANNELNUM = 3";
    Recordset copy = db->openRecordset(three, RecordsetType::Snapshot);
    const std::vector<std::string> before = rowsOf(db->openRecordset(three));
    db->execute("UPDATE CHANNELS SET NAME = 'Three' WHERE CHANNELNUM = 3");
    ASSERT_NE(before, std::vector<std::string>{"3|Three"});
    EXPECT_EQ(rowsOf(copy), before);  // a snapshot keeps what it copied
    copy.requery();
    EXPECT_EQ(rowsOf(copy), std::vector<std::string>{"3|Three"});

    QueryDef byNum =
        db->createQueryDef(std::string("PARAMETERS pNum Long; ") + kSelect + "CHANNELNUM = pNum");
    byNum.setParameter("pNum", Value(int64_t(3)));
    Recordset rs = byNum.openRecordset(RecordsetType::Dynaset);
    rs.edit();
    rs.field("NAME").setValue("Never stored");
    byNum.setParameter("pNum", Value(int64_t(5)));
    rs.requery();
    EXPECT_EQ(rs.editMode(), EditMode::None);
    EXPECT_EQ(rs.field("CHANNELNUM").text(), "5");
    EXPECT_EQ(rowsOf(db->openRecordset(three)), std::vector<std::string>{"3|Three"});

    QueryDef divided =
        db->createQueryDef("PARAMETERS pBy Long; SELECT CHANNELNUM / pBy FROM CHANNELS");
    divided.setParameter("pBy", Value(int64_t(1)));
    Recordset quotients = divided.openRecordset(RecordsetType::Snapshot);
    ASSERT_FALSE(quotients.eof());
    divided.setParameter("pBy", Value(int64_t(0)));
    EXPECT_EQ(guarded([&] { quotients.requery(); }), 11);
    EXPECT_TRUE(quotients.eof());
    divided.setParameter("pBy", Value(int64_t(1)));
    quotients.requery();
    EXPECT_FALSE(quotients.eof());

    Recordset table = db->openRecordset("CHANNELS");
    EXPECT_EQ(guarded([&] { table.requery(); }), 3251);
    rs.close();
    EXPECT_EQ(guarded([&] { rs.requery(); }), 3420);
}

TEST(QueryDef, ChangesGoThroughItsDynasetAndActionStatements) {
    auto db = testing::openWinStb({.primaryKey = false}).db;
    QueryDef find =
        db->createQueryDef(std::string("PARAMETERS pNum Long; ") + kSelect + "CHANNELNUM = pNum");
    for (int n : {3, 5}) {
        find.setParameter("pNum", Value(int64_t(n)));
        Recordset rs = find.openRecordset(RecordsetType::Dynaset);
        ASSERT_FALSE(rs.eof());
        rs.edit();
        rs.field(1).setValue("Renamed " + std::to_string(n));
        rs.update();
    }
    QueryDef rename = db->createQueryDef(
        "PARAMETERS pName Text, pNum Long; UPDATE CHANNELS SET NAME = pName WHERE CHANNELNUM = "
        "pNum");
    rename.setParameter("pName", Value(std::string("Seven")));
    rename.setParameter("pNum", Value(int64_t(7)));
    rename.execute();
    EXPECT_EQ(rowsOf(db->openRecordset(std::string(kSelect) + "CHANNELNUM IN (3, 5, 7)")),
              (std::vector<std::string>{"3|Renamed 3", "5|Renamed 5", "7|Seven"}));
}

TEST(QueryDef, RefusesWhatDaoRefuses) {
    auto db = testing::openWinStb({.primaryKey = false}).db;
    const std::string byNum = std::string("PARAMETERS pNum Long; ") + kSelect + "CHANNELNUM = pNum";
    QueryDef q = db->createQueryDef(byNum);
    EXPECT_EQ(guarded([&] { (void)q.openRecordset(); }), 3061);  // no value yet
    EXPECT_EQ(guarded([&] { q.setParameter("pOther", Value(int64_t(1))); }), 3265);
    EXPECT_EQ(guarded([&] { q.setParameter("pNum", Value(std::string("seven"))); }), 3421);
    EXPECT_EQ(guarded([&] { (void)q.openRecordset(RecordsetType::Table); }), 3001);
    // Declared parameters need a query definition; a malformed clause is no statement.
    EXPECT_EQ(guarded([&] { (void)db->openRecordset(byNum); }), 3061);
    for (const char* bad : {"PARAMETERS pNum Long SELECT * FROM CHANNELS",
                            "PARAMETERS pNum Widget; SELECT * FROM CHANNELS",
                            "PARAMETERS pNum Long, pnum Text; SELECT * FROM CHANNELS"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(guarded([&] { (void)db->createQueryDef(bad); }), 3129);
    }
}

}  // namespace
}  // namespace velmora::engine::dao
