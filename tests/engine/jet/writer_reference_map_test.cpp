// Reference usage maps in real files, Jet 3 and Jet 4. A table of an Access-made file that
// grows past what its inline map reaches switches to a reference map; the file then takes
// updates and deletions, and mdbtools and the structural check read it. A file whose global
// map is a reference map (Access writes such files; this one is made from a fixture with the
// map bytes laid out here) takes a row update and new pages, and keeps that map.
#include <gtest/gtest.h>

#include "engine/base/coding.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/store/constraints.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

struct Growth {
    const char* fixture;
    const char* table;
    int rows;            // enough rows for more pages than the inline map reaches
    const char* letter;  // UTF-8; Cyrillic in Jet 4 keeps the text from being compressed
};

std::string text(const std::string& letter, int n) {
    // 50 characters: the number, a space, and the letter as often as it fits.
    std::string out = std::to_string(n) + " ";
    for (size_t chars = out.size(); chars < 50; ++chars)
        out += letter;
    return out;
}

Result<UsageMap> ownedPagesMap(const std::string& path, const std::string& table) {
    VELMORA_ASSIGN_OR_RETURN(auto db, openDatabase(path, io::Env::real()));
    VELMORA_ASSIGN_OR_RETURN(TableDefinition def, db->tableDefinition(table));
    return db->usageMap(RowPointer::fromU32(def.schema.usedPagesRow));
}

// A fixture's name without its extension, as a test name.
std::string stem(const std::string& fixture) {
    return fixture.substr(0, fixture.find('.'));
}

size_t csvLines(const std::string& csv) {
    return size_t(std::count(csv.begin(), csv.end(), '\n'));
}

class TableOutgrowsItsMap : public ::testing::TestWithParam<Growth> {};

TEST_P(TableOutgrowsItsMap, SwitchesToAReferenceMapAndStaysWritable) {
    if (!fs::exists(writerFixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    const Growth& g = GetParam();
    TempDir dir;
    const std::string path = dir.copyFixture(g.fixture);
    size_t liveBefore = 0;
    {
        auto before = ownedPagesMap(path, g.table);
        ASSERT_TRUE(before.isOk()) << before.status().toString();
        ASSERT_EQ(before->type, usage_map_type::kInline);
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        store::Table& t = **(*db)->table(g.table);
        liveBefore = t.liveRowCount();
        for (int n = 0; n < g.rows; ++n) {
            auto id =
                store::insertRow(t, {text(g.letter, n), text(g.letter, -n)}, (*db)->rowRules());
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }
    auto grown = ownedPagesMap(path, g.table);
    ASSERT_TRUE(grown.isOk()) << grown.status().toString();
    EXPECT_EQ(grown->type, usage_map_type::kReference);
    EXPECT_GT(grown->pages.back() - grown->pages.front(), grown->pages.size() / 2)
        << "the pages should lie beyond one inline map's reach";
    ProcessResult check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    ProcessResult all = mdbExport(path, g.table);
    ASSERT_EQ(all.status, 0) << all.out;
    EXPECT_EQ(csvLines(all.out), 1 + liveBefore + size_t(g.rows));
    EXPECT_NE(all.out.find(text(g.letter, g.rows - 1)), std::string::npos);

    // Later commits keep the reference map and its map pages, which they write in place.
    const std::string changed = "ge\xC3\xA4ndert";
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        store::Table& t = **(*db)->table(g.table);
        std::vector<store::RowId> ids;
        t.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
        store::Row r = t.row(ids[ids.size() / 2]);
        r[0] = changed;
        ASSERT_TRUE(store::updateRow(t, ids[ids.size() / 2], r, (*db)->rowRules()).isOk());
        ASSERT_TRUE(store::deleteRow(t, ids.back()).isOk());
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }
    auto after = ownedPagesMap(path, g.table);
    ASSERT_TRUE(after.isOk()) << after.status().toString();
    EXPECT_EQ(after->type, usage_map_type::kReference);
    EXPECT_EQ(after->mapPages, grown->mapPages);
    check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    all = mdbExport(path, g.table);
    ASSERT_EQ(all.status, 0) << all.out;
    EXPECT_EQ(csvLines(all.out), liveBefore + size_t(g.rows));
    EXPECT_NE(all.out.find(changed), std::string::npos);
    EXPECT_EQ(all.out.find(text(g.letter, g.rows - 1)), std::string::npos);
}

// Jet 4 pages take about 19 of these rows, and an inline map reaches 512 pages; Jet 3 pages
// take about 18, and its maps reach 1024.
INSTANTIATE_TEST_SUITE_P(BothVersions, TableOutgrowsItsMap,
                         ::testing::Values(Growth{"delTestV2000.mdb", "Table", 10500, "\xD0\x96"},
                                           Growth{"delTestV1997.mdb", "Table", 19500, "x"}),
                         [](const auto& info) { return stem(info.param.fixture); });

// Turns the fixture's global map (inline, from page 0) into a reference map with one map
// page, appended to the file, that marks the same pages free. Returns that page's number.
uint32_t makeGlobalMapAReference(const std::string& path) {
    std::vector<uint8_t> file = readFileBytes(path);
    const bool jet4 = file[0x14] != 0;
    const size_t pageSize = jet4 ? 4096 : 2048;
    const size_t rowTable = jet4 ? 14 : 10;
    const uint32_t mapPage = uint32_t(file.size() / pageSize);
    uint8_t* page1 = file.data() + pageSize;
    const size_t rowStart = getU16(Bytes(page1, pageSize), rowTable) & 0x1FFF;
    const size_t rowLength = pageSize - rowStart;  // row 0 ends at the page end
    uint8_t* row = page1 + rowStart;
    EXPECT_EQ(row[0], 0x00);
    EXPECT_EQ(getU32(Bytes(row, rowLength), 1), 0u);
    std::vector<uint8_t> bitmap(pageSize, 0);
    bitmap[0] = 0x05;
    bitmap[1] = 0x01;
    // Free pages below the end as the inline map says; the new page is used; all past it free.
    for (size_t p = 0; p < (pageSize - 4) * 8; ++p) {
        bool free = p > mapPage;
        if (p < mapPage && p < (rowLength - 5) * 8)
            free = (row[5 + p / 8] >> (p % 8)) & 1;
        if (free)
            bitmap[4 + p / 8] |= uint8_t(1u << (p % 8));
    }
    std::fill(row, row + rowLength, 0);
    row[0] = 0x01;
    putU32(MutableBytes(row, rowLength), 1, mapPage);
    file.insert(file.end(), bitmap.begin(), bitmap.end());
    writeFileBytes(path, file);
    return mapPage;
}

constexpr size_t kNewRows = 300;

class ReferenceGlobalMap : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceGlobalMap, TakesAnUpdateAndNewPages) {
    if (!fs::exists(writerFixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << writerFixtureDir();
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    TempDir dir;
    const std::string path = dir.copyFixture(GetParam());
    const std::string table = "Table1";
    const std::string before = mdbExport(path, table).out;
    const uint32_t mapPage = makeGlobalMapAReference(path);
    ProcessResult check = velmoraCheck(path);
    ASSERT_EQ(check.status, 0) << "the converted file: " << check.out;

    const uint64_t sizeBefore = fs::file_size(path);
    const std::string changed = "ge\xC3\xA4ndert";
    {
        auto db = openStoreDatabase(path, io::Env::real());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        ASSERT_FALSE((*db)->isReadOnly()) << (*db)->readOnlyReason();
        store::Table& t = **(*db)->table(table);
        std::vector<store::RowId> ids;
        t.forEachLive([&](store::RowId id, const store::Row&) { ids.push_back(id); });
        ASSERT_FALSE(ids.empty());
        // Every text column of the first row changes, and copies of it with new numbers need
        // new pages.
        store::Row r = t.row(ids.front());
        for (size_t i = 0; i < t.schema().columns.size(); ++i) {
            if (t.schema().columns[i].type == store::ColumnType::Text)
                r[i] = changed;
        }
        Status s = store::updateRow(t, ids.front(), r, (*db)->rowRules());
        ASSERT_TRUE(s.isOk()) << s.toString();
        for (size_t n = 0; n < kNewRows; ++n) {
            for (size_t i = 0; i < t.schema().columns.size(); ++i) {
                if (t.schema().columns[i].type == store::ColumnType::Long)
                    r[i] = int64_t(100000 + n);
            }
            auto id = store::insertRow(t, r, (*db)->rowRules());
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }
    EXPECT_GT(fs::file_size(path), sizeBefore) << "the commit was to take new pages";
    check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    ProcessResult after = mdbExport(path, table);
    ASSERT_EQ(after.status, 0) << after.out;
    EXPECT_NE(after.out.find(changed), std::string::npos) << after.out;
    EXPECT_EQ(csvLines(after.out), csvLines(before) + kNewRows);

    auto db = openDatabase(path, io::Env::real());
    ASSERT_TRUE(db.isOk()) << db.status().toString();
    auto global = (*db)->globalUsageMap();
    ASSERT_TRUE(global.isOk()) << global.status().toString();
    EXPECT_EQ(global->type, usage_map_type::kReference);
    ASSERT_FALSE(global->mapPages.empty());
    EXPECT_EQ(global->mapPages.front(), mapPage);
    // None of the pages the table uses now, its rows' and its index trees', is marked free.
    std::vector<uint32_t> used;
    auto pages = (*db)->tableDataPages(table);
    ASSERT_TRUE(pages.isOk());
    for (const DataPage& dp : *pages)
        used.push_back(dp.number);
    auto def = (*db)->tableDefinition(table);
    ASSERT_TRUE(def.isOk());
    for (const store::RealIndex& index : def->schema.realIndexes) {
        auto tree = (*db)->indexPages(index);
        ASSERT_TRUE(tree.isOk()) << tree.status().toString();
        for (const IndexPage& p : *tree)
            used.push_back(p.number);
    }
    EXPECT_GT(used.size(), pages->size());
    for (uint32_t p : used) {
        EXPECT_FALSE(std::binary_search(global->pages.begin(), global->pages.end(), p))
            << "page " << p;
    }
}

INSTANTIATE_TEST_SUITE_P(BothVersions, ReferenceGlobalMap,
                         ::testing::Values("compIndexTestV2000.mdb", "compIndexTestV1997.mdb"),
                         [](const auto& info) { return stem(info.param); });

}  // namespace
}  // namespace velmora::engine::jet
