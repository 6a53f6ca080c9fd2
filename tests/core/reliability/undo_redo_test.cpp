// Undo and redo on real files: after each family of commands that write (a save, ReNumber,
// Delete Selection, Delete empty channels, a paste in batches, a cell edit), Ctrl+Z gives back
// the file the command started from, byte for byte and row for row as mdbtools reads it, and
// Ctrl+Y the file it made; also in a later run. A file another program changed in between, or a
// step whose bytes were torn (the steps are not synced), is refused and the file left as it is.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "core/form/event.h"
#include "demo/demo_generator.h"
#include "demo/demo_populate.h"
#include "demo/demo_schema.h"
#include "engine/io/file.h"
#include "engine/io/page_digest.h"
#include "engine/jet/jet_database.h"
#include "engine/jet/new_database.h"
#include "headless/headless_program.h"
#include "support/file_bytes.h"
#include "support/file_rows.h"
#include "support/test_paths.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
constexpr int kCtrl = core::form::kCtrlMask;

// ReNumber refuses channels stored on several frequencies: the file keeps one row of each.
void dropMultiFrequencyChannels(demo::DemoTable& channels) {
    namespace col = demo::channels_col;
    std::map<std::string, int> count;
    auto key = [](const engine::store::Row& r) {
        return std::get<std::string>(r[col::kSourceId]) + "|" +
               std::to_string(std::get<int64_t>(r[col::kSid])) + "|" +
               std::to_string(std::get<int64_t>(r[col::kNid]));
    };
    for (const engine::store::Row& r : channels.rows)
        ++count[key(r)];
    std::erase_if(channels.rows, [&](const engine::store::Row& r) { return count[key(r)] > 1; });
}

class UndoRedo : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (runShell("command -v mdb-export").status != 0)
            GTEST_SKIP() << "mdbtools are not installed";
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("velmora-undo-" + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_file = m_dir / "WinSTB.mdb";
        auto content = demo::generateDemoDatabase({.channels = 300, .seed = 23});
        ASSERT_TRUE(content.isOk());
        dropMultiFrequencyChannels(content->tables[0]);
        engine::io::Env& env = engine::io::Env::real();
        ASSERT_TRUE(engine::jet::createDatabase(env, m_file.string()).isOk());
        auto db = engine::jet::openStoreDatabase(m_file.string(), env);
        ASSERT_TRUE(db.isOk());
        ASSERT_TRUE(demo::addDemoTables(**db, *content).isOk());
        ASSERT_TRUE((*db)->commit().isOk());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    static void expectChecks(const fs::path& file) {
        const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
        if (!fs::exists(tool))
            return;
        const ShellOutcome check = runShell(shellQuoted(tool) + " check " + shellQuoted(file));
        EXPECT_EQ(check.status, 0) << check.out;
    }

    fs::path m_dir;
    fs::path m_file;
};

TEST_P(UndoRedo, GiveBackTheFileBeforeAndAfterTheCommand) {
    const std::vector<char> bytesBefore = fileBytes(m_file);
    const FileRows rowsBefore = fileRows(m_file.string());
    std::vector<char> bytesAfter;
    FileRows rowsAfter;
    {
        HeadlessProgram program(m_file.string(), engine::io::Env::real(), {});
        ASSERT_EQ(program.prepare(GetParam()), 0);
        ASSERT_EQ(program.run(), 0);
        bytesAfter = fileBytes(m_file);
        rowsAfter = fileRows(m_file.string());
        ASSERT_NE(rowsAfter, rowsBefore) << "the command changed nothing";
        for (int round = 0; round < 2; ++round) {
            program.pressKey('Z', kCtrl);
            EXPECT_EQ(fileRows(m_file.string()), rowsBefore) << "undo " << round;
            EXPECT_TRUE(fileBytes(m_file) == bytesBefore) << "undo " << round;
            expectChecks(m_file);
            program.pressKey('Y', kCtrl);
            EXPECT_EQ(fileRows(m_file.string()), rowsAfter) << "redo " << round;
            EXPECT_TRUE(fileBytes(m_file) == bytesAfter) << "redo " << round;
        }
        program.pressKey('Y', kCtrl);
        EXPECT_EQ(program.messages().back(), "There is no command to redo.");
    }
    // The steps stay beside the file for the next run.
    HeadlessProgram later(m_file.string(), engine::io::Env::real(), {});
    ASSERT_EQ(later.prepare("renumber"), 0);
    later.pressKey('Z', kCtrl);
    EXPECT_TRUE(fileBytes(m_file) == bytesBefore);
    EXPECT_EQ(fileRows(m_file.string()), rowsBefore);
}

INSTANTIATE_TEST_SUITE_P(Families, UndoRedo,
                         ::testing::Values("save", "renumber", "delete-selection", "delete-empty",
                                           "paste", "rename-group"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

TEST_F(UndoRedo, IsRefusedWhenAnotherProgramChangedTheFileSince) {
    {
        HeadlessProgram program(m_file.string(), engine::io::Env::real(), {});
        ASSERT_EQ(program.prepare("delete-empty"), 0);
        ASSERT_EQ(program.run(), 0);
    }
    const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
    if (!fs::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
    const ShellOutcome other = runShell(shellQuoted(tool) + " sql " + shellQuoted(m_file) +
                                        " \"UPDATE CHANNELS SET NAME = 'Elsewhere' WHERE "
                                        "CHANNELNUM = 1\"");
    ASSERT_EQ(other.status, 0) << other.out;
    const std::vector<char> changed = fileBytes(m_file);

    HeadlessProgram later(m_file.string(), engine::io::Env::real(), {});
    ASSERT_EQ(later.prepare("renumber"), 0);
    later.pressKey('Z', kCtrl);
    ASSERT_FALSE(later.messages().empty());
    EXPECT_EQ(later.messages().back(),
              "The database was changed by another program since: the "
              "command cannot be undone or redone.");
    EXPECT_TRUE(fileBytes(m_file) == changed);
}

// A step torn by a power cut keeps its size but not its bytes: it no longer adds up to the
// digests its index gives, and undo refuses it instead of writing it into the file.
TEST_F(UndoRedo, IsRefusedWhenItsStepIsTorn) {
    {
        HeadlessProgram program(m_file.string(), engine::io::Env::real(), {});
        ASSERT_EQ(program.prepare("delete-empty"), 0);
        ASSERT_EQ(program.run(), 0);
    }
    const fs::path step = m_file.string() + ".undo.1";
    ASSERT_TRUE(fs::exists(step));
    {
        // A sector inside the page images reads back other bytes than were written.
        const auto at = static_cast<std::streamoff>(fs::file_size(step) / 2);
        std::fstream torn(step, std::ios::binary | std::ios::in | std::ios::out);
        std::vector<char> sector(512);
        torn.seekg(at);
        torn.read(sector.data(), static_cast<std::streamsize>(sector.size()));
        for (char& c : sector)
            c = static_cast<char>(~c);
        torn.seekp(at);
        torn.write(sector.data(), static_cast<std::streamsize>(sector.size()));
    }
    const std::vector<char> before = fileBytes(m_file);

    HeadlessProgram later(m_file.string(), engine::io::Env::real(), {});
    ASSERT_EQ(later.prepare("renumber"), 0);
    later.pressKey('Z', kCtrl);
    ASSERT_FALSE(later.messages().empty());
    EXPECT_NE(later.messages().back().find("is damaged"), std::string::npos)
        << later.messages().back();
    EXPECT_TRUE(fileBytes(m_file) == before);
    expectChecks(m_file);
}

// The digest by pageHash of a file holding `bytes`, as histories of the first layout kept it.
uint64_t firstLayoutDigest(const fs::path& scratch, const std::vector<char>& bytes) {
    std::ofstream(scratch, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    auto file = engine::io::Env::real().open(scratch.string(), engine::io::OpenMode::ReadOnly);
    EXPECT_TRUE(file.isOk());
    auto digest = engine::io::fileDigest(**file, 4096, engine::io::pageHash);  // Jet 4 pages
    EXPECT_TRUE(digest.isOk());
    return *digest;
}

// A history of the first layout ("velmora-undo 1", digests by pageHash) of one done and one
// undone step is taken over while the file is in its done state, and undo and redo then carry
// the file through all three states; once another program changed the file it is dropped with
// its step files.
TEST_F(UndoRedo, FirstLayoutHistoryIsTakenOverWhileItDescribesTheFile) {
    const fs::path tool = fs::path(velmora::test::binDir()) / "velmora-db";
    if (!fs::exists(tool))
        GTEST_SKIP() << "velmora-db is not built in " << velmora::test::binDir();
    for (const bool changedOutside : {false, true}) {
        SCOPED_TRACE(changedOutside ? "changed outside" : "unchanged");
        const fs::path dir = m_dir / (changedOutside ? "changed" : "unchanged");
        fs::create_directories(dir);
        const fs::path file = dir / "WinSTB.mdb";
        fs::copy_file(m_file, file);
        std::vector<std::vector<char>> states = {fileBytes(file)};
        for (const char* command : {"renumber", "delete-empty"}) {
            HeadlessProgram program(file.string(), engine::io::Env::real(), {});
            ASSERT_EQ(program.prepare(command), 0);
            ASSERT_EQ(program.run(), 0);
            states.push_back(fileBytes(file));
            if (states.size() == 3)
                program.pressKey('Z', kCtrl);
        }
        ASSERT_TRUE(fileBytes(file) == states[1]);

        // The index as the first layout wrote it: the same steps, digests by pageHash.
        const fs::path index = file.string() + ".undo";
        const std::vector<char> written = fileBytes(index);
        std::istringstream current(std::string(written.begin(), written.end()));
        std::string line;
        std::getline(current, line);
        ASSERT_EQ(line, "velmora-undo 2");
        std::getline(current, line);
        ASSERT_EQ(line, "done 1");
        std::ostringstream first;
        first << "velmora-undo 1\ndone 1\n";
        for (size_t step = 0; step < 2; ++step) {
            std::string word;
            uint64_t number, bytes, digestBefore, digestAfter, sizeBefore, sizeAfter;
            ASSERT_TRUE(current >> word >> number >> bytes >> digestBefore >> digestAfter >>
                        sizeBefore >> sizeAfter);
            first << "step " << number << ' ' << bytes << ' '
                  << firstLayoutDigest(dir / "scratch", states[step]) << ' '
                  << firstLayoutDigest(dir / "scratch", states[step + 1]) << ' ' << sizeBefore
                  << ' ' << sizeAfter << "\n";
        }
        std::ofstream(index, std::ios::binary | std::ios::trunc) << first.str();

        if (changedOutside) {
            const ShellOutcome other = runShell(shellQuoted(tool) + " sql " + shellQuoted(file) +
                                                " \"UPDATE CHANNELS SET NAME = 'Elsewhere' WHERE "
                                                "CHANNELNUM = 1\"");
            ASSERT_EQ(other.status, 0) << other.out;
        }
        const std::vector<char> started = fileBytes(file);
        HeadlessProgram later(file.string(), engine::io::Env::real(), {});
        ASSERT_EQ(later.prepare("renumber"), 0);
        // The history follows the file from the first undo or commit on.
        later.pressKey('Z', kCtrl);
        if (changedOutside) {
            EXPECT_FALSE(fs::exists(index));
            EXPECT_FALSE(fs::exists(file.string() + ".undo.1"));
            EXPECT_FALSE(fs::exists(file.string() + ".undo.2"));
            ASSERT_FALSE(later.messages().empty());
            EXPECT_EQ(later.messages().back(), "There is no command to undo.");
            EXPECT_TRUE(fileBytes(file) == started);
            continue;
        }
        EXPECT_TRUE(fileBytes(file) == states[0]) << "undo";
        std::ifstream takenOver(index);
        ASSERT_TRUE(std::getline(takenOver, line));
        EXPECT_EQ(line, "velmora-undo 2");
        later.pressKey('Y', kCtrl);
        EXPECT_TRUE(fileBytes(file) == states[1]) << "redo of the done step";
        later.pressKey('Y', kCtrl);
        EXPECT_TRUE(fileBytes(file) == states[2]) << "redo of the undone step";
        expectChecks(file);
    }
}

}  // namespace
}  // namespace velmora::test
