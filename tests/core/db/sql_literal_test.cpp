// SQL literals built from grid and typed texts, and which tables the explorer lists.
#include <gtest/gtest.h>

#include "core/db/sql_literal.h"
#include "core/db/table_names.h"
#include "engine/dao/workspace.h"
#include "engine/store/database.h"
#include "support/winstb_fixture.h"

namespace velmora::core::db {
namespace {

TEST(SqlLiteral, QuotesInsideATextAreDoubled) {
    EXPECT_EQ(quoteText("ZDF"), "'ZDF'");
    EXPECT_EQ(quoteText(""), "''");
    EXPECT_EQ(quoteText("Rock'n'Roll"), "'Rock''n''Roll'");
    EXPECT_EQ(quoteText("' OR ''='"), "''' OR ''''='''");
}

// Through the real parser and executor: a quoted text reads back as exactly that text, and
// quotes and would-be operators inside it cannot change the statement.
TEST(SqlLiteral, QuotedTextsRoundTripThroughTheEngine) {
    using namespace engine::dao;
    Workspace ws = Workspace::createWorkspace();
    auto db = ws.openDatabase(std::make_unique<engine::store::MemoryStorage>());
    velmora::testing::addWinStbTables(db->store());
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
    Recordset big =
        db->openRecordset("SELECT FAVNUM FROM FAVNAME WHERE FAVNUM < " + *bareNumber(" 1E3 "),
                          RecordsetType::Snapshot);
    EXPECT_FALSE(big.eof());
}

TEST(SqlLiteral, OnlyRealNumbersGoInBare) {
    EXPECT_EQ(bareNumber("12"), "12");
    EXPECT_EQ(bareNumber(" -7 "), "-7");
    EXPECT_EQ(bareNumber("2.5"), "2.5");
    EXPECT_EQ(bareNumber("2E3"), "2E3");  // the statement's parser reads 2000
    EXPECT_EQ(bareNumber(""), std::nullopt);
    EXPECT_EQ(bareNumber("-"), std::nullopt);
    EXPECT_EQ(bareNumber("1.2.3"), std::nullopt);
    EXPECT_EQ(bareNumber("1 OR 1=1"), std::nullopt);
    EXPECT_EQ(bareNumber("0x10"), std::nullopt);
}

TEST(SqlLiteral, TrimAndCaseInsensitiveSearch) {
    EXPECT_EQ(trimBlanks("  Sport  "), "Sport");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimBlanks("\tTab"), "\tTab");  // only blanks are trimmed
    EXPECT_FALSE(quoteName(""));
    EXPECT_FALSE(quoteName("a]b"));
    EXPECT_EQ(quoteName("My Table"), "[My Table]");
    EXPECT_TRUE(containsNoCase("select x where y", "WHERE"));
    EXPECT_FALSE(containsNoCase("SELECT x", "WHERE"));
}

TEST(TableNames, EngineTablesAreRecognisedByMSysInAnyCase) {
    for (const char* name : {"MSysObjects", "msysData", "ABCMSYS", "xMsYsy"}) {
        EXPECT_TRUE(isEngineTableName(name)) << name;
    }
    for (const char* name : {"MSY", "SysM", "CHANNELS", "M Sys"}) {
        EXPECT_FALSE(isEngineTableName(name)) << name;
    }
}

}  // namespace
}  // namespace velmora::core::db
