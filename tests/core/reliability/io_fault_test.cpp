// I/O faults while the program runs: a full disk (injected, and a real small file system where
// the machine lets a test mount one), the file made read-only, its folder moved away. Each
// gives one message with the error number, the file and the reason; the file keeps every byte;
// the grid shows the file again; and once the cause is gone the same command works.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "engine/io/journal.h"
#include "faulty_channel_file.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using ports::MessageAnswer;

std::vector<char> diskBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A session on a real channel file at `path` (written there first), its first write and
// backup done, so what follows are the writes a test means.
void startOnRealFile(AppSession& s, const fs::path& path) {
    writeChannelFile(path);
    s.setClock(fixedTime);
    startOn(s, path.string());
    writeEveryChannelAgain(s);
    ASSERT_TRUE(fs::exists(core::app::backupPath(path.string(), fixedTime())));
}

// Deletes ORF1's Kids row while the fault holds: one message, starting with the number,
// naming the file and the reason, ending with the grid's reload; the grid and the file as
// before (`bytes` reads the file once the fault is gone). Then the same delete goes through.
void expectFaultThenRecovery(AppSession& s, const std::string& file,
                             const std::vector<char>& before,
                             const std::function<std::vector<char>()>& bytes, int number,
                             const std::string& reason, const std::function<void()>& removeFault) {
    const int rows = s.dataRows();
    s.ports().expectMessage(MessageAnswer::Ok);
    deleteRow(s, gridRow(s, "ORF1", "Kids"));
    ASSERT_EQ(s.ports().messages().size(), 1u);
    const std::string message = s.ports().messages()[0].text;
    EXPECT_EQ(message.rfind("Error " + std::to_string(number) + "\r\n", 0), 0u) << message;
    EXPECT_NE(message.find(file), std::string::npos) << message;
    EXPECT_NE(message.find(reason), std::string::npos) << message;
    EXPECT_NE(message.find(kReloaded), std::string::npos) << message;
    EXPECT_EQ(s.dataRows(), rows);
    EXPECT_GT(gridRow(s, "ORF1", "Kids"), 0);

    removeFault();
    EXPECT_EQ(bytes(), before);
    deleteRow(s, gridRow(s, "ORF1", "Kids"));
    EXPECT_EQ(gridRow(s, "ORF1", "Kids"), -1);
    EXPECT_EQ(s.ports().messages().size(), 1u);
    EXPECT_NE(bytes(), before);
    s.ports().verify();
}

void expectSoundWithoutKids(const std::string& file) {
    expectFileChecks(file);
    const auto favourite = exportedRows(file, "FAVOURITE");
    EXPECT_FALSE(hasRow(favourite, "\"Kids\",1,\"S19E\",100,1"));
    EXPECT_TRUE(hasRow(favourite, "\"News\",1,\"S19E\",100,1"));
}

TEST(IoFault, AFullDiskInjected) {
    AppSession s;
    FaultyChannelFile file(s);
    file.writeOnce();
    const auto bytes = [&] {
        const auto b = file.bytes();
        return std::vector<char>(b.begin(), b.end());
    };
    const std::vector<char> before = bytes();
    file.env.fillDisk();
    expectFaultThenRecovery(s, file.path, before, bytes, 3026, "No space left on device",
                            [&] { file.env.fillDisk(false); });
    VELMORA_REQUIRE_READERS();
    file.copyOut();
    expectSoundWithoutKids(file.path);
}

struct RealFault {
    const char* what;
    int number;
    const char* reason;
    std::function<void(const fs::path& file)> apply;
    std::function<void(const fs::path& file)> remove;
};

class IoFaultOnARealFile : public ::testing::TestWithParam<RealFault> {};

TEST_P(IoFaultOnARealFile, OneMessageNothingWrittenUsableAfterwards) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    // The file sits in a folder of its own, so the folder can go without the session's.
    const fs::path folder = s.folder() / "receiver";
    fs::create_directories(folder);
    const fs::path path = folder / "WinSTB.mdb";
    startOnRealFile(s, path);
    const RealFault& fault = GetParam();
    const std::vector<char> before = diskBytes(path.string());
    fault.apply(path);
    expectFaultThenRecovery(
        s, path.string(), before, [&] { return diskBytes(path.string()); }, fault.number,
        fault.reason, [&] { fault.remove(path); });
    expectSoundWithoutKids(path.string());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IoFaultOnARealFile,
    ::testing::Values(
        RealFault{"TheFileIsMadeReadOnly", 3027, "was made read-only",
                  [](const fs::path& f) {
                      fs::permissions(
                          f,
                          fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                          fs::perm_options::remove);
                  },
                  [](const fs::path& f) {
                      fs::permissions(f, fs::perms::owner_write, fs::perm_options::add);
                  }},
        RealFault{"TheFolderIsMovedAway", 3024, "moved or removed",
                  [](const fs::path& f) {
                      fs::rename(f.parent_path(), f.parent_path().string() + "-trash");
                  },
                  [](const fs::path& f) {
                      fs::rename(f.parent_path().string() + "-trash", f.parent_path());
                  }}),
    [](const ::testing::TestParamInfo<RealFault>& info) { return info.param.what; });

// A real file system too small for the next write: a tmpfs mounted for the test.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const fs::path& at) : m_at(at) {
        fs::create_directories(at);
        const auto r = jet_testing::runCommand("mount -t tmpfs -o size=1m velmora-small " +
                                               jet_testing::shellQuote(at.string()) + " 2>&1");
        m_mounted = r.status == 0;
        m_why = r.out;
    }
    ~SmallFileSystem() {
        if (m_mounted)
            (void)jet_testing::runCommand("umount -l " + jet_testing::shellQuote(m_at.string()));
    }
    bool mounted() const { return m_mounted; }
    const std::string& why() const { return m_why; }

private:
    fs::path m_at;
    bool m_mounted = false;
    std::string m_why;
};

// Fills the file system until a write fails, in one file.
void fill(const fs::path& filler) {
    std::ofstream out(filler, std::ios::binary);
    const std::vector<char> block(4096, 'x');
    while (out.write(block.data(), std::streamsize(block.size())) && out.flush()) {
    }
}

TEST(IoFault, AFullRealFileSystem) {
    VELMORA_REQUIRE_READERS();
    AppSession s;
    const fs::path mountPoint = s.folder() / "small";
    SmallFileSystem small(mountPoint);
    if (!small.mounted())
        GTEST_SKIP() << "this machine does not let the test mount a small file system: "
                     << small.why();
    const fs::path path = mountPoint / "WinSTB.mdb";
    startOnRealFile(s, path);
    const fs::path filler = mountPoint / "filler";
    const std::vector<char> before = diskBytes(path.string());
    fill(filler);
    // The system's own words for a full disk, in the language the process runs in.
    expectFaultThenRecovery(
        s, path.string(), before, [&] { return diskBytes(path.string()); }, 3026,
        std::strerror(ENOSPC), [&] { fs::remove(filler); });
    // The retried delete's journal stays beside the file while the session has it open, and
    // plays nothing back.
    namespace io = engine::io;
    auto file = io::Env::real().open(path.string(), io::OpenMode::ReadOnly);
    ASSERT_TRUE(file.isOk()) << file.status().toString();
    const engine::Result<bool> interrupted = io::RollbackJournal::playsBack(
        io::Env::real(), io::RollbackJournal::pathFor(path.string()), **file);
    ASSERT_TRUE(interrupted.isOk()) << interrupted.status().toString();
    EXPECT_FALSE(*interrupted);
    expectSoundWithoutKids(path.string());
}

}  // namespace
}  // namespace velmora::test
