// The C library's locale set to German for as long as the guard lives, as Qt sets it at start
// for a user whose LANG is de_DE.UTF-8: strtod, printf and friends then read and write a
// decimal comma. The locale the process had is restored afterwards.
#pragma once

#include <clocale>
#include <string>

namespace velmora::test {

class GermanLocale {
public:
    static constexpr const char* kMissing =
        "the locale de_DE.UTF-8 is not installed (scripts/install-deps generates it)";

    GermanLocale() {
        const char* before = std::setlocale(LC_ALL, nullptr);
        m_before = before != nullptr ? before : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            // Only a locale that really writes a decimal comma tests anything.
            if (std::setlocale(LC_ALL, name) != nullptr &&
                std::string(std::localeconv()->decimal_point) == ",") {
                m_active = true;
                break;
            }
        }
    }
    ~GermanLocale() { std::setlocale(LC_ALL, m_before.c_str()); }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    // False when no German locale is installed; the C library then keeps its locale.
    bool active() const { return m_active; }

private:
    std::string m_before;
    bool m_active = false;
};

}  // namespace velmora::test
