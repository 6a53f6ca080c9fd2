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

// A text that names its object takes the name in its place; a number whose text names
// nothing, or that the list lacks, keeps its plain text.
TEST(ErrorText, NamedTexts) {
    struct Case {
        Status error;
        int number;
        const char* message;
    };
    const Case cases[] = {
        {namedJetError(err::kFileNotFound, "D:/TV/WinSTB.mdb"), err::kFileNotFound,
         "Could not find file 'D:/TV/WinSTB.mdb'."},
        {namedJetError(err::kFileNotFound, "a.mdb", "It was moved or removed."),
         err::kFileNotFound, "Could not find file 'a.mdb'. It was moved or removed."},
        {namedJetError(err::kTooFewParameters, "2"), err::kTooFewParameters,
         "Too few parameters. Expected 2."},
        {namedJetError(err::kSyntaxInExpression, "NAME = 'O'Brien'"), err::kSyntaxInExpression,
         "Syntax error (missing operator) in query expression 'NAME = 'O'Brien''."},
        {namedJetError(err::kDivisionByZero, "x"), err::kDivisionByZero, "Division by zero."},
        {namedJetError(9999, "x"), 9999, "Jet error 9999"},
        {expressionError(ExpressionFault::BadDate, "#32.13.2026#"), err::kSyntaxInExpression,
         "Syntax error in date in query expression '#32.13.2026#'."},
        {expressionError(ExpressionFault::BetweenWithoutAnd), err::kSyntaxInExpression,
         "Between operator without And in query expression."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error.code(), c.number);
        EXPECT_EQ(c.error.message(), c.message);
    }
}

}  // namespace
}  // namespace velmora::engine
