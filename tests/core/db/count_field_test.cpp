// Counts read from the fields of statements over a real file our engine wrote: what the
// counting statements give reads as their number, anything else stops with Jet's 3421
// instead of an exception of the C++ library.
#include "core/db/count_field.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <string>

#include "engine/dao/dao_error.h"
#include "engine/dao/workspace.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "support/winstb_fixture.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using engine::dao::guarded;
using engine::dao::Recordset;

class CountFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = fs::temp_directory_path() / ("velmora_count_" + std::to_string(getpid()) + ".mdb");
        fs::remove(m_file);
        engine::io::Env& env = engine::io::Env::real();
        ASSERT_TRUE(engine::jet::createDatabase(env, m_file.string()).isOk());
        {
            auto store = engine::jet::openStoreDatabase(m_file.string(), env);
            ASSERT_TRUE(store.isOk());
            testing::addWinStbTables(**store);
        }
        m_db = m_ws.openDatabase(m_file.string());
    }
    void TearDown() override {
        m_db.reset();
        fs::remove(m_file);
    }

    fs::path m_file;
    engine::dao::Workspace m_ws = engine::dao::Workspace::createWorkspace();
    std::unique_ptr<engine::dao::Database> m_db;
};

TEST_F(CountFieldTest, ReadsCountsAndRefusesWhatIsNoCount) {
    struct Case {
        const char* sql;
        long long count;  // -1: refused with 3421
    };
    const Case cases[] = {
        {"SELECT Count(*) FROM CHANNELS", 7},
        {"SELECT Count(*) FROM CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))", 1},
        {"SELECT Count(FAVOURITE.FAVNAME) FROM FAVNAME LEFT JOIN FAVOURITE ON FAVNAME.FAVNAME = "
         "FAVOURITE.FAVNAME WHERE FAVNAME.FAVNAME = 'Kids' GROUP BY FAVNAME.FAVNAME",
         0},
        // An outer join's missing row: Null, no rows to count.
        {"SELECT FAVOURITE.NUM FROM FAVNAME LEFT JOIN FAVOURITE ON FAVNAME.FAVNAME = "
         "FAVOURITE.FAVNAME WHERE FAVNAME.FAVNAME = 'Kids'",
         0},
        {"SELECT NAME FROM CHANNELS WHERE CHANNELNUM = 1", -1},
        {"SELECT CHANNELNUM / 2 FROM CHANNELS WHERE CHANNELNUM = 1", -1},
        {"SELECT -CHANNELNUM FROM CHANNELS WHERE CHANNELNUM = 1", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        Recordset rs = m_db->openRecordset(c.sql, engine::dao::RecordsetType::Snapshot);
        ASSERT_FALSE(rs.eof());
        long long count = -1;
        engine::dao::ErrorInfo error;
        const int number = guarded([&] { count = core::db::readCount(rs.field(0)); }, &error);
        if (c.count < 0) {
            EXPECT_EQ(number, 3421);
            EXPECT_NE(error.text.find(rs.field(0).text()), std::string::npos) << error.text;
        } else {
            EXPECT_EQ(number, 0) << error.text;
            EXPECT_EQ(count, c.count);
        }
    }
}

}  // namespace
}  // namespace velmora::test
