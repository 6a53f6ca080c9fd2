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

// Compares two non-Null values: negative, zero, positive. Text against a number is 3464.
Result<int> compareValues(const store::Value& a, const store::Value& b);

// The order ORDER BY and GROUP BY use: Null first, then numbers, then texts by collation.
// Never fails: values of different classes order by class.
int orderValues(const store::Value& a, const store::Value& b);

// Appends a key of the value whose plain byte order is orderValues()'s order and whose
// equality is compareValues()'s equality (texts by the collation, 5 = 5.0). Keys are
// self-delimiting, so the keys of several values appended one after the other compare as the
// tuples do. Hash lookups, grouping, ORDER BY and DISTINCT all work on these keys.
void appendOrderKey(std::string& out, const store::Value& v);
std::string orderKey(const store::Value& v);
// The collation key (store::sortKey()) of the text whose order key is `key` and nothing
// more; nullopt when `key` is not one text's.
std::optional<std::string> textSortKeyOf(std::string_view key);

// The order key for equality lookups; nullopt for Null, as Null equals nothing.
std::optional<std::string> equalityKey(const store::Value& v);

Result<store::Value> arithmetic(Op op, const store::Value& a, const store::Value& b);

// Jet's LIKE: * any run, ? one character, # one digit, [abc] [!abc] [a-z] classes; case is
// ignored as the collation ignores it.
bool likeMatches(std::string_view text, std::string_view pattern);

// The value as the program's grid shows it (see dao::Field::text()).
std::string displayText(const store::Value& v);

}  // namespace velmora::engine::sql
