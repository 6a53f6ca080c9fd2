// Fixed-width values written over a stored row image must give the image the encoder gives
// the changed row, byte for byte, in both layouts and for every fixed kind; a stored row
// whose frame is not the encoder's (written before a column was added) is left to the
// encoder.
#include <gtest/gtest.h>

#include "engine/base/error_codes.h"
#include "engine/jet/row_image.h"
#include "engine/jet/row_patch.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnType;
using store::Null;
using store::Row;
using store::Value;

// Every fixed kind and a variable text, with the column numbered 3 deleted: the numbers run
// ahead of the positions and the fixed area has a gap where its field was.
store::TableSchema kinds(bool withLastColumn) {
    store::TableSchema schema;
    schema.name = "Kinds";
    const std::vector<std::pair<ColumnType, uint16_t>> columns = {
        {ColumnType::Byte, 1},     {ColumnType::Integer, 2}, {ColumnType::Long, 4},
        {ColumnType::Currency, 8}, {ColumnType::Single, 4},  {ColumnType::Double, 8},
        {ColumnType::DateTime, 8}, {ColumnType::Guid, 16},   {ColumnType::Numeric, 17},
        {ColumnType::Boolean, 0},  {ColumnType::Text, 100},  {ColumnType::Text, 4},
        {ColumnType::Long, 4}};
    uint16_t number = 0, offset = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i == 3) {
            ++number;
            offset += 4;
        }
        if (i + 1 == columns.size() && !withLastColumn)
            break;
        store::ColumnDef c;
        c.name = "c" + std::to_string(i);
        c.type = columns[i].first;
        c.length = columns[i].second;
        c.number = number++;
        c.scale = 2;
        c.precision = 18;
        if (i == 10) {
            c.variableSlot = 0;
        } else {
            c.flags |= store::column_flag::kFixed;
            c.fixedOffset = offset;
            offset = uint16_t(offset + c.length);
        }
        schema.columns.push_back(c);
    }
    schema.maxColumns = number;
    schema.variableColumns = 1;
    return schema;
}

store::Guid guid(uint8_t first) {
    store::Guid g;
    for (size_t k = 0; k < g.bytes.size(); ++k)
        g.bytes[k] = uint8_t(first + k);
    return g;
}

const Row kBefore = {int64_t(7),
                     int64_t(-2),
                     int64_t(100000),
                     store::Currency{123456},
                     1.5f,
                     2.25,
                     store::DateTime{45000.5},
                     guid(1),
                     store::Decimal{true, 2, 12345},
                     true,
                     std::string("Das Erste"),
                     std::string("AB"),
                     int64_t(9)};

struct Case {
    const char* what;
    std::vector<std::pair<size_t, Value>> changes;  // position, new value
};

TEST(FixedValuePatch, GivesTheEncodingOfTheChangedRow) {
    const std::vector<Case> cases = {
        {"a number renumbered", {{1, int64_t(300)}}},
        {"every fixed kind changed",
         {{0, int64_t(255)},
          {1, int64_t(-32768)},
          {2, int64_t(-1)},
          {3, store::Currency{-5}},
          {4, -0.0f},
          {5, 1e300},
          {6, store::DateTime{-1.25}},
          {7, guid(200)},
          {8, store::Decimal{false, 2, (unsigned __int128)(1) << 90}},
          {11, std::string("xy")},
          {12, int64_t(-9)}}},
        {"values set to Null", {{0, Null{}}, {5, Null{}}, {8, Null{}}, {11, Null{}}}},
        {"a Yes/No value set to No", {{9, false}}},
        {"a Yes/No value set to Null", {{9, Null{}}, {2, int64_t(3)}}},
        {"values given as they were", {{1, int64_t(-2)}, {9, true}}},
    };
    const store::TableSchema schema = kinds(true);
    for (const JetFormat* fmt : {&jet3Format(), &jet4Format()}) {
        for (const Case& c : cases) {
            for (bool fromNull : {false, true}) {
                SCOPED_TRACE(std::string(fmt->isJet4() ? "Jet 4: " : "Jet 3: ") + c.what +
                             (fromNull ? ", from Null" : ""));
                Row before = kBefore, after = kBefore, given(kBefore.size());
                uint64_t positions = 0;
                for (const auto& [pos, value] : c.changes) {
                    if (fromNull)
                        before[pos] = Null{};
                    after[pos] = value;
                    given[pos] = value;
                    positions |= uint64_t(1) << pos;
                }
                auto stored = encodeRowFor(*fmt, 1252, schema, before, sizingLongValueSink());
                auto expected = encodeRowFor(*fmt, 1252, schema, after, sizingLongValueSink());
                ASSERT_TRUE(stored.isOk() && expected.isOk()) << expected.status().toString();
                FixedValuePatcher patcher(*fmt, 1252, schema);
                std::vector<uint8_t> image(stored->begin(), stored->end());
                auto patched = patcher.patch(image, positions, given);
                ASSERT_TRUE(patched.isOk()) << patched.status().toString();
                ASSERT_TRUE(*patched) << "the encoder's own frame";
                EXPECT_TRUE(std::ranges::equal(image, *expected));
            }
        }
    }
}

TEST(FixedValuePatch, LeavesOtherFramesAndWrongTypesToTheEncoder) {
    const store::TableSchema schema = kinds(true);
    const store::TableSchema older = kinds(false);
    Row olderRow = kBefore;
    olderRow.pop_back();
    Row given(kBefore.size());
    given[1] = int64_t(5);
    for (const JetFormat* fmt : {&jet3Format(), &jet4Format()}) {
        SCOPED_TRACE(fmt->isJet4() ? "Jet 4" : "Jet 3");
        FixedValuePatcher patcher(*fmt, 1252, schema);
        // A row written before the last column was added: fewer columns, a shorter fixed area.
        // An image left to the encoder is left as it was.
        auto stored = encodeRowFor(*fmt, 1252, older, olderRow, sizingLongValueSink());
        ASSERT_TRUE(stored.isOk());
        std::vector<uint8_t> image(stored->begin(), stored->end());
        auto patched = patcher.patch(image, uint64_t(1) << 1, given);
        ASSERT_TRUE(patched.isOk());
        EXPECT_FALSE(*patched);
        EXPECT_TRUE(std::ranges::equal(image, *stored));
        // A variable column is never patched, not even with a fixed one beside it.
        auto current = encodeRowFor(*fmt, 1252, schema, kBefore, sizingLongValueSink());
        ASSERT_TRUE(current.isOk());
        given[10] = std::string("x");
        image.assign(current->begin(), current->end());
        patched = patcher.patch(image, (uint64_t(1) << 1) | (uint64_t(1) << 10), given);
        ASSERT_TRUE(patched.isOk());
        EXPECT_FALSE(*patched);
        EXPECT_TRUE(std::ranges::equal(image, *current));
        // A value of the wrong type is the encoder's error.
        given[2] = std::string("1");
        EXPECT_EQ(patcher.patch(image, uint64_t(1) << 2, given).status().code(),
                  err::kTypeConversion);
    }
}

}  // namespace
}  // namespace velmora::engine::jet
