// Keys Access wrote are never replaced by keys of ours that differ. A row whose index entry
// differs from the key built for it (here: the row's key column changed behind the index's
// back, as a stand-in for a key Access builds by a rule we do not reproduce) makes a commit
// that rewrites its table and a compaction refuse, naming the table and the index, and the
// file stays byte for byte as it was; the same change on the untouched file goes through.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;

// Gives the first row of Table1 another CD_AGENTE in its data page, leaving the index alone.
void changeKeyColumnBehindTheIndex(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    size_t at = 0;
    {
        auto db = JetDatabase::open(path, io::Env::posix());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        JetStorage& storage = (*db)->reader();
        auto def = storage.tableDefinition("Table1");
        auto rows = storage.tableRows("Table1");
        auto pages = storage.tableDataPages("Table1");
        ASSERT_TRUE(def.isOk() && rows.isOk() && pages.isOk());
        const RowPointer where = rows->locations.front().stored;
        const auto column = def->schema.findColumn("CD_AGENTE");
        ASSERT_TRUE(column);
        for (const DataPage& p : *pages) {
            if (p.number == where.page) {
                at = size_t(p.number) * storage.format().pageSize + p.slots[where.row].offset +
                     storage.format().rowCountSize + def->schema.columns[*column].fixedOffset;
            }
        }
        ASSERT_NE(at, 0u);
    }
    putU32(bytes, at, 777777);
    writeFileBytes(path, bytes);
}

struct Case {
    const char* fixture;
    bool changed;
    bool compact;  // else: a commit that rewrites Table1
};

class StoredKeys : public ::testing::TestWithParam<Case> {};

TEST_P(StoredKeys, AnEntryThatDiffersFromOurKeyRefusesTheRebuild) {
    const Case& c = GetParam();
    if (!std::filesystem::exists(writerFixtureDir() / c.fixture))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    TempDir dir;
    const std::string path = dir.copyFixture(c.fixture);
    if (c.changed)
        changeKeyColumnBehindTheIndex(path);
    const std::vector<uint8_t> before = readFileBytes(path);

    Status s;
    const std::string copy = (dir.path() / "compacted.mdb").string();
    if (c.compact) {
        s = compactDatabase(io::Env::posix(), path, copy).status();
    } else {
        auto db = openStoreDatabase(path, io::Env::posix());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto table = (*db)->table("Table1");
        ASSERT_TRUE(table.isOk());
        store::Row row{store::Value(int64_t(424242)), store::Value(std::string("new")),
                       store::Value(std::string("row"))};
        ASSERT_TRUE(store::insertRow(**table, std::move(row), (*db)->rowRules()).isOk());
        s = (*db)->commit();
    }
    if (!c.changed) {
        EXPECT_TRUE(s.isOk()) << s.toString();
        return;
    }
    EXPECT_EQ(s.code(), err::kOperationNotSupported) << s.toString();
    EXPECT_NE(s.message().find("table 'Table1'"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("index 'CD_AGENTE'"), std::string::npos) << s.message();
    EXPECT_EQ(readFileBytes(path), before) << "the file changed";
    EXPECT_FALSE(std::filesystem::exists(copy)) << "a compacted copy was left";
}

INSTANTIATE_TEST_SUITE_P(BothVersions, StoredKeys,
                         ::testing::Values(Case{"compIndexTestV2000.mdb", false, false},
                                           Case{"compIndexTestV2000.mdb", true, false},
                                           Case{"compIndexTestV1997.mdb", true, false},
                                           Case{"compIndexTestV2000.mdb", false, true},
                                           Case{"compIndexTestV2000.mdb", true, true},
                                           Case{"compIndexTestV1997.mdb", true, true}));

}  // namespace
}  // namespace velmora::engine::jet
