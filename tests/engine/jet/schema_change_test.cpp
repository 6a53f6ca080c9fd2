// Shape changes written to a real file: a database made from nothing gets a table of every
// Jet 4 type with indexes and rows, is compacted, gets a new index and a second table, and
// loses a table again. After every step our reader, mdbtools and the structural check agree.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/jet/schema_change.h"
#include "engine/store/constraints.h"
#include "support/test_paths.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
using store::ColumnDef;
using store::ColumnType;
using store::Row;
using store::Value;

ColumnDef column(const char* name, ColumnType type, uint16_t length = 0) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.length = length;
    return c;
}

// CHANNELS-like: a table of every Jet 4 type, an AutoNumber key and a text index.
store::TableSchema everyTypeTable() {
    store::TableSchema s;
    s.name = "Every Type";
    s.columns = {column("ID", ColumnType::Long),       column("Name", ColumnType::Text, 100),
                 column("Flag", ColumnType::Boolean),  column("Small", ColumnType::Byte),
                 column("Int", ColumnType::Integer),   column("Price", ColumnType::Currency),
                 column("Ratio", ColumnType::Single),  column("Big", ColumnType::Double),
                 column("When", ColumnType::DateTime), column("Raw", ColumnType::Binary, 50),
                 column("Notes", ColumnType::Memo),    column("Blob", ColumnType::Ole),
                 column("Uid", ColumnType::Guid),      column("Amount", ColumnType::Numeric)};
    s.columns[0].flags |= store::column_flag::kAutoNumber;
    s.columns[13].precision = 18;
    s.columns[13].scale = 2;
    for (uint16_t i = 0; i < s.columns.size(); ++i)
        s.columns[i].number = i;
    store::RealIndex pk;
    pk.columns = {{0, true}};
    pk.flags = store::index_flag::kUnique | store::index_flag::kRequired;
    store::RealIndex byName;
    byName.columns = {{1, true}, {4, false}};
    s.realIndexes = {pk, byName};
    store::LogicalIndex l0;
    l0.name = "PrimaryKey";
    l0.type = store::LogicalIndexType::PrimaryKey;
    store::LogicalIndex l1;
    l1.name = "NameInt";
    l1.number = 1;
    l1.realIndex = 1;
    s.logicalIndexes = {l0, l1};
    return s;
}

Row everyTypeRow(int i) {
    store::Decimal d;
    d.magnitude = unsigned(i) * 12345u;
    d.scale = 2;
    d.negative = i % 3 == 0;
    store::Guid g;
    for (size_t k = 0; k < 16; ++k)
        g.bytes[k] = uint8_t(i * 7 + int(k));
    std::string notes = i % 4 == 0 ? std::string(5000 + i, char('a' + i % 26))  // a chain
                                   : "Memo " + std::to_string(i);
    return Row{Value(store::Null{}),
               Value("Kanal " + std::to_string(i % 50) + (i % 2 ? " Straße" : " ä-ö")),
               Value(i % 2 == 0),
               Value(int64_t(i % 256)),
               Value(int64_t(i - 300)),
               Value(store::Currency{int64_t(i) * 10001}),
               Value(float(i) / 4.0f),
               Value(double(i) * 1.5e10),
               Value(store::DateTime{40000.0 + i / 8.0}),
               Value(store::Blob{uint8_t(i), 1, 2, 3}),
               Value(notes),
               i % 5 == 0 ? Value(store::Blob(300, uint8_t(i))) : Value(store::Null{}),
               Value(g),
               Value(d)};
}

std::vector<Row> rowsOf(store::Database& db, const std::string& name) {
    std::vector<Row> out;
    auto t = db.table(name);
    if (!t.isOk())
        return out;
    (*t)->forEachLive([&](store::RowId, const Row& r) { out.push_back(r); });
    return out;
}

// mdb-export's lines (binary values left out, so that their bytes cannot break lines), or
// nothing when it fails.
std::vector<std::string> exportLines(const std::string& file, const std::string& table) {
    auto r = runCommand("mdb-export -b strip " + shellQuote(file) + " " + shellQuote(table));
    std::vector<std::string> lines;
    if (r.status != 0)
        return lines;
    size_t at = 0;
    for (size_t nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(r.out.substr(at, nl - at));
    return lines;
}

// The npm package mdb-reader, installed once into the build folder; empty when npm cannot
// reach its registry.
const std::string& mdbReaderDir() {
    static const std::string dir = [] {
        std::string d = std::string(velmora::test::binDir()) + "/../npm-mdb-reader";
        if (std::filesystem::exists(d + "/node_modules/mdb-reader/package.json"))
            return d;
        std::filesystem::create_directories(d);
        auto r = runCommand("npm install --prefix " + shellQuote(d) +
                            " --no-save --no-audit --no-fund mdb-reader >/dev/null 2>&1");
        return r.status == 0 ? d : std::string();
    }();
    return dir;
}

// What mdb-reader reads of one column of a table: its values as JSON, sorted, after a
// first line listing the user tables.
std::vector<std::string> mdbReaderColumn(const std::string& file, const std::string& table,
                                         const std::string& column) {
    auto r = runCommand("node " +
                        shellQuote(std::string(velmora::test::sourceDir()) +
                                   "/tests/engine/jet/mdb_reader_dump.mjs") +
                        " " + shellQuote(mdbReaderDir()) + " " + shellQuote(file) + " " +
                        shellQuote(table) + " " + shellQuote(column));
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t nl; (nl = r.out.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(r.out.substr(at, nl - at));
    if (r.status != 0 || lines.size() < 2)
        return {};
    std::sort(lines.begin() + 2, lines.end());
    return lines;
}

TEST(SchemaChange, NewDatabaseTablesIndexesCompactionAndDrop) {
    TempDir dir;
    const std::string path = (dir.path() / "made.mdb").string();
    ASSERT_TRUE(createDatabase(io::Env::real(), path).isOk());
    OpenOptions noLocks;
    noLocks.useOsLocks = false;
    const int kRows = 700;  // several data pages and two index levels

    std::vector<Row> expected;
    {
        auto db = openStoreDatabase(path, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto t = (*db)->createTable(everyTypeTable());
        ASSERT_TRUE(t.isOk());
        for (int i = 0; i < kRows; ++i) {
            auto id = store::insertRow(**t, everyTypeRow(i), (*db)->rowRules());
            ASSERT_TRUE(id.isOk()) << id.status().toString();
        }
        ASSERT_TRUE((*db)->commit().isOk());
        expected = rowsOf(**db, "Every Type");
    }
    auto verify = [&](const std::string& file, const char* step) {
        auto db = openStoreDatabase(file, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk()) << step << ": " << db.status().toString();
        EXPECT_TRUE(rowsOf(**db, "Every Type") == expected) << step;
        auto check = velmoraCheck(file);
        EXPECT_EQ(check.status, 0) << step << ": " << check.out;
        if (haveMdbTools()) {
            // No text holds a line break, so one line per row after the header.
            auto lines = exportLines(file, "Every Type");
            ASSERT_EQ(lines.size(), expected.size() + 1) << step;
            for (size_t i = 1; i < lines.size(); i += 97) {
                const std::string& name = std::get<std::string>(expected[i - 1][1]);
                EXPECT_EQ(lines[i].rfind(std::to_string(i) + ",\"" + name + "\"", 0), 0u)
                    << step << ": " << lines[i];
            }
            EXPECT_NE(runCommand("mdb-tables -1 " + shellQuote(file)).out.find("Every Type"),
                      std::string::npos)
                << step;
        }
    };
    bool readByMdbReader = false;
    auto verifyMdbReader = [&](const std::string& file, const char* step) {
        if (mdbReaderDir().empty())
            return;
        std::vector<std::string> want = {"rows " + std::to_string(expected.size())};
        std::vector<std::string> names;
        for (const auto& r : expected)
            names.push_back("\"" + std::get<std::string>(r[1]) + "\"");
        std::sort(names.begin(), names.end());
        want.insert(want.end(), names.begin(), names.end());
        auto got = mdbReaderColumn(file, "Every Type", "Name");
        ASSERT_FALSE(got.empty()) << step << ": mdb-reader failed";
        EXPECT_NE(got[0].find("\"Every Type\""), std::string::npos) << step << ": " << got[0];
        EXPECT_EQ(std::vector<std::string>(got.begin() + 1, got.end()), want) << step;
        readByMdbReader = true;
    };
    verify(path, "created");
    verifyMdbReader(path, "created");
    ASSERT_EQ(expected.size(), size_t(kRows));
    EXPECT_EQ(std::get<int64_t>(expected.back()[0]), kRows);  // AutoNumber handed out

    // Compacted copy, then changed again: a new unique index and a second table.
    const std::string packed = (dir.path() / "packed.mdb").string();
    auto report = compactDatabase(io::Env::real(), path, packed);
    ASSERT_TRUE(report.isOk()) << report.status().toString();
    EXPECT_LE(report->destinationPages, report->sourcePages);
    verify(packed, "compacted");
    verifyMdbReader(packed, "compacted");
    {
        auto db = openStoreDatabase(packed, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk());
        auto t = (*db)->table("Every Type");
        ASSERT_TRUE(t.isOk());
        NewIndex byNotes;
        byNotes.name = "WhenIndex";
        byNotes.columns = {{8, false}};
        byNotes.unique = true;
        ASSERT_TRUE(addIndexToTable(**t, byNotes, (*db)->rowRules()).isOk());
        store::TableSchema scratch;
        scratch.name = "FREQDUPS";
        scratch.columns = {column("Freq", ColumnType::Long), column("Cnt", ColumnType::Long)};
        scratch.columns[1].number = 1;
        auto f = (*db)->createTable(scratch);
        ASSERT_TRUE(f.isOk());
        ASSERT_TRUE(
            store::insertRow(**f, Row{Value(int64_t(11778)), Value(int64_t(2))}, (*db)->rowRules())
                .isOk());
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }
    verify(packed, "index and table added");
    verifyMdbReader(packed, "index and table added");
    {
        auto db = openStoreDatabase(packed, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk());
        auto t = (*db)->table("Every Type");
        ASSERT_TRUE(t.isOk());
        EXPECT_EQ((*t)->schema().logicalIndexes.size(), 3u);
        EXPECT_EQ(rowsOf(**db, "FREQDUPS").size(), 1u);
        ASSERT_TRUE((*db)->dropTable("FREQDUPS").isOk());
        ASSERT_TRUE((*db)->commit().isOk());
    }
    verify(packed, "table dropped");
    verifyMdbReader(packed, "table dropped");
    auto db = openDatabase(packed, io::Env::real());
    ASSERT_TRUE(db.isOk());
    EXPECT_EQ((*db)->findTable("FREQDUPS"), nullptr);
    auto aces = (*db)->loadTable("MSysACEs");
    ASSERT_TRUE(aces.isOk());
    EXPECT_EQ((*aces)->liveRowCount(), 16u + 2u);  // the two inherited entries of "Every Type"
    if (!readByMdbReader)
        GTEST_SKIP()
            << "npm could not install mdb-reader; the second independent reader was not run";
}

TEST(SchemaChange, AnIndexMeetingRepeatedKeysIsRefusedAndNothingChanges) {
    TempDir dir;
    const std::string path = (dir.path() / "dups.mdb").string();
    ASSERT_TRUE(createDatabase(io::Env::real(), path).isOk());
    OpenOptions noLocks;
    noLocks.useOsLocks = false;
    auto db = openStoreDatabase(path, io::Env::real(), noLocks);
    ASSERT_TRUE(db.isOk());
    store::TableSchema s;
    s.name = "CHANNELS";
    s.columns = {column("Name", ColumnType::Text, 60), column("Freq", ColumnType::Long)};
    s.columns[1].number = 1;
    auto t = (*db)->createTable(s);
    ASSERT_TRUE(t.isOk());
    // "Sport" and "SPORT" are one key in Jet's collation.
    for (const char* name : {"Sport", "News", "SPORT"})
        ASSERT_TRUE(store::insertRow(**t, Row{Value(std::string(name)), Value(int64_t(11778))},
                                     (*db)->rowRules())
                        .isOk());
    ASSERT_TRUE((*db)->commit().isOk());
    const auto before = readFileBytes(path);

    NewIndex pk;
    pk.name = "PrimaryKey";
    pk.primary = true;
    pk.columns = {{0, true}, {1, true}};
    Status s1 = addIndexToTable(**t, pk, (*db)->rowRules());
    EXPECT_EQ(s1.code(), err::kDuplicateKey);
    EXPECT_TRUE((*t)->schema().realIndexes.empty());
    EXPECT_FALSE((*db)->hasPendingChanges());
    NewIndex again = pk;
    pk.columns = {{1, true}};
    pk.unique = true;
    EXPECT_EQ(addIndexToTable(**t, pk, (*db)->rowRules()).code(), err::kDuplicateKey);
    EXPECT_EQ(readFileBytes(path), before);

    // Made unique, the same key is accepted and written.
    (*t)->forEachLive([&](store::RowId id, const Row& r) {
        if (std::get<std::string>(r[0]) == "SPORT") {
            ASSERT_TRUE(store::updateRow(**t, id, Row{Value(std::string("Sport 2")), r[1]},
                                         (*db)->rowRules())
                            .isOk());
        }
    });
    ASSERT_TRUE(addIndexToTable(**t, again, (*db)->rowRules()).isOk());
    ASSERT_TRUE((*db)->commit().isOk());
    auto check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    auto reread = openDatabase(path, io::Env::real());
    ASSERT_TRUE(reread.isOk());
    auto def = (*reread)->tableDefinition("CHANNELS");
    ASSERT_TRUE(def.isOk());
    ASSERT_EQ(def->schema.realIndexes.size(), 1u);
    EXPECT_EQ(def->schema.realIndexes[0].flags, 0x89);
    EXPECT_TRUE(def->schema.logicalIndexes[0].isPrimary());
}

// Deleting tables of Access-made files: a plain table goes with all its pages; a table that a
// relationship names is refused and the file stays as it was.
TEST(SchemaChange, DeletingTablesOfAccessFiles) {
    if (!std::filesystem::is_directory(writerFixtureDir()))
        GTEST_SKIP() << "../shared/fixtures is absent";
    TempDir dir;
    OpenOptions noLocks;
    noLocks.useOsLocks = false;
    const std::string plain = dir.copyFixture("delTestV2000.mdb");
    {
        auto db = openStoreDatabase(plain, io::Env::real(), noLocks);
        ASSERT_TRUE(db.isOk());
        ASSERT_TRUE((*db)->dropTable("Table").isOk());
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    }
    auto check = velmoraCheck(plain);
    EXPECT_EQ(check.status, 0) << check.out;
    auto reread = openDatabase(plain, io::Env::real());
    ASSERT_TRUE(reread.isOk());
    EXPECT_EQ((*reread)->findTable("Table"), nullptr);
    auto global = (*reread)->globalUsageMap();
    ASSERT_TRUE(global.isOk());
    auto before = openDatabase((writerFixtureDir() / "delTestV2000.mdb").string(), io::Env::real());
    ASSERT_TRUE(before.isOk());
    auto beforeGlobal = (*before)->globalUsageMap();
    ASSERT_TRUE(beforeGlobal.isOk());
    EXPECT_GT(global->pages.size(), beforeGlobal->pages.size()) << "no page was freed";
    if (haveMdbTools()) {
        EXPECT_EQ(runCommand("mdb-tables -1 " + shellQuote(plain)).out.find("Table\n"),
                  std::string::npos);
    }

    const std::string related = dir.copyFixture("indexTestV2000.mdb");
    const auto bytes = readFileBytes(related);
    auto db = openStoreDatabase(related, io::Env::real(), noLocks);
    ASSERT_TRUE(db.isOk());
    ASSERT_TRUE((*db)->dropTable("Table2").isOk());
    EXPECT_EQ((*db)->commit().code(), err::kInRelationship);
    EXPECT_EQ(readFileBytes(related), bytes);
}

}  // namespace
}  // namespace velmora::engine::jet
