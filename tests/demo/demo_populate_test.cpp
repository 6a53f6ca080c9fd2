// The demo tables in a database through the store's checked inserts: the keys hold, the
// layout is one a Jet 4 writer can store, and the largest list works.
#include <gtest/gtest.h>

#include <set>

#include "demo/demo_populate.h"
#include "demo/demo_schema.h"
#include "engine/store/constraints.h"

namespace velmora::demo {
namespace {

using engine::store::ColumnType;
using engine::store::Database;
using engine::store::Row;
using engine::store::Table;

std::unique_ptr<Database> demoDatabase(const DemoOptions& options) {
    auto db = memoryDemoDatabase(options);
    EXPECT_TRUE(db.isOk()) << db.status().toString();
    return db.isOk() ? std::move(db).value() : nullptr;
}

Table& table(Database& db, const char* name) {
    auto t = db.table(name);
    EXPECT_TRUE(t.isOk()) << name;
    return **t;
}

TEST(DemoPopulate, KeysRefuseDuplicatesAfterTheDemoRowsWentIn) {
    auto db = demoDatabase({300, 3, true});
    ASSERT_TRUE(db);
    EXPECT_EQ(db->tableNames(),
              (std::vector<std::string>{"CHANNELS", "FAVOURITE", "FAVNAME", "SETTINGS"}));

    Table& channels = table(*db, kChannelsTable);
    ASSERT_EQ(channels.liveRowCount(), 300u);
    // Same SOURCEID, SID, NID and FREQUENCY as a stored row: refused whatever the rest says.
    Row copy = channels.row(0);
    copy[channels_col::kChannelNum] = int64_t(301);
    copy[channels_col::kName] = std::string("Kopie");
    EXPECT_EQ(engine::store::insertRow(channels, copy, db->rowRules()).status().code(), 3022);
    // Another frequency is another row of the same channel.
    copy[channels_col::kFrequency] = int64_t(99999);
    EXPECT_TRUE(engine::store::insertRow(channels, copy, db->rowRules()).isOk());

    Table& groups = table(*db, kFavnameTable);
    Row group = groups.row(0);
    group[favname_col::kFavNum] = int64_t(77);
    EXPECT_EQ(engine::store::insertRow(groups, group, db->rowRules()).status().code(), 3022);

    // The channel index of FAVOURITE is not unique: a channel may sit in many groups.
    Table& favourites = table(*db, kFavouriteTable);
    Row assignment = favourites.row(0);
    assignment[favourite_col::kFavName] = std::string("Zusatz");
    EXPECT_TRUE(engine::store::insertRow(favourites, assignment, db->rowRules()).isOk());
}

TEST(DemoPopulate, WithoutPrimaryKeyARepeatedKeyGoesIn) {
    auto db = demoDatabase({100, 3, false});
    ASSERT_TRUE(db);
    Table& channels = table(*db, kChannelsTable);
    EXPECT_TRUE(channels.schema().logicalIndexes.empty());
    EXPECT_TRUE(engine::store::insertRow(channels, channels.row(0), db->rowRules()).isOk());
}

TEST(DemoPopulate, ExistingTableIsRefusedBeforeAnythingIsAdded) {
    Database db(std::make_unique<engine::store::MemoryStorage>());
    ASSERT_TRUE(db.createTable(favnameSchema()).isOk());
    auto demo = generateDemoDatabase({50, 1, true});
    ASSERT_TRUE(demo.isOk());
    EXPECT_EQ(addDemoTables(db, *demo).code(), 3010);
    EXPECT_EQ(db.tableNames(), std::vector<std::string>{"FAVNAME"});
}

TEST(DemoPopulate, LargestListGoesIn) {
    auto db = demoDatabase({kMaxDemoChannels, 11, true});
    ASSERT_TRUE(db);
    Table& channels = table(*db, kChannelsTable);
    ASSERT_EQ(channels.liveRowCount(), size_t(kMaxDemoChannels));
    std::set<int64_t> numbers;
    channels.forEachLive([&](auto, const Row& r) {
        numbers.insert(std::get<int64_t>(r[channels_col::kChannelNum]));
        EXPECT_LE(std::get<int64_t>(r[channels_col::kSid]), 65535);
    });
    EXPECT_EQ(numbers.size(), size_t(kMaxDemoChannels));
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), kMaxDemoChannels);
}

// The layout a Jet 4 table definition needs: fixed values side by side without overlap,
// one variable slot per variable column, and the key over the identity in its order.
TEST(DemoSchema, LayoutIsStorable) {
    for (const auto& schema :
         {channelsSchema(), favouriteSchema(), favnameSchema(), settingsSchema()}) {
        std::set<uint16_t> slots, numbers;
        std::vector<std::pair<uint16_t, uint16_t>> spans;
        for (const auto& c : schema.columns) {
            EXPECT_TRUE(numbers.insert(c.number).second) << schema.name << "." << c.name;
            if (c.isFixed()) {
                if (c.type != ColumnType::Boolean)
                    spans.emplace_back(c.fixedOffset, c.fixedOffset + c.length);
            } else {
                EXPECT_TRUE(slots.insert(c.variableSlot).second) << schema.name << "." << c.name;
                EXPECT_LT(c.variableSlot, schema.variableColumns);
            }
            if (c.type == ColumnType::Text) {
                EXPECT_EQ(c.extendedFlags & 0x01, 0x01) << "text without Unicode compression";
            }
        }
        std::sort(spans.begin(), spans.end());
        for (size_t i = 1; i < spans.size(); ++i)
            EXPECT_LE(spans[i - 1].second, spans[i].first) << schema.name;
        EXPECT_EQ(schema.maxColumns, schema.columns.size());
    }
    const auto schema = channelsSchema();
    ASSERT_EQ(schema.logicalIndexes.size(), 1u);
    EXPECT_EQ(schema.logicalIndexes[0].name, "PrimaryKey");
    EXPECT_TRUE(schema.logicalIndexes[0].isPrimary());
    std::vector<std::string> keyColumns;
    for (const auto& ic : schema.realIndexes[0].columns)
        keyColumns.push_back(schema.columns[ic.columnNumber].name);
    EXPECT_EQ(keyColumns, (std::vector<std::string>{"SOURCEID", "SID", "NID", "FREQUENCY"}));
    EXPECT_TRUE(schema.realIndexes[0].isUnique());
    EXPECT_TRUE(schema.realIndexes[0].isRequired());
}

}  // namespace
}  // namespace velmora::demo
