// Real Jet files for the channel maintenance tests: the receiver's three tables written by
// our engine with the rows a test names, then the session started on them. After a command
// wrote to it, a file is checked by velmora-db and read back by mdbtools (channel_file.h).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "support/app_session.h"
#include "support/channel_file.h"
#include "support/winstb_fixture.h"

namespace velmora::test {

// One CHANNELS row; a frequency below 0 is stored as Null.
struct Channel {
    int num;
    std::string name;
    std::string source;
    int sid;
    int nid;
    int frequency;
    int videoId = 100;
    int ecm = 0;
};

// FAVNAME, NUM, SOURCEID, SID, NID
struct Assignment {
    std::string group;
    int num;
    std::string source;
    int sid;
    int nid;
};

struct ChannelFile {
    std::vector<Channel> channels;
    std::vector<Assignment> favourites;
    // Without the primary key a channel may be stored without frequency.
    bool primaryKey = true;
    // Changes the CHANNELS schema before the table is made (another column type).
    std::function<void(engine::store::TableSchema&)> shapeChannels;
    // Further tables or changes, before the commit.
    std::function<void(engine::store::Database&)> more;
};

inline std::string writeFile(const std::filesystem::path& path, const ChannelFile& layout) {
    using namespace testing::winstb;
    engine::io::Env& env = engine::io::Env::real();
    EXPECT_TRUE(engine::jet::createDatabase(env, path.string()).isOk());
    auto db = engine::jet::openStoreDatabase(path.string(), env);
    EXPECT_TRUE(db.isOk());
    TableSchema schema = channelsSchema(layout.primaryKey);
    if (layout.shapeChannels)
        layout.shapeChannels(schema);
    auto channels = (*db)->createTable(schema);
    auto favourite = (*db)->createTable(favouriteSchema());
    auto favname = (*db)->createTable(favnameSchema());
    EXPECT_TRUE(channels.isOk() && favourite.isOk() && favname.isOk());
    for (const Channel& c : layout.channels) {
        (*channels)->append({num(c.num), Value(c.name), Value(c.source), text("P"), num(c.sid),
                             num(c.nid), c.frequency < 0 ? Value() : num(c.frequency),
                             num(c.videoId), num(c.ecm), num(0)});
    }
    for (const Assignment& a : layout.favourites)
        (*favourite)->append({Value(a.group), num(a.num), Value(a.source), num(a.sid), num(a.nid)});
    for (const char* group : {"News", "Sport", "Kids"})
        (*favname)->append({text(group), num(1)});
    if (layout.more)
        layout.more(**db);
    EXPECT_TRUE((*db)->commit().isOk());
    return path.string();
}

// The CHANNELS column `col` (0-based, in stored order) of every stored row, as printed.
inline std::vector<std::string> storedColumn(const std::string& file, int col) {
    std::vector<std::string> values;
    const std::vector<std::string> rows = storedRows(file, "CHANNELS");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::istringstream line(rows[i]);
        std::string cell;
        for (int k = 0; k <= col; ++k)
            std::getline(line, cell, ',');
        values.push_back(cell);
    }
    return values;
}

}  // namespace velmora::test
