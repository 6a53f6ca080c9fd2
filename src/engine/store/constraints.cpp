// Checked inserts, updates and deletes, and the conversion of assigned values.
#include "engine/store/constraints.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "engine/base/access_date.h"
#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/base/number_text.h"
#include "engine/store/collation.h"

namespace velmora::engine::store {

struct KeyCache {
    const Table* owner = nullptr;
    uint64_t changeCount = 0;
    const RowRules* rules = nullptr;
    // Per real index (by position): key → row, only for indexes that refuse duplicates.
    std::vector<std::unordered_map<std::string, RowId>> keys;
    // Per real index: the stored rows already held one of its keys twice (a damaged file).
    // Then every update is checked in full, so the later rows of such a key stay refused.
    std::vector<bool> storedDuplicates;
};

namespace {

Status conversionError(const ColumnDef& column) {
    return Status::error(err::kTypeConversion,
                         "Data type conversion error (field '" + column.name + "').");
}

Status overflowError(const ColumnDef& column) {
    return Status::error(err::kNumericOverflow,
                         "Numeric field overflow (field '" + column.name + "').");
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

// Rounds half to even, as Jet does when a fraction goes into a whole-number column.
double roundHalfEven(double d) {
    return std::nearbyint(d);
}

std::optional<double> numericValue(const Value& v) {
    if (auto* i = std::get_if<int64_t>(&v))
        return double(*i);
    if (auto* f = std::get_if<float>(&v))
        return double(*f);
    if (auto* d = std::get_if<double>(&v))
        return *d;
    if (auto* b = std::get_if<bool>(&v))
        return *b ? -1.0 : 0.0;
    if (auto* c = std::get_if<Currency>(&v))
        return double(c->scaled) / 10000.0;
    if (auto* t = std::get_if<DateTime>(&v))
        return t->days;
    if (auto* dec = std::get_if<Decimal>(&v)) {
        double m = double(dec->magnitude) / std::pow(10.0, dec->scale);
        return dec->negative ? -m : m;
    }
    return std::nullopt;
}

// "yyyy-mm-dd", "mm/dd/yyyy", either with " hh:mm[:ss]", or a bare "hh:mm[:ss]".
std::optional<double> parseDate(std::string_view text) {
    std::string s(trimBlanks(text));
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, n = 0;
    int64_t day = 0;
    size_t timeStart = std::string::npos;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &mo, &d, &n) == 3 ||
        std::sscanf(s.c_str(), "%2d/%2d/%4d%n", &mo, &d, &y, &n) == 3) {
        if (!isAccessCalendarDate(y, mo, d))
            return std::nullopt;
        day = accessDayOf(y, unsigned(mo), unsigned(d));
        if (size_t(n) == s.size())
            return accessDateOf(day, 0);
        if (s[size_t(n)] != ' ' && s[size_t(n)] != 'T')
            return std::nullopt;
        timeStart = size_t(n) + 1;
    } else {
        timeStart = 0;
    }
    std::string t = s.substr(timeStart);
    int m = 0;
    int fields = std::sscanf(t.c_str(), "%2d:%2d:%2d%n", &h, &mi, &sec, &m);
    if (fields != 3) {
        sec = 0;
        fields = std::sscanf(t.c_str(), "%2d:%2d%n", &h, &mi, &m);
        if (fields != 2)
            return std::nullopt;
    }
    if (size_t(m) != t.size() || h > 23 || mi > 59 || sec > 59 || h < 0 || mi < 0 || sec < 0)
        return std::nullopt;
    return accessDateOf(day, h * 3600 + mi * 60 + sec);
}

std::optional<Guid> parseGuid(std::string_view text) {
    std::string s(trimBlanks(text));
    if (s.size() == 38 && s.front() == '{' && s.back() == '}')
        s = s.substr(1, 36);
    if (s.size() != 36 || s[8] != '-' || s[13] != '-' || s[18] != '-' || s[23] != '-')
        return std::nullopt;
    std::string hex;
    for (char c : s) {
        if (c == '-')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        hex.push_back(c);
    }
    std::array<uint8_t, 16> text16{};
    for (size_t i = 0; i < 16; ++i)
        text16[i] = static_cast<uint8_t>(std::stoul(hex.substr(i * 2, 2), nullptr, 16));
    Guid g;
    // Stored order: the first three groups little-endian.
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i)
        g.bytes[i] = text16[kOrder[i]];
    return g;
}

std::string formatNumber(double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}

std::optional<std::string> textOf(const Value& v) {
    if (auto* s = std::get_if<std::string>(&v))
        return *s;
    if (auto* i = std::get_if<int64_t>(&v))
        return std::to_string(*i);
    if (auto* b = std::get_if<bool>(&v))
        return *b ? "True" : "False";
    if (auto n = numericValue(v))
        return formatNumber(*n);
    return std::nullopt;
}

size_t utf16Length(std::string_view utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(utf8[i]);
        if ((b & 0xC0) != 0x80)
            n += (b & 0xF8) == 0xF0 ? 2 : 1;
    }
    return n;
}

Result<Value> toWholeNumber(const ColumnDef& column, const Value& v, int64_t lo, int64_t hi) {
    double d = 0;
    if (auto* i = std::get_if<int64_t>(&v)) {
        if (*i < lo || *i > hi)
            return overflowError(column);
        return Value(*i);
    }
    if (auto* s = std::get_if<std::string>(&v)) {
        auto parsed = readNumber(*s);
        if (!parsed)
            return conversionError(column);
        d = *parsed;
    } else if (auto n = numericValue(v)) {
        d = *n;
    } else {
        return conversionError(column);
    }
    d = roundHalfEven(d);
    if (d < double(lo) || d > double(hi))
        return overflowError(column);
    return Value(static_cast<int64_t>(d));
}

Result<Value> toCurrency(const ColumnDef& column, const Value& v) {
    if (auto* c = std::get_if<Currency>(&v))
        return Value(*c);
    if (auto* i = std::get_if<int64_t>(&v)) {
        if (*i > INT64_MAX / 10000 || *i < INT64_MIN / 10000)
            return overflowError(column);
        return Value(Currency{*i * 10000});
    }
    if (auto* s = std::get_if<std::string>(&v)) {
        // Parsed digit by digit so that "0.1" is exactly 1000 ten-thousandths.
        std::string_view t = trimmedView(*s);
        bool negative = false;
        if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
            negative = t.front() == '-';
            t.remove_prefix(1);
        }
        if (t.empty())
            return conversionError(column);
        __int128 scaled = 0;
        int decimals = -1;
        bool roundUp = false;
        for (char c : t) {
            if (c == '.' && decimals < 0) {
                decimals = 0;
                continue;
            }
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                auto d = readNumber(*s);  // exponents and the like
                if (!d)
                    return conversionError(column);
                double x = std::nearbyint(*d * 10000.0);
                if (std::fabs(x) > 9.2e18)
                    return overflowError(column);
                return Value(Currency{static_cast<int64_t>(x)});
            }
            if (decimals >= 4) {
                if (decimals == 4)
                    roundUp = c >= '5';
                ++decimals;
                continue;
            }
            scaled = scaled * 10 + (c - '0');
            if (decimals >= 0)
                ++decimals;
            if (scaled > (__int128(1) << 64))
                return overflowError(column);
        }
        for (int k = std::max(decimals, 0); k < 4; ++k)
            scaled *= 10;
        if (roundUp)
            ++scaled;
        if (negative)
            scaled = -scaled;
        if (scaled > INT64_MAX || scaled < INT64_MIN)
            return overflowError(column);
        return Value(Currency{static_cast<int64_t>(scaled)});
    }
    if (auto n = numericValue(v)) {
        double x = std::nearbyint(*n * 10000.0);
        if (std::fabs(x) > 9.2e18)
            return overflowError(column);
        return Value(Currency{static_cast<int64_t>(x)});
    }
    return conversionError(column);
}

Result<Value> toDecimal(const ColumnDef& column, const Value& v) {
    std::string text;
    if (auto* dec = std::get_if<Decimal>(&v)) {
        if (dec->scale == column.scale)
            return Value(*dec);
        // Rescale through the text form below.
        unsigned __int128 m = dec->magnitude;
        std::string digits;
        do {
            digits.insert(digits.begin(), char('0' + int(m % 10)));
            m /= 10;
        } while (m != 0);
        while (digits.size() <= dec->scale)
            digits.insert(digits.begin(), '0');
        if (dec->scale > 0)
            digits.insert(digits.end() - dec->scale, '.');
        text = (dec->negative ? "-" : "") + digits;
    } else if (auto s = textOf(v); s && !std::holds_alternative<bool>(v)) {
        text = *s;
    } else {
        return conversionError(column);
    }
    std::string_view t = trimmedView(text);
    Decimal out;
    out.scale = column.scale;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        out.negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty())
        return conversionError(column);
    int decimals = -1;
    bool roundUp = false;
    for (char c : t) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return conversionError(column);
        if (decimals >= int(column.scale)) {
            if (decimals == int(column.scale))
                roundUp = c >= '5';
            ++decimals;
            continue;
        }
        out.magnitude = out.magnitude * 10 + unsigned(c - '0');
        if (decimals >= 0)
            ++decimals;
        if (out.magnitude >> 96)
            return overflowError(column);
    }
    for (int k = std::max(decimals, 0); k < int(column.scale); ++k)
        out.magnitude *= 10;
    if (roundUp)
        out.magnitude += 1;
    unsigned __int128 limit = 1;
    uint8_t precision = column.precision ? column.precision : 18;
    for (int k = 0; k < precision; ++k)
        limit *= 10;
    if (out.magnitude >= limit)
        return overflowError(column);
    if (out.magnitude == 0)
        out.negative = false;
    return Value(out);
}

// Key bytes with the same equality as a Jet key, for tables without a file format.
class MemoryRowRules : public RowRules {
public:
    Result<KeyBytes> encode(const TableSchema& schema, const RealIndex& index,
                            const Row& row) const override {
        KeyBytes key;
        for (const IndexColumn& ic : index.columns) {
            const Value* v = nullptr;
            for (size_t i = 0; i < schema.columns.size(); ++i) {
                if (schema.columns[i].number == ic.columnNumber)
                    v = &row[i];
            }
            if (v == nullptr || isNull(*v)) {
                key.push_back(0);
                continue;
            }
            key.push_back(1);
            std::string part;
            if (auto* s = std::get_if<std::string>(v)) {
                std::string_view t = *s;
                while (!t.empty() && t.back() == ' ')
                    t.remove_suffix(1);
                part = sortKey(t);
            } else if (auto n = numericValue(*v)) {
                double d = *n == 0 ? 0.0 : *n;
                part.assign(reinterpret_cast<const char*>(&d), sizeof d);
            } else if (auto* b = std::get_if<Blob>(v)) {
                part.assign(b->begin(), b->end());
            } else if (auto* g = std::get_if<Guid>(v)) {
                part.assign(g->bytes.begin(), g->bytes.end());
            }
            uint32_t len = static_cast<uint32_t>(part.size());
            key.insert(key.end(), reinterpret_cast<const uint8_t*>(&len),
                       reinterpret_cast<const uint8_t*>(&len) + 4);
            key.insert(key.end(), part.begin(), part.end());
        }
        return key;
    }
};

bool refusesDuplicates(const TableSchema& schema, size_t realIndex) {
    if (schema.realIndexes[realIndex].isUnique())
        return true;
    for (const LogicalIndex& li : schema.logicalIndexes) {
        if (li.isPrimary() && li.realIndex == realIndex)
            return true;
    }
    return false;
}

bool refusesNulls(const TableSchema& schema, size_t realIndex) {
    if (schema.realIndexes[realIndex].isRequired())
        return true;
    for (const LogicalIndex& li : schema.logicalIndexes) {
        if (li.isPrimary() && li.realIndex == realIndex)
            return true;
    }
    return false;
}

std::optional<size_t> positionOf(const TableSchema& schema, uint16_t number) {
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        if (schema.columns[i].number == number)
            return i;
    }
    return std::nullopt;
}

bool allNull(const TableSchema& schema, const RealIndex& index, const Row& row) {
    for (const IndexColumn& ic : index.columns) {
        auto pos = positionOf(schema, ic.columnNumber);
        if (pos && !isNull(row[*pos]))
            return false;
    }
    return true;
}

std::string keyString(const KeyBytes& k) {
    return std::string(k.begin(), k.end());
}

Status duplicateError(const TableSchema& schema) {
    return Status::error(err::kDuplicateKey,
                         "The changes you requested to the table '" + schema.name +
                             "' were not successful because they would create duplicate values "
                             "in the index, primary key, or relationship.");
}

// The cache of unique keys, rebuilt when the table changed outside these checks.
Result<KeyCache*> keyCacheFor(const Table& table, const RowRules& rules) {
    std::shared_ptr<KeyCache>& slot = table.keyCache();
    if (slot && slot->owner == &table && slot->changeCount == table.changeCount() &&
        slot->rules == &rules && slot->keys.size() == table.schema().realIndexes.size()) {
        return slot.get();
    }
    auto cache = std::make_shared<KeyCache>();
    cache->owner = &table;
    cache->rules = &rules;
    const TableSchema& schema = table.schema();
    cache->keys.resize(schema.realIndexes.size());
    cache->storedDuplicates.resize(schema.realIndexes.size());
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix))
            continue;
        const RealIndex& index = schema.realIndexes[ix];
        Status failure;
        table.forEachLive([&](RowId id, const Row& row) {
            if (!failure.isOk() || allNull(schema, index, row))
                return;
            Result<KeyBytes> key = rules.encode(schema, index, row);
            if (!key.isOk()) {
                failure = key.status();
                return;
            }
            if (!cache->keys[ix].emplace(keyString(*key), id).second)
                cache->storedDuplicates[ix] = true;
        });
        VELMORA_RETURN_IF_ERROR(failure);
    }
    cache->changeCount = table.changeCount();
    slot = cache;
    return slot.get();
}

// Converts every value and checks everything but uniqueness.
Status prepareRow(const Table& table, Row& row, const RowRules& rules) {
    const TableSchema& schema = table.schema();
    if (row.size() != schema.columns.size()) {
        return Status::error(err::kInvalidArgument,
                             "row has " + std::to_string(row.size()) + " values for " +
                                 std::to_string(schema.columns.size()) + " columns");
    }
    for (size_t i = 0; i < row.size(); ++i) {
        VELMORA_ASSIGN_OR_RETURN(row[i], convertForColumn(schema.columns[i], row[i], rules));
    }
    for (size_t i = 0; i < row.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        if (c.required && isNull(row[i]) && !c.isAutoNumber()) {
            return Status::error(err::kRequiredIsNull,
                                 "The field '" + schema.name + "." + c.name +
                                     "' cannot contain a Null value because the Required "
                                     "property for this field is set to True.");
        }
    }
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesNulls(schema, ix))
            continue;
        for (const IndexColumn& ic : schema.realIndexes[ix].columns) {
            auto pos = positionOf(schema, ic.columnNumber);
            // AutoNumber columns are filled in after these checks.
            if (pos && isNull(row[*pos]) && schema.columns[*pos].type != ColumnType::Boolean &&
                !schema.columns[*pos].isAutoNumber()) {
                return jetError(err::kPrimaryKeyNull);
            }
        }
    }
    return Status::ok();
}

// Finds a duplicate of `row` among other rows; collects the new keys for the cache.
// Whether two rows hold the same values in the columns of an index. A row updated without
// touching a key keeps that key, and its entry in the key cache stays as it is: the cache
// could only be built because every stored key encodes.
bool sameIndexValues(const TableSchema& schema, const RealIndex& index, const Row& a,
                     const Row& b) {
    for (const IndexColumn& ic : index.columns) {
        auto pos = positionOf(schema, ic.columnNumber);
        if (!pos || a[*pos] != b[*pos])
            return false;
    }
    return true;
}

// With `before` (an update), indexes whose values did not change are skipped.
Status checkUnique(const Table& table, const Row& row, std::optional<RowId> self,
                   const RowRules& rules, KeyCache& cache,
                   std::vector<std::pair<size_t, std::string>>& newKeys,
                   const Row* before = nullptr) {
    const TableSchema& schema = table.schema();
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix))
            continue;
        const RealIndex& index = schema.realIndexes[ix];
        if (allNull(schema, index, row))
            continue;
        if (before && !cache.storedDuplicates[ix] && sameIndexValues(schema, index, *before, row))
            continue;
        VELMORA_ASSIGN_OR_RETURN(KeyBytes key, rules.encode(schema, index, row));
        std::string k = keyString(key);
        auto it = cache.keys[ix].find(k);
        if (it != cache.keys[ix].end() && (!self || it->second != *self))
            return duplicateError(schema);
        newKeys.emplace_back(ix, std::move(k));
    }
    return Status::ok();
}

// Removes the keys of `row` (about to be replaced or deleted) from the cache; with `after`
// (the row replacing it), the keys it keeps stay.
void forgetKeys(const Table& table, RowId id, const RowRules& rules, KeyCache& cache,
                const Row* after = nullptr) {
    const TableSchema& schema = table.schema();
    const Row& row = table.row(id);
    for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
        if (!refusesDuplicates(schema, ix) || allNull(schema, schema.realIndexes[ix], row))
            continue;
        if (after && !cache.storedDuplicates[ix] &&
            sameIndexValues(schema, schema.realIndexes[ix], row, *after))
            continue;
        Result<KeyBytes> key = rules.encode(schema, schema.realIndexes[ix], row);
        if (!key.isOk())
            continue;  // such a row was never cached: building the cache would have failed
        auto it = cache.keys[ix].find(keyString(*key));
        if (it != cache.keys[ix].end() && it->second == id)
            cache.keys[ix].erase(it);
    }
}

}  // namespace

const RowRules& memoryRowRules() {
    static const MemoryRowRules rules;
    return rules;
}

Result<Value> convertForColumn(const ColumnDef& column, const Value& value, const RowRules& rules) {
    if (isNull(value))
        return value;
    switch (column.type) {
        case ColumnType::Boolean: {
            if (std::holds_alternative<bool>(value))
                return value;
            if (auto* s = std::get_if<std::string>(&value)) {
                std::string_view t = trimmedView(*s);
                if (equalsNoCase(t, "true") || equalsNoCase(t, "yes") || equalsNoCase(t, "on"))
                    return Value(true);
                if (equalsNoCase(t, "false") || equalsNoCase(t, "no") || equalsNoCase(t, "off"))
                    return Value(false);
                if (auto n = readNumber(t))
                    return Value(*n != 0);
                return conversionError(column);
            }
            if (auto n = numericValue(value))
                return Value(*n != 0);
            return conversionError(column);
        }
        case ColumnType::Byte:
            return toWholeNumber(column, value, 0, 255);
        case ColumnType::Integer:
            return toWholeNumber(column, value, INT16_MIN, INT16_MAX);
        case ColumnType::Long:
            return toWholeNumber(column, value, INT32_MIN, INT32_MAX);
        case ColumnType::Currency:
            return toCurrency(column, value);
        case ColumnType::Single:
        case ColumnType::Double: {
            std::optional<double> d;
            if (auto* s = std::get_if<std::string>(&value))
                d = readNumber(*s);
            else if (!std::holds_alternative<DateTime>(value))
                d = numericValue(value);
            if (!d)
                return conversionError(column);
            if (column.type == ColumnType::Double)
                return Value(*d);
            if (std::fabs(*d) > 3.402823466e38)
                return overflowError(column);
            if (auto* f = std::get_if<float>(&value))
                return Value(*f);
            return Value(static_cast<float>(*d));
        }
        case ColumnType::DateTime: {
            if (std::holds_alternative<DateTime>(value))
                return value;
            std::optional<double> d;
            if (auto* s = std::get_if<std::string>(&value)) {
                d = parseDate(*s);
                if (!d)
                    d = readNumber(*s);
            } else if (!std::holds_alternative<bool>(value)) {
                d = numericValue(value);
            }
            if (!d)
                return conversionError(column);
            if (*d < -657434.0 || *d > 2958465.99999)  // years 100 to 9999
                return overflowError(column);
            return Value(DateTime{*d});
        }
        case ColumnType::Guid: {
            if (std::holds_alternative<Guid>(value))
                return value;
            if (auto* s = std::get_if<std::string>(&value)) {
                if (auto g = parseGuid(*s))
                    return Value(*g);
            }
            return conversionError(column);
        }
        case ColumnType::Numeric:
            return toDecimal(column, value);
        case ColumnType::Text:
        case ColumnType::Memo: {
            std::optional<std::string> s = textOf(value);
            if (!s)
                return conversionError(column);
            if (column.type == ColumnType::Text && utf16Length(*s) > rules.maxTextChars(column)) {
                return Status::error(err::kFieldTooSmall,
                                     "The field '" + column.name +
                                         "' is too small to accept the amount of data you "
                                         "attempted to add.");
            }
            return Value(std::move(*s));
        }
        case ColumnType::Binary:
        case ColumnType::Ole:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            Blob b;
            if (auto* blob = std::get_if<Blob>(&value))
                b = *blob;
            else if (auto* s = std::get_if<std::string>(&value))
                b.assign(s->begin(), s->end());
            else
                return conversionError(column);
            if (column.type == ColumnType::Binary && column.length != 0 &&
                b.size() > column.length) {
                return Status::error(err::kFieldTooSmall,
                                     "The field '" + column.name +
                                         "' is too small to accept the amount of data you "
                                         "attempted to add.");
            }
            return Value(std::move(b));
        }
    }
    return conversionError(column);
}

Result<RowId> insertRow(Table& table, Row row, const RowRules& rules) {
    VELMORA_RETURN_IF_ERROR(prepareRow(table, row, rules));
    const TableSchema& schema = table.schema();
    // AutoNumber values are handed out only once the row is otherwise acceptable, but before
    // the key checks, since an AutoNumber column is often the primary key.
    std::optional<uint32_t> nextAuto;
    for (size_t i = 0; i < row.size(); ++i) {
        const ColumnDef& c = schema.columns[i];
        if (c.type != ColumnType::Long || !c.isAutoNumber())
            continue;
        if (isNull(row[i])) {
            row[i] = Value(int64_t(schema.nextAutoNumber));
            nextAuto = schema.nextAutoNumber + 1;
        } else {
            int64_t given = std::get<int64_t>(row[i]);
            if (given >= int64_t(schema.nextAutoNumber) && given < INT32_MAX)
                nextAuto = uint32_t(given + 1);
        }
    }
    VELMORA_RETURN_IF_ERROR(rules.checkRowFits(schema, row));
    VELMORA_ASSIGN_OR_RETURN(KeyCache * cache, keyCacheFor(table, rules));
    std::vector<std::pair<size_t, std::string>> newKeys;
    VELMORA_RETURN_IF_ERROR(checkUnique(table, row, std::nullopt, rules, *cache, newKeys));
    if (nextAuto)
        table.mutableSchema().nextAutoNumber = *nextAuto;
    RowId id = table.append(std::move(row));
    for (auto& [ix, key] : newKeys)
        cache->keys[ix].emplace(std::move(key), id);
    cache->changeCount = table.changeCount();
    return id;
}

Status updateRow(Table& table, RowId id, Row row, const RowRules& rules) {
    if (!table.isLive(id))
        return jetError(err::kNoCurrentRecord);
    VELMORA_RETURN_IF_ERROR(prepareRow(table, row, rules));
    const TableSchema& schema = table.schema();
    for (size_t i = 0; i < row.size(); ++i) {
        // An AutoNumber column keeps its value: Jet refuses to change it.
        if (schema.columns[i].type == ColumnType::Long && schema.columns[i].isAutoNumber() &&
            row[i] != table.row(id)[i]) {
            return Status::error(err::kFieldNotUpdatable,
                                 "Field '" + schema.columns[i].name + "' cannot be updated.");
        }
    }
    VELMORA_RETURN_IF_ERROR(rules.checkRowFits(schema, row));
    VELMORA_ASSIGN_OR_RETURN(KeyCache * cache, keyCacheFor(table, rules));
    std::vector<std::pair<size_t, std::string>> newKeys;
    VELMORA_RETURN_IF_ERROR(checkUnique(table, row, id, rules, *cache, newKeys, &table.row(id)));
    forgetKeys(table, id, rules, *cache, &row);
    table.replace(id, std::move(row));
    for (auto& [ix, key] : newKeys)
        cache->keys[ix][std::move(key)] = id;
    cache->changeCount = table.changeCount();
    return Status::ok();
}

Status deleteRow(Table& table, RowId id) {
    if (!table.isLive(id))
        return jetError(err::kNoCurrentRecord);
    std::shared_ptr<KeyCache>& slot = table.keyCache();
    bool cacheValid = slot && slot->owner == &table && slot->changeCount == table.changeCount();
    if (cacheValid)
        forgetKeys(table, id, *slot->rules, *slot);
    table.erase(id);
    if (cacheValid)
        slot->changeCount = table.changeCount();
    return Status::ok();
}

Status checkNewIndex(const Table& table, const RealIndex& index, bool primary,
                     const RowRules& rules) {
    const TableSchema& schema = table.schema();
    bool refuseNulls = primary || index.isRequired();
    bool unique = primary || index.isUnique();
    std::unordered_map<std::string, RowId> seen;
    Status failure;
    table.forEachLive([&](RowId id, const Row& row) {
        if (!failure.isOk())
            return;
        if (refuseNulls) {
            for (const IndexColumn& ic : index.columns) {
                auto pos = positionOf(schema, ic.columnNumber);
                if (!pos) {
                    failure = jetError(err::kItemNotFound);
                    return;
                }
                if (isNull(row[*pos])) {
                    failure = jetError(err::kPrimaryKeyNull);
                    return;
                }
            }
        }
        if (!unique || allNull(schema, index, row))
            return;
        Result<KeyBytes> key = rules.encode(schema, index, row);
        if (!key.isOk()) {
            failure = key.status();
            return;
        }
        if (!seen.emplace(keyString(*key), id).second)
            failure = duplicateError(schema);
    });
    return failure;
}

}  // namespace velmora::engine::store
