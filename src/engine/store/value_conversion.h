// Converting a value assigned to a column to the column's own type, as Jet converts it: 3421
// when a text does not convert, 3349 when a number does not fit, 3163 when a text or binary
// is longer than its column.
#pragma once

#include <optional>

#include "engine/base/status.h"
#include "engine/store/row_rules.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::engine::store {

// The value as a number, when it is one (Yes is -1, a date its day count); nullopt for text,
// binary and Null.
std::optional<double> numericValue(const Value& v);

// Converts a value assigned to a column to the column's own type. Text is parsed the way Jet
// converts text (numbers with '.' as the decimal sign, True/False/Yes/No/On/Off, dates as
// yyyy-mm-dd or mm/dd/yyyy with an optional time, GUIDs in braces).
Result<Value> convertForColumn(const ColumnDef& column, const Value& value, const RowRules& rules);
// The same in place. A value that already has the column's type and fits it (a row read back
// for an edit holds nothing else) is left as it is, without copying its text or bytes.
Status convertInPlace(const ColumnDef& column, Value& value, const RowRules& rules);

}  // namespace velmora::engine::store
