// Index keys of every column type: the worked values of the format, and their order.
#include "engine/jet/index_key.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/base/error_codes.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Value;

std::string hex(const KeyBytes& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    if (!out.empty())
        out.pop_back();
    return out;
}

ColumnDef col(ColumnType type) {
    ColumnDef c;
    c.name = "c";
    c.type = type;
    return c;
}

std::string key(ColumnType type, const Value& v, bool ascending = true,
                KeyFormat format = KeyFormat::Jet4) {
    KeyBytes out;
    Status s = appendColumnKey(out, col(type), v, ascending, format);
    EXPECT_TRUE(s.isOk()) << s.toString();
    return hex(out);
}

TEST(IndexKey, NullsAndWholeNumbers) {
    EXPECT_EQ(key(ColumnType::Long, store::Null{}), "00");
    EXPECT_EQ(key(ColumnType::Long, store::Null{}, false), "FF");
    EXPECT_EQ(key(ColumnType::Long, Value(int64_t(1))), "7F 80 00 00 01");
    EXPECT_EQ(key(ColumnType::Long, Value(int64_t(-1))), "7F 7F FF FF FF");
    EXPECT_EQ(key(ColumnType::Long, Value(int64_t(1)), false), "80 7F FF FF FE");
    EXPECT_EQ(key(ColumnType::Integer, Value(int64_t(-32768))), "7F 00 00");
    EXPECT_EQ(key(ColumnType::Byte, Value(int64_t(200))), "7F C8");
    EXPECT_EQ(key(ColumnType::Byte, Value(int64_t(200)), false), "80 37");
    EXPECT_EQ(key(ColumnType::Currency, Value(store::Currency{10000})),
              "7F 80 00 00 00 00 00 27 10");
}

TEST(IndexKey, FloatingPointSortsNumerically) {
    EXPECT_EQ(key(ColumnType::Double, Value(1.0)), "7F BF F0 00 00 00 00 00 00");
    EXPECT_EQ(key(ColumnType::Double, Value(-1.0)), "7F 40 0F FF FF FF FF FF FF");
    EXPECT_EQ(key(ColumnType::Single, Value(1.0f)), "7F BF 80 00 00");
    EXPECT_EQ(key(ColumnType::DateTime, Value(store::DateTime{1.0})),
              key(ColumnType::Double, Value(1.0)));
    // Order over a spread of values, ascending and descending.
    std::vector<double> values = {-1e9, -2.5, -0.001, 0.0, 0.001, 1.0, 3.5, 1e12};
    for (size_t i = 1; i < values.size(); ++i) {
        EXPECT_LT(key(ColumnType::Double, Value(values[i - 1])),
                  key(ColumnType::Double, Value(values[i])));
        EXPECT_GT(key(ColumnType::Double, Value(values[i - 1]), false),
                  key(ColumnType::Double, Value(values[i]), false));
    }
}

TEST(IndexKey, BooleansGuidsAndBinary) {
    EXPECT_EQ(key(ColumnType::Boolean, Value(true)), "7F 00");
    EXPECT_EQ(key(ColumnType::Boolean, Value(false)), "7F FF");
    EXPECT_EQ(key(ColumnType::Boolean, Value(true), false), "80 FF");
    store::Guid g{{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                   0xDD, 0xEE, 0xFF}};
    EXPECT_EQ(key(ColumnType::Guid, Value(g)),
              "7F 00 11 22 33 44 55 66 77 09 88 99 AA BB CC DD EE FF 08");
    store::Blob nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(key(ColumnType::Binary, Value(nine)),
              "7F 01 02 03 04 05 06 07 08 09 09 00 00 00 00 00 00 00 01");
    EXPECT_EQ(key(ColumnType::Binary, Value(nine), false),
              "80 FE FD FC FB FA F9 F8 F7 09 F6 FF FF FF FF FF FF FF FE");
}

TEST(IndexKey, NumericLegacyOrder) {
    ColumnDef c = col(ColumnType::Numeric);
    c.scale = 2;
    KeyBytes one, minusOne;
    ASSERT_TRUE(appendColumnKey(one, c, Value(store::Decimal{false, 2, 100}), true, KeyFormat::Jet4)
                    .isOk());
    ASSERT_TRUE(
        appendColumnKey(minusOne, c, Value(store::Decimal{true, 2, 100}), true, KeyFormat::Jet4)
            .isOk());
    EXPECT_EQ(hex(one), "7F FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 64");
    EXPECT_EQ(hex(minusOne), "7F 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 9B");
    EXPECT_LT(minusOne, one);
    // A value with another scale is keyed at the column's scale.
    KeyBytes rescaled;
    ASSERT_TRUE(
        appendColumnKey(rescaled, c, Value(store::Decimal{false, 0, 1}), true, KeyFormat::Jet4)
            .isOk());
    EXPECT_EQ(rescaled, one);
}

TEST(IndexKey, TextByFileVersion) {
    EXPECT_EQ(key(ColumnType::Text, Value(std::string("Straße"))), "7F 6B 6D 69 4A 6B 6B 51 01 00");
    EXPECT_EQ(key(ColumnType::Text, Value(std::string("abc")), false), "80 B5 B3 B2 FE FF 00");
    EXPECT_EQ(key(ColumnType::Text, Value(std::string("abc")), true, KeyFormat::Jet3),
              "7F 60 61 62 00");
    EXPECT_EQ(key(ColumnType::Memo, Value(std::string("A"))), "7F 4A 01 00");
}

TEST(IndexKey, RefusesWhatItCannotWriteExactly) {
    ColumnDef nordic = col(ColumnType::Text);
    nordic.sortOrder = 1030;
    KeyBytes out;
    Status s = appendColumnKey(out, nordic, Value(std::string("a")), true, KeyFormat::Jet4);
    EXPECT_EQ(s.code(), err::kOperationNotSupported);
    ColumnDef v1 = col(ColumnType::Text);
    v1.sortVersion = 1;
    EXPECT_EQ(appendColumnKey(out, v1, Value(std::string("a")), true, KeyFormat::Jet4).code(),
              err::kOperationNotSupported);
    EXPECT_EQ(appendColumnKey(out, col(ColumnType::Text), Value(std::string("\xF0\x9F\x8F\x86")),
                              true, KeyFormat::Jet4)
                  .code(),
              err::kOperationNotSupported);
    EXPECT_EQ(
        appendColumnKey(out, col(ColumnType::Ole), Value(store::Blob{}), true, KeyFormat::Jet4)
            .code(),
        err::kOperationNotSupported);
    EXPECT_EQ(
        appendColumnKey(out, col(ColumnType::Long), Value(std::string("1")), true, KeyFormat::Jet4)
            .code(),
        err::kTypeConversion);
}

TEST(IndexKey, CompositeKeysAndRowRules) {
    store::TableSchema s;
    s.name = "CHANNELS";
    ColumnDef source = col(ColumnType::Text);
    source.name = "SOURCEID";
    source.number = 3;
    ColumnDef sid = col(ColumnType::Long);
    sid.name = "SID";
    sid.number = 1;
    s.columns = {source, sid};
    store::RealIndex ix;
    ix.columns = {{3, true}, {1, false}};
    store::Row row = {Value(std::string("a")), Value(int64_t(2))};
    Result<KeyBytes> k = encodeIndexKey(s, ix, row, KeyFormat::Jet4);
    ASSERT_TRUE(k.isOk());
    EXPECT_EQ(hex(*k), "7F 4A 01 00 80 7F FF FF FD");
    JetRowRules rules(KeyFormat::Jet4);
    Result<KeyBytes> viaRules =
        rules.encode(s, ix, store::Row{Value(std::string("A ")), Value(int64_t(2))});
    ASSERT_TRUE(viaRules.isOk());
    EXPECT_EQ(*viaRules, *k);
    EXPECT_TRUE(allKeyColumnsNull(s, ix, store::Row{store::Null{}, store::Null{}}));
    EXPECT_FALSE(allKeyColumnsNull(s, ix, store::Row{store::Null{}, Value(int64_t(0))}));
}

}  // namespace
}  // namespace velmora::engine::jet
