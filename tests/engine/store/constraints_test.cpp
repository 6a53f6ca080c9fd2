// Checked inserts and updates: Jet's error numbers, at the moment Jet reports them.
#include "engine/store/constraints.h"

#include <gtest/gtest.h>

#include <limits>

#include "engine/base/error_codes.h"

namespace velmora::engine::store {
namespace {

ColumnDef column(std::string name, ColumnType type, uint16_t number, uint16_t length = 0,
                 uint8_t flags = column_flag::kUpdatable) {
    ColumnDef c;
    c.name = std::move(name);
    c.type = type;
    c.number = number;
    c.length = length;
    c.flags = flags;
    return c;
}

// A channel list: ID AutoNumber, SOURCEID Text(10), SID Long, NAME Text(20) required,
// PrimaryKey (SOURCEID, SID), unique index on ID.
Table channels() {
    TableSchema s;
    s.name = "CHANNELS";
    s.columns.push_back(
        column("ID", ColumnType::Long, 0, 4,
               column_flag::kFixed | column_flag::kUpdatable | column_flag::kAutoNumber));
    s.columns.push_back(column("SOURCEID", ColumnType::Text, 1, 20));
    s.columns.push_back(column("SID", ColumnType::Long, 2, 4));
    s.columns.push_back(column("NAME", ColumnType::Text, 3, 40));
    s.columns.back().required = true;
    RealIndex pk;
    pk.columns = {{1, true}, {2, true}};
    pk.flags = index_flag::kUnique | index_flag::kRequired;
    RealIndex id;
    id.columns = {{0, true}};
    id.flags = index_flag::kUnique;
    s.realIndexes = {pk, id};
    LogicalIndex lpk;
    lpk.name = "PrimaryKey";
    lpk.realIndex = 0;
    lpk.type = LogicalIndexType::PrimaryKey;
    s.logicalIndexes = {lpk};
    return Table(std::move(s));
}

Row row(Value source, Value sid, Value name) {
    return Row{Null{}, std::move(source), std::move(sid), std::move(name)};
}

int code(const Status& s) {
    return s.code();
}

TEST(Constraints, DuplicateKeysFollowTheIndexCollation) {
    Table t = channels();
    const RowRules& rules = memoryRowRules();
    ASSERT_TRUE(insertRow(t, row("Straße", "1", "A"), rules).isOk());
    EXPECT_EQ(code(insertRow(t, row("STRASSE", int64_t(1), "B"), rules).status()),
              err::kDuplicateKey);
    EXPECT_EQ(code(insertRow(t, row("strasse ", "1", "B"), rules).status()), err::kDuplicateKey);
    EXPECT_TRUE(insertRow(t, row("Strasse", "2", "B"), rules).isOk());
    EXPECT_TRUE(insertRow(t, row("Sport", "1", "C"), rules).isOk());
    EXPECT_EQ(code(insertRow(t, row("sport", "1", "C"), rules).status()), err::kDuplicateKey);
    EXPECT_EQ(t.liveRowCount(), 3u);
}

TEST(Constraints, NullsAreRefusedWithTheirOwnNumbers) {
    Table t = channels();
    const RowRules& rules = memoryRowRules();
    EXPECT_EQ(code(insertRow(t, row(Null{}, "1", "A"), rules).status()), err::kPrimaryKeyNull);
    EXPECT_EQ(code(insertRow(t, row("S", "1", Null{}), rules).status()), err::kRequiredIsNull);
    EXPECT_EQ(t.liveRowCount(), 0u);
}

TEST(Constraints, ConversionAndLengthErrors) {
    Table t = channels();
    const RowRules& rules = memoryRowRules();
    EXPECT_EQ(code(insertRow(t, row("S", "abc", "A"), rules).status()), err::kTypeConversion);
    EXPECT_EQ(code(insertRow(t, row("S", "", "A"), rules).status()), err::kTypeConversion);
    EXPECT_EQ(code(insertRow(t, row("S", "99999999999", "A"), rules).status()),
              err::kNumericOverflow);
    // SOURCEID holds 10 characters.
    EXPECT_EQ(code(insertRow(t, row("0123456789x", "1", "A"), rules).status()),
              err::kFieldTooSmall);
    Result<RowId> ok = insertRow(t, row("0123456789", " 12 ", "A"), rules);
    ASSERT_TRUE(ok.isOk()) << ok.status().toString();
    EXPECT_EQ(t.row(*ok)[2], Value(int64_t(12)));
    EXPECT_EQ(t.liveRowCount(), 1u);
}

TEST(Constraints, AutoNumbersAndUpdates) {
    Table t = channels();
    const RowRules& rules = memoryRowRules();
    Result<RowId> a = insertRow(t, row("S", "1", "A"), rules);
    Result<RowId> b = insertRow(t, row("S", "2", "B"), rules);
    ASSERT_TRUE(a.isOk() && b.isOk());
    EXPECT_EQ(t.row(*a)[0], Value(int64_t(1)));
    EXPECT_EQ(t.row(*b)[0], Value(int64_t(2)));
    EXPECT_EQ(t.schema().nextAutoNumber, 3u);

    // Updating a row to its own key is fine; to another row's key is a duplicate.
    Row same = t.row(*a);
    same[3] = Value(std::string("A2"));
    EXPECT_TRUE(updateRow(t, *a, same, rules).isOk());
    Row clash = t.row(*a);
    clash[2] = Value(std::string("2"));
    EXPECT_EQ(code(updateRow(t, *a, clash, rules)), err::kDuplicateKey);
    EXPECT_EQ(t.row(*a)[2], Value(int64_t(1)));

    // After a delete the key is free again, also when the table changed behind the checks.
    ASSERT_TRUE(deleteRow(t, *b).isOk());
    EXPECT_EQ(code(deleteRow(t, *b)), err::kNoCurrentRecord);
    EXPECT_TRUE(updateRow(t, *a, clash, rules).isOk());
    t.append(Row{Value(int64_t(9)), Value(std::string("X")), Value(int64_t(5)),
                 Value(std::string("raw"))});
    EXPECT_EQ(code(insertRow(t, row("x", "5", "dup"), rules).status()), err::kDuplicateKey);
}

// A save writes every grid row back. An update whose values are all stored as they were
// leaves the row unchanged, so the commit has nothing to write; one that differs in any way
// the file could show (a letter's case, a blank, a number given as text) is stored.
TEST(Constraints, AnUpdateChangesTheRowOnlyWhenAValueDiffers) {
    struct Case {
        Value sid, name;
        bool changes;
    };
    const Case cases[] = {
        {Value(int64_t(1)), Value(std::string("Arte")), false},
        {Value(std::string("1")), Value(std::string("Arte")), false},  // converts to the same
        {Value(1.0), Value(std::string("Arte")), false},
        {Value(int64_t(1)), Value(std::string("ARTE")), true},
        {Value(int64_t(1)), Value(std::string("Arte ")), true},
        {Value(int64_t(2)), Value(std::string("Arte")), true},
    };
    for (const Case& c : cases) {
        Table t = channels();
        const RowRules& rules = memoryRowRules();
        Result<RowId> id = insertRow(t, row("S", "1", "Arte"), rules);
        ASSERT_TRUE(id.isOk());
        const uint64_t before = t.changeCount();
        Row edited = t.row(*id);
        edited[2] = c.sid;
        edited[3] = c.name;
        RowUpdate done;
        ASSERT_TRUE(updateRow(t, *id, edited, rules, &done).isOk());
        EXPECT_EQ(t.changeCount() != before, c.changes) << std::get<std::string>(c.name);
        EXPECT_EQ(t.row(*id), done.after);
        EXPECT_EQ(t.row(*id)[3], c.name);
    }
}

// Changing some values of a row refuses what changing the whole row refuses, with the same
// numbers, and leaves the table and its unique keys as the whole-row update does: each case
// runs both ways on twin tables, one after the other, so a key left behind shows in a later one.
TEST(Constraints, UpdatingSomeValuesIsUpdatingTheRow) {
    Table whole = channels();
    Table some = channels();
    const RowRules& rules = memoryRowRules();
    for (Table* t : {&whole, &some}) {
        t->mutableSchema().columns[2].flags |= column_flag::kFixed;  // SID: a row keeps its size
        ASSERT_TRUE(insertRow(*t, row("S", "1", "A"), rules).isOk());
        ASSERT_TRUE(insertRow(*t, row("S", "2", "B"), rules).isOk());
    }
    const RowId a = 0;
    struct Case {
        const char* what;
        std::vector<int> columns;
        std::vector<Value> values;
        int expected;  // 0: accepted
    };
    const std::vector<Case> cases = {
        {"a name", {3}, {std::string("A2")}, 0},
        {"the name it has", {3}, {std::string("A2")}, 0},
        {"its own number, as text", {2}, {std::string("1")}, 0},
        {"the other row's key", {2}, {std::string("2")}, err::kDuplicateKey},
        {"a new key, as text", {2}, {std::string(" 3 ")}, 0},
        {"the other row's key in other letters",
         {1, 2},
         {std::string("s"), int64_t(2)},
         err::kDuplicateKey},
        {"no name", {3}, {Null{}}, err::kRequiredIsNull},
        {"no key column", {1}, {Null{}}, err::kPrimaryKeyNull},
        {"another AutoNumber", {0}, {int64_t(5)}, err::kFieldNotUpdatable},
        {"the same AutoNumber", {0}, {int64_t(1)}, 0},
        {"a number that is none", {2}, {std::string("abc")}, err::kTypeConversion},
        {"a source too long", {1}, {std::string("0123456789x")}, err::kFieldTooSmall},
        {"two columns, the later first", {3, 2}, {std::string("Z"), int64_t(7)}, 0},
        {"the first key again", {2}, {int64_t(1)}, 0},
    };
    // One update for every case, as a statement keeps one for all its rows: the checks worked
    // out for one set of columns must not carry over to another.
    ValuesUpdate update;
    for (const Case& c : cases) {
        Row full = whole.row(a);
        for (size_t k = 0; k < c.columns.size(); ++k)
            full[size_t(c.columns[k])] = c.values[k];
        update.columns = c.columns;
        update.values = c.values;
        const Row before = some.row(a);
        const uint64_t wholeCount = whole.changeCount(), someCount = some.changeCount();
        const int wholeCode = code(updateRow(whole, a, full, rules));
        const int someCode = code(updateValues(some, a, update, rules));
        EXPECT_EQ(some.changeCount() != someCount, whole.changeCount() != wholeCount) << c.what;
        EXPECT_EQ(wholeCode, c.expected) << c.what;
        EXPECT_EQ(someCode, c.expected) << c.what;
        EXPECT_EQ(some.row(a), whole.row(a)) << c.what;
        EXPECT_EQ(some.row(1), whole.row(1)) << c.what;
        if (someCode == 0) {
            for (size_t k = 0; k < c.columns.size(); ++k)
                EXPECT_EQ(update.before[k], before[size_t(c.columns[k])]) << c.what;
        }
    }
    // The keys the row held on the way (1, 3, 7) are free again but the one it holds now.
    for (Table* t : {&whole, &some}) {
        EXPECT_EQ(code(insertRow(*t, row("S", "1", "C"), rules).status()), err::kDuplicateKey);
        EXPECT_TRUE(insertRow(*t, row("S", "3", "C"), rules).isOk());
        EXPECT_TRUE(insertRow(*t, row("S", "7", "D"), rules).isOk());
    }
    // Nor across a change of the schema: a required column added, which the rows stored
    // before hold as Null, refuses the next change of another value of theirs.
    update.columns = {3};
    update.values = {std::string("N")};
    ASSERT_EQ(code(updateValues(some, a, update, rules)), 0);
    ColumnDef note = column("NOTE", ColumnType::Text, 4, 20);
    note.required = true;
    some.mutableSchema().columns.push_back(note);
    update.values = {std::string("O")};
    EXPECT_EQ(code(updateValues(some, a, update, rules)), err::kRequiredIsNull);
    EXPECT_EQ(some.value(a, 3), Value(std::string("N")));
}

TEST(Constraints, ValueConversions) {
    const RowRules& rules = memoryRowRules();
    auto conv = [&](ColumnType type, Value v, uint8_t scale = 0) {
        ColumnDef c = column("c", type, 0, type == ColumnType::Text ? 20 : 8);
        c.scale = scale;
        c.precision = 18;
        return convertForColumn(c, v, rules);
    };
    EXPECT_EQ(*conv(ColumnType::Boolean, "Yes"), Value(true));
    EXPECT_EQ(*conv(ColumnType::Boolean, "false"), Value(false));
    EXPECT_EQ(*conv(ColumnType::Boolean, "-1"), Value(true));
    EXPECT_EQ(conv(ColumnType::Boolean, "maybe").status().code(), err::kTypeConversion);
    EXPECT_EQ(*conv(ColumnType::Integer, "2.5"), Value(int64_t(2)));  // half to even
    EXPECT_EQ(*conv(ColumnType::Integer, "3.5"), Value(int64_t(4)));
    EXPECT_EQ(conv(ColumnType::Byte, "256").status().code(), err::kNumericOverflow);
    EXPECT_EQ(*conv(ColumnType::Currency, "12.3456"), Value(Currency{123456}));
    EXPECT_EQ(*conv(ColumnType::Currency, "-0.1"), Value(Currency{-1000}));
    EXPECT_EQ(*conv(ColumnType::Double, "1e3"), Value(1000.0));
    EXPECT_EQ(conv(ColumnType::Double, "nan").status().code(), err::kTypeConversion);
    EXPECT_EQ(*conv(ColumnType::DateTime, "1899-12-31"), Value(DateTime{1.0}));
    EXPECT_EQ(*conv(ColumnType::DateTime, "01/02/1900 12:00"), Value(DateTime{3.5}));
    EXPECT_EQ(*conv(ColumnType::DateTime, "1899-12-29 06:00:00"), Value(DateTime{-1.25}));
    EXPECT_EQ(conv(ColumnType::DateTime, "2001-02-30").status().code(), err::kTypeConversion);
    Result<Value> g = conv(ColumnType::Guid, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    ASSERT_TRUE(g.isOk());
    Guid expected{{0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                   0xDD, 0xEE, 0xFF}};
    EXPECT_EQ(*g, Value(expected));
    Result<Value> d = conv(ColumnType::Numeric, "-12.345", 2);
    ASSERT_TRUE(d.isOk());
    EXPECT_EQ(*d, Value(Decimal{true, 2, 1235}));
    EXPECT_EQ(*conv(ColumnType::Text, int64_t(42)), Value(std::string("42")));
}

// Converting in place keeps a value that is already stored as its column stores it and
// converts every other one exactly as convertForColumn() does, errors included.
TEST(Constraints, ConversionInPlaceMatchesTheFullConversion) {
    const RowRules& rules = memoryRowRules();
    struct Case {
        ColumnType type;
        uint16_t length;
        Value value;
    };
    const float big = 3.4e38f;
    const Case cases[] = {
        {ColumnType::Boolean, 0, true},
        {ColumnType::Boolean, 0, int64_t(3)},
        {ColumnType::Byte, 1, int64_t(255)},
        {ColumnType::Byte, 1, int64_t(256)},
        {ColumnType::Byte, 1, int64_t(-1)},
        {ColumnType::Integer, 2, int64_t(-32768)},
        {ColumnType::Integer, 2, int64_t(32768)},
        {ColumnType::Long, 4, int64_t(2147483647)},
        {ColumnType::Long, 4, int64_t(-2147483649LL)},
        {ColumnType::Long, 4, 2.5},
        {ColumnType::Long, 4, std::string("12")},
        {ColumnType::Currency, 8, Currency{-5}},
        {ColumnType::Currency, 8, int64_t(3)},
        {ColumnType::Single, 4, big},
        {ColumnType::Single, 4, std::numeric_limits<float>::infinity()},
        {ColumnType::Single, 4, 1.5},
        {ColumnType::Double, 8, -0.0},
        {ColumnType::Double, 8, 1.5f},
        {ColumnType::DateTime, 8, DateTime{2.25}},
        {ColumnType::DateTime, 8, 2.25},
        {ColumnType::Guid, 16, Guid{}},
        {ColumnType::Guid, 16, std::string("x")},
        {ColumnType::Numeric, 17, Decimal{true, 2, 1235}},
        {ColumnType::Numeric, 17, Decimal{false, 3, 1235}},
        {ColumnType::Text, 8, std::string("abcd")},
        {ColumnType::Text, 8, std::string("abcde")},
        {ColumnType::Text, 8, std::string("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F")},
        {ColumnType::Text, 8, int64_t(1234)},
        {ColumnType::Memo, 0, std::string(70000, 'm')},
        {ColumnType::Binary, 4, Blob{1, 2, 3, 4}},
        {ColumnType::Binary, 4, Blob{1, 2, 3, 4, 5}},
        {ColumnType::Ole, 0, Blob(5000, 7)},
        {ColumnType::Ole, 0, int64_t(1)},
        {ColumnType::Long, 4, Null{}},
    };
    for (const Case& c : cases) {
        ColumnDef def = column("c", c.type, 0, c.length);
        def.scale = 2;
        def.precision = 18;
        Result<Value> full = convertForColumn(def, c.value, rules);
        Value inPlace = c.value;
        Status st = convertInPlace(def, inPlace, rules);
        const std::string what = "type " + std::to_string(int(c.type)) + ", value of kind " +
                                 std::to_string(c.value.index());
        ASSERT_EQ(st.code(), full.status().code()) << what;
        if (full.isOk())
            EXPECT_EQ(inPlace, *full) << what;
        else
            EXPECT_EQ(inPlace, c.value) << what << ": a refused value stays as it was";
    }
}

TEST(Constraints, CheckNewIndexBeforeCreatingAPrimaryKey) {
    TableSchema s;
    s.name = "T";
    s.columns.push_back(column("A", ColumnType::Text, 0, 20));
    Table t(std::move(s));
    t.append(Row{Value(std::string("abc"))});
    t.append(Row{Value(std::string("ABC"))});
    RealIndex ix;
    ix.columns = {{0, true}};
    EXPECT_EQ(code(checkNewIndex(t, ix, true, memoryRowRules())), err::kDuplicateKey);
    EXPECT_TRUE(checkNewIndex(t, ix, false, memoryRowRules()).isOk());  // plain index
    t.append(Row{Null{}});
    t.erase(0);
    EXPECT_EQ(code(checkNewIndex(t, ix, true, memoryRowRules())), err::kPrimaryKeyNull);
}

}  // namespace
}  // namespace velmora::engine::store
