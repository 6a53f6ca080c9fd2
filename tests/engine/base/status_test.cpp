#include "engine/base/status.h"

#include <gtest/gtest.h>

#include "engine/base/error_codes.h"

namespace velmora::engine {
namespace {

Result<int> half(int n) {
    if (n % 2 != 0)
        return Status::error(err::kInvalidArgument, "odd");
    return n / 2;
}

Result<int> quarter(int n) {
    VELMORA_ASSIGN_OR_RETURN(int h, half(n));
    VELMORA_ASSIGN_OR_RETURN(int q, half(h));
    return q;
}

TEST(StatusTest, CarriesCodeAndContext) {
    Status s = Status::error(err::kDuplicateKey, "duplicate");
    EXPECT_FALSE(s.isOk());
    EXPECT_EQ(s.withContext("table T: ").message(), "table T: duplicate");
    EXPECT_EQ(s.withContext("x").code(), err::kDuplicateKey);
    EXPECT_EQ(s.toString(), "Error 3022: duplicate");
    EXPECT_TRUE(Status::ok().isOk());
}

TEST(StatusTest, AssignOrReturnPropagatesTheFirstFailure) {
    EXPECT_EQ(quarter(8).value(), 2);
    Result<int> r = quarter(6);  // 6 -> 3, and 3 is odd
    ASSERT_FALSE(r.isOk());
    EXPECT_EQ(r.status().code(), err::kInvalidArgument);
}

}  // namespace
}  // namespace velmora::engine
