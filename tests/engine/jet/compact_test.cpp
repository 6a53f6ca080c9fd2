// Compacted copies of every readable Jet 3 and Jet 4 fixture: the copy reads identically (our
// reader and mdbtools), passes the structural check, is no larger than its source, keeps the
// source's header, and the source is not touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_storage.h"
#include "writer_support.h"

namespace velmora::engine::jet {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Every Jet 4 fixture the reader opens (the password-protected and encoded ones it refuses).
const std::vector<std::string>& jet4Fixtures() {
    static const std::vector<std::string> names = {"adox_jet4.mdb",
                                                   "compIndexTestV2000.mdb",
                                                   "delColTestV2000.mdb",
                                                   "delTestV2000.mdb",
                                                   "empty.mdb",
                                                   "empty2003.mdb",
                                                   "emptyJet4.mdb",
                                                   "fixedNumericTestV2000.mdb",
                                                   "fixedTextTestV2000.mdb",
                                                   "indexTestV2000.mdb",
                                                   "noRoman.mdb",
                                                   "overflowTestV2000.mdb",
                                                   "queryTestV2000.mdb",
                                                   "test2V2000.mdb",
                                                   "testIndexPropertiesV2000.mdb",
                                                   "testUnicodeCompV2003.mdb"};
    return names;
}

bool haveFixtures() {
    return fs::is_directory(writerFixtureDir());
}

std::string testName(const std::string& file) {
    std::string out;
    for (char c : file)
        out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return out;
}

// Lines of a CSV export in sorted order: a compacted table keeps its rows, but a row that
// Access had moved to another page is no longer read at that page.
std::vector<std::string> sortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The blocks of mdb-schema's output (one per table), sorted: the tool lists tables in the
// order of the catalog's rows, which a compacted copy need not keep where Access moved rows.
std::vector<std::string> sortedBlocks(const std::string& text) {
    std::vector<std::string> blocks;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find("\n\n", from);
        if (to == std::string::npos)
            to = text.size();
        blocks.push_back(text.substr(from, to - from));
        from = to + 2;
    }
    std::sort(blocks.begin(), blocks.end());
    return blocks;
}

std::vector<store::Row> liveRows(const store::Table& t) {
    std::vector<store::Row> out;
    t.forEachLive([&](store::RowId, const store::Row& r) { out.push_back(r); });
    return out;
}

// Object name → (parent, type, flags) of the catalog, and the access entries by object name:
// what must survive although table Ids change.
struct CatalogView {
    std::map<std::string, std::tuple<int32_t, int, uint32_t>> objects;
    std::multiset<std::string> aces;
};

CatalogView catalogView(JetStorage& db) {
    CatalogView v;
    std::map<int64_t, std::string> names;
    for (const auto& e : db.catalog()) {
        v.objects[std::to_string(e.parentId) + "/" + e.name] = {e.parentId, e.type, e.flags};
        names[e.id] = e.name;
    }
    auto aces = db.loadTable("MSysACEs");
    if (!aces.isOk())
        return v;
    const auto& s = (*aces)->schema();
    size_t obj = *s.findColumn("ObjectId"), sid = *s.findColumn("SID"), acm = *s.findColumn("ACM");
    (*aces)->forEachLive([&](store::RowId, const store::Row& r) {
        int64_t id = std::get<int64_t>(r[obj]);
        std::string who = names.count(id) ? names[id] : "#" + std::to_string(id);
        const auto& blob = std::get<store::Blob>(r[sid]);
        v.aces.insert(who + "|" + std::string(blob.begin(), blob.end()) + "|" +
                      std::to_string(std::get<int64_t>(r[acm])));
    });
    return v;
}

class CompactFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(CompactFixture, CopyReadsIdenticallyAndIsNoLarger) {
    if (!haveFixtures())
        GTEST_SKIP() << "../shared/fixtures is absent";
    TempDir dir;
    const std::string source = (writerFixtureDir() / GetParam()).string();
    const std::string copy = (dir.path() / "compacted.mdb").string();
    const auto sourceBytes = readFileBytes(source);

    auto report = compactDatabase(io::Env::real(), source, copy);
    ASSERT_TRUE(report.isOk()) << report.status().toString();
    EXPECT_EQ(readFileBytes(source), sourceBytes) << "the source changed";
    const auto copyBytes = readFileBytes(copy);
    EXPECT_LE(copyBytes.size(), sourceBytes.size());
    // The copy keeps the source's version: Jet 3 files have 2 KB pages.
    const size_t pageSize = sourceBytes[0x14] == 0 ? 2048 : 4096;
    EXPECT_EQ(report->destinationPages * pageSize, copyBytes.size());
    // Page 0 is the source's header, byte for byte.
    EXPECT_TRUE(
        std::equal(copyBytes.begin(), copyBytes.begin() + long(pageSize), sourceBytes.begin()));

    auto a = openDatabase(source, io::Env::real());
    auto b = openDatabase(copy, io::Env::real());
    ASSERT_TRUE(a.isOk() && b.isOk()) << b.status().toString();
    CatalogView va = catalogView(**a), vb = catalogView(**b);
    EXPECT_EQ(va.objects, vb.objects);
    EXPECT_EQ(va.aces, vb.aces);
    for (const auto& info : (*a)->listTables()) {
        auto ta = (*a)->loadTable(info.name);
        auto tb = (*b)->loadTable(info.name);
        ASSERT_TRUE(ta.isOk() && tb.isOk()) << info.name << ": " << tb.status().toString();
        const auto &sa = (*ta)->schema(), &sb = (*tb)->schema();
        ASSERT_EQ(sa.columns.size(), sb.columns.size()) << info.name;
        for (size_t i = 0; i < sa.columns.size(); ++i) {
            EXPECT_EQ(sa.columns[i].name, sb.columns[i].name);
            EXPECT_EQ(sa.columns[i].type, sb.columns[i].type);
            EXPECT_EQ(sa.columns[i].length, sb.columns[i].length);
            EXPECT_EQ(sa.columns[i].flags, sb.columns[i].flags);
            EXPECT_EQ(sa.columns[i].sortVersion, sb.columns[i].sortVersion);
        }
        EXPECT_EQ(sa.logicalIndexes.size(), sb.logicalIndexes.size()) << info.name;
        if (store::sameName(info.name, "MSysObjects") || store::sameName(info.name, "MSysACEs"))
            continue;  // table Ids are renumbered; compared through catalogView above
        EXPECT_TRUE(liveRows(**ta) == liveRows(**tb)) << info.name;
    }

    auto check = velmoraCheck(copy);
    EXPECT_EQ(check.status, 0) << check.out;
    if (!haveMdbTools())
        GTEST_SKIP() << "mdbtools is not installed";
    for (const auto& info : (*a)->listTables()) {
        if (info.system)
            continue;
        auto ea = mdbExport(source, info.name);
        auto eb = mdbExport(copy, info.name);
        EXPECT_EQ(eb.status, 0) << info.name;
        EXPECT_EQ(sortedLines(ea.out), sortedLines(eb.out)) << info.name;
    }
    EXPECT_EQ(sortedBlocks(runCommand("mdb-schema " + shellQuote(source) + " 2>&1").out),
              sortedBlocks(runCommand("mdb-schema " + shellQuote(copy) + " 2>&1").out));
}

INSTANTIATE_TEST_SUITE_P(Jet4Fixtures, CompactFixture, ::testing::ValuesIn(jet4Fixtures()),
                         [](const auto& info) { return testName(info.param); });
INSTANTIATE_TEST_SUITE_P(Jet3Fixtures, CompactFixture,
                         ::testing::Values("compIndexTestV1997.mdb", "delColTestV1997.mdb",
                                           "delTestV1997.mdb", "indexTestV1997.mdb",
                                           "queryTestV1997.mdb", "test2V1997.mdb",
                                           "testIndexCodesV1997.mdb", "testV1997.mdb",
                                           "charsetGBK.mdb"),
                         [](const auto& info) { return testName(info.param); });

TEST(Compact, RefusesAnExistingDestination) {
    if (!haveFixtures())
        GTEST_SKIP() << "../shared/fixtures is absent";
    TempDir dir;
    const std::string dest = (dir.path() / "there.mdb").string();
    writeFileBytes(dest, {1, 2, 3});
    auto r =
        compactDatabase(io::Env::real(), (writerFixtureDir() / "delTestV2000.mdb").string(), dest);
    EXPECT_EQ(r.status().code(), err::kDatabaseExists);
    EXPECT_EQ(readFileBytes(dest), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace velmora::engine::jet
