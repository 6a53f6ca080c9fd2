// Jet's rules for values inside statements: comparison (text by the index collation, numbers
// by value, Null equal to nothing), arithmetic and concatenation, truth of a condition, the
// text form of a value, and conversion of a value to a column's type.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/store/value.h"

namespace velmora::engine::sql {

// Three-valued truth: Null where a Null decided it.
enum class Truth { False, True, Null };

enum class ValueClass { Null, Number, Text, Binary, Guid };
ValueClass classify(const store::Value& v);

// The value as a double; nullopt for Null, text and binary. Booleans are -1 and 0 as in Jet,
// dates their day count, currency its amount.
std::optional<double> toNumber(const store::Value& v);

// Compares two non-Null values: negative, zero, positive. Text against a number is 3464.
Result<int> compareValues(const store::Value& a, const store::Value& b);

// The order ORDER BY and GROUP BY use: Null first, then numbers, then texts by collation.
// Never fails: values of different classes order by class.
int orderValues(const store::Value& a, const store::Value& b);

// A byte string that is equal for two values exactly when compareValues() calls them equal
// (texts by the collation, numbers by value: 5 = 5.0); Null yields nullopt, as Null equals
// nothing. Hash lookups for equality conditions and joins are keyed by it.
std::optional<std::string> equalityKey(const store::Value& v);
// The same for grouping: Null forms its own group.
std::string groupKey(const store::Value& v);

Result<store::Value> arithmetic(Op op, const store::Value& a, const store::Value& b);

// Jet's LIKE: * any run, ? one character, # one digit, [abc] [!abc] [a-z] classes; case is
// ignored as the collation ignores it.
bool likeMatches(std::string_view text, std::string_view pattern);

// The value as the program's grid shows it (see dao::Field::text()).
std::string displayText(const store::Value& v);

}  // namespace velmora::engine::sql
