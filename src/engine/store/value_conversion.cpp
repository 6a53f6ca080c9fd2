// Converting a value assigned to a column to the column's own type, as Jet converts it.
#include "engine/store/value_conversion.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/base/access_date.h"
#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/base/number_text.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::store {

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

namespace {

// The largest magnitude a Single column takes.
constexpr double kSingleLimit = 3.402823466e38;

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

std::optional<std::string> textOf(const Value& v) {
    if (auto* s = std::get_if<std::string>(&v))
        return *s;
    if (auto* i = std::get_if<int64_t>(&v))
        return std::to_string(*i);
    if (auto* b = std::get_if<bool>(&v))
        return *b ? "True" : "False";
    if (auto n = numericValue(v))
        return writeNumber(*n, 15);
    return std::nullopt;
}

size_t utf16Length(std::string_view utf8) {
    size_t n = 0;
    text::forEachUtf16Unit(utf8, [&](char16_t) { ++n; });
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

// Whether convertForColumn() would give back `value` unchanged: it already has the type the
// column stores and nothing about it fails the column's checks. Any other value takes the
// full conversion, errors included.
bool convertsToItself(const ColumnDef& column, const Value& value, const RowRules& rules) {
    if (isNull(value))
        return true;
    switch (column.type) {
        case ColumnType::Boolean:
            return std::holds_alternative<bool>(value);
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long: {
            auto* i = std::get_if<int64_t>(&value);
            const int64_t lo = column.type == ColumnType::Byte      ? 0
                               : column.type == ColumnType::Integer ? INT16_MIN
                                                                    : INT32_MIN;
            const int64_t hi = column.type == ColumnType::Byte      ? 255
                               : column.type == ColumnType::Integer ? INT16_MAX
                                                                    : INT32_MAX;
            return i != nullptr && *i >= lo && *i <= hi;
        }
        case ColumnType::Currency:
            return std::holds_alternative<Currency>(value);
        case ColumnType::Single: {
            auto* f = std::get_if<float>(&value);
            return f != nullptr && !(std::fabs(double(*f)) > kSingleLimit);
        }
        case ColumnType::Double:
            return std::holds_alternative<double>(value);
        case ColumnType::DateTime:
            return std::holds_alternative<DateTime>(value);
        case ColumnType::Guid:
            return std::holds_alternative<Guid>(value);
        case ColumnType::Numeric: {
            auto* d = std::get_if<Decimal>(&value);
            return d != nullptr && d->scale == column.scale;
        }
        case ColumnType::Text:
        case ColumnType::Memo: {
            auto* s = std::get_if<std::string>(&value);
            if (s == nullptr || column.type == ColumnType::Memo)
                return s != nullptr;
            // A UTF-8 text has no more UTF-16 units than bytes.
            const size_t capacity = rules.maxTextChars(column);
            return s->size() <= capacity || utf16Length(*s) <= capacity;
        }
        case ColumnType::Binary:
        case ColumnType::Ole:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11: {
            auto* b = std::get_if<Blob>(&value);
            return b != nullptr && !(column.type == ColumnType::Binary && column.length != 0 &&
                                     b->size() > column.length);
        }
    }
    return false;
}

}  // namespace

Status convertInPlace(const ColumnDef& column, Value& value, const RowRules& rules) {
    if (convertsToItself(column, value, rules))
        return Status::ok();
    VELMORA_ASSIGN_OR_RETURN(value, convertForColumn(column, value, rules));
    return Status::ok();
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
            if (std::fabs(*d) > kSingleLimit)
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

}  // namespace velmora::engine::store
