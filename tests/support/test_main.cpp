// Every suite starts as the Qt program does: QApplication takes the C library's locale from the
// environment, so under LANG=de_DE.UTF-8 strtod and printf use a decimal comma. The preset
// "german" runs the suites that way (scripts/test); the Windows program keeps the "C" locale.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
#ifndef _WIN32
    std::setlocale(LC_ALL, "");
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
