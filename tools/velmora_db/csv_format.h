// The text form of values in velmora-db's CSV output, shared by every subcommand that prints
// rows (export, sql):
// - text, memo and GUID in double quotes, inner double quotes doubled;
// - numbers in the C locale in their shortest exact form (integers without a decimal point,
//   currency with up to four decimals, Single and Double in the shortest text that reads back
//   to the same value);
// - date/time as YYYY-MM-DD HH:MM:SS; Yes/No as 1 / 0; binary and OLE as lower-case hex;
// - Null as an empty field without quotes.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "engine/store/value.h"

namespace velmora::tools {

std::string formatCsvValue(const engine::store::Value& value);

// Individual forms, also used by tests and other printers.
std::string csvQuote(std::string_view text);
std::string formatDateTime(double days);
std::string formatCurrency(int64_t scaled);
std::string formatDecimal(const engine::store::Decimal& d);
std::string formatGuid(const engine::store::Guid& g);

// A header field: the name as is, quoted only when it holds a comma, quote or line break.
std::string csvHeaderField(std::string_view name);

// Fields joined by commas, ended by "\n".
void writeCsvLine(std::ostream& out, const std::vector<std::string>& fields);

}  // namespace velmora::tools
