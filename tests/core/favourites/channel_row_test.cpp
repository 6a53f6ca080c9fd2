// The statements a grid row turns into: the exact texts the commands send, with a quote in a
// text value doubled and the number cells as they were read.
#include <gtest/gtest.h>

#include <string>

#include "core/favourites/channel_row.h"

namespace velmora::core::favourites {
namespace {

TEST(ChannelRowSql, EveryStatementHasItsExactText) {
    struct Case {
        const char* source;
        const char* favorite;
        const char* frequency;
        std::string forDelete, forSave, inGroup, assignments;
    };
    const Case cases[] = {
        {"S19.2E", "Sport", "11953",
         "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
         "'S19.2E' AND SID = 28006 AND NID = 1 AND FREQUENCY = 11953",
         "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
         "'S19.2E' AND SID = 28006 AND NID = 1 AND FREQUENCY = 11953",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = 'S19.2E' AND "
         "FAVNAME = 'Sport' AND SID = 28006 AND NID = 1",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = 'S19.2E' AND "
         "SID = 28006 AND NID = 1"},
        // Quotes inside texts are doubled, so the value never ends its literal early; a long
        // source needs more room than the statement reserves at first.
        {"Rock'n'Roll Source with a name much longer than most", "It's", "-0.5",
         "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
         "'Rock''n''Roll Source with a name much longer than most' AND SID = 28006 AND NID = 1 "
         "AND FREQUENCY = -0.5",
         "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
         "'Rock''n''Roll Source with a name much longer than most' AND SID = 28006 AND NID = 1 "
         "AND FREQUENCY = -0.5",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = "
         "'Rock''n''Roll Source with a name much longer than most' AND FAVNAME = 'It''s' AND "
         "SID = 28006 AND NID = 1",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = "
         "'Rock''n''Roll Source with a name much longer than most' AND SID = 28006 AND NID = 1"},
        {"", "", "0",
         "SELECT CHANNELNUM, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = '' AND "
         "SID = 28006 AND NID = 1 AND FREQUENCY = 0",
         "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = "
         "'' AND SID = 28006 AND NID = 1 AND FREQUENCY = 0",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = '' AND FAVNAME "
         "= '' AND SID = 28006 AND NID = 1",
         "SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = '' AND SID = "
         "28006 AND NID = 1"},
    };
    for (const Case& c : cases) {
        ChannelRow row;
        row.source = c.source;
        row.favorite = c.favorite;
        row.sid = "28006";
        row.nid = "1";
        row.frequency = c.frequency;
        EXPECT_EQ(row.channelForDeleteSql(), c.forDelete);
        EXPECT_EQ(row.channelForSaveSql(), c.forSave);
        EXPECT_EQ(row.assignmentInGroupSql(), c.inGroup);
        EXPECT_EQ(row.assignmentsSql(), c.assignments);
    }
}

}  // namespace
}  // namespace velmora::core::favourites
