// Real Jet files shaped like the receiver's channel database, written by our engine, for the
// session tests of the commands that write. The demo content; or, for the favourite
// commands, the standard rows (see winstb_fixture.h) plus ORF1 also in "Kids" (a channel in
// two groups), "O'Brien TV" in "News", and Radio X in a group stored with a trailing blank,
// "Late Show ". After a session wrote to it, the file is checked by velmora-db and read back
// by mdbtools.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/jet/writer_support.h"
#include "support/app_session.h"
#include "support/test_paths.h"
#include "support/winstb_fixture.h"

namespace velmora::test {

namespace jet_testing = engine::jet::testing;

inline std::string writeChannelFile(const std::filesystem::path& path) {
    using namespace testing::winstb;
    engine::io::Env& env = engine::io::Env::real();
    EXPECT_TRUE(engine::jet::createDatabase(env, path.string()).isOk());
    auto db = engine::jet::openStoreDatabase(path.string(), env);
    EXPECT_TRUE(db.isOk());
    testing::addWinStbTables(**db);
    auto channels = (*db)->table("CHANNELS");
    auto favourite = (*db)->table("FAVOURITE");
    EXPECT_TRUE(channels.isOk() && favourite.isOk());
    (*channels)->append({num(8), text("O'Brien TV"), text("S19E"), text("IE"), num(400), num(4),
                         num(11111), num(401), num(0), num(402)});
    (*favourite)->append({text("Kids"), num(1), text("S19E"), num(100), num(1)});
    (*favourite)->append({text("News"), num(3), text("S19E"), num(400), num(4)});
    (*favourite)->append({text("Late Show "), num(1), text("S13E"), num(301), num(3)});
    auto favname = (*db)->table("FAVNAME");
    EXPECT_TRUE(favname.isOk());
    (*favname)->append({text("Late Show "), num(4)});
    EXPECT_TRUE((*db)->commit().isOk());
    return path.string();
}

// A Jet 4 file at `path` with the demo content of 60 channels (CHANNELS, FAVOURITE, FAVNAME
// and SETTINGS; see demo_generator.h), which `shape` may change first. Tests that use it link
// velmora_demo.
inline std::string writeDemoFile(const std::filesystem::path& path,
                                 const std::function<void(demo::DemoDatabase&)>& shape = {}) {
    auto content = demo::generateDemoDatabase({.channels = 60, .seed = 7});
    EXPECT_TRUE(content.isOk());
    if (shape)
        shape(*content);
    engine::io::Env& env = engine::io::Env::real();
    EXPECT_TRUE(engine::jet::createDatabase(env, path.string()).isOk());
    auto db = engine::jet::openStoreDatabase(path.string(), env);
    EXPECT_TRUE(db.isOk());
    EXPECT_TRUE(demo::addDemoTables(**db, *content).isOk());
    EXPECT_TRUE((*db)->commit().isOk());
    return path.string();
}

// The table as mdb-export prints it, header first, in stored order.
inline std::vector<std::string> storedRows(const std::string& file, const std::string& table) {
    const jet_testing::ProcessResult r = jet_testing::mdbExport(file, table);
    EXPECT_EQ(r.status, 0) << r.out;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The table as mdb-export prints it, header first, data lines sorted.
inline std::vector<std::string> exportedRows(const std::string& file, const std::string& table) {
    std::vector<std::string> lines = storedRows(file, table);
    if (!lines.empty())
        std::sort(lines.begin() + 1, lines.end());
    return lines;
}

inline bool hasRow(const std::vector<std::string>& rows, const std::string& line) {
    return std::find(rows.begin(), rows.end(), line) != rows.end();
}

// Skips the test, saying why, when the independent readers are not at hand.
#define VELMORA_REQUIRE_READERS()                                                           \
    do {                                                                                    \
        if (!jet_testing::haveMdbTools())                                                   \
            GTEST_SKIP() << "mdbtools are not installed";                                   \
        if (!std::filesystem::exists(std::string(velmora::test::binDir()) + "/velmora-db")) \
            GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();       \
    } while (0)

inline void expectFileChecks(const std::string& file) {
    const jet_testing::ProcessResult check = jet_testing::velmoraCheck(file);
    EXPECT_EQ(check.status, 0) << check.out;
}

// A session over `file`, started (language English) and painted.
inline void startOn(AppSession& s, const std::string& file) {
    s.storeSetting(core::app::SettingKey::Language, "eng");
    s.storeSetting(core::app::SettingKey::WinSTBPath, file);
    ASSERT_TRUE(s.start());
}

// The grid row showing channel `name` in group `group`, or -1.
inline int gridRow(AppSession& s, const std::string& name, const std::string& group) {
    for (int r = 1; r < s.app().grid().rows(); ++r) {
        if (s.cell(r, 4) == name && s.cell(r, 5) == group)
            return r;
    }
    return -1;
}

}  // namespace velmora::test
