// Demo databases and what a channel scan does to them, for the take-over tests: the scan
// renumbers every channel, drops some channels (all rows of each), adds new ones, renames a
// few, and loses favourite groups with their assignments and the positions of others. The
// files are read back through mdbtools, so what a test checks is what another reader sees.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "engine/dao/workspace.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/jet/writer_support.h"
#include "tools/csv_reader.h"

namespace velmora::test {

namespace jet_testing = engine::jet::testing;

inline void writeDemo(const std::filesystem::path& path, int channels, uint64_t seed) {
    auto content = demo::generateDemoDatabase({.channels = channels, .seed = seed});
    ASSERT_TRUE(content.isOk());
    engine::io::Env& env = engine::io::Env::real();
    ASSERT_TRUE(engine::jet::createDatabase(env, path.string()).isOk());
    auto db = engine::jet::openStoreDatabase(path.string(), env);
    ASSERT_TRUE(db.isOk());
    ASSERT_TRUE(demo::addDemoTables(**db, *content).isOk());
    ASSERT_TRUE((*db)->commit().isOk());
}

// What the scan did, for the checks.
struct Rescan {
    std::set<std::string> droppedIdentities;
    std::set<std::string> lostGroups;
    int added = 0;
};

inline std::string identityOf(const std::string& source, const std::string& sid,
                              const std::string& nid) {
    return source + "|" + sid + "|" + nid;
}

// Changes the file at `path` the way a channel scan of the receiver does.
inline Rescan rescan(const std::filesystem::path& path) {
    Rescan what;
    auto ws = engine::dao::Workspace::createWorkspace();
    auto db = ws.openDatabase(path.string());
    // Every seventh channel (by stored order of its first row) is gone, with all its rows.
    {
        auto rs = db->openRecordset("SELECT SOURCEID, SID, NID FROM CHANNELS");
        std::vector<std::string> order;
        std::set<std::string> seen;
        for (; !rs.eof(); rs.moveNext()) {
            const std::string id =
                identityOf(rs.field(0).text(), rs.field(1).text(), rs.field(2).text());
            if (seen.insert(id).second)
                order.push_back(id);
        }
        for (size_t i = 3; i < order.size(); i += 7)
            what.droppedIdentities.insert(order[i]);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            if (what.droppedIdentities.count(
                    identityOf(rs.field(0).text(), rs.field(1).text(), rs.field(2).text())))
                rs.deleteCurrent();
        }
    }
    // The rest renumbered backwards, every fifth renamed.
    {
        auto rs = db->openRecordset("SELECT CHANNELNUM, NAME FROM CHANNELS");
        rs.moveLast();  // a dynaset counts the records it has visited
        const int rows = rs.recordCount();
        int k = 0;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext(), ++k) {
            rs.edit();
            rs.field(0).setNumber(rows - k);
            if (k % 5 == 0)
                rs.field(1).setValue("Scan " + std::to_string(k));
            rs.update();
        }
        // New channels after them.
        for (int n = 0; n < 9; ++n, ++what.added) {
            db->execute(
                "INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, PROVIDERID, FREQUENCY, "
                "SID, NID, VIDEOID, ECM) VALUES (" +
                std::to_string(rows + 1 + n) + ", 'Neu " + std::to_string(n) +
                "', 'S19.2E', 'Neu', 12000, " + std::to_string(700001 + n) + ", 1, 100, 0)");
        }
    }
    // Groups lost, and the positions of other assignments changed.
    {
        std::vector<std::string> groups;
        auto rs = db->openRecordset("SELECT FAVNAME FROM FAVNAME");
        for (; !rs.eof(); rs.moveNext())
            groups.push_back(rs.field(0).text());
        for (size_t i = 1; i < groups.size(); i += 3)
            what.lostGroups.insert(groups[i]);
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            if (what.lostGroups.count(rs.field(0).text()))
                rs.deleteCurrent();
        }
        auto fav = db->openRecordset("SELECT FAVNAME, NUM FROM FAVOURITE");
        int k = 0;
        for (; !fav.eof(); fav.moveNext(), ++k) {
            if (what.lostGroups.count(fav.field(0).text())) {
                fav.deleteCurrent();
            } else if (k % 4 == 0) {
                fav.edit();
                fav.field(1).setNumber(900 + k);
                fav.update();
            }
        }
    }
    db->commit();
    db->close();
    return what;
}

// A table as mdbtools reads it: its header's names and its rows.
struct Exported {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    size_t column(const std::string& name) const {
        for (size_t i = 0; i < header.size(); ++i) {
            if (header[i] == name)
                return i;
        }
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
};

inline Exported exportTable(const std::filesystem::path& file, const std::string& table) {
    const jet_testing::ProcessResult r = jet_testing::mdbExport(file.string(), table);
    EXPECT_EQ(r.status, 0) << r.out;
    Exported out;
    const auto records = tools::testing::parseCsv(r.out);
    for (size_t i = 0; i < records.size(); ++i) {
        std::vector<std::string> texts;
        for (const auto& f : records[i])
            texts.push_back(f.text);
        if (i == 0)
            out.header = std::move(texts);
        else if (!texts.empty() && !(texts.size() == 1 && texts[0].empty()))
            out.rows.push_back(std::move(texts));
    }
    return out;
}

// The channels of a file by identity, as mdbtools reads them.
struct ChannelRows {
    struct Channel {
        std::vector<int> numbers;                                        // of its rows
        std::multiset<std::pair<std::string, std::string>> assignments;  // group, position
    };
    std::map<std::string, Channel> byIdentity;
    // Each row by its identity and frequency: its number and name.
    std::map<std::string, std::pair<int, std::string>> byRow;
    std::vector<int> allNumbers;
    std::set<std::string> groups;
};

inline ChannelRows readChannels(const std::filesystem::path& file) {
    ChannelRows out;
    const Exported channels = exportTable(file, "CHANNELS");
    const size_t num = channels.column("CHANNELNUM"), name = channels.column("NAME"),
                 source = channels.column("SOURCEID"), sid = channels.column("SID"),
                 nid = channels.column("NID"), frequency = channels.column("FREQUENCY");
    for (const auto& r : channels.rows) {
        const std::string id = identityOf(r[source], r[sid], r[nid]);
        auto& c = out.byIdentity[id];
        const int n = std::stoi(r[num]);
        EXPECT_TRUE(out.byRow.emplace(id + "@" + r[frequency], std::pair(n, r[name])).second)
            << "one row per identity and frequency: " << id;
        c.numbers.push_back(n);
        out.allNumbers.push_back(n);
    }
    const Exported favourite = exportTable(file, "FAVOURITE");
    const size_t group = favourite.column("FAVNAME"), pos = favourite.column("NUM"),
                 fsource = favourite.column("SOURCEID"), fsid = favourite.column("SID"),
                 fnid = favourite.column("NID");
    for (const auto& r : favourite.rows) {
        auto it = out.byIdentity.find(identityOf(r[fsource], r[fsid], r[fnid]));
        if (it != out.byIdentity.end())
            it->second.assignments.insert({r[group], r[pos]});
    }
    for (const auto& r : exportTable(file, "FAVNAME").rows)
        out.groups.insert(r[0]);
    return out;
}

}  // namespace velmora::test
