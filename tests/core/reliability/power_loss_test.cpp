// Whole commands of the complete program under power loss. Each commit family runs in the
// program over a FaultEnv on a demo channel database written by our engine. The power goes at
// one of the command's syncs or once it is done (the seeds take them in turn: the backup's,
// the journal's, the file's, the folders', after), and what was not synced is kept, lost, torn or
// garbage as a real disk may leave it (FaultEnv::losePowerAtRandom); the next open, which rolls an
// interrupted commit back, may lose power in turn. Then the file must open without a journal left,
// pass the structural check and hold every table (columns and rows, system tables too) exactly as
// before the command or after it; a backup left beside it is the file before. For one seed in
// ten the file goes to disk and mdbtools must read the same rows, and velmora-db check pass.
//
// A paste commits in batches, so the state after a whole batch more is sound too (made by
// pasting just that batch uninterrupted). Compacting never writes the open file: it stays
// byte for byte, and the copy beside it is absent or complete (the same rows) and sound.
//
// VELMORA_POWER_CUTS sets the seeds per family (50 by default; the "long" label runs 1000).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/app/file_backup.h"
#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "engine/io/fault_env.h"
#include "engine/io/journal.h"
#include "engine/jet/checker.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "engine/jet/writer_support.h"
#include "headless/headless_program.h"
#include "support/file_rows.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
namespace io = engine::io;
namespace jet = engine::jet;
namespace store = engine::store;
using jet::testing::FixedTimeFaultEnv;

constexpr core::app::LocalTime kBackupTime{2026, 12, 8, 10, 15, 0};

struct PowerLossFamily {
    const char* name;
    const char* command;
    int count = 0;  // lines to paste
    // Pastes of fewer lines whose uninterrupted runs give the further sound states.
    std::vector<int> partial = {};
    bool withoutMultiFrequency = false;  // ReNumber refuses channels on two frequencies
    bool staleFreqDups = false;          // a FREQDUPS of another shape, for the view to replace
    bool compacts = false;
};

void PrintTo(const PowerLossFamily& f, std::ostream* os) {
    *os << f.name;
}

jet::OpenOptions inMemory() {
    jet::OpenOptions o;
    o.useOsLocks = false;
    return o;
}

HeadlessProgram::Options programOptions() {
    HeadlessProgram::Options o;
    o.useOsLocks = false;
    o.clock = [] { return kBackupTime; };
    return o;
}

// A value as a key that tells every type and every bit apart.
void appendValue(std::string& key, const store::Value& v) {
    key += char('a' + v.index());
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            auto raw = [&](const void* p, size_t n) { key.append(static_cast<const char*>(p), n); };
            if constexpr (std::is_same_v<T, std::string>) {
                key += std::to_string(x.size()) + ':' + x;
            } else if constexpr (std::is_same_v<T, store::Blob>) {
                key += std::to_string(x.size()) + ':';
                raw(x.data(), x.size());
            } else if constexpr (std::is_same_v<T, store::Decimal>) {
                key += x.negative ? '-' : '+';
                key += char(x.scale);
                raw(&x.magnitude, sizeof x.magnitude);
            } else if constexpr (!std::is_same_v<T, store::Null>) {
                raw(&x, sizeof x);  // bool, numbers, Currency, DateTime, Guid: no padding
            }
        },
        v);
}

// Every table of the open file as the engine reads it: name, columns, and rows sorted.
std::string tableDump(jet::JetDatabase& db, std::string& fault) {
    std::string all;
    for (const store::TableInfo& info : db.listTables()) {
        auto table = db.loadTable(info.name);
        if (!table.isOk()) {
            fault = "table " + info.name + ": " + table.status().toString();
            return {};
        }
        all += "== " + info.name + "\n";
        for (const store::ColumnDef& c : (*table)->schema().columns)
            all += c.name + " " + std::to_string(int(c.type)) + "\n";
        std::vector<std::string> rows;
        (*table)->forEachLive([&](store::RowId, const store::Row& row) {
            std::string key;
            for (const store::Value& v : row)
                appendValue(key, v);
            rows.push_back(std::move(key));
        });
        std::sort(rows.begin(), rows.end());
        for (const std::string& r : rows)
            all += r + "\n";
    }
    return all;
}

// Opens the file as the next program would; its dump, or empty with `fault` set when it cannot
// be opened, leaves a journal or fails the check.
std::string soundDump(io::FaultEnv& env, const std::string& path, std::string& fault) {
    auto db = jet::JetDatabase::open(path, env, inMemory());
    if (!db.isOk()) {
        fault = path + " does not open: " + db.status().toString();
        return {};
    }
    if (env.exists(io::RollbackJournal::pathFor(path))) {
        fault = path + ": the journal is left";
        return {};
    }
    auto report = jet::checkDatabase((*db)->reader());
    if (!report.isOk() || !report->problems.empty()) {
        fault = path + " fails the check: " +
                (report.isOk() ? report->problems.front() : report.status().toString());
        return {};
    }
    return tableDump(**db, fault);
}

std::string compactedPath(const std::string& path) {
    return path.substr(0, path.size() - 4) + "1.mdb";
}

class CommandCrash : public ::testing::TestWithParam<PowerLossFamily> {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("velmora-power-" + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_path = (m_dir / "WinSTB.mdb").string();
        writeBase();
        m_base = jet::testing::readFileBytes(m_path);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    // The demo content of 200 channels in a Jet 4 file at m_path, shaped for the family.
    void writeBase() {
        const PowerLossFamily& family = GetParam();
        auto content = demo::generateDemoDatabase({.channels = 200, .seed = 19});
        ASSERT_TRUE(content.isOk());
        if (family.withoutMultiFrequency)
            dropMultiFrequencyChannels(content->tables[0]);
        io::Env& env = io::Env::real();
        ASSERT_TRUE(jet::createDatabase(env, m_path).isOk());
        auto db = jet::openStoreDatabase(m_path, env);
        ASSERT_TRUE(db.isOk());
        ASSERT_TRUE(demo::addDemoTables(**db, *content).isOk());
        if (family.staleFreqDups) {
            store::TableSchema s;
            s.name = "FREQDUPS";
            store::ColumnDef c;
            c.name = "STALE";
            c.type = store::ColumnType::Long;
            s.columns = {c};
            auto t = (*db)->createTable(s);
            ASSERT_TRUE(t.isOk());
            (*t)->append({store::Value(int64_t(7))});
        }
        ASSERT_TRUE((*db)->commit().isOk());
    }

    static void dropMultiFrequencyChannels(demo::DemoTable& channels) {
        auto column = [&](const char* name) {
            for (size_t i = 0; i < channels.schema.columns.size(); ++i) {
                if (channels.schema.columns[i].name == name)
                    return i;
            }
            ADD_FAILURE() << "no column " << name;
            return size_t(0);
        };
        const size_t source = column("SOURCEID"), sid = column("SID"), nid = column("NID");
        auto key = [&](const store::Row& r) {
            std::string k;
            for (size_t i : {source, sid, nid})
                appendValue(k, r[i]);
            return k;
        };
        std::map<std::string, int> count;
        for (const store::Row& r : channels.rows)
            ++count[key(r)];
        std::erase_if(channels.rows, [&](const store::Row& r) { return count[key(r)] > 1; });
    }

    // The command once, uninterrupted, on the base: what the Env holds afterwards, and the
    // syncs it made.
    std::unique_ptr<FixedTimeFaultEnv> runWhole(int count, int& syncs) {
        auto env = std::make_unique<FixedTimeFaultEnv>();
        env->install(m_path, m_base);
        HeadlessProgram program(m_path, *env, programOptions());
        EXPECT_EQ(program.prepare(GetParam().command, count), 0);
        const int before = env->syncCount();
        EXPECT_EQ(program.run(), 0);
        syncs = env->syncCount() - before;
        return env;
    }

    // What a run left, or empty with `fault` set: the file (and, compacting, the copy).
    std::string stateOf(io::FaultEnv& env, std::string& fault) {
        const PowerLossFamily& family = GetParam();
        const std::string backup = core::app::backupPath(m_path, kBackupTime);
        if (env.exists(backup) && env.contents(backup) != m_base) {
            fault = "the backup is not the file before the command";
            return {};
        }
        if (family.compacts && env.contents(m_path) != m_base) {
            fault = "compacting changed the open file";
            return {};
        }
        std::string state = soundDump(env, m_path, fault);
        if (!fault.empty() || !family.compacts)
            return state;
        if (!env.exists(compactedPath(m_path)))
            return state + "== no copy\n";
        return state + "== copy\n" + soundDump(env, compactedPath(m_path), fault);
    }

    // The rows mdbtools reads from a file as the Env holds it (and from the copy, compacting),
    // after velmora-db check passed on it.
    FileRows readersSee(io::FaultEnv& env, const std::string& name) {
        FileRows rows;
        std::vector<std::string> files = {m_path};
        if (GetParam().compacts && env.exists(compactedPath(m_path)))
            files.push_back(compactedPath(m_path));
        for (const std::string& file : files) {
            const std::string out = (m_dir / (name + fs::path(file).filename().string())).string();
            jet::testing::writeFileBytes(out, env.contents(file));
            const auto check = jet::testing::velmoraCheck(out);
            EXPECT_EQ(check.status, 0) << name << ": " << check.out;
            for (auto& [table, list] : fileRows(out))
                rows[fs::path(file).filename().string() + "/" + table] = std::move(list);
        }
        return rows;
    }

    fs::path m_dir;
    std::string m_path;
    std::vector<uint8_t> m_base;
};

TEST_P(CommandCrash, EveryReopenedFileIsTheStateBeforeOrAfter) {
    const PowerLossFamily& family = GetParam();
    ASSERT_FALSE(HasFatalFailure());
    const bool readers = jet::testing::haveMdbTools() &&
                         fs::exists(std::string(velmora::test::binDir()) + "/velmora-db");

    // The sound states: before, after each partial run, after the whole command.
    std::vector<std::string> sound;
    std::vector<FileRows> soundRows;
    std::string fault;
    {
        FixedTimeFaultEnv env;
        env.install(m_path, m_base);
        sound.push_back(stateOf(env, fault));
        ASSERT_EQ(fault, "");
        if (readers)
            soundRows.push_back(readersSee(env, "before-"));
    }
    int syncs = 0;
    std::vector<int> counts = family.partial;
    counts.push_back(family.count);
    for (size_t i = 0; i < counts.size(); ++i) {
        auto env = runWhole(counts[i], syncs);
        sound.push_back(stateOf(*env, fault));
        ASSERT_EQ(fault, "") << "uninterrupted run " << i;
        ASSERT_NE(sound[sound.size() - 2], sound.back()) << "run " << i << " changed nothing";
        if (readers)
            soundRows.push_back(readersSee(*env, "sound" + std::to_string(i) + "-"));
    }
    ASSERT_GE(syncs, 2) << "the command made too few syncs to have written anything";

    std::vector<int> seen(sound.size(), 0);
    int recoveriesCut = 0;
    for (uint64_t seed = 1; seed <= uint64_t(jet::testing::powerCutsPerFamily()); ++seed) {
        // A cut past the last sync comes once the command is done, its files still open.
        const int at = jet::testing::cutSyncOf(seed, syncs + 1);
        const std::string where = "seed " + std::to_string(seed) + ", power cut at sync " +
                                  std::to_string(at) + " of " + std::to_string(syncs);
        FixedTimeFaultEnv env;
        env.install(m_path, m_base);
        {
            HeadlessProgram program(m_path, env, programOptions());
            ASSERT_EQ(program.prepare(family.command, family.count), 0) << where;
            env.losePowerAtRandom(seed);
            env.crashAtSync(at);
            (void)program.run();
            ASSERT_EQ(env.crashed(), at <= syncs) << where;
            if (!env.crashed())
                env.crash();
        }
        recoveriesCut += jet::testing::cutPowerDuringRecovery(
            env, seed, [&] { (void)jet::JetDatabase::open(m_path, env, inMemory()); });
        const std::string state = stateOf(env, fault);
        ASSERT_EQ(fault, "") << where;
        const auto it = std::find(sound.begin(), sound.end(), state);
        ASSERT_NE(it, sound.end()) << where << " left a state of its own";
        ++seen[size_t(it - sound.begin())];
        if (readers && seed % 10 == 1) {
            EXPECT_EQ(readersSee(env, "seed-"), soundRows[size_t(it - sound.begin())]) << where;
        }
    }
    std::cout << family.name << ": " << syncs << " syncs, " << seen.front() << " before, "
              << seen.back() << " after";
    for (size_t i = 1; i + 1 < seen.size(); ++i)
        std::cout << ", " << seen[i] << " at batch " << i;
    std::cout << ", " << recoveriesCut << " rollbacks cut off\n";
    // A cut after the last sync comes after the commit point (the journal's disarming lost or
    // not), one at the first before anything of the file changed.
    EXPECT_GT(seen.front(), 0);
    EXPECT_GT(seen.back(), 0);
}

const PowerLossFamily kFamilies[] = {
    {.name = "CellUpdate", .command = "rename-group"},
    {.name = "SaveFavChannels", .command = "save"},
    {.name = "ReNumber", .command = "renumber", .withoutMultiFrequency = true},
    {.name = "DeleteSelection", .command = "delete-selection"},
    {.name = "DeleteEmptyChannels", .command = "delete-empty"},
    {.name = "PasteBatches", .command = "paste", .count = 250, .partial = {200}},
    {.name = "SchemaChange", .command = "duplicates", .staleFreqDups = true},
    {.name = "Compaction", .command = "compact", .compacts = true},
};

INSTANTIATE_TEST_SUITE_P(Families, CommandCrash, ::testing::ValuesIn(kFamilies),
                         [](const ::testing::TestParamInfo<PowerLossFamily>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace velmora::test
