// Damaged files: truncated copies and copies with bytes overwritten on every page must give a
// clear error (3049 or another Jet number) naming where the damage was noticed, or decode, but
// never crash or hang. Runs in memory over copies of real fixtures.
#include <gtest/gtest.h>

#include <random>

#include "engine/base/coding.h"
#include "engine/io/memory_env.h"
#include "engine/jet/jet_storage.h"
#include "reader_fixtures.h"

namespace velmora::engine::jet {
namespace {

using testing::readFixture;

// Opens the bytes and reads every table; returns the first failure (or ok).
Status readEverything(const std::vector<uint8_t>& bytes) {
    io::MemoryEnv env;
    env.contents("/db.mdb") = bytes;
    auto db = openDatabase("/db.mdb", env);
    if (!db)
        return db.status();
    for (const auto& t : (*db)->listTables()) {
        auto def = (*db)->tableDefinition(t.name);
        if (!def)
            return def.status();
        auto rows = (*db)->tableRows(t.name);
        if (!rows)
            return rows.status();
        for (const auto& ri : def->schema.realIndexes) {
            auto e = (*db)->indexLeafEntries(ri);
            if (!e)
                return e.status();
        }
    }
    return Status::ok();
}

class ReaderDamage : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveFixtures())
            GTEST_SKIP() << "the shared fixtures are absent: " << testing::fixtureDir();
    }
};

TEST_F(ReaderDamage, TruncatedFilesFailCleanly) {
    for (const char* name : {"testV1997.mdb", "test2V2000.mdb"}) {
        auto bytes = readFixture(name);
        ASSERT_FALSE(bytes.empty());
        size_t failures = 0;
        for (size_t cut = 0; cut < bytes.size(); cut += 1024) {
            std::vector<uint8_t> part(bytes.begin(), bytes.begin() + long(cut));
            Status s = readEverything(part);
            if (!s.isOk()) {
                ++failures;
                EXPECT_NE(s.code(), 0);
                EXPECT_FALSE(s.message().empty());
            }
        }
        EXPECT_GT(failures, 0u) << name;  // cutting before the catalog can never succeed
        EXPECT_TRUE(readEverything(bytes).isOk()) << name;
    }
}

TEST_F(ReaderDamage, CatalogCutOffNamesThePage) {
    auto bytes = readFixture("empty.mdb");
    bytes.resize(4096 * 2);  // header and global map only
    Status s = readEverything(bytes);
    ASSERT_FALSE(s.isOk());
    EXPECT_EQ(s.code(), 3049);
}

TEST_F(ReaderDamage, TableDefinitionChainThatLoopsIsReported) {
    auto bytes = readFixture("testV1997.mdb");
    // MSysObjects' definition on page 2 pointing at itself as its continuation.
    putU32(MutableBytes(bytes).subspan(2048 * 2), 4, 2);
    Status s = readEverything(bytes);
    ASSERT_FALSE(s.isOk());
    EXPECT_NE(s.message().find("page 2"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("loops"), std::string::npos) << s.message();
}

TEST_F(ReaderDamage, OverwrittenBytesNeverCrash) {
    std::mt19937 rng(20261208);
    for (const char* name :
         {"testV1997.mdb", "compIndexTestV2000.mdb", "test2V1997.mdb", "overflowTestV2000.mdb"}) {
        auto original = readFixture(name);
        ASSERT_FALSE(original.empty());
        const size_t pageSize = original[0x14] == 0 ? 2048 : 4096;
        const size_t pages = original.size() / pageSize;
        for (int round = 0; round < 40; ++round) {
            auto bytes = original;
            // A few random bytes on every page but the header.
            for (size_t p = 1; p < pages; ++p) {
                for (int k = 0; k < 3; ++k)
                    bytes[p * pageSize + rng() % pageSize] = uint8_t(rng());
            }
            Status s = readEverything(bytes);
            if (!s.isOk()) {
                EXPECT_FALSE(s.message().empty());
            }
        }
    }
}

}  // namespace
}  // namespace velmora::engine::jet
