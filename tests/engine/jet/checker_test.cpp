// The structural check tells what Access itself leaves in a file from damage. A table
// definition whose row count is off (Access left 274 over 275 live rows in a Jet 4 file) is a
// note and the check passes; our writer then stores the true count. A wrong free-space field
// on a data page stays a problem, and so does an index entry that points where no row lives
// or holds another key than its row's. Runs in memory over copies of real fixtures.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/base/coding.h"
#include "engine/io/memory_env.h"
#include "engine/jet/checker.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/jet_storage.h"
#include "engine/store/constraints.h"
#include "reader_fixtures.h"

namespace velmora::engine::jet {
namespace {

const char* const kPath = "/db.mdb";

using testing::readFixture;

Result<CheckReport> checkFile(io::Env& env) {
    VELMORA_ASSIGN_OR_RETURN(auto db, openDatabase(kPath, env));
    return checkDatabase(*db);
}

struct Damage {
    const char* fixture;
    const char* table;
    // The first entry of the first index's first leaf: its row number, or the last byte of
    // its key (the first entry is stored whole; the bytes after the shared prefix are its own).
    enum { RowCount, FreeSpace, EntryRow, EntryKey } field;
    int delta;
    bool isProblem;
};

class CheckerFindings : public ::testing::TestWithParam<Damage> {};

TEST_P(CheckerFindings, QuirksAreNotesAndDamageIsAProblem) {
    const Damage& d = GetParam();
    if (!testing::haveFixtures())
        GTEST_SKIP() << "the shared fixtures are absent: " << testing::fixtureDir();
    io::MemoryEnv env;
    std::vector<uint8_t>& bytes = env.contents(kPath);
    bytes = readFixture(d.fixture);
    ASSERT_FALSE(bytes.empty());
    size_t rowsFound = 0;
    {
        auto db = openDatabase(kPath, env);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        const JetFormat& fmt = (*db)->format();
        const CatalogEntry* entry = (*db)->findTable(d.table);
        ASSERT_NE(entry, nullptr);
        auto rows = (*db)->tableRows(d.table);
        ASSERT_TRUE(rows.isOk());
        rowsFound = rows->rows.size();
        size_t at = 0;
        if (d.field == Damage::RowCount) {
            at = size_t(entry->id) * fmt.pageSize + fmt.tdefRowCount;
            putU32(bytes, at, uint32_t(int64_t(getU32(bytes, at)) + d.delta));
        } else if (d.field == Damage::EntryRow || d.field == Damage::EntryKey) {
            auto def = (*db)->tableDefinition(d.table);
            ASSERT_TRUE(def.isOk() && !def->schema.realIndexes.empty());
            auto tree = (*db)->indexPages(def->schema.realIndexes[0]);
            ASSERT_TRUE(tree.isOk());
            auto leaf = std::find_if(tree->begin(), tree->end(),
                                     [](const IndexPage& p) { return p.isLeaf(); });
            ASSERT_TRUE(leaf != tree->end() && !leaf->entries.empty());
            const size_t keySize = leaf->entries.front().key.size();
            ASSERT_LT(leaf->prefixLength, keySize) << "the key's last byte is the entry's own";
            at = size_t(leaf->number) * fmt.pageSize + fmt.ixEntries +
                 (d.field == Damage::EntryRow ? keySize + 3 : keySize - 1);
            bytes[at] = uint8_t(bytes[at] + d.delta);
        } else {
            auto pages = (*db)->tableDataPages(d.table);
            ASSERT_TRUE(pages.isOk() && !pages->empty());
            at = size_t(pages->front().number) * fmt.pageSize + fmt.dataFreeSpace;
            putU16(bytes, at, uint16_t(getU16(bytes, at) + d.delta));
        }
    }
    auto report = checkFile(env);
    ASSERT_TRUE(report.isOk()) << report.status().toString();
    const auto& findings = d.isProblem ? report->problems : report->notes;
    ASSERT_EQ(findings.size(), 1u) << "one finding, of the expected kind";
    EXPECT_NE(findings[0].find(d.table), std::string::npos) << findings[0];
    EXPECT_EQ(findings[0].find('\n'), std::string::npos) << "one line per finding";
    EXPECT_EQ(report->ok(), !d.isProblem);
    if (d.field != Damage::RowCount)
        return;
    EXPECT_NE(findings[0].find("Access leaves such counts"), std::string::npos) << findings[0];

    // Our writer stores the true count: one row more than was found, whatever the
    // definition said.
    {
        OpenOptions options;
        options.useOsLocks = false;
        auto db = openStoreDatabase(kPath, env, options);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto table = (*db)->table(d.table);
        ASSERT_TRUE(table.isOk());
        store::Row row{store::Value(int64_t(900001)), store::Value(std::string("added")),
                       store::Value(std::string("row"))};
        ASSERT_TRUE(store::insertRow(**table, std::move(row), (*db)->rowRules()).isOk());
        ASSERT_TRUE((*db)->commit().isOk());
    }
    auto db = openDatabase(kPath, env);
    ASSERT_TRUE(db.isOk());
    auto def = (*db)->tableDefinition(d.table);
    ASSERT_TRUE(def.isOk());
    EXPECT_EQ(def->rowCount, rowsFound + 1);
    auto after = checkDatabase(**db);
    ASSERT_TRUE(after.isOk());
    EXPECT_TRUE(after->problems.empty() && after->notes.empty())
        << (after->problems.empty() ? after->notes : after->problems).front();
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CheckerFindings,
    ::testing::Values(Damage{"compIndexTestV2000.mdb", "Table1", Damage::RowCount, -1, false},
                      Damage{"compIndexTestV1997.mdb", "Table1", Damage::RowCount, +2, false},
                      Damage{"compIndexTestV2000.mdb", "Table1", Damage::FreeSpace, -4, true},
                      Damage{"compIndexTestV1997.mdb", "Table1", Damage::FreeSpace, +4, true},
                      Damage{"compIndexTestV2000.mdb", "Table1", Damage::EntryRow, +100, true},
                      Damage{"compIndexTestV1997.mdb", "Table1", Damage::EntryRow, +100, true},
                      Damage{"compIndexTestV2000.mdb", "Table1", Damage::EntryKey, -1, true},
                      Damage{"compIndexTestV1997.mdb", "Table1", Damage::EntryKey, -1, true}));

}  // namespace
}  // namespace velmora::engine::jet
