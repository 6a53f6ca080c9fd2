// The compact rows of a query result give back every value exactly as it went in, read by
// column or as a whole row, after rows are replaced and reordered.
#include <gtest/gtest.h>

#include "engine/sql/result_rows.h"

namespace velmora::engine::sql {
namespace {

using store::Value;

store::Row everyKind() {
    store::Decimal big;
    big.negative = true;
    big.scale = 4;
    big.magnitude = (static_cast<unsigned __int128>(1) << 90) + 7;
    store::Guid guid;
    for (size_t i = 0; i < guid.bytes.size(); ++i)
        guid.bytes[i] = static_cast<uint8_t>(0xF0 + i);
    return {Value(store::Null{}),
            Value(true),
            Value(false),
            Value(int64_t{0}),
            Value(int64_t{-2147483648LL}),
            Value(int64_t{2147483647LL}),
            Value(int64_t{2147483648LL}),
            Value(int64_t{-(int64_t{1} << 62)}),
            Value(0.1f),
            Value(-1e300),
            Value(store::Currency{-123456789012345LL}),
            Value(store::DateTime{45000.75}),
            Value(std::string()),
            Value(std::string("Das Erste HD")),
            Value(std::string(200, 'x')),    // a length of two bytes
            Value(std::string(70000, 'y')),  // three
            Value(std::string("Ö1 \"Klassik\" ♪")),
            Value(store::Blob{}),
            Value(store::Blob{0, 1, 0xFF, 0x80}),
            Value(guid),
            Value(big)};
}

TEST(ResultRows, EveryValueComesBackAsItWent) {
    const store::Row row = everyKind();
    ResultRows rows;
    rows.push_back({Value(int64_t{1})});
    rows.push_back(row);
    rows.startRow();
    for (const auto& v : row)
        rows.addValue(v);
    ASSERT_EQ(rows.size(), 3u);
    for (size_t r = 1; r < 3; ++r) {
        EXPECT_EQ(rows.row(r), row) << "row " << r;
        for (size_t c = 0; c < row.size(); ++c)
            EXPECT_EQ(rows.value(r, c), row[c]) << "row " << r << ", column " << c;
    }
    EXPECT_EQ(rows.row(0), store::Row{Value(int64_t{1})});
    // Beyond a row's values there is nothing: Null, as an outer join shows it.
    EXPECT_TRUE(store::isNull(rows.value(0, 1)));
}

TEST(ResultRows, ReplacedAndReorderedRowsKeepTheirValues) {
    ResultRows rows;
    for (int64_t i = 0; i < 5; ++i)
        rows.push_back({Value(i), Value("name " + std::to_string(i))});
    rows.assign(2, {Value(std::string("two")), Value(store::Null{}), Value(2.5)});
    rows.reorder({4, 2, 0});  // rows 1 and 3 left out

    std::vector<store::Row> seen(rows.begin(), rows.end());
    const std::vector<store::Row> expected = {
        {Value(int64_t{4}), Value(std::string("name 4"))},
        {Value(std::string("two")), Value(store::Null{}), Value(2.5)},
        {Value(int64_t{0}), Value(std::string("name 0"))},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(rows.value(1, 2), Value(2.5));
}

}  // namespace
}  // namespace velmora::engine::sql
