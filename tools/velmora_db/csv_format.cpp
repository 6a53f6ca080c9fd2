// Text forms of values for CSV output; see csv_format.h.
#include "csv_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "engine/base/access_date.h"

namespace velmora::tools {
namespace {

using namespace velmora::engine::store;

template <class F>
std::string shortest(F v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace

std::string csvQuote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (size_t start = 0;;) {
        const size_t quote = text.find('"', start);
        if (quote == std::string_view::npos) {
            out.append(text.substr(start));
            break;
        }
        out.append(text.substr(start, quote + 1 - start));
        out.push_back('"');
        start = quote + 1;
    }
    out.push_back('"');
    return out;
}

std::string csvHeaderField(std::string_view name) {
    if (name.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(name);
    return csvQuote(name);
}

std::string formatDateTime(double days) {
    // Beyond the years Access allows (100..9999) print the stored number itself.
    if (!std::isfinite(days) || std::fabs(days) > 3'000'000.0)
        return shortest(days);
    const engine::CalendarTime t = engine::calendarTimeOf(days);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d",
                  static_cast<long long>(t.year), t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

std::string formatCurrency(int64_t scaled) {
    bool negative = scaled < 0;
    // Work in unsigned so the most negative value does not overflow.
    uint64_t mag = negative ? uint64_t(0) - uint64_t(scaled) : uint64_t(scaled);
    std::string out = negative ? "-" : "";
    out += std::to_string(mag / 10000);
    auto frac = unsigned(mag % 10000);
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        out += "." + f;
    }
    return out;
}

std::string formatDecimal(const Decimal& dec) {
    std::string digits;
    unsigned __int128 v = dec.magnitude;
    do {
        digits.insert(digits.begin(), char('0' + int(v % 10)));
        v /= 10;
    } while (v);
    if (dec.scale > 0) {
        if (digits.size() <= dec.scale)
            digits.insert(0, size_t(dec.scale) + 1 - digits.size(), '0');
        digits.insert(digits.size() - dec.scale, ".");
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    if (dec.negative && digits != "0")
        digits.insert(0, "-");
    return digits;
}

std::string formatGuid(const Guid& g) {
    const auto& b = g.bytes;
    char buf[40];
    std::snprintf(buf, sizeof buf,
                  "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                  b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return buf;
}

std::string formatCsvValue(const Value& value) {
    struct Visitor {
        std::string operator()(const Null&) const { return {}; }
        std::string operator()(bool b) const { return b ? "1" : "0"; }
        std::string operator()(int64_t i) const { return std::to_string(i); }
        std::string operator()(float f) const { return shortest(f); }
        std::string operator()(double d) const { return shortest(d); }
        std::string operator()(const Currency& c) const { return formatCurrency(c.scaled); }
        std::string operator()(const DateTime& t) const { return formatDateTime(t.days); }
        std::string operator()(const std::string& s) const { return csvQuote(s); }
        std::string operator()(const Blob& b) const {
            static const char kHex[] = "0123456789abcdef";
            std::string out;
            out.reserve(b.size() * 2);
            for (uint8_t x : b) {
                out.push_back(kHex[x >> 4]);
                out.push_back(kHex[x & 15]);
            }
            return out;
        }
        std::string operator()(const Guid& g) const { return csvQuote(formatGuid(g)); }
        std::string operator()(const Decimal& d) const { return formatDecimal(d); }
    };
    return std::visit(Visitor{}, value);
}

void writeCsvLine(std::ostream& out, const std::vector<std::string>& fields) {
    // One write per line: the stream's per-call overhead was most of printing a large table.
    size_t size = fields.size() + 1;
    for (const auto& f : fields)
        size += f.size();
    std::string line;
    line.reserve(size);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            line += ',';
        line += fields[i];
    }
    line += '\n';
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace velmora::tools
