// The rows of a query result, kept compactly.
//
// A snapshot of the channel list holds 32 767 rows of eleven values. As vectors of Value
// (48 bytes each, plus a heap block per row) that copy was larger than the file it came
// from. Here every row's values are encoded one after the other into one buffer (a type byte,
// then the value in as few bytes as it needs) and decoded when read; a row is found by its
// start offset. Rows are read one value at a time or whole, in order; a replaced row is
// written anew at the end of the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "engine/store/value.h"

namespace velmora::engine::sql {

class ResultRows {
public:
    size_t size() const { return m_start.size(); }
    bool empty() const { return m_start.empty(); }

    void push_back(const store::Row& row);
    // A row built value by value: startRow(), then addValue() for each of its values.
    void startRow();
    void addValue(const store::Value& v);
    // Replaces row i (its values may differ in number and type).
    void assign(size_t i, const store::Row& row);
    // Keeps the rows at these positions, in this order (a position may be left out).
    void reorder(const std::vector<size_t>& order);

    // The value of one column of row i; Null beyond the row's last value.
    store::Value value(size_t i, size_t column) const;
    store::Row row(size_t i) const;

    // Whole rows in order, decoded one by one.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = store::Row;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = store::Row;

        Iterator(const ResultRows* rows, size_t i) : m_rows(rows), m_i(i) {}
        store::Row operator*() const { return m_rows->row(m_i); }
        Iterator& operator++() {
            ++m_i;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const ResultRows* m_rows;
        size_t m_i;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size()); }

private:
    void append(const store::Row& row);

    std::string m_bytes;
    std::vector<size_t> m_start;    // per row: where its values begin in m_bytes
    std::vector<uint16_t> m_count;  // per row: how many values it has
};

}  // namespace velmora::engine::sql
