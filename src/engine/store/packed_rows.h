// Rows of values kept compactly: the storage of a table in memory and of a query result.
//
// A channel table holds 32 767 rows of thirteen values. As vectors of Value (48 bytes each,
// a heap block per row and another per longer text) that was several times larger than the
// file the rows came from. Here each row's values are encoded one after the other (a type
// byte, then the value in as few bytes as it needs) into large shared blocks, and decoded when
// read; a row is found by its block and offset. Nothing hands out a pointer into the blocks,
// so a replaced row is written over the old one when it is no longer, else anew, and the
// space rows left is reclaimed by moving the live rows together once it outweighs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/value.h"

namespace velmora::engine::store {

// One row encoded value by value as PackedRows keeps it, for a reader that has the values in
// another form and need not build a Value for each: PackedRows::push_back() takes it whole.
// The bytes are those push_back(Row) writes for the same values.
class PackedRowBuilder {
public:
    void clear() {
        m_size = 0;
        m_count = 0;
    }
    size_t valueCount() const { return m_count; }

    void addNull();
    void addBool(bool b);
    void addWhole(int64_t n);
    void addFloat(float f);
    void addDouble(double d);
    void addCurrency(Currency c);
    void addDateTime(DateTime d);
    void addText(std::string_view utf8);
    // Adds a text of `utf8Length` bytes and returns where they go: the caller writes them
    // there before anything else is added, decoding straight into the row.
    char* addTextOfLength(size_t utf8Length);
    void addBlob(std::span<const uint8_t> bytes);
    void addGuid(const Guid& g);
    void addDecimal(const Decimal& d);

private:
    friend class PackedRows;
    // Room for `n` more bytes of one value at the end; returns where they start.
    char* grow(size_t n);
    std::string_view bytes() const { return {m_bytes.data(), m_size}; }

    // Sized to the longest row built so far and never cleared: a table's rows are built one
    // after the other in it, and each byte handed out by grow() is written before it is read.
    std::string m_bytes;
    size_t m_size = 0;  // of m_bytes, the row built
    size_t m_count = 0;
};

class PackedRows {
public:
    size_t size() const { return m_refs.size(); }
    bool empty() const { return m_refs.empty(); }

    // Room for this many rows without growing the row list again.
    void reserve(size_t rows) {
        m_refs.reserve(rows);
        m_count.reserve(rows);
    }
    // Drops every row, keeping the first block and the row list's room for rows added again
    // (a statement run once more into the result it filled before).
    void clear();
    void push_back(const Row& row);
    void push_back(const PackedRowBuilder& row);
    // A row built value by value: startRow(), then addValue() or addPacked() for each value.
    void startRow();
    void addValue(const Value& v);
    // Adds a value as packedValues() gave it, without decoding it; empty bytes add Null.
    void addPacked(std::string_view packed);
    // Replaces row i (its values may differ in number and type).
    void assign(size_t i, const Row& row);
    // Replaces the values of row i at `columns` (distinct positions) with `values`, one for
    // one; the row's other values are copied as they are encoded, never decoded. A row that
    // ends before a column given grows with Nulls up to it.
    void assignValues(size_t i, std::span<const int> columns, std::span<const Value> values);
    // Drops the values of row i; it reads as a row without values.
    void release(size_t i);
    // Keeps the rows at these positions, in this order; a position is left out or used once.
    void reorder(const std::vector<size_t>& order);

    // How many values row i has.
    size_t valueCount(size_t i) const { return m_count[i]; }
    // The value of one column of row i; Null beyond the row's last value.
    Value value(size_t i, size_t column) const;
    // The same into `out`, reusing the text it may hold already.
    void valueInto(size_t i, size_t column, Value& out) const;
    // Whether that value is Null, without decoding it.
    bool isNull(size_t i, size_t column) const;
    // The same for the first `columns` columns (at most 64) in one pass: bit c is set when
    // column c is Null. The values after those are not read; their bits stay clear.
    uint64_t nullMask(size_t i, size_t columns = 64) const;
    // The encoded bytes of every value of row i, for addPacked(), in one pass; valid until
    // the rows change.
    void packedValues(size_t i, std::vector<std::string_view>& out) const;
    Row row(size_t i) const;
    // Row i into `out`, reusing its values' storage.
    void rowInto(size_t i, Row& out) const;
    // The same, decoding only the values at the positions `wanted` marks; the others keep
    // what `out` held there (Null in a row that only this fills).
    void columnsInto(size_t i, std::span<const uint8_t> wanted, Row& out) const;

    // Whole rows in order, decoded one by one.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Row;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Row;

        Iterator(const PackedRows* rows, size_t i) : m_rows(rows), m_i(i) {}
        Row operator*() const { return m_rows->row(m_i); }
        Iterator& operator++() {
            ++m_i;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const PackedRows* m_rows;
        size_t m_i;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

private:
    struct Ref {
        uint32_t block = 0;
        uint32_t offset = 0;
    };
    const char* bytesOf(size_t i) const {
        return m_blocks[m_refs[i].block].data() + m_refs[i].offset;
    }
    size_t lengthOf(size_t i) const;
    // Stores a whole encoded row where there is room; returns where it went.
    Ref place(std::string_view bytes);
    size_t nextBlockBytes() const;
    void write(size_t i, const Row& row);
    // assignValues() when every value given encodes to as many bytes as the one it replaces:
    // each is written over the old one where it is. False, with nothing changed, otherwise.
    bool overwriteValues(size_t i, std::span<const int> columns, std::span<const Value> values);
    // Row i, of `old` bytes, replaced by the encoded row in m_scratch of `count` values.
    void replaceWithScratch(size_t i, size_t count, size_t old);
    void reclaimIfWasteful();

    std::vector<std::string> m_blocks;
    std::vector<Ref> m_refs;
    std::vector<uint16_t> m_count;  // per row: how many values it has
    std::string m_scratch;          // one row or value being encoded
    size_t m_written = 0;           // bytes in the blocks
    size_t m_unused = 0;            // of those, bytes of replaced and released rows
};

}  // namespace velmora::engine::store
