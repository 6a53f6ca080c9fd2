#include "engine/base/coding.h"

#include <gtest/gtest.h>

#include <array>

namespace velmora::engine {
namespace {

TEST(CodingTest, RoundTripsEveryWidthLittleEndian) {
    std::array<uint8_t, 16> buf{};
    putU16(buf, 0, 0xBEEF);
    putU24(buf, 2, 0x123456);
    putU32(buf, 5, 0xDEADBEEF);
    EXPECT_EQ(buf[0], 0xEF);
    EXPECT_EQ(buf[1], 0xBE);
    EXPECT_EQ(buf[2], 0x56);
    EXPECT_EQ(getU16(buf, 0), 0xBEEF);
    EXPECT_EQ(getU24(buf, 2), 0x123456u);
    EXPECT_EQ(getU32(buf, 5), 0xDEADBEEFu);
    EXPECT_EQ(getI32(buf, 5), int32_t(0xDEADBEEF));
    putF64(buf, 8, -1.5);
    EXPECT_EQ(getF64(buf, 8), -1.5);
}

}  // namespace
}  // namespace velmora::engine
