// Shape changes in a Jet 3 (Access 97) file: a copy of an Access-made file gets a new index
// on a table with rows and a new table with text, memo and number columns, then loses that
// table again. After each step the structural check passes, mdbtools reads the new table and
// every table that was not touched reads exactly as before.
#include <gtest/gtest.h>

#include <map>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/schema_change.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
using store::ColumnType;

store::ColumnDef column(const char* name, ColumnType type, uint16_t length = 0) {
    store::ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

TEST(Jet3Schema, IndexAndTableAddedAndDropped) {
    if (!std::filesystem::exists(writerFixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    const std::string path = dir.copyFixture("testV1997.mdb");
    const std::vector<std::string> others = {"Table1", "Table2", "Table3", "Table4"};
    std::map<std::string, std::string> before;
    for (const auto& t : others)
        before[t] = mdbExport(path, t).out;
    const int kRows = 400;  // several 2 KB data pages and index levels
    size_t acesBefore = 0;
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        ASSERT_FALSE((*db)->isReadOnly()) << (*db)->readOnlyReason();
        acesBefore = (*(*db)->table("MSysACEs"))->liveRowCount();
        auto t1 = (*db)->table("Table1");
        ASSERT_TRUE(t1.isOk());
        NewIndex byE;
        byE.name = "ByE";
        byE.columns = {{(*t1)->schema().columns[*(*t1)->schema().findColumn("E")].number, false}};
        byE.unique = true;
        ASSERT_TRUE(addIndexToTable(**t1, byE, (*db)->rowRules()).isOk());

        store::TableSchema s;
        s.name = "FREQDUPS";
        s.columns = {column("Freq", ColumnType::Long), column("Name", ColumnType::Text, 100),
                     column("Note", ColumnType::Memo), column("Seen", ColumnType::Boolean)};
        for (uint16_t i = 0; i < s.columns.size(); ++i)
            s.columns[i].number = i;
        store::RealIndex byFreq;
        byFreq.columns = {{0, true}, {1, false}};
        byFreq.flags = store::index_flag::kUnique;
        s.realIndexes = {byFreq};
        store::LogicalIndex li;
        li.name = "ByFreq";
        s.logicalIndexes = {li};
        auto f = (*db)->createTable(s);
        ASSERT_TRUE(f.isOk()) << f.status().toString();
        // 50 characters fit, 51 do not: the size is in characters in a Jet 3 file.
        store::Row tooLong{int64_t(1), std::string(51, 'x'), store::Null{}, false};
        EXPECT_EQ(store::insertRow(**f, tooLong, (*db)->rowRules()).status().code(),
                  err::kFieldTooSmall);
        for (int i = 0; i < kRows; ++i) {
            store::Row r{int64_t(10700 + i), "Kanal \xC3\x84\xC3\x96\xC3\x9C " + std::to_string(i),
                         i % 3 == 0 ? store::Value(std::string(300 + i, 'm')) : store::Null{},
                         i % 2 == 0};
            auto id = store::insertRow(**f, r, (*db)->rowRules());
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        Status c = (*db)->commit();
        ASSERT_TRUE(c.isOk()) << c.toString();
    }
    ProcessResult check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    for (const auto& t : others)
        EXPECT_EQ(mdbExport(path, t).out, before[t]) << t;
    ProcessResult rows = mdbExport(path, "FREQDUPS");
    EXPECT_EQ(std::count(rows.out.begin(), rows.out.end(), '\n'), kRows + 1) << rows.out;
    EXPECT_NE(rows.out.find("11099,\"Kanal \xC3\x84\xC3\x96\xC3\x9C 399\",\"" +
                            std::string(300 + 399, 'm') + "\",0"),
              std::string::npos);
    std::string schema = runCommand("mdb-schema " + shellQuote(path) + " 2>&1").out;
    EXPECT_NE(schema.find("[Name]\t\t\tText (50)"), std::string::npos) << schema;

    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk());
        auto t1 = (*db)->table("Table1");
        ASSERT_TRUE(t1.isOk());
        EXPECT_EQ((*t1)->schema().logicalIndexes.size(), 3u);
        // Every column of a Jet 3 file carries the file's sort version word (1 here).
        auto made = (*db)->table("FREQDUPS");
        ASSERT_TRUE(made.isOk());
        for (const auto& c : (*made)->schema().columns)
            EXPECT_EQ(c.sortVersion, (*t1)->schema().columns.front().sortVersion) << c.name;
        EXPECT_EQ((*t1)->schema().columns.front().sortVersion, 1);
        ASSERT_TRUE((*db)->dropTable("FREQDUPS").isOk());
        ASSERT_TRUE((*db)->commit().isOk());
        EXPECT_EQ((*(*db)->table("MSysACEs"))->liveRowCount(), acesBefore);
    }
    check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(runCommand("mdb-tables -1 " + shellQuote(path)).out.find("FREQDUPS"),
              std::string::npos);
    for (const auto& t : others)
        EXPECT_EQ(mdbExport(path, t).out, before[t]) << t;
}

}  // namespace
}  // namespace velmora::engine::jet
