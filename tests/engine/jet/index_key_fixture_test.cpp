// Our key encoder against the leaf entries Access wrote: for every index of every table of
// every readable fixture (system tables included), the key of the row each leaf entry points
// at must equal the entry's key byte for byte. No key may be refused: the texts hold Latin,
// Cyrillic, Greek (with polytonic accents), kanji and kana.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "engine/base/text_codec.h"
#include "engine/io/file.h"
#include "engine/jet/index_key.h"
#include "engine/jet/jet_storage.h"
#include "reader_fixtures.h"

namespace velmora::engine::jet {
namespace {

namespace fs = std::filesystem;

using testing::fixtureDir;

struct Tally {
    size_t compared = 0;
    size_t comparedJet3 = 0;
    std::set<char32_t> characters;
};

void collectCharacters(const store::Row& row, const store::TableSchema& schema,
                       const store::RealIndex& index, std::set<char32_t>& out) {
    for (const store::IndexColumn& ic : index.columns) {
        for (size_t i = 0; i < schema.columns.size(); ++i) {
            if (schema.columns[i].number != ic.columnNumber)
                continue;
            if (auto* s = std::get_if<std::string>(&row[i])) {
                auto u16 = text::utf8ToUtf16(*s, text::Utf8Rule::Generalised);
                if (u16) {
                    for (char16_t c : *u16)
                        out.insert(c);
                }
            }
        }
    }
}

// Compares every leaf entry of one file; returns a description of each mismatch.
std::vector<std::string> checkFile(const fs::path& path, Tally& tally) {
    std::vector<std::string> problems;
    auto db = openDatabase(path.string(), io::Env::real());
    if (!db.isOk()) {
        problems.push_back("cannot open: " + db.status().toString());
        return problems;
    }
    KeyFormat format =
        (*db)->header().version == JetVersion::Jet4 ? KeyFormat::Jet4 : KeyFormat::Jet3;
    for (const CatalogEntry& entry : (*db)->catalog()) {
        if (!entry.isTable())
            continue;
        auto def = (*db)->tableDefinition(entry.name);
        auto rows = (*db)->tableRows(entry.name);
        if (!def.isOk() || !rows.isOk()) {
            problems.push_back(entry.name + ": cannot read");
            continue;
        }
        std::map<uint32_t, size_t> bySlot;
        for (size_t i = 0; i < rows->locations.size(); ++i)
            bySlot[rows->locations[i].slot.toU32()] = i;
        const store::TableSchema& schema = def->schema;
        for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
            const store::RealIndex& index = schema.realIndexes[ix];
            auto entries = (*db)->indexLeafEntries(index);
            if (!entries.isOk()) {
                problems.push_back(entry.name + " index " + std::to_string(ix) + ": " +
                                   entries.status().toString());
                continue;
            }
            for (const IndexEntry& e : *entries) {
                RowPointer where{e.dataPage, e.dataRow};
                auto it = bySlot.find(where.toU32());
                if (it == bySlot.end()) {
                    problems.push_back(entry.name + " index " + std::to_string(ix) +
                                       ": entry points at no live row");
                    continue;
                }
                const store::Row& row = rows->rows[it->second];
                Result<KeyBytes> key = encodeIndexKey(schema, index, row, format);
                ++tally.compared;
                tally.comparedJet3 += format == KeyFormat::Jet3 ? 1 : 0;
                collectCharacters(row, schema, index, tally.characters);
                if (!key.isOk()) {
                    problems.push_back(entry.name + " index " + std::to_string(ix) + ": " +
                                       key.status().toString());
                } else if (*key != e.key) {
                    problems.push_back(entry.name + " index " + std::to_string(ix) +
                                       ": key differs for row at page " +
                                       std::to_string(e.dataPage) + " row " +
                                       std::to_string(e.dataRow));
                }
            }
        }
    }
    return problems;
}

TEST(IndexKeyFixtures, EveryLeafEntryMatchesAccess) {
    if (!fs::exists(fixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << fixtureDir();
    Tally tally;
    size_t files = 0;
    for (const auto& f : fs::directory_iterator(fixtureDir())) {
        if (f.path().extension() != ".mdb")
            continue;
        std::string name = f.path().filename().string();
        // Encoded and password-protected files are refused at open; they hold no key we
        // could compare without decoding them first.
        if (name.find("enc") != std::string::npos || name.find("password") != std::string::npos)
            continue;
        ++files;
        std::vector<std::string> problems = checkFile(f.path(), tally);
        for (size_t i = 0; i < problems.size() && i < 10; ++i)
            ADD_FAILURE() << name << ": " << problems[i];
    }
    EXPECT_EQ(files, 25u);
    // Thousands of entries, Jet 3 and Jet 4.
    EXPECT_GT(tally.compared, 7500u);
    // testIndexCodesV1997 alone holds over 3,000 entries in the General 97 order.
    EXPECT_GT(tally.comparedJet3, 3500u);
    // The scripts the keys were compared in: each range must have been met.
    struct Script {
        const char* name;
        char32_t first, last;
    };
    const Script scripts[] = {{"Latin-1", 0xC0, 0xFF},      {"Greek", 0x0370, 0x03FF},
                              {"Cyrillic", 0x0400, 0x04FF}, {"Greek accents", 0x1F00, 0x1FFF},
                              {"kana", 0x3040, 0x30FF},     {"kanji", 0x4E00, 0x9FFF}};
    for (const Script& s : scripts) {
        EXPECT_NE(tally.characters.lower_bound(s.first), tally.characters.upper_bound(s.last))
            << s.name;
    }
    RecordProperty("compared", std::to_string(tally.compared));
    std::cout << "compared " << tally.compared << " leaf entries (" << tally.comparedJet3
              << " of them Jet 3), " << tally.characters.size() << " distinct characters\n";
}

}  // namespace
}  // namespace velmora::engine::jet
