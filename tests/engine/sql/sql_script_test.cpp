// Runs the SQL behaviour scripts in scripts/*.sql against a fresh channel database each.
//
// Script format (records separated by blank lines, "#" starts a comment line):
//   fixture nokey | empty      the database for the rest of the file: CHANNELS without its
//                              primary key, or the three tables without rows (first record)
//   statement ok               the next line(s) are one statement that must succeed
//   statement error N          ... that must fail with Jet error number N
//   query [header]             a SELECT; after "----" the expected rows, one per line,
//                              fields joined by "|", Null written as NULL; with "header" the
//                              first line holds the column names
//   query error N              a SELECT that must fail with error N
// A SELECT without INTO runs as a query; everything else is executed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/sql/session.h"
#include "engine/sql/value_ops.h"
#include "support/german_locale.h"
#include "support/test_paths.h"
#include "support/winstb_fixture.h"

namespace velmora::engine::sql {
namespace {

namespace fs = std::filesystem;

fs::path scriptDir() {
    return fs::path(velmora::test::sourceDir()) / "tests" / "engine" / "sql" / "scripts";
}

std::vector<std::string> scriptNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scriptDir())) {
        if (entry.path().extension() == ".sql")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Record {
    int line = 0;
    std::vector<std::string> lines;
};

std::vector<Record> readRecords(const fs::path& path) {
    std::ifstream in(path);
    std::vector<Record> records;
    Record current;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '#')
            continue;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            if (!current.lines.empty())
                records.push_back(std::move(current));
            current = Record{};
            continue;
        }
        if (current.lines.empty())
            current.line = number;
        current.lines.push_back(line);
    }
    if (!current.lines.empty())
        records.push_back(std::move(current));
    return records;
}

bool isQuery(const std::string& sql) {
    std::string upper;
    for (char c : sql)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const size_t start = upper.find_first_not_of(" \t(");
    return upper.compare(start, 6, "SELECT") == 0 && upper.find(" INTO ") == std::string::npos;
}

std::string rowText(const store::Row& row) {
    std::string out;
    for (size_t i = 0; i < row.size(); ++i) {
        if (i)
            out += "|";
        out += store::isNull(row[i]) ? "NULL" : displayText(row[i]);
    }
    return out;
}

void runScript(const std::string& script) {
    const auto records = readRecords(scriptDir() / script);
    ASSERT_FALSE(records.empty()) << "empty script " << script;

    auto storage = std::make_unique<store::MemoryStorage>();
    store::Database db(std::move(storage));
    size_t first = 0;
    testing::WinStbOptions options;
    if (records[0].lines[0].rfind("fixture", 0) == 0) {
        const std::string& f = records[0].lines[0];
        options.primaryKey = f.find("nokey") == std::string::npos;
        options.standardRows = f.find("empty") == std::string::npos;
        first = 1;
    }
    testing::addWinStbTables(db, options);
    Session session(db);

    for (size_t r = first; r < records.size(); ++r) {
        const Record& rec = records[r];
        const std::string where = script + ":" + std::to_string(rec.line);
        std::istringstream head(rec.lines[0]);
        std::string verb, mode;
        head >> verb >> mode;
        int expectedError = 0;
        if (mode == "error")
            head >> expectedError;

        std::string sql;
        size_t i = 1;
        for (; i < rec.lines.size() && rec.lines[i] != "----"; ++i)
            sql += (sql.empty() ? "" : "\n") + rec.lines[i];
        ASSERT_FALSE(sql.empty()) << where << ": no statement";

        if (verb == "statement") {
            Status st = isQuery(sql) ? session.query(sql).status() : session.execute(sql);
            if (mode == "ok") {
                EXPECT_TRUE(st.isOk()) << where << ": " << st.toString() << "\n" << sql;
            } else {
                EXPECT_EQ(st.code(), expectedError) << where << ": " << st.toString() << "\n"
                                                    << sql;
            }
            continue;
        }
        ASSERT_EQ(verb, "query") << where << ": unknown record";
        auto result = session.query(sql);
        if (mode == "error") {
            EXPECT_EQ(result.status().code(), expectedError)
                << where << ": " << result.status().toString() << "\n"
                << sql;
            continue;
        }
        ASSERT_TRUE(result.isOk()) << where << ": " << result.status().toString() << "\n" << sql;
        std::vector<std::string> actual;
        if (mode == "header") {
            std::string names;
            for (size_t c = 0; c < result->columns.size(); ++c)
                names += (c ? "|" : "") + result->columns[c].name;
            actual.push_back(names);
        }
        for (const auto& row : result->rows)
            actual.push_back(rowText(row));
        std::vector<std::string> expected;
        if (i < rec.lines.size())
            expected.assign(rec.lines.begin() + static_cast<long>(i) + 1, rec.lines.end());
        EXPECT_EQ(actual, expected) << where << "\n" << sql;
    }
}

class SqlScript : public ::testing::TestWithParam<std::string> {};

TEST_P(SqlScript, Runs) {
    runScript(GetParam());
}

// A German locale makes the C library read and write numbers with a decimal comma; the
// engine's numbers keep their point.
TEST_P(SqlScript, RunsUnderAGermanLocale) {
    const velmora::test::GermanLocale german;
    if (!german.active())
        GTEST_SKIP() << velmora::test::GermanLocale::kMissing;
    runScript(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, SqlScript, ::testing::ValuesIn(scriptNames()),
                         [](const auto& info) {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace velmora::engine::sql
