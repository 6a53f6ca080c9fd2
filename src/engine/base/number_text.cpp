#include "engine/base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <system_error>

#include "engine/base/blanks.h"

namespace velmora::engine {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether `body` (already trimmed) has the shape of a number; the parser's extras ("inf",
// "nan", hexadecimal) never pass.
bool hasNumberShape(std::string_view body) {
    size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-'))
        ++i;
    size_t digits = 0;
    for (; i < body.size() && isDigit(body[i]); ++i)
        ++digits;
    if (i < body.size() && body[i] == '.') {
        for (++i; i < body.size() && isDigit(body[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        for (; i < body.size() && isDigit(body[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == body.size();
}

// Where the leading significant digit of a number of that shape stands: above 0 for
// magnitudes of 1 and more, 0 or below for smaller ones. Decides which way a number out of
// range lies.
long long leadingDigitPlace(std::string_view number) {
    size_t i = number.front() == '+' || number.front() == '-' ? 1 : 0;
    long long place = 0;
    bool significant = false;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        significant = significant || number[i] != '0';
        place += significant ? 1 : 0;
    }
    if (!significant && i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && number[i] == '0'; ++i)
            --place;
    }
    const size_t e = number.find_first_of("eE");
    if (e != std::string_view::npos) {
        size_t j = e + 1;
        const bool negative = number[j] == '-';
        j += number[j] == '-' || number[j] == '+' ? 1 : 0;
        long long exponent = 0;
        for (; j < number.size(); ++j)
            exponent = std::min(exponent * 10 + (number[j] - '0'), 1'000'000'000LL);
        place += negative ? -exponent : exponent;
    }
    return place;
}

// A whole number of 1 to 15 digits after an optional sign: exact as a double, so it is read
// digit by digit, to the value the general parser gives (a sign before zero included).
std::optional<double> shortWholeNumber(std::string_view body) {
    const bool negative = !body.empty() && body.front() == '-';
    const std::string_view digits =
        negative || (!body.empty() && body.front() == '+') ? body.substr(1) : body;
    if (digits.empty() || digits.size() > 15)
        return std::nullopt;
    int64_t whole = 0;
    for (const char c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        whole = whole * 10 + (c - '0');
    }
    const auto value = static_cast<double>(whole);
    return negative ? -value : value;
}

}  // namespace

std::optional<std::string_view> numberText(std::string_view text) {
    // The text is a number's when readNumber reads it, which checks its shape first.
    const std::string_view body = trimmedView(text);
    if (!readNumber(body))
        return std::nullopt;
    return body;
}

std::optional<double> readNumber(std::string_view text) {
    const std::string_view body = trimmedView(text);
    // The commands read one per key cell of every row, nearly all of them whole numbers.
    if (const std::optional<double> whole = shortWholeNumber(body))
        return whole;
    if (!hasNumberShape(body))
        return std::nullopt;
    // from_chars ignores the process locale (a German one would want a decimal comma) but
    // takes no leading '+'.
    const std::string_view number = body.front() == '+' ? body.substr(1) : body;
    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small reads as zero; too large is no number at all.
        if (leadingDigitPlace(number) > 0)
            return std::nullopt;
        return 0.0;
    }
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return value;
}

std::string writeNumber(double value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string writeNumber(float value) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string writeNumber(double value, int significantDigits) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general,
                                         std::clamp(significantDigits, 1, 17));
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace velmora::engine
