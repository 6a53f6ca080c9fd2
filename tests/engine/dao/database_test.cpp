// The database side of the DAO-shaped interface: Execute, commit points, read-only storage,
// table definitions and creating the primary key, and opening real Access-made files.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>

#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "support/test_paths.h"
#include "winstb_database.h"

namespace velmora::engine::dao {
namespace {

// The shared fixtures are marked read-only, and a copy keeps that mark.
void makeWritable(const std::filesystem::path& file) {
    std::filesystem::permissions(file, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

using testing::openWinStb;

int rows(Database& db, const std::string& table) {
    Recordset rs = db.openRecordset(table);
    return rs.recordCount();
}

TEST(Workspace, OnlyTheAdminAccountExists) {
    EXPECT_EQ(guarded([] { (void)Workspace::createWorkspace("NewJetWorkspace", "Admin", ""); }), 0);
    EXPECT_EQ(guarded([] { (void)Workspace::createWorkspace("NewJetWorkspace", "guest", ""); }),
              3029);
    Workspace ws = Workspace::createWorkspace();
    std::unique_ptr<Database> db;
    EXPECT_NE(ws.tryOpenDatabase("/nonexistent/folder/WinSTB.mdb", db), 0);
    EXPECT_EQ(db, nullptr);
}

TEST(Database, ExecuteRunsActionStatementsOnly) {
    auto [storage, db] = openWinStb();
    db->execute("DELETE * From CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))");
    EXPECT_EQ(rows(*db, "CHANNELS"), 6);
    EXPECT_EQ(db->tryExecute("SELECT * FROM CHANNELS"), 3065);
    EXPECT_EQ(db->tryExecute("UPDATE CHANNELS SET SID = 'x'"), 3421);
    EXPECT_EQ(db->tryExecute("DELETE * FROM CHANNELS WHERE NAME = 'O'Brien'"), 3075);
    try {
        db->execute("SELECT * FROM Nowhere INTO X");
        FAIL() << "no error";
    } catch (const DaoError& e) {
        EXPECT_NE(e.number(), 0);
        EXPECT_FALSE(e.text().empty());
    }
}

TEST(Database, CommitWritesOnceAndRollbackForgets) {
    auto [storage, db] = openWinStb();
    const int before = storage->commitCount();
    db->execute("DELETE * FROM FAVOURITE WHERE FAVNAME = 'Sport'");
    EXPECT_TRUE(db->hasPendingChanges());
    db->commit();
    EXPECT_EQ(storage->commitCount(), before + 1);
    db->commit();  // nothing changed since
    EXPECT_EQ(storage->commitCount(), before + 1);

    db->execute("DELETE * FROM FAVOURITE");
    EXPECT_EQ(rows(*db, "FAVOURITE"), 0);
    db->rollback();
    EXPECT_EQ(rows(*db, "FAVOURITE"), 2);
    // The lookups forgot the rolled-back rows too.
    Recordset rs = db->openRecordset(
        "SELECT NUM FROM FAVOURITE WHERE FAVNAME = 'News' AND SID = 101", RecordsetType::Snapshot);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(0).text(), "2");
}

TEST(Database, ReadOnlyStorageRefusesChangesAndSaysWhy) {
    auto [storage, db] = openWinStb();
    storage->setReadOnlyReason("the file is locked by another program");
    EXPECT_TRUE(db->isReadOnly());
    EXPECT_EQ(db->readOnlyReason(), "the file is locked by another program");
    EXPECT_EQ(db->tryExecute("DELETE * FROM FAVNAME"), 3027);
    Recordset rs = db->openRecordset("SELECT * FROM FAVNAME", RecordsetType::Dynaset);
    EXPECT_EQ(guarded([&] { rs.edit(); }), 3027);
    EXPECT_EQ(rows(*db, "FAVNAME"), 3);
}

TEST(TableDefs, ListFindDeleteAndSeeNewTables) {
    auto [storage, db] = openWinStb();
    TableDefs defs = db->tableDefs();
    ASSERT_EQ(defs.count(), 3);
    EXPECT_EQ(defs.item(0).name(), "CHANNELS");
    EXPECT_EQ(defs.item("favname").name(), "FAVNAME");
    EXPECT_EQ(guarded([&] { (void)defs.item("FREQDUPS"); }), 3265);
    EXPECT_EQ(guarded([&] { (void)defs.item(3); }), 3265);

    db->execute(
        "SELECT CHANNELS.SOURCEID, CHANNELS.SID, CHANNELS.NID, Count(CHANNELS.FREQUENCY) AS "
        "NUMDUPS INTO FREQDUPS From CHANNELS GROUP BY CHANNELS.SOURCEID, CHANNELS.SID, "
        "CHANNELS.NID HAVING (((Count(CHANNELS.FREQUENCY))>1));");
    defs.refresh();
    EXPECT_EQ(defs.count(), 4);
    auto fields = defs.item("FREQDUPS").fields();
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0].name, "SOURCEID");
    EXPECT_EQ(fields[0].type, type_code::kText);
    EXPECT_EQ(fields[0].size, 20);
    EXPECT_EQ(fields[3].name, "NUMDUPS");
    EXPECT_EQ(fields[3].type, type_code::kLong);

    defs.deleteTable("FREQDUPS");
    EXPECT_EQ(defs.count(), 3);
    EXPECT_EQ(guarded([&] { defs.deleteTable("FREQDUPS"); }), 3265);
    std::vector<std::string> names;
    for (const TableDef& t : defs.all())
        names.push_back(t.name());
    EXPECT_EQ(names, (std::vector<std::string>{"CHANNELS", "FAVOURITE", "FAVNAME"}));
}

// The session keeps a statement's binding to its tables between texts of one shape. A table
// dropped and made again with its columns in another order must be bound anew, and a table
// that is gone must be missed, not read.
TEST(TableDefs, AStatementOfAKnownShapeFollowsATableMadeAnew) {
    auto [storage, db] = openWinStb();
    auto nameOf = [&](int sid) {
        Recordset rs = db->openRecordset("SELECT NAME FROM T WHERE SID = " + std::to_string(sid),
                                         RecordsetType::Snapshot);
        return rs.eof() ? std::string("(none)") : rs.field(0).text();
    };
    db->execute("SELECT SID, NAME INTO T FROM CHANNELS WHERE SID = 100");
    EXPECT_EQ(nameOf(100), "ORF1");

    TableDefs defs = db->tableDefs();
    defs.deleteTable("T");
    db->execute("SELECT NAME, NID, SID INTO T FROM CHANNELS WHERE SID = 101");
    EXPECT_EQ(nameOf(101), "ORF2");
    EXPECT_EQ(nameOf(100), "(none)");

    defs.deleteTable("T");
    EXPECT_EQ(guarded([&] { (void)nameOf(101); }), 3078);
}

TEST(Indexes, ThePrimaryKeyAsStored) {
    auto [storage, db] = openWinStb();
    Indexes indexes = db->tableDefs().item("CHANNELS").indexes();
    ASSERT_EQ(indexes.count(), 1);
    std::vector<std::string> fields;
    for (const Index& index : indexes) {
        EXPECT_EQ(index.name(), "PrimaryKey");
        EXPECT_TRUE(index.primary());
        EXPECT_FALSE(index.ignoreNulls());
        for (const IndexField& f : index.fields())
            fields.push_back(f.name());
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"SOURCEID", "SID", "NID", "FREQUENCY"}));
}

Index primaryKey(const TableDef& table) {
    Index index = table.createIndex("PrimaryKey");
    for (const char* name : {"SOURCEID", "SID", "NID", "FREQUENCY"})
        index.appendField(index.createField(name));
    index.setPrimary(true);
    index.setIgnoreNulls(false);
    return index;
}

TEST(Indexes, CreatingThePrimaryKey) {
    auto [storage, db] = openWinStb({.primaryKey = false});
    TableDef channels = db->tableDefs().item("CHANNELS");
    Indexes indexes = channels.indexes();
    EXPECT_EQ(indexes.count(), 0);
    indexes.append(primaryKey(channels));
    indexes.refresh();
    EXPECT_EQ(indexes.count(), 1);
    EXPECT_TRUE(indexes.item("PrimaryKey").primary());
    EXPECT_EQ(guarded([&] { indexes.append(primaryKey(channels)); }), 3012);
    // The new key is enforced at once.
    EXPECT_EQ(db->tryExecute("INSERT INTO CHANNELS (CHANNELNUM, SOURCEID, SID, NID, FREQUENCY) "
                             "VALUES (8, 'S19E', 100, 1, 11953)"),
              3022);
}

TEST(Indexes, RepeatedKeysRefuseTheIndexAndLeaveNone) {
    auto [storage, db] = openWinStb({.primaryKey = false});
    db->execute(
        "INSERT INTO CHANNELS (CHANNELNUM, SOURCEID, SID, NID, FREQUENCY) VALUES (8, "
        "'S19E', 100, 1, 11953)");
    TableDef channels = db->tableDefs().item("CHANNELS");
    Indexes indexes = channels.indexes();
    EXPECT_EQ(guarded([&] { indexes.append(primaryKey(channels)); }), 3022);
    indexes.refresh();
    EXPECT_EQ(indexes.count(), 0);
    Index bad = channels.createIndex("ByName");
    bad.appendField(bad.createField("NAMEX"));
    EXPECT_EQ(guarded([&] { indexes.append(bad); }), 3265);
}

// Real files written by Access, read through the default opener and compared with mdbtools.
TEST(RealFiles, ATableReadsAsMdbtoolsReadsIt) {
    const std::filesystem::path file =
        std::filesystem::path(velmora::test::sharedDir()) / "fixtures" / "jet" / "testV1997.mdb";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "shared fixtures not found at " << file;
    // Opened from a copy: the opener takes a writable file for writing, with its lock file.
    const std::filesystem::path copy = std::filesystem::temp_directory_path() /
                                       ("velmora_dao_read_" + std::to_string(getpid()) + ".mdb");
    std::filesystem::copy_file(file, copy, std::filesystem::copy_options::overwrite_existing);
    makeWritable(copy);
    Workspace ws = Workspace::createWorkspace();
    auto db = ws.openDatabase(copy.string());
    TableDefs defs = db->tableDefs();
    bool sawSystem = false;
    for (const TableDef& t : defs.all())
        sawSystem = sawSystem || t.name().rfind("MSys", 0) == 0;
    EXPECT_TRUE(sawSystem);

    Recordset rs = db->openRecordset("SELECT * FROM Table1", RecordsetType::Snapshot);
    rs.moveLast();
    [[maybe_unused]] const int count = rs.recordCount();  // compared with mdbtools below

    Recordset byName = db->openRecordset("Table1");
    EXPECT_EQ(byName.fields().count(), rs.fields().count());
    EXPECT_EQ(byName.field(0).type(), type_code::kText);
    std::error_code ignored;  // Windows removes no file still open: the copy may stay
    std::filesystem::remove(copy, ignored);

#ifdef _WIN32
    GTEST_SKIP() << "mdbtools read the file in the Linux build";
#else
    std::string command = "mdb-export '" + file.string() + "' Table1 2>/dev/null | wc -l";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    int lines = 0;
    ASSERT_EQ(fscanf(pipe, "%d", &lines), 1);
    pclose(pipe);
    if (lines == 0)
        GTEST_SKIP() << "mdb-export is not installed";
    EXPECT_EQ(count, lines - 1);  // mdb-export prints a header line
#endif
}

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        out.append(buf, n);
    pclose(pipe);
    return out;
}

// Changes made through the interface reach a real Access-made file at the commit point, and
// mdbtools reads them back; a refused statement leaves the file as it was.
TEST(RealFiles, CommittedChangesAreReadByMdbtools) {
    namespace fs = std::filesystem;
    const fs::path fixture =
        fs::path(velmora::test::sharedDir()) / "fixtures" / "jet" / "indexTestV2000.mdb";
    if (!fs::exists(fixture))
        GTEST_SKIP() << "shared fixtures not found at " << fixture;
    if (run("command -v mdb-export").empty())
        GTEST_SKIP() << "mdb-export is not installed";
    const fs::path dir = fs::temp_directory_path() / ("velmora_dao_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "channels.mdb";
    fs::copy_file(fixture, file, fs::copy_options::overwrite_existing);
    makeWritable(file);
    const std::string exportTable = "mdb-export '" + file.string() + "' Table1";
    {
        Workspace ws = Workspace::createWorkspace();
        auto db = ws.openDatabase(file.string());
        ASSERT_FALSE(db->isReadOnly()) << db->readOnlyReason();
        db->execute("UPDATE Table1 SET data = 'changed' WHERE id = 1");
        db->execute(
            "INSERT INTO Table1 (id, otherfk1, otherfk2, data, otherfk3) VALUES (99, "
            "1, 1, 'O''Brien', 1)");
        EXPECT_EQ(run(exportTable).find("changed"), std::string::npos);  // not yet committed
        db->commit();
        EXPECT_EQ(db->tryExecute("INSERT INTO Table1 (id, data) VALUES (99, 'twice')"), 3022);
        db->execute("DELETE * FROM Table1");
        db->rollback();
        db->close();
    }
    const std::string exported = run(exportTable);
    EXPECT_NE(exported.find("1,1,11,\"changed\",0"), std::string::npos) << exported;
    EXPECT_NE(exported.find("99,1,1,\"O'Brien\",1"), std::string::npos) << exported;
    EXPECT_EQ(exported.find("twice"), std::string::npos);

    Workspace ws = Workspace::createWorkspace();
    auto reopened = ws.openDatabase(file.string());
    Recordset rs = reopened->openRecordset("SELECT data FROM Table1 WHERE id = 99");
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(0).text(), "O'Brien");
    EXPECT_EQ(reopened->openRecordset("Table1").recordCount(), 5);
    reopened->close();
    fs::remove_all(dir);
}

// CompactDatabase writes a copy beside the source and keeps the source; an existing target is
// refused and left alone.
TEST(RealFiles, CompactingWritesACopyAndKeepsTheSource) {
    namespace fs = std::filesystem;
    const fs::path fixture =
        fs::path(velmora::test::sharedDir()) / "fixtures" / "jet" / "indexTestV2000.mdb";
    if (!fs::exists(fixture))
        GTEST_SKIP() << "shared fixtures not found at " << fixture;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora_compact_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path source = dir / "WinSTB.mdb";
    const fs::path target = dir / "WinSTB1.mdb";
    fs::copy_file(fixture, source, fs::copy_options::overwrite_existing);
    makeWritable(source);
    const auto sourceSize = fs::file_size(source);

    Workspace ws = Workspace::createWorkspace();
    ws.compactDatabase(source.string(), target.string());
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(source), sourceSize);
    {
        auto copy = ws.openDatabase(target.string());
        auto original = ws.openDatabase(source.string());
        for (const char* table : {"Table1", "Table2", "Table3"}) {
            EXPECT_EQ(copy->openRecordset(table).recordCount(),
                      original->openRecordset(table).recordCount())
                << table;
        }
        copy->close();
        original->close();
    }
    const auto targetSize = fs::file_size(target);
    EXPECT_EQ(guarded([&] { ws.compactDatabase(source.string(), target.string()); }), 3204);
    EXPECT_EQ(fs::file_size(target), targetSize);
    EXPECT_EQ(guarded([&] { ws.compactDatabase((dir / "none.mdb").string(), "x.mdb"); }), 3024);
    fs::remove_all(dir);
}

// A Jet 3 (Access 97) file is changed in place like a Jet 4 one; a copy, never the fixture.
TEST(RealFiles, Jet3FilesAreWrittenInPlace) {
    namespace fs = std::filesystem;
    const fs::path fixture =
        fs::path(velmora::test::sharedDir()) / "fixtures" / "jet" / "testV1997.mdb";
    if (!fs::exists(fixture))
        GTEST_SKIP() << "shared fixtures not found at " << fixture;
    if (run("command -v mdb-export").empty())
        GTEST_SKIP() << "mdb-export is not installed";
    const fs::path dir = fs::temp_directory_path() / ("velmora_dao97_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / "channels.mdb";
    fs::copy_file(fixture, file, fs::copy_options::overwrite_existing);
    makeWritable(file);
    {
        Workspace ws = Workspace::createWorkspace();
        auto db = ws.openDatabase(file.string());
        ASSERT_FALSE(db->isReadOnly()) << db->readOnlyReason();
        db->execute("UPDATE Table1 SET B = 'Änderung' WHERE C = 2");
        db->commit();
    }
    const std::string csv = run("mdb-export '" + file.string() + "' Table1");
    EXPECT_NE(csv.find("\xC3\x84nderung"), std::string::npos) << csv;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace velmora::engine::dao
