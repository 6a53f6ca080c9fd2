// The Jet error numbers the engine reports. Callers compare against these, and the program
// shows them to the user, so each situation uses the number Jet itself gives it.
#pragma once

namespace velmora::engine::err {

inline constexpr int kOk = 0;
inline constexpr int kInvalidArgument = 3001;        // Invalid argument.
inline constexpr int kTableExists = 3010;            // Table 'x' already exists.
inline constexpr int kObjectNotFound = 3011;         // Could not find the object 'x'.
inline constexpr int kIndexExists = 3012;            // Index already exists.
inline constexpr int kNoCurrentRecord = 3021;        // No current record.
inline constexpr int kDuplicateKey = 3022;           // Changes would create duplicate values.
inline constexpr int kFileNotFound = 3024;           // Could not find file 'x'.
inline constexpr int kDiskFull = 3026;               // Not enough space on disk.
inline constexpr int kReadOnlyDatabase = 3027;       // Database or object is read-only.
inline constexpr int kNotADatabase = 3049;           // Cannot open database ... may be corrupt.
inline constexpr int kFileLocked = 3045;             // Could not use 'x'; file already in use.
inline constexpr int kDiskIo = 3043;                 // Disk or network error.
inline constexpr int kNotPermitted = 3051;           // Cannot open the file (permissions).
inline constexpr int kPrimaryKeyNull = 3058;         // Index or primary key cannot contain Null.
inline constexpr int kTooFewParameters = 3061;       // Too few parameters. Expected N.
inline constexpr int kSyntaxInExpression = 3075;     // Syntax error in query expression.
inline constexpr int kTableNotFound = 3078;          // Cannot find the input table or query.
inline constexpr int kSyntaxInFrom = 3131;           // Syntax error in FROM clause.
inline constexpr int kSyntaxInInsert = 3134;         // Syntax error in INSERT INTO statement.
inline constexpr int kSyntaxInUpdate = 3144;         // Syntax error in UPDATE statement.
inline constexpr int kFieldTooSmall = 3163;          // The field is too small for the data.
inline constexpr int kUpdateWithoutEdit = 3020;      // Update or CancelUpdate without AddNew/Edit.
inline constexpr int kRequiredIsNull = 3314;         // Field cannot contain a Null value.
inline constexpr int kUnrecognizedFormat = 3343;     // Unrecognized database format.
inline constexpr int kTypeConversion = 3421;         // Data type conversion error.
inline constexpr int kTypeMismatch = 3464;           // Data type mismatch in criteria expression.
inline constexpr int kInvalidSqlStatement = 3129;    // Invalid SQL statement.
inline constexpr int kNotAPassword = 3031;           // Not a valid password.
inline constexpr int kRecordTooLarge = 3047;         // Record is too large.
inline constexpr int kOperationNotSupported = 3251;  // Operation is not supported.
inline constexpr int kItemNotFound = 3265;           // Item not found in this collection.
inline constexpr int kNumericOverflow = 3349;        // Numeric field overflow.
inline constexpr int kFieldNotUpdatable = 3164;      // Field cannot be updated.
inline constexpr int kDatabaseExists = 3204;         // Database already exists.
inline constexpr int kInRelationship = 3303;         // Participating in relationships.

}  // namespace velmora::engine::err
