// A database shaped like the receiver program's channel database, built in memory: CHANNELS
// (with its primary key over SOURCEID, SID, NID, FREQUENCY and a column the program never
// names), FAVOURITE and FAVNAME, and a small standard set of rows that holds the cases the
// commands care about: a channel on two frequencies, radio and TV, free and encrypted, an
// "(empty)" slot, a favourite whose channel is gone, a group without assignments.
//
// Header-only so that the benchmarks can use it too (they build no test sources).
#pragma once

#include <string>
#include <vector>

#include "engine/store/database.h"
#include "engine/store/schema.h"

namespace velmora::testing {

namespace winstb {

using engine::store::ColumnDef;
using engine::store::ColumnType;
using engine::store::Row;
using engine::store::TableSchema;
using engine::store::Value;

inline ColumnDef column(const std::string& name, ColumnType type, uint16_t number,
                        uint16_t textChars = 0) {
    ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = number;
    if (type == ColumnType::Text) {
        c.length = static_cast<uint16_t>(textChars * 2);
        c.extendedFlags = 0x01;
    } else {
        c.length = 4;
        c.flags |= engine::store::column_flag::kFixed;
    }
    return c;
}

inline TableSchema channelsSchema(bool withPrimaryKey) {
    TableSchema s;
    s.name = "CHANNELS";
    s.columns = {
        column("CHANNELNUM", ColumnType::Long, 0),   column("NAME", ColumnType::Text, 1, 50),
        column("SOURCEID", ColumnType::Text, 2, 20), column("PROVIDERID", ColumnType::Text, 3, 50),
        column("SID", ColumnType::Long, 4),          column("NID", ColumnType::Long, 5),
        column("FREQUENCY", ColumnType::Long, 6),    column("VIDEOID", ColumnType::Long, 7),
        column("ECM", ColumnType::Long, 8),          column("AUDIOID", ColumnType::Long, 9)};
    if (withPrimaryKey) {
        engine::store::RealIndex key;
        key.columns = {{2, true}, {4, true}, {5, true}, {6, true}};
        key.flags = engine::store::index_flag::kUnique | engine::store::index_flag::kRequired |
                    engine::store::index_flag::kAccess2000;
        s.realIndexes.push_back(key);
        engine::store::LogicalIndex li;
        li.name = "PrimaryKey";
        li.realIndex = 0;
        li.type = engine::store::LogicalIndexType::PrimaryKey;
        s.logicalIndexes.push_back(li);
    }
    return s;
}

inline TableSchema favouriteSchema() {
    TableSchema s;
    s.name = "FAVOURITE";
    s.columns = {column("FAVNAME", ColumnType::Text, 0, 50), column("NUM", ColumnType::Long, 1),
                 column("SOURCEID", ColumnType::Text, 2, 20), column("SID", ColumnType::Long, 3),
                 column("NID", ColumnType::Long, 4)};
    return s;
}

inline TableSchema favnameSchema() {
    TableSchema s;
    s.name = "FAVNAME";
    s.columns = {column("FAVNAME", ColumnType::Text, 0, 50), column("FAVNUM", ColumnType::Long, 1)};
    return s;
}

inline Value text(const char* s) {
    return Value(std::string(s));
}
inline Value num(int64_t v) {
    return Value(v);
}

// CHANNELNUM, NAME, SOURCEID, PROVIDERID, SID, NID, FREQUENCY, VIDEOID, ECM, AUDIOID
inline std::vector<Row> standardChannels() {
    return {
        {num(1), text("ORF1"), text("S19E"), text("ORF"), num(100), num(1), num(11953), num(160),
         num(0), num(161)},
        {num(2), text("ORF2"), text("S19E"), text("ORF"), num(101), num(1), num(11953), num(170),
         num(13), num(171)},
        {num(3), text("Ö1"), text("S19E"), text("ORF"), num(102), num(1), num(12692), num(0),
         num(0), num(181)},
        {num(4), text("Sport1"), text("S19E"), text("DSF"), num(200), num(2), num(12480), num(210),
         num(0), num(211)},
        {num(5), text("Sport1"), text("S19E"), text("DSF"), num(200), num(2), num(12722), num(210),
         num(0), num(211)},
        {num(6), text("(empty)"), text("S13E"), text(""), num(300), num(3), num(11000), num(0),
         num(0), num(0)},
        {num(7), text("Radio X"), text("S13E"), text("RX"), num(301), num(3), num(11000), num(0),
         num(5), num(311)},
    };
}

// FAVNAME, NUM, SOURCEID, SID, NID
inline std::vector<Row> standardFavourites() {
    return {
        {text("Sport"), num(1), text("S19E"), num(200), num(2)},
        {text("News"), num(1), text("S19E"), num(100), num(1)},
        {text("News"), num(2), text("S19E"), num(101), num(1)},
        {text("Sport"), num(2), text("S99W"), num(999), num(9)},
    };
}

inline std::vector<Row> standardGroups() {
    return {{text("News"), num(1)}, {text("Sport"), num(2)}, {text("Kids"), num(3)}};
}

}  // namespace winstb

struct WinStbOptions {
    bool primaryKey = true;
    bool standardRows = true;
};

// Creates the three tables (with the standard rows) in `db` and commits them.
inline void addWinStbTables(engine::store::Database& db, WinStbOptions options = {}) {
    auto channels = db.createTable(winstb::channelsSchema(options.primaryKey));
    auto favourite = db.createTable(winstb::favouriteSchema());
    auto favname = db.createTable(winstb::favnameSchema());
    if (options.standardRows) {
        for (auto& r : winstb::standardChannels())
            (*channels)->append(r);
        for (auto& r : winstb::standardFavourites())
            (*favourite)->append(r);
        for (auto& r : winstb::standardGroups())
            (*favname)->append(r);
    }
    (void)db.commit();
}

// A large channel list for benchmarks: `channels` rows on two sources, every 16th channel
// also on a second frequency, and `assignments` favourites spread over ten groups.
inline void addLargeWinStbTables(engine::store::Database& db, int channels, int assignments) {
    using namespace winstb;
    auto ch = db.createTable(channelsSchema(true));
    auto fav = db.createTable(favouriteSchema());
    auto groups = db.createTable(favnameSchema());
    for (int i = 0; i < 10; ++i)
        (*groups)->append({Value("Group " + std::to_string(i)), num(i + 1)});
    int sid = 1;
    for (int i = 0; i < channels; ++i) {
        const bool second = i % 16 == 15;
        const int channelSid = second ? sid - 1 : sid++;
        const int64_t frequency = 10700 + (channelSid % 500) * 4 + (second ? 2 : 0);
        (*ch)->append({num(i + 1), Value("Channel " + std::to_string(i + 1)),
                       Value(std::string(channelSid % 2 ? "S19E" : "S13E")), text("Provider"),
                       num(channelSid), num(1 + channelSid % 7), num(frequency),
                       num(i % 5 == 0 ? 0 : 100 + i), num(i % 3 == 0 ? 0 : 1), num(0)});
    }
    for (int i = 0; i < assignments; ++i) {
        const int channelSid = 1 + (i * 3) % (sid - 1);
        (*fav)->append({Value("Group " + std::to_string(i % 10)), num(i / 10 + 1),
                        Value(std::string(channelSid % 2 ? "S19E" : "S13E")), num(channelSid),
                        num(1 + channelSid % 7)});
    }
    (void)db.commit();
}

}  // namespace velmora::testing
