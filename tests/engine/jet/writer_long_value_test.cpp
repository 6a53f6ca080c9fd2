// Long values of a memo column in an Access-made table, committed where they are: each change
// writes the row's page and the LVAL pages of the values it adds or takes away, a value left
// alone keeps its rows. And of a memo column that has no usage maps of its own (the
// definition's list of long-value maps may leave a column out; readers then find its LVAL
// pages through the rows): saving new values into it again and again reuses the pages the
// old values held, so the file stops growing. Each time the values, the structure and
// mdbtools stay right.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "engine/base/coding.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/jet_storage.h"
#include "engine/store/constraints.h"
#include "kept_images.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

const char* const kFixture = "fixedNumericTestV2000.mdb";

struct MemoTarget {
    std::string table;
    size_t column = 0;
};

// A user table with rows and a memo column that the definition gives no usage maps.
std::optional<MemoTarget> memoWithoutMaps(JetStorage& storage) {
    for (const auto& info : storage.listTables()) {
        auto def = storage.tableDefinition(info.name);
        if (info.system || !def.isOk() || def->rowCount == 0)
            continue;
        const store::TableSchema& s = def->schema;
        for (size_t i = 0; i < s.columns.size(); ++i) {
            const auto& c = s.columns[i];
            bool mapped = std::any_of(s.longValueMaps.begin(), s.longValueMaps.end(),
                                      [&](const auto& m) { return m.columnNumber == c.number; });
            if (c.type == store::ColumnType::Memo && !mapped)
                return MemoTarget{info.name, i};
        }
    }
    return std::nullopt;
}

// Takes the memo column's entry out of the long-value map list of its table's definition (a
// single page), so that the column keeps its LVAL pages but has no maps.
void dropLongValueMaps(const std::string& path, const std::string& table) {
    std::vector<uint8_t> file = readFileBytes(path);
    {
        auto storage = openDatabase(path, io::Env::real());
        ASSERT_TRUE(storage.isOk());
        auto def = (*storage)->tableDefinition(table);
        ASSERT_TRUE(def.isOk());
        ASSERT_EQ(def->pages.size(), 1u);
        const auto& maps = def->schema.longValueMaps;
        ASSERT_EQ(maps.size(), 1u);
        // The list ends the stream: 10 bytes per entry, then FF FF.
        const size_t length = def->declaredLength;
        const size_t pageSize = (*storage)->format().pageSize;
        const size_t entry = size_t(def->pages[0]) * pageSize + length - 2 - 10 * maps.size();
        auto at = file.begin() + long(entry);
        file.erase(at, at + 10);
        file.insert(file.begin() + long(entry + 10 * maps.size() - 10 + 2), 10, 0);
        MutableBytes page(file.data() + size_t(def->pages[0]) * pageSize, pageSize);
        putU32(page, 8, uint32_t(length - 10));
        putU16(page, 2, uint16_t(pageSize - (length - 10) - 8));
    }
    writeFileBytes(path, file);
}

// The pages one commit wrote, by kind.
struct LongValueWrites {
    std::set<uint32_t> data;  // the table's data pages
    std::set<uint32_t> lval;  // LVAL pages
    size_t all = 0;
    uint64_t grownBy = 0;
};

struct MemoStep {
    const char* what;
    // Changes the table (col1 is the memo, col2 a number); `ids` are the rows, in order.
    std::function<Status(store::Table&, const store::RowRules&, std::vector<store::RowId>&)> apply;
    std::function<void(const LongValueWrites&)> expect;
};

Status setMemo(store::Table& t, const store::RowRules& rules, store::RowId id,
               std::optional<std::string> text) {
    store::Row r = t.row(id);
    r[0] = text ? store::Value(*text) : store::Value(store::Null{});
    return store::updateRow(t, id, r, rules);
}

TEST(WriterLongValues, MemoChangesWriteOnlyTheirRowsAndLongValuePages) {
    if (!fs::exists(writerFixtureDir() / kFixture))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    TempDir dir;
    const std::string path = dir.copyFixture(kFixture);
    auto jet = JetDatabase::open(path, io::Env::real());
    ASSERT_TRUE(jet.isOk()) << jet.status().toString();
    KeptImages images;
    keepCommitImages(**jet, images);
    store::Database db(std::move(jet).value());
    store::Table& table = **db.table("test");
    ASSERT_EQ(table.schema().columns[0].type, store::ColumnType::Memo);
    ASSERT_FALSE(table.schema().longValueMaps.empty()) << "the memo column has maps";
    const uint32_t tdef = table.schema().tdefPage;
    std::vector<store::RowId> ids;
    table.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });

    const std::vector<MemoStep> steps = {
        {"rows added with values inline, in one LVAL row and in chains",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids) {
             for (size_t length : {20u, 3000u, 9000u, 3000u, 9000u}) {
                 store::Row r = t.row(ids[0]);
                 r[0] = std::string(length, 'a');
                 VELMORA_ASSIGN_OR_RETURN(store::RowId id, store::insertRow(t, r, rules));
                 ids.push_back(id);
             }
             return Status::ok();
         },
         [](const LongValueWrites& w) {
             EXPECT_EQ(w.data.size(), 1u);
             EXPECT_GE(w.lval.size(), 2u);
         }},
        {"one value rewritten: its row's page and the LVAL pages of the old and new value",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids) {
             return setMemo(t, rules, ids[2], std::string(3100, 'b'));
         },
         [](const LongValueWrites& w) {
             EXPECT_EQ(w.data.size(), 1u);
             EXPECT_GE(w.lval.size(), 1u);
             EXPECT_LE(w.all, 8u) << "with the maps and page 1";
         }},
        {"a number beside a chain changed: the chain keeps its rows",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids) {
             store::Row r = t.row(ids[3]);
             r[1] = 42.0;
             return store::updateRow(t, ids[3], r, rules);
         },
         [](const LongValueWrites& w) {
             EXPECT_EQ(w.data.size(), 1u);
             EXPECT_TRUE(w.lval.empty());
             EXPECT_EQ(w.all, 1u);
         }},
        {"a chain set to Null and a row with a chain erased: their LVAL rows go, the file stays",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids) {
             VELMORA_RETURN_IF_ERROR(setMemo(t, rules, ids[3], std::nullopt));
             return store::deleteRow(t, ids[5]);
         },
         [](const LongValueWrites& w) {
             EXPECT_FALSE(w.lval.empty());
             EXPECT_EQ(w.grownBy, 0u);
         }},
        {"a long value made short goes inline",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids) {
             return setMemo(t, rules, ids[4], std::string("kurz"));
         },
         [](const LongValueWrites& w) {
             EXPECT_EQ(w.data.size(), 1u);
             EXPECT_FALSE(w.lval.empty()) << "the old value's pages";
             EXPECT_EQ(w.grownBy, 0u);
         }},
    };
    for (const MemoStep& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.apply(table, db.rowRules(), ids).isOk());
        std::vector<store::Row> expected;
        table.forEachLive([&](store::RowId, const store::Row& r) { expected.push_back(r); });
        images = {};
        Status s = db.commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
        LongValueWrites w;
        w.all = images.pages.size();
        w.grownBy = images.sizeAfter - images.sizeBefore;
        for (const CommittedPage& p : images.pages) {
            if (p.after[0] == 0x01 && getU32(p.after, 4) == tdef)
                w.data.insert(p.number);
            else if (p.after[0] == 0x01 && getU32(p.after, 4) == kLongValueOwner)
                w.lval.insert(p.number);
        }
        step.expect(w);

        auto reread = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(reread.isOk()) << reread.status().toString();
        std::vector<store::Row> got;
        (*(*reread)->table("test"))->forEachLive([&](store::RowId, const store::Row& r) {
            got.push_back(r);
        });
        EXPECT_EQ(got, expected);
        ProcessResult check = velmoraCheck(path);
        EXPECT_EQ(check.status, 0) << check.out;
        if (haveMdbTools()) {
            ProcessResult csv = mdbExport(path, "test");
            ASSERT_EQ(csv.status, 0) << csv.out;
            EXPECT_EQ(size_t(std::count(csv.out.begin(), csv.out.end(), '\n')),
                      expected.size() + 1);
            // mdbtools reads every value on LVAL pages, chains included.
            for (const store::Row& r : expected) {
                const auto* text = std::get_if<std::string>(&r[0]);
                if (text != nullptr && text->size() > 64) {
                    EXPECT_NE(csv.out.find(*text), std::string::npos) << text->size();
                }
            }
        }
    }
}

TEST(WriterLongValues, RepeatedSavesOfAMemoWithoutMapsReusePagesAndKeepTheFileBounded) {
    if (!fs::exists(writerFixtureDir() / kFixture))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    TempDir dir;
    const std::string path = dir.copyFixture(kFixture);
    OpenOptions noLocks;
    noLocks.useOsLocks = false;
    std::optional<MemoTarget> target;
    {
        auto db = JetDatabase::open(path, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto t = (*db)->reader().loadTable("test");
        ASSERT_TRUE(t.isOk()) << t.status().toString();
    }
    dropLongValueMaps(path, "test");
    {
        auto db = JetDatabase::open(path, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        target = memoWithoutMaps((*db)->reader());
    }
    ASSERT_TRUE(target.has_value()) << "the memo column still has its usage maps";

    std::vector<uint64_t> sizes;
    std::string last;
    for (int round = 0; round < 10; ++round) {
        auto db = openStoreDatabase(path, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto t = (*db)->table(target->table);
        ASSERT_TRUE(t.isOk());
        std::vector<store::RowId> ids;
        (*t)->forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
        // Single LVAL rows and chains, different in every round.
        for (size_t k = 0; k < ids.size(); ++k) {
            store::Row r = (*t)->row(ids[k]);
            size_t length = k % 2 ? 3000 : 9000;
            r[target->column] = std::string(length, char('a' + round));
            ASSERT_TRUE(store::updateRow(**t, ids[k], r, (*db)->rowRules()).isOk());
        }
        last = std::string(9000, char('a' + round));
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << "round " << round << ": " << s.toString();
        sizes.push_back(fs::file_size(path));
    }
    // Two generations of values live side by side at most: the new one, and the one the
    // commit released (free, but not reused by the same commit).
    EXPECT_LE(sizes.back(), sizes[2])
        << "the file grew from " << sizes[2] << " to " << sizes.back() << " bytes";

    auto db = openStoreDatabase(path, io::Env::real(), noLocks);
    ASSERT_TRUE(db.isOk());
    auto t = (*db)->table(target->table);
    ASSERT_TRUE(t.isOk());
    (*t)->forEachLive([&](store::RowId, const store::Row& r) {
        const auto* s = std::get_if<std::string>(&r[target->column]);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->front(), last.front());
    });
    auto check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    if (haveMdbTools()) {
        EXPECT_EQ(mdbExport(path, target->table).status, 0);
    }
}

}  // namespace
}  // namespace velmora::engine::jet
