// Errors made from a Jet number carry Jet's text, and what the case adds after it.
#include <gtest/gtest.h>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"

namespace velmora::engine {
namespace {

TEST(ErrorText, JetTextsAndDetails) {
    struct Case {
        int number;
        const char* detail;
        const char* message;
    };
    const Case cases[] = {
        {err::kReadOnlyDatabase, "", "Cannot update.  Database or object is read-only."},
        {err::kReadOnlyDatabase, "the database was opened read-only",
         "Cannot update.  Database or object is read-only: the database was opened read-only."},
        {err::kReadOnlyDatabase, "Jet 3 files are opened read-only.",
         "Cannot update.  Database or object is read-only: Jet 3 files are opened read-only."},
        {err::kObjectInvalid, "", "Object invalid or no longer set."},
        {err::kInvalidOperation, "", "Invalid operation."},
        {err::kPrimaryKeyExists, "", "Primary key already exists."},
        {err::kTypeMismatch, "", "Data type mismatch in criteria expression."},
        {err::kDivisionByZero, "", "Division by zero."},
        {err::kJoinTypeMismatch, "", "Type mismatch in expression."},
        {9999, "", "Jet error 9999"},
    };
    for (const Case& c : cases) {
        const Status s = jetError(c.number, c.detail);
        EXPECT_FALSE(s.isOk());
        EXPECT_EQ(s.code(), c.number);
        EXPECT_EQ(s.message(), c.message);
    }
}

}  // namespace
}  // namespace velmora::engine
