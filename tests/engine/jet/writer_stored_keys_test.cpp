// Keys Access wrote are never replaced by keys of ours that differ. A row whose index entry
// differs from the key built for it (here: the row's key column changed behind the index's
// back, as a stand-in for a key Access builds by a rule we do not reproduce) makes a commit
// that rewrites its table and a compaction refuse, naming the table and the index, and the
// file stays byte for byte as it was; the same change on the untouched file goes through.
// The stored row decides, whatever the session did to the row in memory: deleted it or set its
// key back to the entry's. A change of another column of that row changes no entry: the row is
// written where it is and the index stays as it was; a row added by a later commit of the
// same session is refused all the same, though that commit forgot where the rows were read.
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

// Gives the first row of Table1 another CD_AGENTE in its data page, leaving the index alone;
// `old` is the value the index entry was built from.
void changeKeyColumnBehindTheIndex(const std::string& path, int64_t& old) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    size_t at = 0;
    {
        auto db = JetDatabase::open(path, io::Env::real());
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
    old = int32_t(getU32(bytes, at));
    putU32(bytes, at, 777777);
    writeFileBytes(path, bytes);
}

// What the session does to Table1 before the commit that rewrites it.
enum class Edit {
    Compact,                // no commit: a compacted copy
    AddRow,                 // a new row; the first row as read
    DeleteFirst,            // the first row deleted
    RestoreKey,             // the first row's CD_AGENTE set to the value its entry was built from
    OtherColumn,            // the first row's RS_AGENTE changed
    OtherColumnThenAddRow,  // that, committed, then a new row
};

struct Case {
    const char* fixture;
    bool changed;
    Edit edit;
};

class StoredKeys : public ::testing::TestWithParam<Case> {};

TEST_P(StoredKeys, AnEntryThatDiffersFromOurKeyRefusesTheRebuild) {
    const Case& c = GetParam();
    if (!std::filesystem::exists(writerFixtureDir() / c.fixture))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    TempDir dir;
    const std::string path = dir.copyFixture(c.fixture);
    int64_t entryValue = 0;
    if (c.changed)
        changeKeyColumnBehindTheIndex(path, entryValue);
    std::vector<uint8_t> before = readFileBytes(path);

    Status s;
    const std::string copy = (dir.path() / "compacted.mdb").string();
    if (c.edit == Edit::Compact) {
        s = compactDatabase(io::Env::real(), path, copy).status();
    } else {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto table = (*db)->table("Table1");
        ASSERT_TRUE(table.isOk());
        store::Table& t = **table;
        const store::RowRules& rules = (*db)->rowRules();
        store::Row first = t.row(0);
        switch (c.edit) {
            case Edit::OtherColumnThenAddRow:
                first[1] = store::Value(std::string("other"));
                ASSERT_TRUE(store::updateRow(t, 0, first, rules).isOk());
                ASSERT_TRUE((*db)->commit().isOk());
                before = readFileBytes(path);
                [[fallthrough]];
            case Edit::AddRow: {
                store::Row row{store::Value(int64_t(424242)), store::Value(std::string("new")),
                               store::Value(std::string("row"))};
                ASSERT_TRUE(store::insertRow(t, std::move(row), rules).isOk());
                break;
            }
            case Edit::DeleteFirst:
                ASSERT_TRUE(store::deleteRow(t, 0).isOk());
                break;
            case Edit::RestoreKey:
                if (c.changed)
                    first[0] = store::Value(entryValue);
                ASSERT_TRUE(store::updateRow(t, 0, first, rules).isOk());
                break;
            case Edit::OtherColumn:
                first[1] = store::Value(std::string("other"));
                ASSERT_TRUE(store::updateRow(t, 0, first, rules).isOk());
                break;
            case Edit::Compact:
                break;
        }
        // An update to the values the row holds changes nothing, and nothing is written.
        const bool rewritten = t.isDirty();
        s = (*db)->commit();
        if (!rewritten) {
            EXPECT_EQ(readFileBytes(path), before) << "an unchanged table was written";
        }
        if (s.isOk() && rewritten) {
            // The table was written anew: where its rows were read says nothing any more.
            EXPECT_EQ(t.storedRowCount(), 0u);
            for (store::RowId id = 0; id < t.idLimit(); ++id)
                EXPECT_EQ(t.storedAt(id), 0u) << "row " << id;
        }
    }
    if (!c.changed) {
        EXPECT_TRUE(s.isOk()) << s.toString();
        return;
    }
    if (c.edit == Edit::OtherColumn) {
        // No entry changes: the row is written in its slot, every index page stays as it was.
        EXPECT_TRUE(s.isOk()) << s.toString();
        const std::vector<uint8_t> after = readFileBytes(path);
        const size_t page = c.fixture == std::string("compIndexTestV1997.mdb") ? 2048 : 4096;
        ASSERT_EQ(after.size(), before.size());
        for (size_t at = 0; at < before.size(); at += page) {
            if (before[at] == 0x03 || before[at] == 0x04) {
                EXPECT_TRUE(std::equal(before.begin() + long(at), before.begin() + long(at + page),
                                       after.begin() + long(at)))
                    << "index page " << at / page << " changed";
            }
        }
        EXPECT_NE(after, before) << "the row was not written";
        return;
    }
    EXPECT_EQ(s.code(), err::kOperationNotSupported) << s.toString();
    EXPECT_NE(s.message().find("table 'Table1'"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("index 'CD_AGENTE'"), std::string::npos) << s.message();
    EXPECT_EQ(readFileBytes(path), before) << "the file changed";
    EXPECT_FALSE(std::filesystem::exists(copy)) << "a compacted copy was left";
}

INSTANTIATE_TEST_SUITE_P(BothVersions, StoredKeys,
                         ::testing::Values(Case{"compIndexTestV2000.mdb", false, Edit::AddRow},
                                           Case{"compIndexTestV2000.mdb", true, Edit::AddRow},
                                           Case{"compIndexTestV1997.mdb", true, Edit::AddRow},
                                           Case{"compIndexTestV2000.mdb", false, Edit::DeleteFirst},
                                           Case{"compIndexTestV2000.mdb", true, Edit::DeleteFirst},
                                           Case{"compIndexTestV2000.mdb", false, Edit::RestoreKey},
                                           Case{"compIndexTestV2000.mdb", true, Edit::RestoreKey},
                                           Case{"compIndexTestV1997.mdb", true, Edit::RestoreKey},
                                           Case{"compIndexTestV2000.mdb", false, Edit::OtherColumn},
                                           Case{"compIndexTestV2000.mdb", true, Edit::OtherColumn},
                                           Case{"compIndexTestV2000.mdb", true,
                                                Edit::OtherColumnThenAddRow},
                                           Case{"compIndexTestV2000.mdb", false, Edit::Compact},
                                           Case{"compIndexTestV2000.mdb", true, Edit::Compact},
                                           Case{"compIndexTestV1997.mdb", true, Edit::Compact}));

}  // namespace
}  // namespace velmora::engine::jet
