// The Jet error numbers the engine and the program report, the one list of them. Callers
// compare against these, and the program shows them to the user, so each situation uses the
// number Jet itself gives it. Jet's own text for each number is in error_text.h.
#pragma once

namespace velmora::engine::err {

inline constexpr int kOk = 0;
inline constexpr int kDivisionByZero = 11;           // Division by zero.
inline constexpr int kInvalidArgument = 3001;        // Invalid argument.
inline constexpr int kTableExists = 3010;            // Table 'x' already exists.
inline constexpr int kObjectNotFound = 3011;         // Could not find the object 'x'.
inline constexpr int kIndexExists = 3012;            // Index already exists.
inline constexpr int kUpdateWithoutEdit = 3020;      // Update or CancelUpdate without AddNew/Edit.
inline constexpr int kNoCurrentRecord = 3021;        // No current record.
inline constexpr int kDuplicateKey = 3022;           // Changes would create duplicate values.
inline constexpr int kFileNotFound = 3024;           // Could not find file 'x'.
inline constexpr int kDiskFull = 3026;               // Not enough space on disk.
inline constexpr int kReadOnlyDatabase = 3027;       // Database or object is read-only.
inline constexpr int kAccountName = 3029;            // Not a valid account name or password.
inline constexpr int kNotAPassword = 3031;           // Not a valid password.
inline constexpr int kDiskIo = 3043;                 // Disk or network error.
inline constexpr int kFileLocked = 3045;             // Could not use 'x'; file already in use.
inline constexpr int kRecordTooLarge = 3047;         // Record is too large.
inline constexpr int kNotADatabase = 3049;           // Cannot open database ... may be corrupt.
inline constexpr int kNotPermitted = 3051;           // Cannot open the file (permissions).
inline constexpr int kPrimaryKeyNull = 3058;         // Index or primary key cannot contain Null.
inline constexpr int kTooFewParameters = 3061;       // Too few parameters. Expected N.
inline constexpr int kCannotExecuteSelect = 3065;    // Cannot execute a select query.
inline constexpr int kDeleteSyntax = 3067;           // Query input must contain a table.
inline constexpr int kNotUpdatableQuery = 3073;      // Operation must use an updatable query.
inline constexpr int kSyntaxInExpression = 3075;     // Syntax error in query expression.
inline constexpr int kTableNotFound = 3078;          // Cannot find the input table or query.
inline constexpr int kAmbiguousField = 3079;         // Field could refer to more than one table.
inline constexpr int kUndefinedFunction = 3085;      // Undefined function in expression.
inline constexpr int kAggregateInWhere = 3096;       // Cannot have aggregate function in WHERE.
inline constexpr int kNotInAggregate = 3122;         // Expression not part of an aggregate.
inline constexpr int kInvalidBracketing = 3126;      // Invalid bracketing of name.
inline constexpr int kUnknownInsertField = 3127;     // INSERT INTO has an unknown field name.
inline constexpr int kInvalidSqlStatement = 3129;    // Invalid SQL statement.
inline constexpr int kSyntaxInFrom = 3131;           // Syntax error in FROM clause.
inline constexpr int kSyntaxInInsert = 3134;         // Syntax error in INSERT INTO statement.
inline constexpr int kSyntaxInJoin = 3135;           // Syntax error in JOIN operation.
inline constexpr int kSyntaxInOrderBy = 3138;        // Syntax error in ORDER BY clause.
inline constexpr int kSelectSyntax = 3141;           // SELECT has a misspelled or missing word.
inline constexpr int kCharactersAfterEnd = 3142;     // Characters found after end of statement.
inline constexpr int kSyntaxInUpdate = 3144;         // Syntax error in UPDATE statement.
inline constexpr int kFieldTooSmall = 3163;          // The field is too small for the data.
inline constexpr int kFieldNotUpdatable = 3164;      // Field cannot be updated.
inline constexpr int kRecordDeleted = 3167;          // Record is deleted.
inline constexpr int kFieldDefinedTwice = 3191;      // Cannot define field more than once.
inline constexpr int kDatabaseExists = 3204;         // Database already exists.
inline constexpr int kInvalidOperation = 3219;       // Invalid operation.
inline constexpr int kOperationNotSupported = 3251;  // Operation is not supported.
inline constexpr int kIndexWithoutFields = 3264;     // No field defined--cannot append Index.
inline constexpr int kItemNotFound = 3265;           // Item not found in this collection.
inline constexpr int kPrimaryKeyExists = 3283;       // Primary key already exists.
inline constexpr int kInRelationship = 3303;         // Participating in relationships.
inline constexpr int kRequiredIsNull = 3314;         // Field cannot contain a Null value.
inline constexpr int kUnrecognizedFormat = 3343;     // Unrecognized database format.
inline constexpr int kValueCountMismatch = 3346;     // Query values and fields do not match.
inline constexpr int kNumericOverflow = 3349;        // Numeric field overflow.
inline constexpr int kExpressionTooComplex = 3360;   // Query is too complex.
inline constexpr int kObjectInvalid = 3420;          // Object invalid or no longer set.
inline constexpr int kTypeConversion = 3421;         // Data type conversion error.
inline constexpr int kTypeMismatch = 3464;           // Data type mismatch in criteria expression.
inline constexpr int kJoinTypeMismatch = 3615;       // Type mismatch in JOIN expression.

}  // namespace velmora::engine::err
