// Changing real Access-made files in place: every Jet 3 and Jet 4 fixture copy gets rows updated,
// inserted and deleted in one table; afterwards every other table reads exactly as before
// through mdbtools, the changed table reads as expected through our reader and mdbtools,
// and the structural check passes.
#include <gtest/gtest.h>

#include <map>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A user table of the file with a column we can vary and no index on it, so that new rows
// do not collide; empty when there is none.
struct Target {
    std::string table;
    size_t column = 0;
};

bool variable(const store::ColumnDef& c) {
    return c.type == store::ColumnType::Text && !c.isFixed() && c.length >= 20;
}

std::optional<Target> pickTarget(store::Database& db) {
    for (const std::string& name : db.tableNames(false)) {
        auto t = db.table(name);
        if (!t.isOk())
            continue;
        const store::TableSchema& s = (*t)->schema();
        for (size_t i = 0; i < s.columns.size(); ++i) {
            if (variable(s.columns[i]))
                return Target{name, i};
        }
    }
    return std::nullopt;
}

// A new row: a copy of a template row with fresh values in every key column and in the
// chosen text column.
store::Row freshRow(const store::Table& t, const store::Row& base, size_t textColumn, int n) {
    store::Row row = base;
    const store::TableSchema& s = t.schema();
    for (size_t i = 0; i < s.columns.size(); ++i) {
        const auto& c = s.columns[i];
        bool inIndex = false;
        for (const auto& ix : s.realIndexes) {
            for (const auto& ic : ix.columns)
                inIndex = inIndex || ic.columnNumber == c.number;
        }
        if (c.isAutoNumber()) {
            row[i] = store::Null{};
        } else if (inIndex || i == textColumn) {
            switch (c.type) {
                case store::ColumnType::Text:
                case store::ColumnType::Memo: {
                    std::string text = std::string("new ") + std::to_string(n) + " Straße";
                    if (c.type == store::ColumnType::Text && c.maxChars(true) < 12)
                        text = std::string(1, char('a' + n));
                    row[i] = text;
                    break;
                }
                case store::ColumnType::Long:
                case store::ColumnType::Integer:
                    row[i] = int64_t(20000 + n);
                    break;
                case store::ColumnType::Byte:
                    row[i] = int64_t(n % 250);
                    break;
                case store::ColumnType::DateTime:
                    row[i] = store::DateTime{40000.0 + n};
                    break;
                case store::ColumnType::Double:
                    row[i] = 1.5 * n;
                    break;
                default:
                    break;
            }
        }
    }
    return row;
}

class InPlace : public ::testing::TestWithParam<std::string> {};

TEST_P(InPlace, OneTableChangesAndEverythingElseStays) {
    if (!fs::exists(writerFixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    std::string path = dir.copyFixture(GetParam());

    std::vector<std::string> allTables;
    std::map<std::string, std::string> before;
    std::optional<Target> target;
    std::vector<store::Row> expected;
    size_t updated = 0;
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        ASSERT_FALSE((*db)->isReadOnly()) << (*db)->readOnlyReason();
        allTables = (*db)->tableNames(true);
        target = pickTarget(**db);
        if (!target)
            GTEST_SKIP() << "no user table with a text column to change";
        for (const auto& t : allTables) {
            if (t != target->table)
                before[t] = mdbExport(path, t).out;
        }
        store::Table& t = **(*db)->table(target->table);
        const store::RowRules& rules = (*db)->rowRules();
        // Update every live row's text (growing it), delete the first row, insert three.
        std::vector<store::RowId> ids;
        t.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
        store::Row base =
            ids.empty() ? store::Row(t.schema().columns.size(), store::Null{}) : t.row(ids.front());
        updated = ids.size();
        for (size_t k = 0; k < ids.size(); ++k) {
            store::Row r = t.row(ids[k]);
            r[target->column] =
                std::string("changed ") + std::to_string(k) + " Müller-Lüdenscheidt";
            Status s = store::updateRow(t, ids[k], r, rules);
            ASSERT_TRUE(s.isOk()) << s.toString();
        }
        if (!ids.empty()) {
            ASSERT_TRUE(store::deleteRow(t, ids.front()).isOk());
        }
        for (int n = 0; n < 3; ++n) {
            auto id = store::insertRow(t, freshRow(t, base, target->column, n), rules);
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        t.forEachLive([&](store::RowId, const store::Row& r) { expected.push_back(r); });
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }

    ProcessResult check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    for (const auto& [table, csv] : before)
        EXPECT_EQ(mdbExport(path, table).out, csv) << "table " << table << " changed";
    ProcessResult changed = mdbExport(path, target->table);
    EXPECT_EQ(changed.status, 0) << changed.out;
    if (updated >= 2) {
        EXPECT_NE(changed.out.find("changed 1 M\xC3\xBCller-L\xC3\xBC"
                                   "denscheidt"),
                  std::string::npos)
            << changed.out;
    }
    EXPECT_NE(changed.out.find("new 2 Stra\xC3\x9F"
                               "e"),
              std::string::npos)
        << changed.out;

    auto db = openStoreDatabase(path, io::Env::real());
    ASSERT_TRUE(db.isOk()) << db.status().toString();
    auto t = (*db)->table(target->table);
    ASSERT_TRUE(t.isOk());
    std::vector<store::Row> got;
    (*t)->forEachLive([&](store::RowId, const store::Row& r) { got.push_back(r); });
    EXPECT_EQ(got, expected);
}

std::vector<std::string> jet4Fixtures() {
    return {"compIndexTestV2000.mdb",
            "delColTestV2000.mdb",
            "delTestV2000.mdb",
            "fixedTextTestV2000.mdb",
            "indexTestV2000.mdb",
            "overflowTestV2000.mdb",
            "test2V2000.mdb",
            "testIndexPropertiesV2000.mdb",
            "testUnicodeCompV2003.mdb",
            "noRoman.mdb",
            "fixedNumericTestV2000.mdb",
            "queryTestV2000.mdb"};
}

std::vector<std::string> jet3Fixtures() {
    return {"compIndexTestV1997.mdb",  "delColTestV1997.mdb", "delTestV1997.mdb",
            "indexTestV1997.mdb",      "queryTestV1997.mdb",  "test2V1997.mdb",
            "testIndexCodesV1997.mdb", "testV1997.mdb"};
}

std::string fixtureTestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string out;
    for (char c : info.param)
        out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return out;
}

INSTANTIATE_TEST_SUITE_P(Jet4Fixtures, InPlace, ::testing::ValuesIn(jet4Fixtures()),
                         fixtureTestName);
INSTANTIATE_TEST_SUITE_P(Jet3Fixtures, InPlace, ::testing::ValuesIn(jet3Fixtures()),
                         fixtureTestName);

}  // namespace
}  // namespace velmora::engine::jet
