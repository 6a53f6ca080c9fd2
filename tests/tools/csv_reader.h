// A small CSV reader for tests: double-quoted fields with doubled inner quotes, fields that
// span lines, and a record of whether each field was quoted (so Null and "" differ).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools::testing {

struct CsvField {
    std::string text;
    bool quoted = false;
    bool operator==(const CsvField&) const = default;
};
using CsvRecord = std::vector<CsvField>;

// Records separated by "\n" (a "\r\n" is accepted too).
std::vector<CsvRecord> parseCsv(std::string_view text);

}  // namespace velmora::tools::testing
