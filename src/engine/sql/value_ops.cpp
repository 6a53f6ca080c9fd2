#include "engine/sql/value_ops.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "engine/base/access_date.h"
#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/base/number_text.h"
#include "engine/base/text_codec.h"
#include "engine/sql/lexer.h"
#include "engine/store/collation.h"
#include "engine/store/value_conversion.h"

namespace velmora::engine::sql {

using store::Value;

namespace {

Status typeMismatch() {
    return jetError(err::kTypeMismatch);
}

// Rounds half to even, as Jet converts a fraction to a whole number.
double roundHalfEven(double v) {
    return std::nearbyint(v);
}

std::string formatScaled(bool negative, unsigned __int128 magnitude, int scale) {
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    while (int(digits.size()) <= scale)
        digits.insert(digits.begin(), '0');
    std::string out = digits.substr(0, digits.size() - scale);
    std::string fraction = digits.substr(digits.size() - scale);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        out += "." + fraction;
    if (negative && out != "0")
        out.insert(out.begin(), '-');
    return out;
}

std::string formatDate(double days) {
    const CalendarTime t = calendarTimeOf(days);
    char buf[48];
    if (t.hour == 0 && t.minute == 0 && t.second == 0) {
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", static_cast<long long>(t.year), t.month,
                      t.day);
    } else {
        std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d",
                      static_cast<long long>(t.year), t.month, t.day, t.hour, t.minute, t.second);
    }
    return buf;
}

std::string hex(const uint8_t* p, size_t n) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string out;
    out.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[p[i] >> 4];
        out += kDigits[p[i] & 15];
    }
    return out;
}

std::string formatGuid(const store::Guid& g) {
    const auto& b = g.bytes;
    // The first three groups are stored little-endian.
    const uint8_t ordered[16] = {b[3], b[2], b[1],  b[0],  b[5],  b[4],  b[7],  b[6],
                                 b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]};
    std::string h = hex(ordered, 16);
    return "{" + h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" +
           h.substr(16, 4) + "-" + h.substr(20) + "}";
}

}  // namespace

ValueClass classify(const Value& v) {
    switch (v.index()) {
        case 0:
            return ValueClass::Null;
        case 7:
            return ValueClass::Text;
        case 8:
            return ValueClass::Binary;
        case 9:
            return ValueClass::Guid;
        default:
            return ValueClass::Number;
    }
}

Result<int> compareValues(const Value& a, const Value& b) {
    const ValueClass ca = classify(a), cb = classify(b);
    if (ca == ValueClass::Text && cb == ValueClass::Text)
        return store::compareText(std::get<std::string>(a), std::get<std::string>(b));
    if (ca == ValueClass::Number && cb == ValueClass::Number) {
        // Whole numbers compare exactly; anything else as doubles.
        if (auto* x = std::get_if<int64_t>(&a), *y = std::get_if<int64_t>(&b); x && y)
            return *x < *y ? -1 : (*x > *y ? 1 : 0);
        const double x = *store::numericValue(a), y = *store::numericValue(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ca == cb && ca == ValueClass::Binary) {
        const auto &x = std::get<store::Blob>(a), &y = std::get<store::Blob>(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ca == cb && ca == ValueClass::Guid) {
        const auto &x = std::get<store::Guid>(a).bytes, &y = std::get<store::Guid>(b).bytes;
        return std::memcmp(x.data(), y.data(), 16);
    }
    return typeMismatch();
}

int orderValues(const Value& a, const Value& b) {
    const ValueClass ca = classify(a), cb = classify(b);
    if (ca != cb)
        return int(ca) < int(cb) ? -1 : 1;
    if (ca == ValueClass::Null)
        return 0;
    Result<int> c = compareValues(a, b);
    return c.isOk() ? *c : 0;
}

namespace {

// The collation key of a text, remembered: the same few texts (a source, a group name) are
// keyed over and over by lookups and grouping. The last keys are kept by the text's hash in
// slots that stop allocating once they have grown, so that keying every channel's name (a
// scan for one name, a grouping by name) holds no more than the slots: a map of every text
// keyed held up to 65 536 of them, 2.4 MB after "Delete empty channels" over 32 767 channels.
const std::string& cachedSortKey(const std::string& text) {
    struct Kept {
        bool filled = false;
        std::string text;
        std::string key;
    };
    constexpr size_t kSlots = 4096;
    thread_local std::array<Kept, kSlots> kept;
    Kept& slot = kept[std::hash<std::string>{}(text) % kSlots];
    if (!slot.filled || slot.text != text) {
        store::assignSortKey(slot.key, text);
        slot.text.assign(text);
        slot.filled = true;
    }
    return slot.key;
}

// Bytes with 0x00 escaped as 0x00 0xFF, ended by 0x00 0x00: a prefix then sorts first.
void appendEscaped(std::string& out, std::string_view bytes) {
    // Keys are built for every row of a lookup or a grouping: copy the runs between NULs
    // whole rather than byte by byte.
    for (size_t nul = bytes.find('\0'); nul != std::string_view::npos; nul = bytes.find('\0')) {
        out.append(bytes.substr(0, nul + 1));
        out += '\xFF';
        bytes.remove_prefix(nul + 1);
    }
    out.append(bytes);
    out.append(2, '\0');
}

}  // namespace

void appendOrderKey(std::string& out, const Value& v) {
    switch (classify(v)) {
        case ValueClass::Null:
            out += '\x01';
            return;
        case ValueClass::Number: {
            // Whole numbers (most keys: ids, numbers, frequencies) without the general reading.
            const auto* whole = std::get_if<int64_t>(&v);
            double d = whole != nullptr ? static_cast<double>(*whole) : *store::numericValue(v);
            if (d == 0)
                d = 0;  // -0 and 0 are one key
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            // Flipping makes the unsigned big-endian bytes sort as the numbers do.
            bits = (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
            char key[9] = {'\x02'};
            for (int i = 1; i < 9; ++i)
                key[i] = static_cast<char>((bits >> (64 - 8 * i)) & 0xFF);
            out.append(key, sizeof key);
            return;
        }
        case ValueClass::Text:
            out += '\x03';
            appendEscaped(out, cachedSortKey(std::get<std::string>(v)));
            return;
        case ValueClass::Binary: {
            const auto& b = std::get<store::Blob>(v);
            out += '\x04';
            appendEscaped(out, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
            return;
        }
        case ValueClass::Guid: {
            const auto& g = std::get<store::Guid>(v).bytes;
            out += '\x05';
            out.append(reinterpret_cast<const char*>(g.data()), g.size());
            return;
        }
    }
}

std::string orderKey(const Value& v) {
    std::string out;
    appendOrderKey(out, v);
    return out;
}

std::optional<std::string> textSortKeyOf(std::string_view key) {
    if (key.empty() || key.front() != '\x03')
        return std::nullopt;
    // appendEscaped() backwards: a NUL of the bytes is followed by 0xFF, and two NULs end them.
    std::string bytes;
    for (size_t i = 1; i + 1 < key.size(); ++i) {
        if (key[i] != '\0') {
            bytes += key[i];
        } else if (key[i + 1] == '\xFF') {
            bytes += '\0';
            ++i;
        } else if (key[i + 1] == '\0' && i + 2 == key.size()) {
            return bytes;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> equalityKey(const Value& v) {
    if (store::isNull(v))
        return std::nullopt;
    return orderKey(v);
}

Result<Value> arithmetic(Op op, const Value& a, const Value& b) {
    if (op == Op::Concat) {
        // & treats Null as an empty text; only Null & Null is Null.
        if (store::isNull(a) && store::isNull(b))
            return Value(store::Null{});
        return Value(displayText(a) + displayText(b));
    }
    if (store::isNull(a) || store::isNull(b))
        return Value(store::Null{});
    if (op == Op::Add && classify(a) == ValueClass::Text && classify(b) == ValueClass::Text)
        return Value(std::get<std::string>(a) + std::get<std::string>(b));
    auto x = store::numericValue(a), y = store::numericValue(b);
    if (!x && classify(a) == ValueClass::Text)
        x = readNumber(std::get<std::string>(a));
    if (!y && classify(b) == ValueClass::Text)
        y = readNumber(std::get<std::string>(b));
    if (!x || !y)
        return typeMismatch();
    const bool whole = std::holds_alternative<int64_t>(a) && std::holds_alternative<int64_t>(b);
    const int64_t i = whole ? std::get<int64_t>(a) : 0, j = whole ? std::get<int64_t>(b) : 0;
    int64_t r = 0;
    switch (op) {
        // Whole numbers stay whole while they fit; past 64 bits they go on as doubles.
        case Op::Add:
            return whole && !__builtin_add_overflow(i, j, &r) ? Value(r) : Value(*x + *y);
        case Op::Subtract:
            return whole && !__builtin_sub_overflow(i, j, &r) ? Value(r) : Value(*x - *y);
        case Op::Multiply:
            return whole && !__builtin_mul_overflow(i, j, &r) ? Value(r) : Value(*x * *y);
        case Op::Divide:
            if (*y == 0)
                return jetError(err::kDivisionByZero);
            return Value(*x / *y);
        case Op::IntDivide:
        case Op::Modulo: {
            // Integer division and Mod work on whole numbers; larger operands overflow.
            const double px = roundHalfEven(*x), qy = roundHalfEven(*y);
            if (!(std::fabs(px) < 9.2e18) || !(std::fabs(qy) < 9.2e18))
                return Status::error(err::kNumericOverflow, "Overflow.");
            const auto p = int64_t(px), q = int64_t(qy);
            if (q == 0)
                return jetError(err::kDivisionByZero);
            return Value(op == Op::IntDivide ? p / q : p % q);
        }
        case Op::Power:
            return Value(std::pow(*x, *y));
        default:
            return typeMismatch();
    }
}

namespace {

std::string encodeUtf8(char32_t cp) {
    std::string out;
    text::appendUtf8(out, cp);
    return out;
}

bool sameChar(char32_t a, char32_t b) {
    if (a == b)
        return true;
    if (a < 0x80 && b < 0x80)
        return std::tolower(int(a)) == std::tolower(int(b));
    return store::compareText(encodeUtf8(a), encodeUtf8(b)) == 0;
}

std::u32string decodeAll(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();)
        out += char32_t(*text::decodeUtf8(s, i, text::Utf8Rule::Lossless));
    return out;
}

bool likeFrom(const std::u32string& t, size_t ti, const std::u32string& p, size_t pi) {
    while (pi < p.size()) {
        const char32_t pc = p[pi];
        if (pc == U'*') {
            while (pi < p.size() && p[pi] == U'*')
                ++pi;
            if (pi == p.size())
                return true;
            for (size_t k = ti; k <= t.size(); ++k) {
                if (likeFrom(t, k, p, pi))
                    return true;
            }
            return false;
        }
        if (ti >= t.size())
            return false;
        if (pc == U'?') {
            ++ti, ++pi;
            continue;
        }
        if (pc == U'#') {
            if (t[ti] < U'0' || t[ti] > U'9')
                return false;
            ++ti, ++pi;
            continue;
        }
        if (pc == U'[') {
            const size_t close = p.find(U']', pi + 1);
            if (close == std::u32string::npos) {
                // An unclosed bracket matches itself.
                if (!sameChar(t[ti], pc))
                    return false;
                ++ti, ++pi;
                continue;
            }
            size_t k = pi + 1;
            bool negate = false;
            if (k < close && p[k] == U'!') {
                negate = true;
                ++k;
            }
            bool hit = false;
            for (; k < close; ++k) {
                if (k + 2 < close && p[k + 1] == U'-') {
                    const char32_t lo = p[k], hi = p[k + 2];
                    char32_t c = t[ti];
                    if ((c >= lo && c <= hi) ||
                        (c < 0x80 && std::tolower(int(c)) >= std::tolower(int(lo)) &&
                         std::tolower(int(c)) <= std::tolower(int(hi)) && lo < 0x80 && hi < 0x80))
                        hit = true;
                    k += 2;
                } else if (sameChar(t[ti], p[k])) {
                    hit = true;
                }
            }
            if (hit == negate)
                return false;
            ++ti;
            pi = close + 1;
            continue;
        }
        if (!sameChar(t[ti], pc))
            return false;
        ++ti, ++pi;
    }
    return ti == t.size();
}

}  // namespace

bool likeMatches(std::string_view text, std::string_view pattern) {
    return likeFrom(decodeAll(text), 0, decodeAll(pattern), 0);
}

std::string displayText(const Value& v) {
    switch (v.index()) {
        case 0:
            return {};
        case 1:
            return std::get<bool>(v) ? "True" : "False";
        case 2:
            return std::to_string(std::get<int64_t>(v));
        case 3:
            return writeNumber(std::get<float>(v));
        case 4:
            return writeNumber(std::get<double>(v));
        case 5: {
            const int64_t s = std::get<store::Currency>(v).scaled;
            const bool negative = s < 0;
            const unsigned __int128 m =
                negative ? static_cast<unsigned __int128>(-(static_cast<__int128>(s)))
                         : static_cast<unsigned __int128>(s);
            return formatScaled(negative, m, 4);
        }
        case 6:
            return formatDate(std::get<store::DateTime>(v).days);
        case 7:
            return std::get<std::string>(v);
        case 8: {
            const auto& b = std::get<store::Blob>(v);
            return hex(b.data(), b.size());
        }
        case 9:
            return formatGuid(std::get<store::Guid>(v));
        case 10: {
            const auto& d = std::get<store::Decimal>(v);
            return formatScaled(d.negative, d.magnitude, d.scale);
        }
    }
    return {};
}

}  // namespace velmora::engine::sql
