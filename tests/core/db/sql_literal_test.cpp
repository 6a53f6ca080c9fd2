// SQL literals built from grid and typed texts, and which tables the explorer lists.
#include <gtest/gtest.h>

#include "core/db/sql_literal.h"
#include "core/db/table_names.h"

namespace velmora::core::db {
namespace {

TEST(SqlLiteral, QuotesInsideATextAreDoubled) {
    EXPECT_EQ(quoteText("ZDF"), "'ZDF'");
    EXPECT_EQ(quoteText(""), "''");
    EXPECT_EQ(quoteText("Rock'n'Roll"), "'Rock''n''Roll'");
    EXPECT_EQ(quoteText("' OR ''='"), "''' OR ''''='''");
}

TEST(SqlLiteral, OnlyRealNumbersGoInBare) {
    EXPECT_EQ(bareNumber("12"), "12");
    EXPECT_EQ(bareNumber(" -7 "), "-7");
    EXPECT_EQ(bareNumber("2.5"), "2.5");
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
