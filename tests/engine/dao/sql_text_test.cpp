// Statement pieces built from grid text read back as exactly that text, through the real
// parser and executor: quotes and would-be operators cannot change a statement.
#include <gtest/gtest.h>

#include "engine/dao/sql_text.h"
#include "engine/dao/workspace.h"
#include "engine/sql/winstb_fixture.h"
#include "engine/store/database.h"

namespace velmora::engine::dao {
namespace {

TEST(SqlText, QuotedTextsRoundTripThroughTheEngine) {
    Workspace ws = Workspace::createWorkspace();
    auto db = ws.openDatabase(std::make_unique<store::MemoryStorage>());
    testing::addWinStbTables(db->store());
    for (const std::string name : {"O'Brien", "''", "a' OR 'x'='x", "\"quoted\"", "x; DELETE"}) {
        db->execute("INSERT INTO FAVNAME (FAVNAME, FAVNUM) VALUES (" + quoteText(name) + ", 9)");
        Recordset rs =
            db->openRecordset("SELECT FAVNAME FROM FAVNAME WHERE FAVNAME = " + quoteText(name),
                              RecordsetType::Snapshot);
        ASSERT_FALSE(rs.eof()) << name;
        EXPECT_EQ(rs.field(0).text(), name);
        rs.moveNext();
        EXPECT_TRUE(rs.eof()) << name;  // the injected OR matched nothing else
    }
    auto column = quoteName("FAVNAME");
    ASSERT_TRUE(column);
    EXPECT_EQ(db->openRecordset("SELECT " + *column + " FROM [FAVNAME]").fields().count(), 1);
}

TEST(SqlText, NumbersAreCheckedBeforeTheyGoInBare) {
    EXPECT_EQ(numberLiteral("12"), "12");
    EXPECT_EQ(numberLiteral(" -1.5 "), "-1.5");
    EXPECT_EQ(numberLiteral("2E3"), "2E3");
    EXPECT_EQ(numberLiteral(".5"), ".5");
    EXPECT_FALSE(numberLiteral(""));
    EXPECT_FALSE(numberLiteral("1 OR 1=1"));
    EXPECT_FALSE(numberLiteral("1,5"));
    EXPECT_FALSE(numberLiteral("12abc"));
    EXPECT_FALSE(numberLiteral("1e"));
    EXPECT_FALSE(numberLiteral("-"));
    EXPECT_FALSE(quoteName(""));
    EXPECT_FALSE(quoteName("a]b"));
    EXPECT_EQ(quoteName("My Table"), "[My Table]");
}

}  // namespace
}  // namespace velmora::engine::dao
