// The CSV value forms velmora-db prints, on the edges where a naive formatter goes wrong:
// dates before 1899-12-30, rounding to the next day, currency signs and trailing zeros,
// decimals with scale, quotes inside text, and the shortest exact floating-point forms.
#include <gtest/gtest.h>

#include "velmora_db/csv_format.h"

namespace velmora::tools {
namespace {

using namespace velmora::engine::store;

TEST(CsvFormat, DateTimes) {
    EXPECT_EQ(formatDateTime(0.0), "1899-12-30 00:00:00");
    EXPECT_EQ(formatDateTime(27293.0), "1974-09-21 00:00:00");
    EXPECT_EQ(formatDateTime(2.5), "1900-01-01 12:00:00");
    // The fraction is the time of day even before the epoch.
    EXPECT_EQ(formatDateTime(-1.25), "1899-12-29 06:00:00");
    // 23:59:59.9 rounds to the next day, not to "24:00:00".
    EXPECT_EQ(formatDateTime(1.0 - 0.1 / 86400.0), "1899-12-31 00:00:00");
    EXPECT_EQ(formatDateTime(2958465.0), "9999-12-31 00:00:00");
}

TEST(CsvFormat, NumbersInShortestExactForm) {
    EXPECT_EQ(formatCsvValue(Value(int64_t(-32768))), "-32768");
    EXPECT_EQ(formatCsvValue(Value(444.555)), "444.555");
    EXPECT_EQ(formatCsvValue(Value(0.1f)), "0.1");
    EXPECT_EQ(formatCurrency(35000), "3.5");
    EXPECT_EQ(formatCurrency(0), "0");
    EXPECT_EQ(formatCurrency(-1), "-0.0001");
    EXPECT_EQ(formatCurrency(INT64_MIN), "-922337203685477.5808");
    EXPECT_EQ(formatDecimal({false, 0, 18}), "18");
    EXPECT_EQ(formatDecimal({true, 3, 1500}), "-1.5");
    EXPECT_EQ(formatDecimal({false, 4, 5}), "0.0005");
    EXPECT_EQ(formatDecimal({true, 2, 0}), "0");
}

TEST(CsvFormat, TextBinaryGuidBooleanNull) {
    EXPECT_EQ(formatCsvValue(Value(std::string("say \"hi\", ok"))), "\"say \"\"hi\"\", ok\"");
    EXPECT_EQ(formatCsvValue(Value(Blob{0x00, 0xAB, 0x0F})), "00ab0f");
    Guid g;
    for (int i = 0; i < 16; ++i)
        g.bytes[size_t(i)] = uint8_t(i);
    EXPECT_EQ(formatCsvValue(Value(g)), "\"{03020100-0504-0706-0809-0A0B0C0D0E0F}\"");
    EXPECT_EQ(formatCsvValue(Value(true)), "1");
    EXPECT_EQ(formatCsvValue(Value(false)), "0");
    EXPECT_EQ(formatCsvValue(Value(Null{})), "");
    EXPECT_EQ(formatCsvValue(Value(std::string())), "\"\"");
    EXPECT_EQ(csvHeaderField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvHeaderField("plain"), "plain");
}

}  // namespace
}  // namespace velmora::tools
