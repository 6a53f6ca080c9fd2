// A cell value of a Jet table, typed as the engine keeps it in memory.
//
// Values are faithful: what the reader decodes is what the writer encodes again. Single keeps
// its float, Currency its scaled integer, Decimal its unscaled 96/128-bit magnitude, so a value
// no statement touches comes back equal bit for bit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace velmora::engine::store {

// Jet's column type codes, as stored in the table definition.
enum class ColumnType : uint8_t {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Unknown0D = 0x0D,
    Guid = 0x0F,
    Numeric = 0x10,
    Unknown11 = 0x11,
};

struct Null {
    bool operator==(const Null&) const = default;
};
// Currency: the stored signed 64-bit integer, value × 10 000.
struct Currency {
    int64_t scaled = 0;
    bool operator==(const Currency&) const = default;
};
// Date/time: the stored double, days since 1899-12-30 (OLE automation date).
struct DateTime {
    double days = 0;
    bool operator==(const DateTime&) const = default;
};
// GUID in its stored byte order (the first three groups little-endian, as Windows keeps them).
struct Guid {
    std::array<uint8_t, 16> bytes{};
    bool operator==(const Guid&) const = default;
};
// Decimal (NUMERIC): sign, scale and an unsigned magnitude of up to 96 significant bits
// (Jet 4 stores 16 bytes of magnitude; precision is at most 28 digits).
struct Decimal {
    bool negative = false;
    uint8_t scale = 0;
    unsigned __int128 magnitude = 0;
    bool operator==(const Decimal&) const = default;
};
using Blob = std::vector<uint8_t>;

// Text, Memo: UTF-8. Binary, OLE and the unknown types: the stored bytes. Boolean: bool.
// Byte, Integer, Long: int64_t. Single: float. Double: double.
using Value = std::variant<Null, bool, int64_t, float, double, Currency, DateTime, std::string,
                           Blob, Guid, Decimal>;

// Bytes a value of a fixed-width type takes in a row's fixed area: 0 for Boolean (it lives in
// the null mask) and for the variable-length types.
inline constexpr uint16_t fixedWidth(ColumnType type) {
    switch (type) {
        case ColumnType::Byte:
            return 1;
        case ColumnType::Integer:
            return 2;
        case ColumnType::Long:
        case ColumnType::Single:
            return 4;
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::DateTime:
            return 8;
        case ColumnType::Guid:
            return 16;
        case ColumnType::Numeric:
            return 17;
        default:
            return 0;
    }
}

inline bool isNull(const Value& v) {
    return std::holds_alternative<Null>(v);
}

using Row = std::vector<Value>;

}  // namespace velmora::engine::store
