// Record sets: the rows of a SELECT or of a whole table, with a current-record cursor,
// field access and (for dynasets and tables) editing.
//
// - Snapshot: a copy of the rows taken when it was opened; later changes do not alter it;
//   read-only (3027 on edit/addNew/deleteCurrent).
// - Dynaset over a SELECT of one table (no GROUP BY, no aggregate): shows the table's current
//   values and writes to that table. Other dynasets (joins, groups) are read-only.
// - Table (opened by a table name): every column of the table, in stored order, editable.
//
// All members are unguarded: a failure throws DaoError with Jet's number (3021 no current
// record, 3020 update without edit, 3022/3058/3314 on update, ...). Commands that test the
// outcome use guarded() from dao_error.h or the try... members below, which return the number
// (0 when it worked) and leave the record set usable: after a failed update the edit stays
// pending until cancelUpdate().
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/dao/dao_error.h"
#include "engine/dao/field.h"

namespace velmora::engine::dao {

// DAO's record-set type constants (dbOpenTable, dbOpenDynaset, dbOpenSnapshot).
enum class RecordsetType { Default = 0, Table = 1, Dynaset = 2, Snapshot = 4 };
// DAO's option bits the program passes; both are accepted and change nothing here, since
// there is one user and every change is consistent at once.
namespace recordset_option {
inline constexpr int kNone = 0;
inline constexpr int kInconsistent = 16;  // dbInconsistent
}  // namespace recordset_option
enum class LockType { Default = 0, Pessimistic = 2, Optimistic = 3 };

enum class EditMode { None, Edit, AddNew };

class Recordset;

// Fields of a record set: count, by 0-based position or by name (case-insensitive).
class Fields {
public:
    explicit Fields(Recordset* owner) : m_owner(owner) {}
    int count() const;
    Field operator[](int position) const;           // 3265 when out of range
    Field operator[](std::string_view name) const;  // 3265 when no field has that name
    Field operator[](const char* name) const { return (*this)[std::string_view(name)]; }

    class Iterator {
    public:
        Iterator(Recordset* owner, int position) : m_owner(owner), m_position(position) {}
        Field operator*() const { return Field(m_owner, m_position); }
        Iterator& operator++() {
            ++m_position;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        Recordset* m_owner;
        int m_position;
    };
    Iterator begin() const { return Iterator(m_owner, 0); }
    Iterator end() const { return Iterator(m_owner, count()); }

private:
    Recordset* m_owner;
};

class Recordset {
public:
    struct Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    RecordsetType type() const;
    bool isUpdatable() const;

    // True when there is no current record: an empty set, or after moving past the last.
    bool eof() const;
    // True when before the first record (an empty set, or movePrevious past the first).
    bool bof() const;
    // Moves to the first / next / previous / last record. moveNext at eof, movePrevious at
    // bof, and any move on an empty set throw 3021 as DAO does (moveFirst/moveLast on an empty
    // set too).
    void moveFirst();
    void moveNext();
    void movePrevious();
    void moveLast();

    // As DAO counts: a table gives its row count; a dynaset or snapshot gives the records
    // visited so far, which is the total after moveLast().
    int recordCount() const;

    Fields fields() { return Fields(this); }
    Field field(int position) { return fields()[position]; }
    Field field(std::string_view name) { return fields()[name]; }
    // The current record's values in field order, each as Field::value() gives it, for a
    // reader of every field of every record (a grid's load): a snapshot hands over the row it
    // decoded, without a look-up per field. Valid until the record set moves, is changed or
    // closed. 3021 without a current record, 3167 on a deleted one.
    std::span<const store::Value> currentValues();

    // Starts changing the current record (3021 without one) or a new one. Assignments go
    // through Field; update() stores them, cancelUpdate() drops them.
    void edit();
    void addNew();
    // Stores the pending edit or new record, checking key and field rules: 3022 duplicate key,
    // 3058 Null in a primary key, 3314 required field Null, 3163, 3421. On failure the edit
    // stays pending. After addNew the current record does not move, as in DAO.
    void update();
    void cancelUpdate();
    EditMode editMode() const;
    // Deletes the current record; the cursor stays on the deleted position, so moveNext goes on
    // with the record after it.
    void deleteCurrent();
    // Runs the set's statement again (a query definition's with the values its parameters
    // hold now) and stands on the first of its rows, as a set just opened does; a pending
    // edit is dropped. The rows and column list of the last run lend their storage to this
    // one. 3251 for a table's set; the statement's error when it fails, the set then empty.
    void requery();
    void close();
    bool isOpen() const;

    // Guarded forms: the Jet error number, 0 when it worked.
    int tryUpdate();
    int tryDeleteCurrent();

private:
    friend class Field;
    friend class Fields;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace velmora::engine::dao
