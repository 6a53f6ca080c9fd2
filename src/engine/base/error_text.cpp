#include "engine/base/error_text.h"

#include <algorithm>
#include <array>
#include <utility>

#include "engine/base/error_codes.h"

namespace velmora::engine {
namespace {

// Jet's text for an error number, and where Jet names the object (a file, a table, a field),
// the text that names it, with {} for the name.
struct ErrorTexts {
    int number;
    std::string_view text;
    std::string_view named = {};
};

// Sorted by number.
constexpr ErrorTexts kTexts[] = {
    {err::kDivisionByZero, "Division by zero."},
    {err::kInvalidArgument, "Invalid argument."},
    {err::kTableExists, "Table already exists.", "Table '{}' already exists."},
    {err::kObjectNotFound, "Could not find the object."},
    {err::kIndexExists, "Index already exists.", "Index '{}' already exists."},
    {err::kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit."},
    {err::kNoCurrentRecord, "No current record."},
    {err::kDuplicateKey,
     "The changes you requested to the table were not successful because they would create "
     "duplicate values in the index, primary key, or relationship."},
    {err::kFileNotFound, "Could not find file.", "Could not find file '{}'."},
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
    {err::kTooFewParameters, "Too few parameters.", "Too few parameters. Expected {}."},
    {err::kCannotExecuteSelect, "Cannot execute a select query."},
    {err::kDeleteSyntax, "Query input must contain at least one table or query."},
    {err::kNotUpdatableQuery, "Operation must use an updatable query."},
    {err::kSyntaxInExpression, "Syntax error in query expression.",
     "Syntax error (missing operator) in query expression '{}'."},
    {err::kTableNotFound, "Cannot find the input table or query.",
     "The Microsoft Jet database engine cannot find the input table or query '{}'.  Make "
     "sure it exists and that its name is spelled correctly."},
    {err::kAmbiguousField,
     "The specified field could refer to more than one table listed in the FROM clause of "
     "your SQL statement.",
     "The specified field '{}' could refer to more than one table listed in the FROM clause of "
     "your SQL statement."},
    {err::kUndefinedFunction, "Undefined function in expression.",
     "Undefined function '{}' in expression."},
    {err::kAggregateInWhere, "Cannot have aggregate function in WHERE clause."},
    {err::kNotInAggregate,
     "You tried to execute a query that does not include the specified expression as part "
     "of an aggregate function.",
     "You tried to execute a query that does not include the specified expression '{}' as part of "
     "an aggregate function."},
    {err::kInvalidBracketing, "Invalid bracketing of name.", "Invalid bracketing of name '{}'."},
    {err::kUnknownInsertField, "The INSERT INTO statement contains an unknown field name.",
     "The INSERT INTO statement contains the following unknown field name: '{}'.  Make "
     "sure you have typed the name correctly, and try the operation again."},
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
                             [](const auto& a, const auto& b) { return a.number < b.number; }),
              "the texts are looked up by binary search");

const ErrorTexts* find(int number) {
    const auto* it =
        std::lower_bound(std::begin(kTexts), std::end(kTexts), number,
                         [](const ErrorTexts& entry, int n) { return entry.number < n; });
    return it != std::end(kTexts) && it->number == number ? it : nullptr;
}

// Jet's texts for an expression it cannot read beyond a missing operator, by ExpressionFault.
constexpr std::string_view kExpressionTexts[] = {
    "Syntax error in date in query expression '{}'.",
    "Syntax error in string in query expression '{}'.",
    "Between operator without And in query expression.",
};

std::string withName(std::string_view form, std::string_view name) {
    std::string text(form);
    if (const size_t at = text.find("{}"); at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

}  // namespace

std::string errorText(int number) {
    if (const ErrorTexts* e = find(number))
        return std::string(e->text);
    return "Jet error " + std::to_string(number);
}

std::string errorText(int number, std::string_view name) {
    const ErrorTexts* e = find(number);
    if (!e || e->named.empty())
        return errorText(number);
    return withName(e->named, name);
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

Status namedJetError(int number, std::string_view name, std::string_view more) {
    std::string text = errorText(number, name);
    if (!more.empty()) {
        text += ' ';
        text += more;
    }
    return Status::error(number, std::move(text));
}

Status expressionError(ExpressionFault fault, std::string_view piece) {
    return Status::error(err::kSyntaxInExpression,
                         withName(kExpressionTexts[static_cast<size_t>(fault)], piece));
}

}  // namespace velmora::engine
