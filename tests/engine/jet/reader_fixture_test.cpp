// The reader over the real Access-made files: every file opens or is refused with its own
// message, every table's rows agree with the counts Access kept in the table definitions, and
// every index's leaf entries point at live rows in strictly increasing order, with node pages
// that name the last entry of each child.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"
#include "engine/jet/jet_storage.h"
#include "reader_fixtures.h"

namespace velmora::engine::jet {
namespace {

using testing::fixtureDir;
using testing::haveFixtures;
using testing::Refusal;
using testing::refusalOf;

std::string pathOf(const std::string& name) {
    return (fixtureDir() / name).string();
}

class ReaderFixture : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (!haveFixtures())
            GTEST_SKIP() << "the shared fixtures are absent: " << fixtureDir();
    }
};

TEST_P(ReaderFixture, OpensOrIsRefusedWithItsOwnMessage) {
    auto db = openDatabase(pathOf(GetParam()), io::Env::real());
    switch (refusalOf(GetParam())) {
        case Refusal::Password:
            ASSERT_FALSE(db.isOk());
            EXPECT_EQ(db.status().code(), err::kNotAPassword);
            EXPECT_NE(db.status().message().find("password"), std::string::npos);
            return;
        case Refusal::Encoded:
            ASSERT_FALSE(db.isOk());
            EXPECT_EQ(db.status().code(), err::kUnrecognizedFormat);
            EXPECT_NE(db.status().message().find("encoded"), std::string::npos);
            return;
        case Refusal::None:
            break;
    }
    ASSERT_TRUE(db.isOk()) << db.status().toString();
    auto tables = (*db)->listTables();
    ASSERT_FALSE(tables.empty());
    // MSysObjects describes itself, flagged as a system table.
    bool sawCatalog = false;
    for (const auto& t : tables) {
        if (t.name == "MSysObjects") {
            sawCatalog = true;
            EXPECT_TRUE(t.system);
        }
    }
    EXPECT_TRUE(sawCatalog);
    EXPECT_FALSE((*db)->readOnlyReason().empty());
    EXPECT_EQ((*db)->commit({}).code(), err::kReadOnlyDatabase);
}

TEST_P(ReaderFixture, RowsAndIndexesAgreeWithTheTableDefinitions) {
    if (refusalOf(GetParam()) != Refusal::None)
        GTEST_SKIP() << "refused file";
    auto opened = openDatabase(pathOf(GetParam()), io::Env::real());
    ASSERT_TRUE(opened.isOk()) << opened.status().toString();
    JetStorage& db = **opened;
    size_t entriesChecked = 0;
    for (const auto& info : db.listTables()) {
        SCOPED_TRACE(info.name);
        auto def = db.tableDefinition(info.name);
        ASSERT_TRUE(def.isOk()) << def.status().toString();
        auto rows = db.tableRows(info.name);
        ASSERT_TRUE(rows.isOk()) << rows.status().toString();
        // Access keeps the live row count of user tables exact. Jet's own tables may lag:
        // queryTestV2000's MSysQueries holds 90 live rows (mdb-export agrees) under a count
        // of 82.
        if (!info.system) {
            EXPECT_EQ(rows->rows.size(), def->rowCount);
        }
        ASSERT_EQ(rows->rows.size(), rows->locations.size());

        std::map<std::pair<uint32_t, uint8_t>, size_t> rowAt;
        for (size_t i = 0; i < rows->locations.size(); ++i)
            rowAt[{rows->locations[i].slot.page, rows->locations[i].slot.row}] = i;
        EXPECT_EQ(rowAt.size(), rows->rows.size()) << "two rows share a slot";

        const auto& schema = def->schema;
        for (size_t r = 0; r < schema.realIndexes.size(); ++r) {
            const auto& ri = schema.realIndexes[r];
            SCOPED_TRACE("real index " + std::to_string(r));
            auto pages = db.indexPages(ri);
            ASSERT_TRUE(pages.isOk()) << pages.status().toString();
            ASSERT_FALSE(pages->empty());

            // Expected entries: every row, except all-null keys in an ignore-nulls index.
            size_t expected = 0;
            for (const auto& row : rows->rows) {
                bool allNull = true;
                for (const auto& ic : ri.columns) {
                    for (size_t c = 0; c < schema.columns.size(); ++c) {
                        if (schema.columns[c].number == ic.columnNumber && !store::isNull(row[c]) &&
                            schema.columns[c].type != store::ColumnType::Boolean)
                            allNull = false;
                        if (schema.columns[c].number == ic.columnNumber &&
                            schema.columns[c].type == store::ColumnType::Boolean)
                            allNull = false;
                    }
                }
                if (!(allNull && ri.ignoresNulls()))
                    ++expected;
            }

            std::map<uint32_t, const IndexPage*> byNumber;
            std::vector<const IndexEntry*> leafEntries;
            std::vector<const IndexPage*> leaves;
            for (const auto& p : *pages) {
                byNumber[p.number] = &p;
                EXPECT_EQ(p.owner, schema.tdefPage) << "index page " << p.number;
                // free space = page size - end of the last entry
                EXPECT_EQ(p.freeSpace, db.format().pageSize - db.format().ixEntries - p.usedBytes)
                    << "index page " << p.number;
                if (p.isLeaf()) {
                    leaves.push_back(&p);
                    for (const auto& e : p.entries)
                        leafEntries.push_back(&e);
                }
            }
            EXPECT_EQ(leafEntries.size(), expected);
            auto less = [](const IndexEntry& a, const IndexEntry& b) {
                if (a.key != b.key)
                    return a.key < b.key;
                if (a.dataPage != b.dataPage)
                    return a.dataPage < b.dataPage;
                return a.dataRow < b.dataRow;
            };
            for (size_t i = 0; i < leafEntries.size(); ++i) {
                const IndexEntry& e = *leafEntries[i];
                EXPECT_TRUE(rowAt.count({e.dataPage, e.dataRow}))
                    << "entry points at page " << e.dataPage << " row " << int(e.dataRow)
                    << ", which holds no live row";
                if (i > 0) {
                    EXPECT_TRUE(less(*leafEntries[i - 1], e)) << "entries out of order at " << i;
                }
            }
            // Leaves are chained in tree order.
            for (size_t i = 0; i < leaves.size(); ++i) {
                EXPECT_EQ(leaves[i]->prevPage, i ? leaves[i - 1]->number : 0u);
                EXPECT_EQ(leaves[i]->nextPage, i + 1 < leaves.size() ? leaves[i + 1]->number : 0u);
            }
            // A node entry repeats the last entry of its child.
            for (const auto& p : *pages) {
                if (p.isLeaf())
                    continue;
                for (const auto& e : p.entries) {
                    ASSERT_TRUE(byNumber.count(e.childPage));
                    const IndexPage* child = byNumber[e.childPage];
                    ASSERT_FALSE(child->entries.empty());
                    const IndexEntry& last = child->entries.back();
                    EXPECT_EQ(last.key, e.key);
                    EXPECT_EQ(last.dataPage, e.dataPage);
                    EXPECT_EQ(last.dataRow, e.dataRow);
                }
            }
            entriesChecked += leafEntries.size();
        }
    }
    RecordProperty("leafEntries", int(entriesChecked));
}

INSTANTIATE_TEST_SUITE_P(AllFixtures, ReaderFixture, ::testing::ValuesIn(testing::allFixtures()),
                         [](const auto& info) { return testing::paramName(info.param); });

// Specific facts of single files, each naming what it proves.
class ReaderFacts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveFixtures())
            GTEST_SKIP() << "the shared fixtures are absent: " << fixtureDir();
    }
    std::unique_ptr<JetStorage> open(const std::string& name) {
        auto db = openDatabase(pathOf(name), io::Env::real());
        EXPECT_TRUE(db.isOk()) << db.status().toString();
        return db.isOk() ? std::move(db).value() : nullptr;
    }
    static store::Value cell(const store::Table& t, size_t row, const std::string& col) {
        auto c = t.schema().findColumn(col);
        EXPECT_TRUE(c.has_value()) << col;
        return t.value(row, c.value_or(0));
    }
};

TEST_F(ReaderFacts, Jet3BasicTypesDecodeToTheirValues) {
    auto db = open("testV1997.mdb");
    ASSERT_TRUE(db);
    EXPECT_EQ(db->header().version, JetVersion::Jet3);
    EXPECT_EQ(db->header().codePage, 1252);
    auto t = db->loadTable("table1");  // names match without regard to case
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    ASSERT_EQ((*t)->liveRowCount(), 2u);
    const auto& table = **t;
    EXPECT_EQ(std::get<std::string>(cell(table, 1, "A")), "abcdefg");
    EXPECT_EQ(std::get<int64_t>(cell(table, 1, "C")), 2);
    EXPECT_EQ(std::get<int64_t>(cell(table, 1, "D")), 222);
    EXPECT_EQ(std::get<int64_t>(cell(table, 1, "E")), 333333333);
    EXPECT_DOUBLE_EQ(std::get<double>(cell(table, 1, "F")), 444.555);
    EXPECT_EQ(std::get<store::Currency>(cell(table, 1, "H")).scaled, 35000);
    EXPECT_EQ(std::get<bool>(cell(table, 1, "I")), true);
    EXPECT_EQ(std::get<bool>(cell(table, 0, "I")), false);
    // 1974-09-21 is day 27293 after 1899-12-30.
    EXPECT_DOUBLE_EQ(std::get<store::DateTime>(cell(table, 1, "G")).days, 27293.0);
}

TEST_F(ReaderFacts, LongTableDefinitionSpansPages) {
    auto db = open("testV1997.mdb");
    ASSERT_TRUE(db);
    auto def = db->tableDefinition("Table2");
    ASSERT_TRUE(def.isOk()) << def.status().toString();
    EXPECT_EQ(def->schema.columns.size(), 89u);
    EXPECT_GE(def->pages.size(), 2u);
    EXPECT_EQ(def->schema.logicalIndexes.size(), 5u);  // PrimaryKey, id and three more
}

TEST_F(ReaderFacts, DeletedColumnsLeaveGapsThatRowsStillCarry) {
    auto db = open("delColTestV2000.mdb");
    ASSERT_TRUE(db);
    auto t = db->loadTable("Table1");
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    const auto& s = (*t)->schema();
    EXPECT_EQ(s.maxColumns, 6);
    std::set<uint16_t> numbers;
    for (const auto& c : s.columns)
        numbers.insert(c.number);
    EXPECT_EQ(numbers, (std::set<uint16_t>{0, 2, 3, 5}));
    EXPECT_EQ(std::get<int64_t>(cell(**t, 1, "id2")), 5);
    EXPECT_EQ(std::get<std::string>(cell(**t, 1, "data2")), "bar2");
}

TEST_F(ReaderFacts, NumericColumnsKeepPrecisionScaleAndSign) {
    auto db = open("fixedNumericTestV2000.mdb");
    ASSERT_TRUE(db);
    auto t = db->loadTable("test");
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    const char* cols[] = {"col2", "col3", "col4", "col5", "col6", "col7"};
    const int expected[] = {1, 0, 0, 4, -1, 1};
    for (int i = 0; i < 6; ++i) {
        auto c = (*t)->schema().findColumn(cols[i]);
        ASSERT_TRUE(c);
        const auto& def = (*t)->schema().columns[*c];
        EXPECT_EQ(def.precision, 18);
        EXPECT_EQ(def.scale, 0);
        const auto d = std::get<store::Decimal>(cell(**t, 0, cols[i]));
        EXPECT_EQ(d.negative, expected[i] < 0) << cols[i];
        EXPECT_EQ(uint64_t(d.magnitude), uint64_t(std::abs(expected[i]))) << cols[i];
    }
}

TEST_F(ReaderFacts, CompressedAndPlainUnicodeTextDecode) {
    auto db = open("testUnicodeCompV2003.mdb");
    ASSERT_TRUE(db);
    auto t = db->loadTable("Table");
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    std::set<std::string> values;
    (*t)->forEachLive([&](store::RowId id, const store::Row&) {
        values.insert(std::get<std::string>(cell(**t, id, "Unicode")));
    });
    EXPECT_TRUE(values.count("ääkkösiä"));          // stored compressed
    EXPECT_TRUE(values.count("Мир"));               // plain UTF-16
    EXPECT_TRUE(values.count("漢字仮名交じり文"));  // plain UTF-16
    EXPECT_TRUE(values.count("only ascii chars"));  // compressed
}

TEST_F(ReaderFacts, MovedRowsAreReadThroughTheirPointerOnce) {
    auto db = open("overflowTestV2000.mdb");
    ASSERT_TRUE(db);
    auto rows = db->tableRows("Table1");
    ASSERT_TRUE(rows.isOk()) << rows.status().toString();
    ASSERT_EQ(rows->rows.size(), 7u);
    size_t moved = 0;
    for (const auto& l : rows->locations) {
        if (l.moved()) {
            ++moved;
            EXPECT_NE(l.slot.page, l.stored.page);
        }
    }
    EXPECT_EQ(moved, 2u);
}

TEST_F(ReaderFacts, LongValuesInlineSingleAndChained) {
    auto db = open("test2V1997.mdb");
    ASSERT_TRUE(db);
    auto t = db->loadTable("MSP_PROJECTS");
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    size_t longestBlob = 0;
    size_t memos = 0;
    const auto& s = (*t)->schema();
    for (size_t c = 0; c < s.columns.size(); ++c) {
        const store::Value v = (*t)->value(0, c);
        if (auto* b = std::get_if<store::Blob>(&v))
            longestBlob = std::max(longestBlob, b->size());
        if (s.columns[c].type == store::ColumnType::Memo && !store::isNull(v))
            ++memos;
    }
    EXPECT_EQ(longestBlob, 22970u);  // chained over 12 long-value pages
    EXPECT_GT(memos, 0u);
    EXPECT_EQ(std::get<std::string>(cell(**t, 0, "PROJ_NAME")), "Project1");
}

TEST_F(ReaderFacts, Jet3TextReencodesToItsStoredBytes) {
    // The GBK bytes of this file decode as Windows-1252 (what its header says); the writer must
    // get the same bytes back from the decoded text.
    auto db = open("charsetGBK.mdb");
    ASSERT_TRUE(db);
    auto t = db->loadTable("table1");
    ASSERT_TRUE(t.isOk()) << t.status().toString();
    const std::string text = std::get<std::string>(cell(**t, 0, "field1"));
    auto bytes = text::encodeCodePage(text, 1252);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(text::decodeCodePage(*bytes, 1252), text);
    EXPECT_EQ(bytes->size(), 7u);  // "GBK" + two two-byte GBK characters
}

TEST_F(ReaderFacts, ColumnNamesOutsideAsciiInJet4) {
    auto db = open("noRoman.mdb");
    ASSERT_TRUE(db);
    auto def = db->tableDefinition("t_noroman");
    ASSERT_TRUE(def.isOk()) << def.status().toString();
    bool found = false;
    for (const auto& c : def->schema.columns)
        found |= c.name == "q3¹²³¼½¾ß€Ð×ÝÞðýþäüöß";
    EXPECT_TRUE(found);
}

TEST_F(ReaderFacts, CatalogListsQueriesAndSystemTables) {
    auto db = open("queryTestV2000.mdb");
    ASSERT_TRUE(db);
    size_t queries = 0;
    for (const auto& e : db->catalog())
        queries += e.type == object_type::kQuery;
    EXPECT_EQ(queries, 9u);
    std::vector<std::string> user;
    for (const auto& t : db->listTables()) {
        if (!t.system)
            user.push_back(t.name);
    }
    EXPECT_EQ(user, (std::vector<std::string>{"Table1", "Table2", "Table3"}));
}

TEST_F(ReaderFacts, HeaderFieldsOfAJet4File) {
    auto db = open("empty.mdb");
    ASSERT_TRUE(db);
    const auto& h = db->header();
    EXPECT_EQ(h.version, JetVersion::Jet4);
    EXPECT_EQ(h.pageSize, 4096u);
    EXPECT_EQ(h.sortOrder, 1033);
    EXPECT_EQ(h.codePage, 1252);
    EXPECT_FALSE(h.isEncoded());
    EXPECT_FALSE(h.hasPassword());
    EXPECT_EQ(db->pager().pageCount(), 24u);
    auto global = db->globalUsageMap();
    ASSERT_TRUE(global.isOk()) << global.status().toString();
    // In the global map a set bit means free; pages 0..2 hold the header, the map and the
    // catalog, so they are in use.
    for (uint32_t p : global->pages)
        EXPECT_GT(p, 2u);
}

TEST_F(ReaderFacts, PasswordIsDecodedFromTheHeader) {
    std::vector<uint8_t> bytes(0x100);
    for (const char* name : {"V2000_with-password.mdb", "V2003_with-password.mdb"}) {
        auto file = io::Env::real().open(pathOf(name), io::OpenMode::ReadOnly);
        ASSERT_TRUE(file.isOk());
        ASSERT_TRUE((*file)->read(0, bytes).isOk());
        auto h = decodeHeader(bytes);
        ASSERT_TRUE(h.isOk()) << h.status().toString();
        EXPECT_EQ(h->password, "password") << name;
        EXPECT_FALSE(h->isEncoded());
    }
}

TEST_F(ReaderFacts, EncodedFilesCarryTheirKey) {
    std::vector<uint8_t> bytes(0x100);
    auto file = io::Env::real().open(pathOf("db97-enc.mdb"), io::OpenMode::ReadOnly);
    ASSERT_TRUE(file.isOk());
    ASSERT_TRUE((*file)->read(0, bytes).isOk());
    auto h = decodeHeader(bytes);
    ASSERT_TRUE(h.isOk());
    EXPECT_EQ(h->databaseKey, 0xA7E0C0FEu);
}

}  // namespace
}  // namespace velmora::engine::jet
