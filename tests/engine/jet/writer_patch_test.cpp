// What a commit of a few changed rows writes: the pages those rows change and nothing else.
// The same Access-made table in both versions (512 rows on several data pages, a descending
// LONG index over a node page) takes one commit after another on a real file; the pages each
// commit hands its observer are held against the pages its change must touch, and after each
// the file holds the rows in memory, in their order, for our reader and for mdbtools, and
// passes the check. Later commits find the rows where earlier ones put or moved them.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/constraints.h"
#include "kept_images.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

constexpr size_t kText = 1;  // a TEXT column outside the index

struct Written {
    std::set<uint32_t> data;      // data pages of the table
    std::set<uint32_t> index;     // index pages of any table
    std::set<uint32_t> other;     // definitions, usage maps, page 1
    std::set<uint32_t> newIndex;  // index pages that were none before the commit
    uint64_t sizeBefore = 0, sizeAfter = 0;
};

struct Change {
    const char* what;
    // Changes rows of the table; `touched` gets the pages of the rows it changed in place.
    std::function<Status(store::Table&, const store::RowRules&, std::vector<store::RowId>& ids,
                         std::set<uint32_t>& touched)>
        apply;
    std::function<void(const Written&, const std::set<uint32_t>& touched, uint32_t tdef)> expect;
};

uint32_t pageOf(const store::Table& t, store::RowId id) {
    return t.placeOf(id) >> 8;
}

Status setText(store::Table& t, const store::RowRules& rules, store::RowId id, std::string text) {
    store::Row r = t.row(id);
    r[kText] = std::move(text);
    return store::updateRow(t, id, r, rules);
}

// Adds `count` copies of row ids[1], keyed firstKey, firstKey + 1, ... and named "`name` n".
Status addRows(store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
               int count, int64_t firstKey, const std::string& name) {
    for (int n = 0; n < count; ++n) {
        store::Row r = t.row(ids[1]);
        r[0] = firstKey + n;
        r[kText] = name + " " + std::to_string(n);
        VELMORA_ASSIGN_OR_RETURN(store::RowId id, store::insertRow(t, r, rules));
        ids.push_back(id);
    }
    return Status::ok();
}

std::vector<Change> changes() {
    return {
        {"one row's text, shorter: its page alone",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             touched.insert(pageOf(t, ids[100]));
             return setText(t, rules, ids[100], "x");
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t) {
             EXPECT_EQ(w.data, touched);
             EXPECT_TRUE(w.index.empty());
             EXPECT_TRUE(w.other.empty());
             EXPECT_EQ(w.sizeAfter, w.sizeBefore);
         }},
        {"every row of one page grown past its room: rows move, no index entry changes",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             const uint32_t page = pageOf(t, ids[0]);
             const std::string longest(rules.maxTextChars(t.schema().columns[kText]), 'W');
             touched.insert(page);
             for (store::RowId id : ids) {
                 if (pageOf(t, id) == page)
                     VELMORA_RETURN_IF_ERROR(setText(t, rules, id, longest));
             }
             return Status::ok();
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t tdef) {
             EXPECT_TRUE(w.index.empty());
             EXPECT_EQ(w.other.count(tdef), 0u) << "the row count did not change";
             EXPECT_TRUE(
                 std::includes(w.data.begin(), w.data.end(), touched.begin(), touched.end()));
             EXPECT_GT(w.data.size(), 1u) << "the grown rows had to go elsewhere";
         }},
        {"a moved row and a row never moved, changed again",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             // The last row of the first page grew last, when the page was full.
             store::RowId moved = ids[0];
             for (store::RowId id : ids) {
                 if (pageOf(t, id) == pageOf(t, ids[0]))
                     moved = id;
             }
             touched.insert(pageOf(t, ids[300]));
             VELMORA_RETURN_IF_ERROR(setText(t, rules, moved, "back home"));
             return setText(t, rules, ids[300], "Änderung");
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t) {
             EXPECT_TRUE(w.index.empty());
             EXPECT_TRUE(w.other.empty());
             EXPECT_TRUE(
                 std::includes(w.data.begin(), w.data.end(), touched.begin(), touched.end()));
             EXPECT_LE(w.data.size(), 3u);
             EXPECT_EQ(w.sizeAfter, w.sizeBefore);
         }},
        {"rows erased and added: their pages, the index, the counts",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             for (size_t k : {5u, 6u, 400u}) {
                 touched.insert(pageOf(t, ids[k]));
                 VELMORA_RETURN_IF_ERROR(store::deleteRow(t, ids[k]));
             }
             return addRows(t, rules, ids, 2, 900000, "neu");
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t tdef) {
             EXPECT_FALSE(w.index.empty());
             EXPECT_EQ(w.other.count(tdef), 1u) << "the row count changed";
             EXPECT_TRUE(
                 std::includes(w.data.begin(), w.data.end(), touched.begin(), touched.end()));
             EXPECT_LE(w.data.size(), touched.size() + 2) << "the added rows' pages at most";
         }},
        {"an added row changed in a later commit: its page alone",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             touched.insert(pageOf(t, ids.back()));
             return setText(t, rules, ids.back(), "neu!");
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t) {
             EXPECT_EQ(w.data, touched);
             EXPECT_TRUE(w.index.empty());
             EXPECT_TRUE(w.other.empty());
         }},
        // A fixed value written over the stored image where it is gives the bytes it had.
        {"a key changed and changed back: its page is not written",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>&) {
             const store::RowId id = ids[200];
             const int64_t key = std::get<int64_t>(t.value(id, 0));
             for (int64_t value : {key + 1, key}) {
                 store::ValuesUpdate update;
                 update.columns = {0};
                 update.values = {value};
                 VELMORA_RETURN_IF_ERROR(store::updateValues(t, id, update, rules));
             }
             return Status::ok();
         },
         [](const Written& w, const std::set<uint32_t>&, uint32_t) {
             EXPECT_TRUE(w.data.empty());
             EXPECT_EQ(w.sizeAfter, w.sizeBefore);
         }},
        // The descending index sorts the new keys first: its first leaf takes them all.
        {"rows added past a leaf's room: the leaf splits, the index is not built anew",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>&) { return addRows(t, rules, ids, 400, 910000, "Teil"); },
         [](const Written& w, const std::set<uint32_t>&, uint32_t) {
             EXPECT_FALSE(w.newIndex.empty()) << "the leaf had to split";
             // Besides the new leaves: the leaf split, the next leaf's back link, the node.
             EXPECT_LE(w.index.size(), w.newIndex.size() + 3);
         }},
        // In the Jet 3 file that is some 30 pages, more than a commit keeps edited at once.
        {"every row grown: rows move onto new pages",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             const std::string longest(rules.maxTextChars(t.schema().columns[kText]), 'Z');
             for (store::RowId id : ids) {
                 if (!t.isLive(id))
                     continue;
                 touched.insert(pageOf(t, id));
                 VELMORA_RETURN_IF_ERROR(setText(t, rules, id, longest));
             }
             return Status::ok();
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t) {
             EXPECT_TRUE(w.index.empty());
             EXPECT_TRUE(
                 std::includes(w.data.begin(), w.data.end(), touched.begin(), touched.end()));
             EXPECT_GT(w.data.size(), touched.size()) << "the grown rows had to go elsewhere";
             EXPECT_GT(w.sizeAfter, w.sizeBefore);
         }},
        // The fixed values are written over the stored images, the moved and the added rows'
        // included; a row whose text changed as well is encoded whole.
        {"every key renumbered, one row's text as well: the rows' pages and the index",
         [](store::Table& t, const store::RowRules& rules, std::vector<store::RowId>& ids,
            std::set<uint32_t>& touched) {
             std::optional<store::RowId> renumbered;
             for (store::RowId id : ids) {
                 if (!t.isLive(id))
                     continue;
                 const store::Value key = t.value(id, 0);
                 if (store::isNull(key))
                     continue;
                 touched.insert(pageOf(t, id));
                 store::ValuesUpdate update;
                 update.columns = {0};
                 update.values = {std::get<int64_t>(key) + 700000};
                 VELMORA_RETURN_IF_ERROR(store::updateValues(t, id, update, rules));
                 renumbered = id;
             }
             return setText(t, rules, renumbered.value(), "Umbenannt");
         },
         [](const Written& w, const std::set<uint32_t>& touched, uint32_t) {
             EXPECT_FALSE(w.index.empty());
             EXPECT_TRUE(
                 std::includes(w.data.begin(), w.data.end(), touched.begin(), touched.end()));
         }},
    };
}

class PatchedCommit : public ::testing::TestWithParam<std::string> {};

TEST_P(PatchedCommit, WritesOnlyThePagesItsRowsChange) {
    if (!fs::exists(writerFixtureDir() / GetParam()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    const std::string path = dir.copyFixture(GetParam());
    auto jet = JetDatabase::open(path, io::Env::real());
    ASSERT_TRUE(jet.isOk()) << jet.status().toString();
    KeptImages images;
    keepCommitImages(**jet, images);
    store::Database db(std::move(jet).value());
    store::Table& table = **db.table("Table1");
    const uint32_t tdef = table.schema().tdefPage;
    std::vector<store::RowId> ids;
    table.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
    ASSERT_EQ(ids.size(), 512u);

    for (const Change& change : changes()) {
        SCOPED_TRACE(change.what);
        std::set<uint32_t> touched;
        Status s = change.apply(table, db.rowRules(), ids, touched);
        ASSERT_TRUE(s.isOk()) << s.toString();
        std::vector<store::Row> expected;
        table.forEachLive([&](store::RowId, const store::Row& r) { expected.push_back(r); });
        images = {};
        s = db.commit();
        ASSERT_TRUE(s.isOk()) << s.toString();

        Written w{{}, {}, {}, {}, images.sizeBefore, images.sizeAfter};
        for (const CommittedPage& p : images.pages) {
            const uint8_t type = p.after[0];
            const bool wasIndex = !p.before.empty() && (p.before[0] == 0x03 || p.before[0] == 0x04);
            if (type == 0x03 || type == 0x04)
                w.index.insert(p.number);
            if ((type == 0x03 || type == 0x04) && !wasIndex)
                w.newIndex.insert(p.number);
            else if (type == 0x01 && getU32(p.after, 4) == tdef)
                w.data.insert(p.number);
            else
                w.other.insert(p.number);
        }
        change.expect(w, touched, tdef);

        ProcessResult check = velmoraCheck(path);
        EXPECT_EQ(check.status, 0) << check.out;
        ProcessResult csv = mdbExport(path, "Table1");
        ASSERT_EQ(csv.status, 0) << csv.out;
        EXPECT_EQ(size_t(std::count(csv.out.begin(), csv.out.end(), '\n')), expected.size() + 1);
        auto reread = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(reread.isOk()) << reread.status().toString();
        std::vector<store::Row> got;
        (*(*reread)->table("Table1"))->forEachLive([&](store::RowId, const store::Row& r) {
            got.push_back(r);
        });
        EXPECT_EQ(got, expected);
    }
}

// A table whose index is one leaf, the root, takes rows past that leaf's room: the root keeps
// its page and becomes a node over new leaves; no other page of the index is written, since
// there is none.
TEST(PatchedIndex, ARootLeafSplitsUnderItself) {
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    const std::string path = (dir.path() / "root.mdb").string();
    ASSERT_TRUE(createDatabase(io::Env::real(), path).isOk());
    store::TableSchema schema;
    schema.name = "Sender";
    for (const char* name : {"ID", "Name"}) {
        store::ColumnDef c;
        c.name = name;
        c.number = uint16_t(schema.columns.size());
        c.type = schema.columns.empty() ? store::ColumnType::Long : store::ColumnType::Text;
        c.length = schema.columns.empty() ? 0 : 200;
        schema.columns.push_back(c);
    }
    store::RealIndex byName;
    byName.columns = {{1, true}};
    byName.flags = store::index_flag::kUnique;
    schema.realIndexes.push_back(byName);
    store::LogicalIndex li;
    li.name = "ByName";
    schema.logicalIndexes.push_back(li);
    auto name = [](int n) { return "Sender " + std::to_string(n) + " aus dem Programmangebot"; };
    auto addRows = [&](int from, int to, KeptImages* images) {
        auto jet = JetDatabase::open(path, io::Env::real());
        ASSERT_TRUE(jet.isOk()) << jet.status().toString();
        if (images != nullptr)
            keepCommitImages(**jet, *images);
        store::Database db(std::move(jet).value());
        if (from == 0) {
            ASSERT_TRUE(db.createTable(schema).isOk());
        }
        store::Table& t = **db.table(schema.name);
        for (int n = from; n < to; ++n) {
            auto id = store::insertRow(t, {int64_t(n), name(n)}, db.rowRules());
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        Status s = db.commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    };
    addRows(0, 5, nullptr);
    uint32_t root = 0;
    {
        auto db = openDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk());
        auto def = (*db)->tableDefinition(schema.name);
        ASSERT_TRUE(def.isOk());
        root = def->schema.realIndexes[0].rootPage;
        auto tree = (*db)->indexPages(def->schema.realIndexes[0]);
        ASSERT_TRUE(tree.isOk());
        ASSERT_EQ(tree->size(), 1u) << "the index starts as one leaf";
    }
    KeptImages images;
    addRows(5, 300, &images);

    std::set<uint32_t> oldIndexPages, newIndexPages;
    for (const CommittedPage& p : images.pages) {
        if (p.after[0] != 0x03 && p.after[0] != 0x04)
            continue;
        const bool wasIndex = !p.before.empty() && (p.before[0] == 0x03 || p.before[0] == 0x04);
        (wasIndex ? oldIndexPages : newIndexPages).insert(p.number);
    }
    EXPECT_EQ(oldIndexPages, std::set<uint32_t>{root});
    auto db = openDatabase(path, io::Env::real());
    ASSERT_TRUE(db.isOk());
    auto def = (*db)->tableDefinition(schema.name);
    ASSERT_TRUE(def.isOk());
    auto tree = (*db)->indexPages(def->schema.realIndexes[0]);
    ASSERT_TRUE(tree.isOk()) << tree.status().toString();
    ASSERT_GT(tree->size(), 2u);
    EXPECT_EQ(tree->front().number, root);
    EXPECT_FALSE(tree->front().isLeaf()) << "the root is a node now";
    std::set<uint32_t> below;
    size_t fewest = SIZE_MAX, most = 0;
    for (size_t i = 1; i < tree->size(); ++i) {
        below.insert((*tree)[i].number);
        fewest = std::min(fewest, (*tree)[i].entries.size());
        most = std::max(most, (*tree)[i].entries.size());
    }
    EXPECT_EQ(below, newIndexPages);
    // The entries are shared out evenly, so that every new leaf has room for the next rows
    // (a tree built anew fills its leaves instead).
    EXPECT_LE(most - fewest, 1u);
    ProcessResult check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    ProcessResult csv = mdbExport(path, schema.name);
    ASSERT_EQ(csv.status, 0) << csv.out;
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 301);
    EXPECT_NE(csv.out.find(name(299)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothVersions, PatchedCommit,
                         ::testing::Values("compIndexTestV1997.mdb", "compIndexTestV2000.mdb"),
                         [](const auto& info) { return info.param.substr(0, 18); });

}  // namespace
}  // namespace velmora::engine::jet
