// The test CSV reader; see csv_reader.h.
#include "csv_reader.h"

namespace velmora::tools::testing {

std::vector<CsvRecord> parseCsv(std::string_view s) {
    std::vector<CsvRecord> out;
    CsvRecord record;
    CsvField field;
    size_t i = 0;
    bool fieldStarted = false;
    auto endField = [&] {
        record.push_back(std::move(field));
        field = CsvField{};
        fieldStarted = false;
    };
    while (i < s.size()) {
        char c = s[i];
        if (c == '"' && !fieldStarted) {
            field.quoted = true;
            fieldStarted = true;
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        field.text.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.text.push_back(s[i++]);
            }
            continue;
        }
        if (c == ',') {
            endField();
            ++i;
            continue;
        }
        if (c == '\n' || (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) {
            endField();
            out.push_back(std::move(record));
            record.clear();
            i += c == '\r' ? 2 : 1;
            continue;
        }
        fieldStarted = true;
        field.text.push_back(c);
        ++i;
    }
    if (fieldStarted || !record.empty()) {
        endField();
        out.push_back(std::move(record));
    }
    return out;
}

}  // namespace velmora::tools::testing
