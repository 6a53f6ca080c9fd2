// Every row of every table of a real file as mdbtools reads it, for the bad-input tests: what a
// command changed is the difference of two snapshots, and everything else must be equal.
// Rows are split on a delimiter no value holds, so names with tabs and line breaks stay whole.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/shell_command.h"

namespace velmora::test {

// Table name -> its data rows as mdb-export prints them, sorted (the header is left out).
using FileRows = std::map<std::string, std::vector<std::string>>;

inline FileRows fileRows(const std::string& file) {
    FileRows rows;
    const ShellOutcome tables = runShell("mdb-tables -1 " + shellQuoted(file));
    EXPECT_EQ(tables.status, 0) << tables.out;
    std::istringstream names(tables.out);
    for (std::string table; std::getline(names, table);) {
        if (table.empty())
            continue;
        constexpr char kRowEnd[] = "\x1e";  // the record separator
        const ShellOutcome out = runShell("mdb-export -R '" + std::string(kRowEnd) + "' " +
                                          shellQuoted(file) + " " + shellQuoted(table));
        EXPECT_EQ(out.status, 0) << table << ": " << out.out;
        std::vector<std::string>& list = rows[table];
        std::size_t at = out.out.find(kRowEnd);  // after the header
        while (at != std::string::npos) {
            const std::size_t next = out.out.find(kRowEnd, at + 1);
            if (next == std::string::npos)
                break;
            list.push_back(out.out.substr(at + 1, next - at - 1));
            at = next;
        }
        std::sort(list.begin(), list.end());
    }
    return rows;
}

// What changed between two snapshots: per table, the rows that went and the rows that came.
struct RowChanges {
    std::map<std::string, std::vector<std::string>> gone;
    std::map<std::string, std::vector<std::string>> came;
    bool empty() const { return gone.empty() && came.empty(); }
};

inline RowChanges rowChanges(const FileRows& before, const FileRows& after) {
    RowChanges changes;
    FileRows all = before;
    for (const auto& [table, rows] : after)
        all[table];
    for (const auto& [table, unused] : all) {
        const auto b = before.find(table);
        const auto a = after.find(table);
        const std::vector<std::string> none;
        const std::vector<std::string>& was = b == before.end() ? none : b->second;
        const std::vector<std::string>& is = a == after.end() ? none : a->second;
        std::vector<std::string> gone, came;
        std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(gone));
        std::set_difference(is.begin(), is.end(), was.begin(), was.end(), std::back_inserter(came));
        if (!gone.empty())
            changes.gone[table] = std::move(gone);
        if (!came.empty())
            changes.came[table] = std::move(came);
    }
    return changes;
}

inline std::string describe(const RowChanges& c) {
    std::string out;
    for (const auto& [table, rows] : c.gone)
        for (const std::string& r : rows)
            out += "- " + table + ": " + r + "\n";
    for (const auto& [table, rows] : c.came)
        for (const std::string& r : rows)
            out += "+ " + table + ": " + r + "\n";
    return out.empty() ? "no change" : out;
}

}  // namespace velmora::test
