// Reading cell text as a number and comparing cells the way the grid's generic sort does.
#include "core/grid/generic_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace velmora::core::grid {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char foldCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::optional<double> readAsNumber(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const std::string_view body = text.substr(begin, end - begin);

    // Check the shape by hand so that the parser's extras ("inf", "nan") never count.
    size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < body.size() && isDigit(body[i])) {
        ++i;
        ++digits;
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && isDigit(body[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool negativeExponent = false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-'))
            negativeExponent = body[j++] == '-';
        size_t expDigits = 0;
        while (j < body.size() && isDigit(body[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
        i = j;
    }
    if (i != body.size())
        return std::nullopt;

    // from_chars ignores the process locale (a German locale would want a decimal comma)
    // but takes no leading '+'.
    const std::string_view number = body.front() == '+' ? body.substr(1) : body;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        const double magnitude = negativeExponent ? 0.0 : HUGE_VAL;
        return number.front() == '-' ? -magnitude : magnitude;
    }
    if (ec != std::errc() || ptr != number.data() + number.size())
        return std::nullopt;
    return value;
}

int compareText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(foldCase(a[i]));
        const auto cb = static_cast<unsigned char>(foldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int genericCompare(std::string_view a, std::string_view b) {
    const std::optional<double> x = readAsNumber(a);
    if (x) {
        const std::optional<double> y = readAsNumber(b);
        if (y)
            return *x < *y ? -1 : (*y < *x ? 1 : 0);
    }
    return compareText(a, b);
}

}  // namespace velmora::core::grid
