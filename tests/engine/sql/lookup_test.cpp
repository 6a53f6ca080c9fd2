// Rows found by equal columns. The first time a session looks up a column list, a scan compares
// each row's key; from the second time on a hash answers, and the session keeps it current as
// rows change. Either way the rows found are exactly those the condition's own evaluation
// finds: text without regard to letter case, numbers of any type, Null equal to nothing.
#include <gtest/gtest.h>

#include "engine/sql/session.h"
#include "support/winstb_fixture.h"

namespace velmora::engine::sql {
namespace {

// The channel numbers a query returns, in its order.
std::vector<int64_t> numbers(Session& session, const std::string& where) {
    auto r = session.query("SELECT CHANNELNUM FROM CHANNELS WHERE " + where);
    EXPECT_TRUE(r.isOk()) << where << ": " << r.status().toString();
    std::vector<int64_t> out;
    if (r.isOk()) {
        for (const store::Row& row : r->rows)
            out.push_back(std::get<int64_t>(row[0]));
    }
    return out;
}

TEST(Lookups, TheFirstScanAndTheHashFindWhatTheConditionFinds) {
    struct Case {
        const char* where;
        size_t rows;
    };
    const Case cases[] = {
        {"SOURCEID = 's19e'", 5},
        {"NAME = 'sport1'", 2},
        {"NAME = 'ö1'", 1},
        {"SID = 200.0", 2},
        {"SOURCEID = 'S13E' AND SID = 301", 1},
        {"SID = 301 AND SOURCEID = 's13e'", 1},
        {"PROVIDERID = ''", 1},
        {"SOURCEID = 's13e' AND PROVIDERID = 'rx'", 1},  // channel 8's PROVIDERID is Null
        {"NAME = 'nobody'", 0},
    };
    for (const Case& c : cases) {
        store::Database db(std::make_unique<store::MemoryStorage>());
        testing::addWinStbTables(db);
        Session session(db);
        ASSERT_TRUE(session
                        .execute("INSERT INTO CHANNELS (CHANNELNUM, SOURCEID, SID, NID, FREQUENCY) "
                                 "VALUES (8, 'S13E', 302, 3, 11000)")
                        .isOk());
        const std::string where = c.where;
        // The condition evaluated row by row, with no lookup.
        const std::vector<int64_t> expected = numbers(session, "NOT (NOT (" + where + "))");
        EXPECT_EQ(expected.size(), c.rows) << where;
        // An UPDATE asks first (a scan), a SELECT then (the hash built for it).
        ASSERT_TRUE(session.execute("UPDATE CHANNELS SET VIDEOID = -1 WHERE " + where).isOk());
        EXPECT_EQ(numbers(session, where), expected) << where;
        EXPECT_EQ(numbers(session, "VIDEOID = -1"), expected) << where << ", scanned";
        EXPECT_EQ(numbers(session, "VIDEOID = -1"), expected) << where << ", hashed";
        // Rows leaving and joining a key move in the hash kept for it.
        ASSERT_TRUE(session.execute("UPDATE CHANNELS SET VIDEOID = 5 WHERE VIDEOID = -1").isOk());
        EXPECT_EQ(numbers(session, "VIDEOID = -1"), std::vector<int64_t>{}) << where;
        EXPECT_EQ(numbers(session, "VIDEOID = 5"), expected) << where;
        EXPECT_EQ(numbers(session, "VIDEOID = 5"), expected) << where;
    }
}

}  // namespace
}  // namespace velmora::engine::sql
