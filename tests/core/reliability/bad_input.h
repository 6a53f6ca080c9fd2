// Awkward input through the commands the user types it into, over real demo files: every case
// either works or says why it cannot, and the file then differs from before in exactly the
// rows the command meant to change (every table compared as mdbtools reads it, file_rows.h),
// passes velmora-db check, and reads back what was typed. What the bad-input tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_schema.h"
#include "support/channel_file.h"

namespace velmora::test {

// How mdb-export prints a text value: between double quotes, a double quote doubled.
inline std::string exported(const std::string& text) {
    std::string out = "\"";
    for (char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Longer than any Text field (255 characters at most).
inline const std::string kLong(300, 'L');

// How many of `rows` hold `text`.
inline int countHolding(const std::vector<std::string>& rows, const std::string& text) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [&](const std::string& r) {
        return r.find(text) != std::string::npos;
    }));
}

// The demo file with tables named as a user's own tables may be: "Order Details" (a blank)
// with the fields Select (a keyword), "Field Name" and Count, and "Order" (a keyword) with
// the fields Key and Text.
inline std::string writeOddNamesFile(const std::filesystem::path& path) {
    using engine::store::ColumnType;
    using engine::store::Value;
    return writeDemoFile(path, [](demo::DemoDatabase& content) {
        demo::DemoTable odd;
        odd.schema = demo::SchemaBuilder("Order Details")
                         .column("Select", ColumnType::Text, 50)
                         .column("Field Name", ColumnType::Text, 50)
                         .column("Count", ColumnType::Long)
                         .build();
        for (const char* key : {"a", "b", "c"})
            odd.rows.push_back(
                {Value(std::string(key)), Value(std::string("x ") + key), Value(int64_t{key[0]})});
        content.tables.push_back(std::move(odd));
        demo::DemoTable keyword;
        keyword.schema = demo::SchemaBuilder("Order")
                             .column("Key", ColumnType::Long)
                             .column("Text", ColumnType::Text, 50)
                             .build();
        keyword.rows.push_back({Value(int64_t{1}), Value(std::string("one"))});
        keyword.rows.push_back({Value(int64_t{2}), Value(std::string("two"))});
        content.tables.push_back(std::move(keyword));
    });
}

}  // namespace velmora::test
