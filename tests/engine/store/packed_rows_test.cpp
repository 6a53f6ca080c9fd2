// Packed rows (a table's storage and a query result's) give back every value exactly as it
// went in, read by column, as a whole row or as packed bytes, after rows are replaced,
// released and reordered and after the space of replaced rows is reclaimed.
#include <gtest/gtest.h>

#include <type_traits>
#include <variant>

#include "engine/store/packed_rows.h"
#include "engine/store/table.h"

namespace velmora::engine::store {
namespace {

Row everyKind() {
    Decimal big;
    big.negative = true;
    big.scale = 4;
    big.magnitude = (static_cast<unsigned __int128>(1) << 90) + 7;
    Guid guid;
    for (size_t i = 0; i < guid.bytes.size(); ++i)
        guid.bytes[i] = static_cast<uint8_t>(0xF0 + i);
    return {Value(Null{}),
            Value(true),
            Value(false),
            Value(int64_t{0}),
            Value(int64_t{-128}),
            Value(int64_t{127}),
            Value(int64_t{128}),
            Value(int64_t{-32768}),
            Value(int64_t{32767}),
            Value(int64_t{32768}),
            Value(int64_t{-2147483648LL}),
            Value(int64_t{2147483647LL}),
            Value(int64_t{2147483648LL}),
            Value(int64_t{-(int64_t{1} << 62)}),
            Value(0.1f),
            Value(-1e300),
            Value(Currency{-123456789012345LL}),
            Value(DateTime{45000.75}),
            Value(std::string()),
            Value(std::string("Das Erste HD")),
            Value(std::string(200, 'x')),    // a length of two bytes
            Value(std::string(70000, 'y')),  // three
            Value(std::string("Ö1 \"Klassik\" ♪")),
            Value(Blob{}),
            Value(Blob{0, 1, 0xFF, 0x80}),
            Value(guid),
            Value(big)};
}

// A row built value by value, as a storage that decodes its own encoding builds it.
void addTo(PackedRowBuilder& b, const Value& v) {
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, Null>)
                b.addNull();
            else if constexpr (std::is_same_v<T, bool>)
                b.addBool(x);
            else if constexpr (std::is_same_v<T, int64_t>)
                b.addWhole(x);
            else if constexpr (std::is_same_v<T, float>)
                b.addFloat(x);
            else if constexpr (std::is_same_v<T, double>)
                b.addDouble(x);
            else if constexpr (std::is_same_v<T, Currency>)
                b.addCurrency(x);
            else if constexpr (std::is_same_v<T, DateTime>)
                b.addDateTime(x);
            else if constexpr (std::is_same_v<T, std::string>)
                b.addText(x);
            else if constexpr (std::is_same_v<T, Blob>)
                b.addBlob(x);
            else if constexpr (std::is_same_v<T, Guid>)
                b.addGuid(x);
            else
                b.addDecimal(x);
        },
        v);
}

TEST(PackedRows, EveryValueComesBackAsItWent) {
    const Row row = everyKind();
    PackedRows rows;
    rows.push_back({Value(int64_t{1})});
    rows.push_back(row);
    rows.startRow();
    for (const auto& v : row)
        rows.addValue(v);
    // Values copied in their packed form, as a query copies a table's columns.
    rows.startRow();
    PackedRows source;
    source.push_back(row);
    std::vector<std::string_view> packed;
    source.packedValues(0, packed);
    ASSERT_EQ(packed.size(), row.size());
    for (std::string_view value : packed)
        rows.addPacked(value);
    rows.addPacked({});  // no bytes: Null
    // Built value by value, reusing the builder: the bytes push_back(Row) writes.
    PackedRowBuilder builder;
    builder.addText("a row before");
    builder.clear();
    for (const auto& v : row)
        addTo(builder, v);
    ASSERT_EQ(builder.valueCount(), row.size());
    rows.push_back(builder);
    std::vector<std::string_view> built;
    rows.packedValues(4, built);
    ASSERT_EQ(built, packed);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.valueCount(3), row.size() + 1);
    EXPECT_TRUE(isNull(rows.value(3, row.size())));
    Row reused = {Value(std::string("a text whose storage a row read into may reuse")),
                  Value(Blob{1, 2, 3})};
    for (const size_t r : {size_t{1}, size_t{2}, size_t{4}}) {
        EXPECT_EQ(rows.row(r), row) << "row " << r;
        rows.rowInto(r, reused);
        EXPECT_EQ(reused, row) << "row " << r;
        for (size_t c = 0; c < row.size(); ++c)
            EXPECT_EQ(rows.value(r, c), row[c]) << "row " << r << ", column " << c;
    }
    for (size_t c = 0; c < row.size(); ++c)
        EXPECT_EQ(rows.value(3, c), row[c]) << "copied column " << c;
    EXPECT_EQ(rows.row(0), Row{Value(int64_t{1})});
    // Beyond a row's values there is nothing: Null, as an outer join shows it.
    EXPECT_TRUE(isNull(rows.value(0, 1)));
}

TEST(PackedRows, ReplacedAndReorderedRowsKeepTheirValues) {
    PackedRows rows;
    for (int64_t i = 0; i < 5; ++i)
        rows.push_back({Value(i), Value("name " + std::to_string(i))});
    rows.assign(2, {Value(std::string("two")), Value(Null{}), Value(2.5)});
    rows.reorder({4, 2, 0});  // rows 1 and 3 left out

    std::vector<Row> seen(rows.begin(), rows.end());
    const std::vector<Row> expected = {
        {Value(int64_t{4}), Value(std::string("name 4"))},
        {Value(std::string("two")), Value(Null{}), Value(2.5)},
        {Value(int64_t{0}), Value(std::string("name 0"))},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(rows.value(1, 2), Value(2.5));
}

// Replacing some values of a row gives the row that replacing all of them gives, whatever
// order the columns come in, whether the row grows or shrinks, and past its last value.
TEST(PackedRows, SomeValuesReplacedAsInTheWholeRow) {
    const Row original = {Value(int64_t{5}), Value(std::string("Das Erste")), Value(Null{}),
                          Value(2.5)};
    struct Case {
        const char* what;
        std::vector<int> columns;
        Row values;
    };
    const std::vector<Case> cases = {
        {"a number, same size", {0}, {Value(int64_t{4})}},
        {"two values, same sizes", {3, 0}, {Value(-2.5), Value(int64_t{9})}},
        {"a number, larger", {0}, {Value(int64_t{1} << 40)}},
        {"a text, shorter", {1}, {Value(std::string("X"))}},
        {"a text, much longer", {1}, {Value(std::string(300, 'y'))}},
        {"Null to a value", {2}, {Value(true)}},
        {"the last, to Null", {3}, {Value(Null{})}},
        {"columns out of order", {3, 0, 1}, {Value(7.5), Value(int64_t{-1}), Value(Blob{1, 2})}},
        {"past the last value", {6}, {Value(std::string("new"))}},
    };
    for (const Case& c : cases) {
        PackedRows rows;
        rows.push_back({Value(int64_t{1})});
        rows.push_back(original);
        rows.push_back({Value(std::string("after"))});
        rows.assignValues(1, c.columns, c.values);
        Row expected = original;
        for (size_t k = 0; k < c.columns.size(); ++k) {
            if (expected.size() <= size_t(c.columns[k]))
                expected.resize(size_t(c.columns[k]) + 1, Value(Null{}));
            expected[size_t(c.columns[k])] = c.values[k];
        }
        EXPECT_EQ(rows.row(1), expected) << c.what;
        const uint64_t nulls = rows.nullMask(1);
        for (size_t col = 0; col <= expected.size(); ++col) {
            const bool null = col >= expected.size() || isNull(expected[col]);
            EXPECT_EQ(rows.isNull(1, col), null) << c.what << ", column " << col;
            EXPECT_EQ(((nulls >> col) & 1) != 0, null) << c.what << ", column " << col;
        }
        // A mask read up to a column holds the bits before it and no others.
        for (size_t bound = 0; bound <= expected.size() + 1; ++bound) {
            const uint64_t below = bound == 0 ? 0 : ~uint64_t(0) >> (64 - bound);
            EXPECT_EQ(rows.nullMask(1, bound), nulls & below) << c.what << ", up to " << bound;
        }
        EXPECT_EQ(rows.row(0), Row{Value(int64_t{1})}) << c.what;
        EXPECT_EQ(rows.row(2), Row{Value(std::string("after"))}) << c.what;
    }
}

// A table keeps its row ids through deletes and through many rounds of replaced rows, which
// shrink in place or grow into new space, whose old space is reclaimed, and every live row
// reads back as last written.
TEST(PackedRows, TableRowsSurviveReplacementsAndDeletes) {
    TableSchema schema;
    schema.name = "CHANNELS";
    ColumnDef number;
    number.name = "NUM";
    number.type = ColumnType::Long;
    ColumnDef name;
    name.name = "NAME";
    name.type = ColumnType::Text;
    schema.columns = {number, name};
    Table t(schema);
    auto rowOf = [](int64_t n, int round) {
        return Row{Value(n),
                   Value("Kanal " + std::to_string(n) + " round " + std::to_string(round) +
                         std::string(round % 2 ? 60 : 20, '.') + std::to_string(round))};
    };
    constexpr int64_t kRows = 3000;
    for (int64_t n = 0; n < kRows; ++n)
        EXPECT_EQ(t.append(rowOf(n, 0)), static_cast<RowId>(n));
    for (int64_t n = 0; n < kRows; n += 3)
        t.erase(static_cast<RowId>(n));
    // Every round writes every live row anew, longer and shorter by turns: far more than the
    // live rows' space is given up.
    for (int round = 1; round <= 6; ++round) {
        t.forEachLiveId([&](RowId id) { t.replace(id, rowOf(static_cast<int64_t>(id), round)); });
    }
    EXPECT_EQ(t.liveRowCount(), static_cast<size_t>(kRows - kRows / 3));
    size_t seen = 0;
    t.forEachLive([&](RowId id, const Row& row) {
        ++seen;
        EXPECT_NE(id % 3, 0u);
        EXPECT_EQ(row, rowOf(static_cast<int64_t>(id), 6)) << "row " << id;
        EXPECT_EQ(t.value(id, 1), row[1]);
    });
    EXPECT_EQ(seen, t.liveRowCount());
    EXPECT_FALSE(t.isLive(0));
    EXPECT_TRUE(t.isLive(1));
}

}  // namespace
}  // namespace velmora::engine::store
