#include "engine/base/error_text.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/base/error_codes.h"

namespace velmora::engine {
namespace {

// Sorted by number. Where Jet's text names an object, the name is left out here and comes
// as the error's detail.
constexpr std::pair<int, std::string_view> kTexts[] = {
    {err::kDivisionByZero, "Division by zero."},
    {err::kInvalidArgument, "Invalid argument."},
    {err::kTableExists, "Table already exists."},
    {err::kObjectNotFound, "Could not find the object."},
    {err::kIndexExists, "Index already exists."},
    {err::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit."},
    {err::kNoCurrentRecord, "No current record."},
    {err::kDuplicateKey,
     "The changes you requested to the table were not successful because they would create "
     "duplicate values in the index, primary key, or relationship."},
    {err::kFileNotFound, "Could not find file."},
    {err::kDiskFull, "Not enough space on disk."},
    {err::kReadOnlyDatabase, "Cannot update.  Database or object is read-only."},
    {err::kAccountName, "Not a valid account name or password."},
    {err::kNotAPassword, "Not a valid password."},
    {err::kDiskIo, "Disk or network error."},
    {err::kFileLocked, "Could not use the file; file already in use."},
    {err::kRecordTooLarge, "Record is too large."},
    {err::kNotADatabase,
     "Cannot open database. It may not be a database that your application recognizes, or "
     "the file may be corrupt."},
    {err::kNotPermitted,
     "Cannot open the file. It is already opened exclusively by another user, or you need "
     "permission to view its data."},
    {err::kPrimaryKeyNull, "Index or primary key cannot contain a Null value."},
    {err::kTooFewParameters, "Too few parameters."},
    {err::kCannotExecuteSelect, "Cannot execute a select query."},
    {err::kDeleteSyntax, "Query input must contain at least one table or query."},
    {err::kNotUpdatableQuery, "Operation must use an updatable query."},
    {err::kSyntaxInExpression, "Syntax error in query expression."},
    {err::kTableNotFound, "Cannot find the input table or query."},
    {err::kAmbiguousField,
     "The specified field could refer to more than one table listed in the FROM clause of "
     "your SQL statement."},
    {err::kUndefinedFunction, "Undefined function in expression."},
    {err::kAggregateInWhere, "Cannot have aggregate function in WHERE clause."},
    {err::kNotInAggregate,
     "You tried to execute a query that does not include the specified expression as part "
     "of an aggregate function."},
    {err::kInvalidBracketing, "Invalid bracketing of name."},
    {err::kUnknownInsertField, "The INSERT INTO statement contains an unknown field name."},
    {err::kInvalidSqlStatement,
     "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
     "'UPDATE'."},
    {err::kSyntaxInFrom, "Syntax error in FROM clause."},
    {err::kSyntaxInInsert, "Syntax error in INSERT INTO statement."},
    {err::kSyntaxInJoin, "Syntax error in JOIN operation."},
    {err::kSyntaxInOrderBy, "Syntax error in ORDER BY clause."},
    {err::kSelectSyntax,
     "The SELECT statement includes a reserved word or an argument name that is misspelled "
     "or missing, or the punctuation is incorrect."},
    {err::kCharactersAfterEnd, "Characters found after end of SQL statement."},
    {err::kSyntaxInUpdate, "Syntax error in UPDATE statement."},
    {err::kFieldTooSmall,
     "The field is too small to accept the amount of data you attempted to add."},
    {err::kFieldNotUpdatable, "Field cannot be updated."},
    {err::kRecordDeleted, "Record is deleted."},
    {err::kFieldDefinedTwice, "Cannot define field more than once."},
    {err::kDatabaseExists, "Database already exists."},
    {err::kInvalidOperation, "Invalid operation."},
    {err::kOperationNotSupported, "Operation is not supported for this type of object."},
    {err::kIndexWithoutFields, "No field defined--cannot append Index."},
    {err::kItemNotFound, "Item not found in this collection."},
    {err::kPrimaryKeyExists, "Primary key already exists."},
    {err::kInRelationship, "Cannot delete this field. It is part of one or more relationships."},
    {err::kRequiredIsNull, "Field cannot contain a Null value."},
    {err::kUnrecognizedFormat, "Unrecognized database format."},
    {err::kValueCountMismatch, "Number of query values and destination fields are not the same."},
    {err::kNumericOverflow, "Numeric field overflow."},
    {err::kExpressionTooComplex, "Query is too complex."},
    {err::kObjectInvalid, "Object invalid or no longer set."},
    {err::kTypeConversion, "Data type conversion error."},
    {err::kTypeMismatch, "Data type mismatch in criteria expression."},
    {err::kJoinTypeMismatch, "Type mismatch in expression."},
};

static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts),
                             [](const auto& a, const auto& b) { return a.first < b.first; }),
              "the texts are looked up by binary search");

}  // namespace

std::string errorText(int number) {
    const auto* it = std::lower_bound(std::begin(kTexts), std::end(kTexts), number,
                                      [](const auto& entry, int n) { return entry.first < n; });
    if (it != std::end(kTexts) && it->first == number)
        return std::string(it->second);
    return "Jet error " + std::to_string(number);
}

Status jetError(int number, std::string_view detail) {
    std::string text = errorText(number);
    if (!detail.empty()) {
        if (text.ends_with('.'))
            text.pop_back();
        text += ": ";
        text += detail;
        if (!detail.ends_with('.'))
            text += '.';
    }
    return Status::error(number, std::move(text));
}

}  // namespace velmora::engine
