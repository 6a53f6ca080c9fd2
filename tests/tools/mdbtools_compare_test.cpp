// velmora-db against an independent reader, mdbtools, on every fixture: the table list equals
// `mdb-tables -1`, the columns equal `mdb-schema`'s, and every row of every table equals
// `mdb-export`'s. Values are compared after parsing both sides, so that formatting choices
// (quoted dates, digits printed for a double, hex case) do not count.
//
// Where mdbtools and the file disagree, the test asserts what the file says:
// - mdbtools treats the row flags the other way round, so a moved row appears where its
//   image lies instead of at its original slot. Velmora lists rows by their original slot
//   (where the index entries point); for tables with moved rows the rows are compared as
//   sets, and Velmora's order is checked against the slot order separately.
// - mdbtools prints "?" for the Windows-1252 bytes that code page leaves undefined; Velmora
//   keeps them as the control characters of the same number, so they write back unchanged.
// - mdbtools prints every date before 1899-12-30 as "1900-01-00"; those only compare as such.
// - mdbtools reads a Decimal's precision and scale from each other's byte; a scale above the
//   precision is impossible, which shows which reading is right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>

#include "csv_reader.h"
#include "engine/base/text_codec.h"
#include "engine/jet/jet_storage.h"
#include "process.h"
#include "reader_fixtures.h"

namespace velmora::tools {
namespace {

using engine::store::ColumnDef;
using engine::store::ColumnType;
using namespace testing;
namespace fx = engine::jet::testing;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

std::string hexToText(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A decimal number in text to a canonical form: no trailing zeros, no "-0".
std::string canonicalDecimal(std::string s) {
    bool negative = !s.empty() && s[0] == '-';
    if (negative)
        s.erase(0, 1);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    size_t nz = s.find_first_not_of('0');
    s = nz == std::string::npos ? "0" : (s[nz] == '.' ? "0" + s.substr(nz) : s.substr(nz));
    return (negative && s != "0") ? "-" + s : s;
}

// The comparable form of a field, given the column's type. `ours` marks Velmora's side.
std::string canonical(const ColumnDef& c, const CsvField& f, bool ours, bool jet3) {
    if (f.text.empty() && !f.quoted)
        return "<null>";
    char buf[64];
    switch (c.type) {
        case ColumnType::Boolean:
        case ColumnType::Byte:
        case ColumnType::Integer:
        case ColumnType::Long:
            return std::to_string(std::stoll(f.text));
        case ColumnType::Currency:
        case ColumnType::Numeric:
            return canonicalDecimal(f.text);
        case ColumnType::Single:
            std::snprintf(buf, sizeof buf, "%.9g", double(std::strtof(f.text.c_str(), nullptr)));
            return buf;
        case ColumnType::Double:
            // mdbtools prints 16 significant digits; 15 are exact in both directions.
            std::snprintf(buf, sizeof buf, "%.15g", std::strtod(f.text.c_str(), nullptr));
            return buf;
        case ColumnType::Binary:
        case ColumnType::Ole:
        case ColumnType::Unknown0D:
        case ColumnType::Unknown11:
            return lower(f.text);
        case ColumnType::Guid: {
            // mdbtools' hex mode prints the hex of the GUID's text and loses its last dash.
            std::string g = lower(ours || f.text.starts_with("{") ? f.text : hexToText(f.text));
            g.erase(std::remove(g.begin(), g.end(), '-'), g.end());
            return g;
        }
        case ColumnType::Text:
        case ColumnType::Memo: {
            if (!ours || !jet3)
                return "'" + f.text;
            // Undefined Windows-1252 bytes of Jet 3 text: mdbtools prints "?".
            std::u16string u = engine::text::utf8ToUtf16(f.text);
            for (auto& ch : u) {
                if (ch >= 0x80 && ch <= 0x9F)
                    ch = u'?';
            }
            return "'" + engine::text::utf16ToUtf8(u);
        }
        case ColumnType::DateTime:
            // mdbtools cannot show dates before 1899-12-30 and prints "1900-01-00" for them.
            if (ours ? f.text < "1899-12-30" : f.text.starts_with("1900-01-00"))
                return "<before 1900>";
            return f.text;
        default:
            return f.text;
    }
}

class MdbtoolsCompare : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (!fx::haveFixtures())
            GTEST_SKIP() << "the shared fixtures are absent: " << fx::fixtureDir();
        ASSERT_TRUE(haveProgram("mdb-export"))
            << "mdbtools is not installed (scripts/install-deps installs it)";
        m_path = (fx::fixtureDir() / GetParam()).string();
    }
    std::string m_path;
};

TEST_P(MdbtoolsCompare, RefusedFilesFailWithTheirMessage) {
    auto refusal = fx::refusalOf(GetParam());
    if (refusal == fx::Refusal::None)
        GTEST_SKIP() << "readable file";
    auto r = runProcess({velmoraDb(), "tables", m_path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(r.err.starts_with("velmora-db: ")) << r.err;
    EXPECT_NE(r.err.find(refusal == fx::Refusal::Password ? "password" : "encoded"),
              std::string::npos)
        << r.err;
    // info still describes the file.
    auto info = runProcess({velmoraDb(), "info", m_path});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find(refusal == fx::Refusal::Password ? "Password: yes" : "Encoded: yes"),
              std::string::npos)
        << info.out;
}

TEST_P(MdbtoolsCompare, TablesColumnsAndRowsEqualMdbtools) {
    if (fx::refusalOf(GetParam()) != fx::Refusal::None)
        GTEST_SKIP() << "refused file";
    auto ours = runProcess({velmoraDb(), "tables", m_path});
    ASSERT_EQ(ours.exitCode, 0) << ours.err;
    auto theirs = runProcess({"mdb-tables", "-1", m_path});
    ASSERT_EQ(theirs.exitCode, 0) << theirs.err;
    // Same names; mdbtools lists a catalog row that moved where its image lies (see above),
    // so the order is compared by sorting.
    std::vector<std::string> tables = lines(ours.out);
    auto sortedOurs = tables, sortedTheirs = lines(theirs.out);
    std::sort(sortedOurs.begin(), sortedOurs.end());
    std::sort(sortedTheirs.begin(), sortedTheirs.end());
    EXPECT_EQ(sortedOurs, sortedTheirs);

    auto db = engine::jet::openDatabase(m_path, engine::io::Env::real());
    ASSERT_TRUE(db.isOk()) << db.status().toString();

    // Columns: names and types from mdb-schema's Access DDL, per table in listing order.
    auto schemaOut = runProcess({"mdb-schema", m_path, "access"});
    ASSERT_EQ(schemaOut.exitCode, 0) << schemaOut.err;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> mdbColumns;
    std::string current;
    for (const auto& line : lines(schemaOut.out)) {
        if (line.starts_with("CREATE TABLE [")) {
            current = line.substr(14, line.rfind(']') - 14);
        } else if (!current.empty() && line.starts_with("\t[")) {
            size_t close = line.find(']');
            std::string name = line.substr(2, close - 2);
            std::string type = line.substr(line.find_first_not_of('\t', close + 1));
            for (const char* tail : {", ", ","}) {
                if (type.ends_with(tail))
                    type.resize(type.size() - std::strlen(tail));
            }
            if (type.ends_with(" NOT NULL"))
                type.resize(type.size() - 9);
            mdbColumns[current].push_back({name, type});
        }
    }

    for (const auto& table : tables) {
        SCOPED_TRACE(table);
        auto def = (*db)->tableDefinition(table);
        ASSERT_TRUE(def.isOk()) << def.status().toString();
        const auto& schema = def->schema;
        auto order = engine::jet::columnsInNumberOrder(schema);
        const auto& theirCols = mdbColumns[table];
        ASSERT_EQ(theirCols.size(), order.size());
        for (size_t k = 0; k < order.size(); ++k) {
            const ColumnDef& c = schema.columns[order[k]];
            EXPECT_EQ(theirCols[k].first, c.name);
            std::string expected;
            switch (c.type) {
                case ColumnType::Boolean:
                    expected = "Boolean";
                    break;
                case ColumnType::Byte:
                    expected = "Byte";
                    break;
                case ColumnType::Integer:
                    expected = "Integer";
                    break;
                case ColumnType::Long:
                    expected = "Long Integer";
                    break;
                case ColumnType::Currency:
                    expected = "Currency";
                    break;
                case ColumnType::Single:
                    expected = "Single";
                    break;
                case ColumnType::Double:
                    expected = "Double";
                    break;
                case ColumnType::DateTime:
                    expected = "DateTime";
                    break;
                case ColumnType::Binary:
                    expected = "Binary";
                    break;
                case ColumnType::Guid:
                    expected = "Replication ID";
                    break;
                case ColumnType::Ole:
                    expected = "OLE (255)";
                    break;
                case ColumnType::Memo:
                    expected = "Memo/Hyperlink (255)";
                    break;
                case ColumnType::Text:
                    expected =
                        "Text (" + std::to_string(c.maxChars((*db)->format().isJet4())) + ")";
                    break;
                case ColumnType::Numeric: {
                    // mdbtools swaps the two bytes; accept its order only if it is the swap.
                    EXPECT_LE(c.scale, c.precision);
                    std::string p = std::to_string(c.precision), s = std::to_string(c.scale);
                    expected = theirCols[k].second == "Numeric (" + s + ", " + p + ")"
                                   ? theirCols[k].second
                                   : "Numeric (" + p + ", " + s + ")";
                    break;
                }
                default:
                    expected = theirCols[k].second;
                    break;
            }
            EXPECT_EQ(theirCols[k].second, expected) << c.name;
        }

        // Rows.
        auto ourExport = runProcess({velmoraDb(), "export", m_path, table});
        ASSERT_EQ(ourExport.exitCode, 0) << ourExport.err;
        auto theirExport = runProcess({"mdb-export", "-D", "%Y-%m-%d %H:%M:%S", "-T",
                                       "%Y-%m-%d %H:%M:%S", "-b", "hex", m_path, table});
        ASSERT_EQ(theirExport.exitCode, 0) << theirExport.err;
        auto ourRecords = parseCsv(ourExport.out);
        auto theirRecords = parseCsv(theirExport.out);
        ASSERT_FALSE(ourRecords.empty());
        ASSERT_FALSE(theirRecords.empty());
        ASSERT_EQ(ourRecords.size(), theirRecords.size());
        EXPECT_EQ(ourRecords[0].size(), order.size());
        for (size_t k = 0; k < order.size() && k < ourRecords[0].size(); ++k)
            EXPECT_EQ(ourRecords[0][k].text, schema.columns[order[k]].name);

        const bool jet3 = !(*db)->format().isJet4();
        auto canon = [&](const CsvRecord& rec, bool oursSide) {
            std::vector<std::string> out;
            for (size_t k = 0; k < order.size(); ++k)
                out.push_back(k < rec.size()
                                  ? canonical(schema.columns[order[k]], rec[k], oursSide, jet3)
                                  : "<missing>");
            return out;
        };
        std::vector<std::vector<std::string>> a, b;
        for (size_t i = 1; i < ourRecords.size(); ++i) {
            a.push_back(canon(ourRecords[i], true));
            b.push_back(canon(theirRecords[i], false));
        }
        auto rows = (*db)->tableRows(table);
        ASSERT_TRUE(rows.isOk()) << rows.status().toString();
        bool anyMoved = std::any_of(rows->locations.begin(), rows->locations.end(),
                                    [](const auto& l) { return l.moved(); });
        if (anyMoved) {
            // Velmora's order is the order of the original slots.
            for (size_t i = 1; i < rows->locations.size(); ++i) {
                const auto& p = rows->locations[i - 1].slot;
                const auto& q = rows->locations[i].slot;
                EXPECT_TRUE(p.page < q.page || (p.page == q.page && p.row < q.row));
            }
            std::sort(a.begin(), a.end());
            std::sort(b.begin(), b.end());
        }
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i], b[i]) << "row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFixtures, MdbtoolsCompare, ::testing::ValuesIn(fx::allFixtures()),
                         [](const auto& info) { return fx::paramName(info.param); });

}  // namespace
}  // namespace velmora::tools
