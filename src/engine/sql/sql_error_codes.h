// Jet error numbers that only the SQL executor and the DAO-shaped interface report. They
// extend engine/base/error_codes.h in the same namespace.
#pragma once

namespace velmora::engine::err {

inline constexpr int kDivisionByZero = 11;          // Division by zero.
inline constexpr int kAccountName = 3029;           // Not a valid account name or password.
inline constexpr int kCannotExecuteSelect = 3065;   // Cannot execute a select query.
inline constexpr int kDeleteSyntax = 3067;          // Query input must contain a table.
inline constexpr int kFieldDefinedTwice = 3191;     // Cannot define field more than once.
inline constexpr int kNotUpdatableQuery = 3073;     // Operation must use an updatable query.
inline constexpr int kAmbiguousField = 3079;        // Field could refer to more than one table.
inline constexpr int kUndefinedFunction = 3085;     // Undefined function in expression.
inline constexpr int kAggregateInWhere = 3096;      // Cannot have aggregate function in WHERE.
inline constexpr int kNotInAggregate = 3122;        // Expression not part of an aggregate.
inline constexpr int kInvalidBracketing = 3126;     // Invalid bracketing of name.
inline constexpr int kUnknownInsertField = 3127;    // INSERT INTO has an unknown field name.
inline constexpr int kSyntaxInJoin = 3135;          // Syntax error in JOIN operation.
inline constexpr int kSyntaxInOrderBy = 3138;       // Syntax error in ORDER BY clause.
inline constexpr int kSelectSyntax = 3141;          // SELECT has a misspelled or missing word.
inline constexpr int kCharactersAfterEnd = 3142;    // Characters found after end of statement.
inline constexpr int kRecordDeleted = 3167;         // Record is deleted.
inline constexpr int kValueCountMismatch = 3346;    // Query values and fields do not match.
inline constexpr int kExpressionTooComplex = 3360;  // Query is too complex.
inline constexpr int kObjectInvalid = 3420;         // Object invalid or no longer set.

}  // namespace velmora::engine::err
