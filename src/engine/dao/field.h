// One field of a record set's current record: its name, DAO type code and size, its value,
// and assignment while the record is being edited or added.
//
// A Field is a small handle on its record set; it reads the current record each time, so it
// stays valid while the record set moves. Every call is unguarded (throws DaoError); wrap it
// in guarded() where a command tests the outcome.
#pragma once

#include <string>
#include <string_view>

#include "engine/store/value.h"

namespace velmora::engine::dao {

class Recordset;

// DAO's field type codes (Field.Type).
namespace type_code {
inline constexpr int kBoolean = 1;
inline constexpr int kByte = 2;
inline constexpr int kInteger = 3;
inline constexpr int kLong = 4;
inline constexpr int kCurrency = 5;
inline constexpr int kSingle = 6;
inline constexpr int kDouble = 7;
inline constexpr int kDate = 8;
inline constexpr int kBinary = 9;
inline constexpr int kText = 10;
inline constexpr int kLongBinary = 11;
inline constexpr int kMemo = 12;
inline constexpr int kGuid = 15;
inline constexpr int kDecimal = 20;
}  // namespace type_code

// The DAO type code of a store column type.
int daoTypeCode(store::ColumnType type);

// A value's text as Field::text() gives it, for values read through
// Recordset::currentValues(), into `out`, whose storage it reuses: a reader of many records
// keeps one string per field, and a whole number is written into it without a string of its
// own.
void displayTextInto(const store::Value& value, std::string& out);

class Field {
public:
    Field(Recordset* owner, int position) : m_owner(owner), m_position(position) {}

    std::string name() const;
    int type() const;  // DAO type code: 10 Text, 4 Long, ...
    // Text: the defined size in characters; other types: the stored size in bytes (0 for
    // Memo and OLE).
    int size() const;
    int position() const { return m_position; }

    // The current record's value; Null where an outer join found no row. 3021 without a
    // current record.
    store::Value value() const;
    bool isNull() const;
    // The value as the program's grid shows it: Null as empty text, numbers in the C locale
    // ("12", "2.5"), booleans "True"/"False", dates as "yyyy-mm-dd" with " hh:mm:ss" when the
    // time is not midnight. Text is returned as stored (not trimmed).
    std::string text() const;

    // Assignments, allowed between edit()/addNew() and update() (3020 otherwise).
    // A text is converted to the field's type with Jet's rules: 3421 when it does not convert
    // (letters for a number), 3163 when it is longer than a Text field's size. An empty text
    // is a zero-length string for Text and Memo and does not convert to a number (3421); use
    // setNull() to clear a field.
    void setValue(std::string_view text);
    void setValue(const char* text) { setValue(std::string_view(text)); }
    // A number for the engine to convert (rounded for whole-number fields; 3421 when it does
    // not fit the field).
    void setNumber(double number);
    // A typed value, converted to the field's type like a text.
    void setStoreValue(const store::Value& value);
    void setNull();

private:
    // The current value where it is kept (the edit buffer, the base table or the copy); a
    // value of the base table is valid until the next field is read.
    const store::Value& current() const;

    Recordset* m_owner;
    int m_position;
};

}  // namespace velmora::engine::dao
