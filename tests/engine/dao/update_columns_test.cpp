// An UPDATE over a Jet file reads only the columns it needs (the others stay unread until a
// later statement asks for them). Whatever follows it in the same session, and after the
// commit and a new open, the rows are exactly those the same statements leave in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/dao/workspace.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/database.h"
#include "winstb_database.h"

namespace velmora::engine::dao {
namespace {

namespace fs = std::filesystem;

// Every table's rows, in stored order, their fields as text joined by '|'.
std::vector<std::string> everyRow(Database& db) {
    std::vector<std::string> out;
    for (const char* table : {"CHANNELS", "FAVOURITE", "FAVNAME"}) {
        Recordset rs =
            db.openRecordset(std::string("SELECT * FROM ") + table, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            std::string line = table;
            for (int k = 0; k < rs.fields().count(); ++k)
                line += "|" + (rs.field(k).isNull() ? std::string("NULL") : rs.field(k).text());
            out.push_back(line);
        }
    }
    return out;
}

// The WinSTB tables in a new Jet file.
fs::path winStbFile(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / (name + ".mdb");
    fs::remove(path);
    EXPECT_TRUE(jet::createDatabase(io::Env::real(), path.string()).isOk());
    auto db = jet::openStoreDatabase(path.string(), io::Env::real());
    EXPECT_TRUE(db.isOk());
    if (db.isOk())
        testing::addWinStbTables(**db);
    return path;
}

struct Case {
    const char* name;
    // Statements run one after another; "commit" commits the file there, and "check" compares
    // every row in the session (which reads any column left unread). The file's session is
    // committed at the end, and opened again for a last comparison.
    std::vector<const char*> steps;
};

TEST(UpdateColumns, LaterStatementsCommitsAndOpensSeeEveryColumn) {
    const Case cases[] = {
        {"fixed_then_read",
         {"UPDATE CHANNELS SET CHANNELNUM = CHANNELNUM + 1000 WHERE VIDEOID > 0", "check"}},
        {"fixed_committed_unread", {"UPDATE CHANNELS SET CHANNELNUM = CHANNELNUM - 1"}},
        {"fixed_then_text",
         {"UPDATE CHANNELS SET ECM = 7",
          "UPDATE CHANNELS SET NAME = 'N' & CHANNELNUM WHERE SID = 100"}},
        {"fixed_commit_then_delete",
         {"UPDATE CHANNELS SET AUDIOID = AUDIOID + 1", "commit", "check",
          "DELETE FROM CHANNELS WHERE SID = 100"}},
        {"fixed_then_insert",
         {"UPDATE CHANNELS SET VIDEOID = 3",
          "INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) "
          "VALUES (99, 'Neu', 'S19E', 999, 1, 12000)"}},
        {"fixed_then_key", {"UPDATE CHANNELS SET ECM = 1", "UPDATE CHANNELS SET NID = NID + 1"}},
        {"two_fixed",
         {"UPDATE CHANNELS SET ECM = 1", "commit", "UPDATE CHANNELS SET CHANNELNUM = 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = winStbFile(std::string("velmora-update-columns-") + c.name);
        auto memory = testing::openWinStb();
        {
            auto ws = Workspace::createWorkspace();
            auto file = ws.openDatabase(path.string());
            for (const char* step : c.steps) {
                SCOPED_TRACE(step);
                if (std::string(step) == "commit") {
                    file->commit();
                } else if (std::string(step) == "check") {
                    EXPECT_EQ(everyRow(*file), everyRow(*memory.db));
                } else {
                    memory.db->execute(step);
                    file->execute(step);
                }
            }
            file->commit();
        }
        auto ws = Workspace::createWorkspace();
        auto reopened = ws.openDatabase(path.string());
        EXPECT_EQ(everyRow(*reopened), everyRow(*memory.db));
        reopened.reset();
        fs::remove(path);
    }
}

}  // namespace
}  // namespace velmora::engine::dao
