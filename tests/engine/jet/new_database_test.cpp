// A database made from nothing: it reads back through our reader and mdbtools, passes the
// structural check, and matches what the Jet engine itself wrote into adox_jet4.mdb wherever
// the bytes carry meaning.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/base/access_date.h"
#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/io/memory_env.h"
#include "engine/jet/header.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/new_database.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;

constexpr size_t kPage = 4096;

std::vector<uint8_t> unmaskedPage0(const std::vector<uint8_t>& file) {
    std::vector<uint8_t> p(file.begin(), file.begin() + kPage);
    for (size_t i = 0; i < 128; ++i)
        p[0x18 + i] ^= headerMask()[i];
    return p;
}

Bytes page(const std::vector<uint8_t>& file, size_t n) {
    return Bytes(file).subspan(n * kPage, kPage);
}

TEST(NewDatabase, ReadsBackWithItsCatalogAndPassesTheChecks) {
    TempDir dir;
    std::string path = (dir.path() / "new.mdb").string();
    ASSERT_TRUE(createDatabase(io::Env::real(), path).isOk());
    EXPECT_FALSE(std::filesystem::exists(path + ".velmora-new"));

    auto db = openDatabase(path, io::Env::real());
    ASSERT_TRUE(db.isOk()) << db.status().toString();
    EXPECT_EQ((*db)->header().version, JetVersion::Jet4);
    EXPECT_EQ((*db)->header().codePage, 1252);
    EXPECT_EQ((*db)->header().sortOrder, 1033);
    EXPECT_FALSE((*db)->header().hasPassword());

    std::set<std::string> tables;
    for (const auto& t : (*db)->listTables())
        tables.insert(t.name);
    EXPECT_EQ(tables, (std::set<std::string>{"MSysObjects", "MSysACEs", "MSysQueries",
                                             "MSysRelationships"}));
    std::map<std::string, int32_t> ids;
    for (const auto& e : (*db)->catalog())
        ids[e.name] = e.id;
    EXPECT_EQ(ids.size(), 8u);
    EXPECT_EQ(ids["Tables"], catalog_id::kTables);
    EXPECT_EQ(ids["MSysDb"], catalog_id::kDatabaseObject);
    EXPECT_EQ(ids["MSysObjects"], 2);
    EXPECT_EQ(ids["MSysRelationships"], 5);
    auto aces = (*db)->loadTable("MSysACEs");
    ASSERT_TRUE(aces.isOk());
    EXPECT_EQ((*aces)->liveRowCount(), 16u);

    auto check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << check.out;
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    EXPECT_EQ(runCommand("mdb-tables -S -1 " + shellQuote(path)).out,
              "MSysObjects\nMSysACEs\nMSysQueries\nMSysRelationships\n");
    auto objects = mdbExport(path, "MSysObjects");
    EXPECT_EQ(objects.status, 0);
    EXPECT_EQ(std::count(objects.out.begin(), objects.out.end(), '\n'), 9) << objects.out;
    EXPECT_NE(objects.out.find("\"MSysDb\""), std::string::npos);
}

// The structures that carry meaning equal the Jet engine's own bytes; what differs is the
// creation date (and the password mask derived from it), the dates in the catalog rows,
// prefix compression of index pages, and bytes Jet leaves as memory garbage.
TEST(NewDatabase, MatchesTheJetMadeMinimalDatabase) {
    auto reference = readFileBytes((writerFixtureDir() / "adox_jet4.mdb").string());
    if (reference.empty())
        GTEST_SKIP() << "../shared/fixtures is absent";
    NewDatabaseOptions options;
    options.creationDate = 42329.944;  // the reference file's day, so the masks agree
    auto built = buildNewJet4Database(options);
    ASSERT_TRUE(built.isOk()) << built.status().toString();
    ASSERT_EQ(built->size(), reference.size());

    auto ours = unmaskedPage0(*built);
    auto theirs = unmaskedPage0(reference);
    for (size_t i = 0; i < kPage; ++i) {
        if (i >= 0x72 && i < 0x7A)
            continue;  // creation date
        EXPECT_EQ(ours[i], theirs[i]) << "page 0 offset " << i;
    }
    // Global map, usage-map host, the empty index roots and the access entries.
    for (size_t p : {1, 6, 10, 11, 12, 13, 15}) {
        auto a = page(*built, p), b = page(reference, p);
        EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin())) << "page " << p;
    }
    // Table definitions: every field a reader uses.
    for (uint32_t p = 2; p <= 5; ++p) {
        auto a = decodeTableDefinition(jet4Format(), page(*built, p), 1252);
        auto b = decodeTableDefinition(jet4Format(), page(reference, p), 1252);
        ASSERT_TRUE(a.isOk() && b.isOk());
        EXPECT_EQ(a->declaredLength, b->declaredLength) << "page " << p;
        EXPECT_EQ(a->rowCount, b->rowCount);
        const auto &x = a->schema, &y = b->schema;
        ASSERT_EQ(x.columns.size(), y.columns.size());
        for (size_t i = 0; i < x.columns.size(); ++i) {
            EXPECT_EQ(x.columns[i].name, y.columns[i].name);
            EXPECT_EQ(x.columns[i].number, y.columns[i].number);
            EXPECT_EQ(x.columns[i].flags, y.columns[i].flags) << x.columns[i].name;
            EXPECT_EQ(x.columns[i].length, y.columns[i].length);
            EXPECT_EQ(x.columns[i].variableSlot, y.columns[i].variableSlot) << x.columns[i].name;
            if (x.columns[i].isFixed()) {
                EXPECT_EQ(x.columns[i].fixedOffset, y.columns[i].fixedOffset);
            }
        }
        ASSERT_EQ(x.realIndexes.size(), y.realIndexes.size());
        for (size_t i = 0; i < x.realIndexes.size(); ++i) {
            EXPECT_EQ(x.realIndexes[i].flags, y.realIndexes[i].flags);
            EXPECT_EQ(x.realIndexes[i].rootPage, y.realIndexes[i].rootPage);
            EXPECT_EQ(x.realIndexes[i].usageMapRow, y.realIndexes[i].usageMapRow);
            EXPECT_EQ(x.realIndexes[i].rowCount, y.realIndexes[i].rowCount);
        }
        ASSERT_EQ(x.logicalIndexes.size(), y.logicalIndexes.size());
        for (size_t i = 0; i < x.logicalIndexes.size(); ++i) {
            EXPECT_EQ(x.logicalIndexes[i].name, y.logicalIndexes[i].name);
            EXPECT_EQ(x.logicalIndexes[i].number, y.logicalIndexes[i].number);
            EXPECT_EQ(x.logicalIndexes[i].type, y.logicalIndexes[i].type);
        }
        EXPECT_EQ(x.usedPagesRow, y.usedPagesRow);
        EXPECT_EQ(x.freePagesRow, y.freePagesRow);
        ASSERT_EQ(x.longValueMaps.size(), y.longValueMaps.size());
        for (size_t i = 0; i < x.longValueMaps.size(); ++i) {
            EXPECT_EQ(x.longValueMaps[i].columnNumber, y.longValueMaps[i].columnNumber);
            EXPECT_EQ(x.longValueMaps[i].ownedPagesRow, y.longValueMaps[i].ownedPagesRow);
        }
    }
    // The catalog rows: same slots and lengths; only the dates differ.
    auto a = decodeDataPage(jet4Format(), 14, page(*built, 14));
    auto b = decodeDataPage(jet4Format(), 14, page(reference, 14));
    ASSERT_TRUE(a.isOk() && b.isOk());
    ASSERT_EQ(a->slots.size(), b->slots.size());
    for (size_t i = 0; i < a->slots.size(); ++i)
        EXPECT_EQ(a->slots[i].raw, b->slots[i].raw) << "slot " << i;
}

TEST(NewDatabase, RefusesAnExistingFileAndLeavesItAlone) {
    io::MemoryEnv env;
    {
        auto f = env.open("db.mdb", io::OpenMode::CreateNew);
        ASSERT_TRUE(f.isOk());
        std::vector<uint8_t> junk = {1, 2, 3};
        ASSERT_TRUE((*f)->write(0, junk).isOk());
    }
    Status s = createDatabase(env, "db.mdb");
    EXPECT_EQ(s.code(), err::kDatabaseExists);
    auto f = env.open("db.mdb", io::OpenMode::ReadOnly);
    ASSERT_TRUE(f.isOk());
    EXPECT_EQ(*(*f)->size(), 3u);
    EXPECT_FALSE(env.exists("db.mdb.velmora-new"));
}

// The writer's dates come from the Env's clock: the header of a new file, and the catalog
// dates of a table created later.
TEST(NewDatabase, TakesItsDatesFromTheEnvClock) {
    io::MemoryEnv env;
    const std::time_t created = kFixedWriteTime, tableMade = kFixedWriteTime + 86400 + 3600;
    env.fixTime(created);
    ASSERT_TRUE(createDatabase(env, "db.mdb").isOk());
    env.fixTime(tableMade);
    {
        OpenOptions options;
        options.useOsLocks = false;
        auto db = openStoreDatabase("db.mdb", env, options);
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        store::TableSchema s;
        s.name = "Later";
        store::ColumnDef c;
        c.name = "Name";
        c.type = store::ColumnType::Text;
        c.length = 20;
        s.columns = {c};
        ASSERT_TRUE((*db)->createTable(s).isOk());
        ASSERT_TRUE((*db)->commit().isOk());
    }
    auto storage = openDatabase("db.mdb", env);
    ASSERT_TRUE(storage.isOk()) << storage.status().toString();
    EXPECT_DOUBLE_EQ((*storage)->header().creationDate, accessDateOfLocalTime(created));
    auto objects = (*storage)->loadTable("MSysObjects");
    ASSERT_TRUE(objects.isOk());
    const auto& schema = (*objects)->schema();
    const size_t name = *schema.findColumn("Name"), made = *schema.findColumn("DateCreate"),
                 changed = *schema.findColumn("DateUpdate");
    int seen = 0;
    (*objects)->forEachLive([&](store::RowId, const store::Row& r) {
        if (r[name] != store::Value(std::string("Later")))
            return;
        ++seen;
        EXPECT_EQ(r[made], store::Value(store::DateTime{accessDateOfLocalTime(tableMade)}));
        EXPECT_EQ(r[changed], store::Value(store::DateTime{accessDateOfLocalTime(tableMade)}));
    });
    EXPECT_EQ(seen, 1);
}

}  // namespace
}  // namespace velmora::engine::jet
