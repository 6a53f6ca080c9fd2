// The writer's round trip through every reader we have. A table of every Jet 4 column type,
// with an index on every key type (text of letters, digits, blanks, punctuation, umlauts and
// ß; text + number; descending columns; ignore-nulls), gets enough rows for many data pages
// and two index levels, and long memo and OLE values (inline, single LVAL rows and chains).
// Rows are then updated (growing and shrinking), deleted and added. After every commit the
// file reopens with exactly the expected rows; velmora-db check passes; and at the end
// mdb-schema and mdb-export read the same table, and so does the npm package mdb-reader in the
// compacted copy: it takes slot flag 0x4000 (a moved row's pointer) for deleted and reads
// slots flagged 0x8000 (deleted) as rows, so it reads only files without erased or moved rows.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "engine/base/text_codec.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/store/constraints.h"
#include "support/test_paths.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
using store::ColumnDef;
using store::ColumnType;
using store::Row;
using store::Value;

const char* const kTable = "Round Trip";
constexpr int kRows = 3000;

enum Col : uint16_t {
    kId,
    kName,
    kFlag,
    kSmall,
    kInt,
    kPrice,
    kRatio,
    kBig,
    kWhen,
    kRaw,
    kNotes,
    kBlob,
    kUid,
    kAmount,
    kCode,
    kColumnCount
};

store::TableSchema roundTripTable() {
    auto column = [](const char* name, ColumnType type, uint16_t length = 0) {
        ColumnDef c;
        c.name = name;
        c.type = type;
        c.length = length;
        return c;
    };
    store::TableSchema s;
    s.name = kTable;
    s.columns = {column("ID", ColumnType::Long),       column("Name", ColumnType::Text, 200),
                 column("Flag", ColumnType::Boolean),  column("Small", ColumnType::Byte),
                 column("Int", ColumnType::Integer),   column("Price", ColumnType::Currency),
                 column("Ratio", ColumnType::Single),  column("Big", ColumnType::Double),
                 column("When", ColumnType::DateTime), column("Raw", ColumnType::Binary, 50),
                 column("Notes", ColumnType::Memo),    column("Blob", ColumnType::Ole),
                 column("Uid", ColumnType::Guid),      column("Amount", ColumnType::Numeric),
                 column("Code", ColumnType::Text, 20)};
    s.columns[kAmount].precision = 18;
    s.columns[kAmount].scale = 2;
    for (uint16_t i = 0; i < s.columns.size(); ++i)
        s.columns[i].number = i;
    struct IndexShape {
        const char* name;
        std::vector<store::IndexColumn> columns;
        uint8_t flags;
    };
    const uint8_t unique = store::index_flag::kUnique;
    const std::vector<IndexShape> shapes = {
        {"PrimaryKey", {{kId, true}}, uint8_t(unique | store::index_flag::kRequired)},
        {"ByName", {{kName, true}}, 0},
        {"ByNameDown", {{kName, false}}, 0},
        {"NameAndId", {{kName, true}, {kId, false}}, unique},
        {"ByFlag", {{kFlag, true}}, 0},
        {"BySmall", {{kSmall, true}}, 0},
        {"ByIntDown", {{kInt, false}}, 0},
        {"ByPrice", {{kPrice, true}}, 0},
        {"ByRatio", {{kRatio, true}}, 0},
        {"ByBigDown", {{kBig, false}}, 0},
        {"ByWhenDownRatio", {{kWhen, false}, {kRatio, true}}, 0},
        {"ByRaw", {{kRaw, true}}, 0},
        {"ByUid", {{kUid, true}}, 0},
        {"ByAmount", {{kAmount, true}}, 0},
        {"ByCode", {{kCode, true}}, store::index_flag::kIgnoreNulls},
    };
    for (uint32_t i = 0; i < shapes.size(); ++i) {
        store::RealIndex ri;
        ri.columns = shapes[i].columns;
        ri.flags = shapes[i].flags;
        s.realIndexes.push_back(ri);
        store::LogicalIndex li;
        li.name = shapes[i].name;
        li.number = i;
        li.realIndex = i;
        li.type = i == 0 ? store::LogicalIndexType::PrimaryKey : store::LogicalIndexType::Plain;
        s.logicalIndexes.push_back(li);
    }
    return s;
}

// Channel-list names: letters, digits, blanks, punctuation, umlauts and ß.
std::string nameFor(int i) {
    static const char* const kNames[] = {
        "Das Erste HD", "ZDF",      "Sat.1 Gold",   "Pro7 MAXX",      "Kabel-1 Doku",
        "arte (FR)",    "Straße 3", "Österreich 1", "Ärger & Co",     "über'all",
        "n-tv",         "\"Q\" TV", "Bayern: Süd",  "RTL II / Nitro", "ßtation",
        "Zürich!",      "a b  c",   "Radio 100,7",  "Fußball; live",  "#1 Musik",
        "Öl + Gas?",    "äöü ÄÖÜ"};
    constexpr int n = int(std::size(kNames));
    return std::string(kNames[i % n]) + " " + std::to_string(i / n);
}

std::string longText(int i, size_t length) {
    std::string s;
    while (s.size() < length)
        s += "Zeile " + std::to_string(i) + ": Grüße aus Köln. ";
    return s;
}

Row rowFor(int i) {
    Row r(kColumnCount, Value(store::Null{}));
    r[kId] = int64_t(i);
    r[kName] = nameFor(i);
    r[kFlag] = i % 3 == 0;
    r[kSmall] = int64_t(i % 256);
    r[kInt] = int64_t(i % 500 - 250);
    r[kPrice] = store::Currency{int64_t(i) * 12345 % 10000000 - 500000};
    r[kRatio] = float(i % 400) / 4.0f - 50.0f;
    r[kBig] = double(i) * 0.375 - 100.0;
    r[kWhen] = store::DateTime{40000.0 + i / 8.0};
    r[kRaw] = store::Blob(size_t(1 + i % 9), uint8_t(i * 7));
    if (i % 10 == 0)
        r[kNotes] = longText(i, 6000 + size_t(i % 5000));  // a chain of LVAL rows
    else if (i % 10 == 5)
        r[kNotes] = longText(i, 2000);  // one LVAL row
    else if (i % 10 < 3)
        r[kNotes] = "Memo " + std::to_string(i);  // inline
    if (i % 25 == 0)
        r[kBlob] = store::Blob(size_t(300 + i % 200), uint8_t(i));
    else if (i % 25 == 1)
        r[kBlob] = store::Blob(40, uint8_t(i + 1));
    store::Guid g;
    for (size_t k = 0; k < 16; ++k)
        g.bytes[k] = uint8_t(i * 13 + int(k) * 17);
    r[kUid] = g;
    store::Decimal d;
    d.magnitude = unsigned(i) * 101u;
    d.scale = 2;
    d.negative = i % 4 == 0 && i != 0;
    r[kAmount] = d;
    if (i % 3 != 0)
        r[kCode] = "C" + std::to_string(i % 97);
    return r;
}

using Expected = std::map<int64_t, Row>;

// ---- The values as mdb-reader prints them (see writer_round_trip_rows.mjs). ----

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string shortest(double d) {
    char buf[64];
    auto end = std::to_chars(buf, buf + sizeof buf, d).ptr;
    return std::string(buf, end);
}

std::string hex(const store::Blob& b) {
    static const char* const kDigits = "0123456789abcdef";
    std::string out;
    for (uint8_t x : b) {
        out += kDigits[x >> 4];
        out += kDigits[x & 15];
    }
    return out;
}

// A scaled integer as decimal text with all its `scale` digits ("-12.50", "3.0000").
std::string scaledText(bool negative, unsigned __int128 magnitude, int scale) {
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude > 0);
    while (digits.size() <= size_t(scale))
        digits.insert(digits.begin(), '0');
    std::string out = (negative ? "-" : "") + digits.substr(0, digits.size() - size_t(scale));
    return scale == 0 ? out : out + "." + digits.substr(digits.size() - size_t(scale));
}

std::string isoDate(double days) {
    // Days since 1899-12-30 to a civil date (the values here are whole seconds after 1900).
    int64_t seconds = std::llround(days * 86400.0);
    int64_t z = seconds / 86400 - 25569 + 719468;  // days since 0000-03-01
    int64_t secs = seconds % 86400;
    int64_t era = z / 146097, doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    int64_t y = yoe + era * 400 + (m <= 2);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", int(y), int(m), int(d),
                  int(secs / 3600), int(secs / 60 % 60), int(secs % 60));
    return buf;
}

std::string guidText(const store::Guid& g) {
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out;
    for (int i = 0; i < 16; ++i) {
        char buf[3];
        std::snprintf(buf, sizeof buf, "%02x", g.bytes[size_t(kOrder[i])]);
        out += buf;
        if (i == 3 || i == 5 || i == 7 || i == 9)
            out += '-';
    }
    return out;
}

std::string mdbReaderValue(const Value& v) {
    if (store::isNull(v))
        return "null";
    if (auto* b = std::get_if<bool>(&v))
        return *b ? "true" : "false";
    if (auto* i = std::get_if<int64_t>(&v))
        return std::to_string(*i);
    if (auto* s = std::get_if<std::string>(&v))
        return jsonString(*s);
    if (auto* f = std::get_if<float>(&v))
        return shortest(double(*f));
    if (auto* d = std::get_if<double>(&v))
        return shortest(*d);
    if (auto* c = std::get_if<store::Currency>(&v))
        return jsonString(
            scaledText(c->scaled < 0, static_cast<unsigned __int128>(std::llabs(c->scaled)), 4));
    if (auto* t = std::get_if<store::DateTime>(&v))
        return jsonString(isoDate(t->days));
    if (auto* b = std::get_if<store::Blob>(&v))
        return jsonString(hex(*b));
    if (auto* g = std::get_if<store::Guid>(&v))
        return jsonString(guidText(*g));
    if (auto* d = std::get_if<store::Decimal>(&v))
        return jsonString(scaledText(d->negative, d->magnitude, d->scale));
    return "?";
}

std::vector<std::string> mdbReaderExpected(const Expected& rows) {
    std::vector<std::string> out;
    for (const auto& [id, r] : rows) {
        std::string line = "[";
        for (size_t k = 0; k < r.size(); ++k)
            line += (k ? "," : "") + mdbReaderValue(r[k]);
        out.push_back(line + "]");
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(text.substr(at, nl - at));
    return lines;
}

// ---- The checks. ----

// Our reader: the table holds exactly the expected rows, and its text index has a node level.
void expectOurReaderAgrees(const std::string& path, const Expected& expected, const char* step) {
    auto db = JetDatabase::open(path, io::Env::real(), noOsLocks());
    ASSERT_TRUE(db.isOk()) << step << ": " << db.status().toString();
    auto table = (*db)->loadTable(kTable);
    ASSERT_TRUE(table.isOk()) << step << ": " << table.status().toString();
    Expected got;
    (*table)->forEachLive(
        [&](store::RowId, const Row& r) { got.emplace(std::get<int64_t>(r[kId]), r); });
    ASSERT_EQ(got.size(), expected.size()) << step;
    for (const auto& [id, row] : expected) {
        auto it = got.find(id);
        ASSERT_NE(it, got.end()) << step << ": row " << id;
        for (size_t k = 0; k < row.size(); ++k)
            EXPECT_TRUE(it->second[k] == row[k]) << step << ": row " << id << " column " << k;
    }
    auto pages = (*db)->reader().indexPages((*table)->schema().realIndexes[1]);
    ASSERT_TRUE(pages.isOk());
    EXPECT_TRUE(
        std::any_of(pages->begin(), pages->end(), [](const IndexPage& p) { return !p.isLeaf(); }))
        << step << ": the name index has a single level";
    auto check = velmoraCheck(path);
    EXPECT_EQ(check.status, 0) << step << ": " << check.out;
}

void expectMdbToolsAgree(const std::string& path, const Expected& expected) {
    // The MySQL dialect lists the indexes too (names in lower case).
    auto schema =
        runCommand("mdb-schema -T " + shellQuote(kTable) + " " + shellQuote(path) + " mysql 2>&1");
    ASSERT_EQ(schema.status, 0) << schema.out;
    auto lower = [](std::string t) {
        for (char& c : t)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    const std::string ddl = lower(schema.out);
    const store::TableSchema s = roundTripTable();
    for (const auto& c : s.columns)
        EXPECT_NE(ddl.find("`" + lower(c.name) + "`"), std::string::npos) << c.name;
    EXPECT_NE(ddl.find("add primary key (`id`)"), std::string::npos) << schema.out;
    for (const auto& li : s.logicalIndexes) {
        if (li.isPrimary())
            continue;
        EXPECT_NE(ddl.find("index `" + lower(li.name) + "`"), std::string::npos) << li.name << "\n"
                                                                                 << schema.out;
    }

    // Integers and text as mdb-export prints them, row by row in ID order.
    auto exported =
        runCommand("mdb-export -b strip " + shellQuote(path) + " " + shellQuote(kTable));
    ASSERT_EQ(exported.status, 0);
    std::vector<std::string> lines = splitLines(exported.out);
    ASSERT_EQ(lines.size(), expected.size() + 1);  // no value holds a line break
    std::map<int64_t, std::string> byId;
    for (size_t i = 1; i < lines.size(); ++i)
        byId[std::stoll(lines[i])] = lines[i];
    for (const auto& [id, r] : expected) {
        const std::string& line = byId[id];
        std::string name = std::get<std::string>(r[kName]);
        std::string quoted;
        for (char c : name)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        std::string start = std::to_string(id) + ",\"" + quoted + "\"," +
                            (std::get<bool>(r[kFlag]) ? "1" : "0") + "," +
                            std::to_string(std::get<int64_t>(r[kSmall])) + "," +
                            std::to_string(std::get<int64_t>(r[kInt])) + ",";
        EXPECT_EQ(line.rfind(start, 0), 0u) << line;
        if (const auto* notes = std::get_if<std::string>(&r[kNotes])) {
            EXPECT_NE(line.find("\"" + *notes + "\""), std::string::npos) << "row " << id;
        }
    }
}

// The npm package mdb-reader, installed once into the build folder; empty when npm cannot
// reach its registry.
const std::string& mdbReaderDir() {
    static const std::string dir = [] {
        std::string d = std::string(velmora::test::binDir()) + "/../npm-mdb-reader";
        if (std::filesystem::exists(d + "/node_modules/mdb-reader/package.json"))
            return d;
        if (runCommand("command -v npm >/dev/null 2>&1 && echo yes").out != "yes\n")
            return std::string();
        std::filesystem::create_directories(d);
        auto r = runCommand("npm install --prefix " + shellQuote(d) +
                            " --no-save --no-audit --no-fund mdb-reader >/dev/null 2>&1");
        return r.status == 0 ? d : std::string();
    }();
    return dir;
}

void expectMdbReaderAgrees(const std::string& path, const Expected& expected) {
    auto r = runCommand("TZ=UTC node " +
                        shellQuote(std::string(velmora::test::sourceDir()) +
                                   "/tests/engine/jet/writer_round_trip_rows.mjs") +
                        " " + shellQuote(mdbReaderDir()) + " " + shellQuote(path) + " " +
                        shellQuote(kTable));
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> lines = splitLines(r.out);
    ASSERT_FALSE(lines.empty());
    std::string names = "[";
    for (const auto& c : roundTripTable().columns)
        names += (names.size() > 1 ? "," : "") + jsonString(c.name);
    EXPECT_EQ(lines[0], names + "]");
    lines.erase(lines.begin());
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> want = mdbReaderExpected(expected);
    ASSERT_EQ(lines.size(), want.size());
    size_t differing = 0;
    for (size_t i = 0; i < want.size(); ++i) {
        if (lines[i] != want[i] && ++differing <= 3)
            ADD_FAILURE() << "mdb-reader read\n  " << lines[i].substr(0, 400) << "\nexpected\n  "
                          << want[i].substr(0, 400);
    }
    EXPECT_EQ(differing, 0u);
}

TEST(WriterRoundTrip, EveryTypeAndKeyThroughInsertUpdateDeleteAndEveryReader) {
    TempDir dir;
    const std::string path = (dir.path() / "round.mdb").string();
    ASSERT_TRUE(createDatabase(io::Env::real(), path).isOk());
    Expected expected;
    auto edit = [&](const std::function<void(store::Table&, const store::RowRules&)>& change) {
        auto db = openStoreDatabase(path, io::Env::real(), noOsLocks());
        ASSERT_TRUE(db.isOk()) << db.status().toString();
        auto t = (*db)->table(kTable);
        ASSERT_TRUE(t.isOk()) << t.status().toString();
        change(**t, (*db)->rowRules());
        Status s = (*db)->commit();
        ASSERT_TRUE(s.isOk()) << s.toString();
    };
    {
        auto db = openStoreDatabase(path, io::Env::real(), noOsLocks());
        ASSERT_TRUE(db.isOk());
        ASSERT_TRUE((*db)->createTable(roundTripTable()).isOk());
        ASSERT_TRUE((*db)->commit().isOk());
    }

    edit([&](store::Table& t, const store::RowRules& rules) {
        for (int i = 0; i < kRows; ++i) {
            Row r = rowFor(i);
            auto id = store::insertRow(t, r, rules);
            ASSERT_TRUE(id.isOk()) << "row " << i << ": " << id.status().toString();
            expected[i] = std::move(r);
        }
    });
    expectOurReaderAgrees(path, expected, "inserted");

    // Rows grow (longer names and raw data, memos moving from inline to a chain) and shrink
    // (memos and OLE values going inline or Null); some go, new ones come.
    edit([&](store::Table& t, const store::RowRules& rules) {
        std::vector<store::RowId> ids;
        t.forEachLive([&](store::RowId id, const Row&) { ids.push_back(id); });
        for (store::RowId rid : ids) {
            Row r = t.row(rid);
            int64_t id = std::get<int64_t>(r[kId]);
            if (id % 11 == 4) {
                ASSERT_TRUE(store::deleteRow(t, rid).isOk());
                expected.erase(id);
                continue;
            }
            if (id % 3 == 1) {
                r[kName] = std::get<std::string>(r[kName]) + " – jetzt mit längerem Namen";
                r[kRaw] = store::Blob(50, uint8_t(id));
                r[kNotes] = longText(int(id), 9000);
            } else if (id % 3 == 2) {
                r[kName] = "K" + std::to_string(id);
                r[kNotes] = id % 2 ? Value(store::Null{}) : Value(std::string("kurz"));
                r[kBlob] = store::Null{};
                r[kCode] = store::Null{};
            } else {
                continue;
            }
            Status s = store::updateRow(t, rid, r, rules);
            ASSERT_TRUE(s.isOk()) << "row " << id << ": " << s.toString();
            expected[id] = std::move(r);
        }
        for (int i = kRows; i < kRows + 200; ++i) {
            Row r = rowFor(i);
            ASSERT_TRUE(store::insertRow(t, r, rules).isOk());
            expected[i] = std::move(r);
        }
    });
    expectOurReaderAgrees(path, expected, "updated");

    if (haveMdbTools())
        expectMdbToolsAgree(path, expected);
    if (mdbReaderDir().empty() ||
        runCommand("command -v node >/dev/null 2>&1 && echo yes").out != "yes\n")
        GTEST_SKIP() << "node or the npm package mdb-reader is not available";
    const std::string compacted = (dir.path() / "compacted.mdb").string();
    ASSERT_TRUE(compactDatabase(io::Env::real(), path, compacted).isOk());
    expectMdbReaderAgrees(compacted, expected);
}

}  // namespace
}  // namespace velmora::engine::jet
