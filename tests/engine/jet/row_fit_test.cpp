// The row-size check of Jet 4 tables: its quick bound lets no row through that the row
// encoder refuses, and leaves every refusal to the encoder's own error.
#include "engine/jet/row_fit.h"

#include <gtest/gtest.h>

#include "engine/base/error_codes.h"
#include "engine/jet/index_key.h"
#include "engine/jet/jet4_row_encoder.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnDef;
using store::ColumnType;
using store::Row;
using store::Value;

ColumnDef col(const char* name, ColumnType type, uint16_t number, uint16_t length,
              uint16_t slot = 0, bool fixed = false) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.length = length;
    c.variableSlot = slot;
    c.flags = fixed ? store::column_flag::kFixed : 0;
    return c;
}

// ID Long, ON Yes/No, NAME Text (compressed), NOTE Text, DATA Binary, MEMO Memo.
store::TableSchema schema() {
    store::TableSchema s;
    s.name = "WIDE";
    s.columns = {
        col("ID", ColumnType::Long, 0, 4, 0, true), col("ON", ColumnType::Boolean, 1, 0, 0, true),
        col("NAME", ColumnType::Text, 2, 510, 0),   col("NOTE", ColumnType::Text, 3, 510, 1),
        col("DATA", ColumnType::Binary, 4, 510, 2), col("MEMO", ColumnType::Memo, 5, 0, 3)};
    s.columns[2].extendedFlags = 0x01;
    s.maxColumns = 6;
    s.variableColumns = 4;
    return s;
}

std::string repeat(std::string_view piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(RowFit, TheQuickBoundNeverHidesWhatTheEncoderRefuses) {
    const store::TableSchema s = schema();
    std::vector<Row> rows;
    auto row = [](Value name, Value note, Value data, Value memo) {
        return Row{Value(int64_t(1)), Value(true),     std::move(name),
                   std::move(note),   std::move(data), std::move(memo)};
    };
    const Value none = store::Null{};
    for (size_t n = 1950; n <= 2080; n += 13) {
        // Plain UTF-16 around the page limit, and binary data of the same sizes.
        rows.push_back(row(none, std::string(n, 'a'), none, none));
        rows.push_back(row(none, none, store::Blob(2 * n, 1), none));
        // Compressed text takes a byte a character; beyond 1024 characters it is not.
        rows.push_back(row(std::string(n / 2, 'b'), std::string(n / 2, 'c'), none, none));
        rows.push_back(row(repeat("\xC3\xA9", n / 2), none, store::Blob(n, 2), none));
        rows.push_back(row(repeat("\xF0\x9F\x93\xBA", n / 2), none, none, none));
        rows.push_back(row(std::string(n / 2, '\xFF'), none, none, std::string(10 * n, 'm')));
        rows.push_back(row(none, std::string(n, 'a'), none, std::string(40, 'm')));
    }
    // Values the encoder refuses for their type, and a row of the wrong width.
    rows.push_back(row(Value(int64_t(5)), none, none, none));
    rows.push_back(row(none, none, std::string("x"), none));
    rows.push_back(Row{Value(std::string("1")), Value(true), none, none, none, none});
    rows.push_back(Row{Value(int64_t(1)), Value(int64_t(1)), none, none, none, none});
    rows.push_back(Row{Value(int64_t(1))});

    const LongValueSink outOfRow = [](const ColumnDef&,
                                      std::vector<uint8_t>) -> Result<std::vector<uint8_t>> {
        return std::vector<uint8_t>(12, 0);
    };
    const JetRowRules rules(KeyFormat::Jet4);
    int tooLarge = 0, boundedBelowTheLimit = 0, encodedToKnow = 0, refusedForType = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        Result<std::vector<uint8_t>> image = encodeJet4Row(s, rows[i], outOfRow);
        std::optional<size_t> bound = jet4RowSizeBound(s, rows[i]);
        EXPECT_EQ(rules.checkRowFits(s, rows[i]).code(), image.status().code()) << "row " << i;
        if (image.isOk()) {
            if (bound) {
                EXPECT_GE(*bound, image->size()) << "row " << i;
            }
            if (bound && *bound <= kJet4MaxRowSize)
                ++boundedBelowTheLimit;
            else
                ++encodedToKnow;
        } else if (image.status().code() == err::kRecordTooLarge) {
            ++tooLarge;
        } else {
            EXPECT_FALSE(bound) << "row " << i << ": " << image.status().toString();
            ++refusedForType;
        }
    }
    // Every way through the check was taken.
    EXPECT_GT(tooLarge, 0);
    EXPECT_GT(boundedBelowTheLimit, 0);
    EXPECT_GT(encodedToKnow, 0);
    EXPECT_EQ(refusedForType, 5);
}

}  // namespace
}  // namespace velmora::engine::jet
