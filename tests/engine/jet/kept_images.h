// The page images a commit observer is handed, copied out for a test to look at.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/jet/jet_database.h"

namespace velmora::engine::jet::testing {

// One page a commit wrote: its bytes before (empty past the file's old end) and after.
struct CommittedPage {
    uint32_t number = 0;
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
};

struct KeptImages {
    uint32_t pageSize = 0;
    uint64_t sizeBefore = 0;
    uint64_t sizeAfter = 0;
    std::vector<CommittedPage> pages;  // in page order
};

// From now on `kept` holds the images of the last commit of `db` that held; a commit rolled
// back leaves it as it was.
inline void keepCommitImages(JetDatabase& db, KeptImages& kept) {
    auto pending = std::make_shared<KeptImages>();
    db.setCommitObserver(
        {[pending](const CommitImages& images) {
             *pending = {images.pageSize, images.sizeBefore, images.sizeAfter, {}};
             const Status read =
                 images.forEachPage([&](uint32_t number, Bytes before, Bytes after) {
                     pending->pages.push_back(
                         {number, {before.begin(), before.end()}, {after.begin(), after.end()}});
                     return Status::ok();
                 });
             EXPECT_TRUE(read.isOk()) << read.toString();
             EXPECT_EQ(pending->pages.size(), images.pageCount);
         },
         [pending, &kept](bool committed) {
             if (committed)
                 kept = std::move(*pending);
         }});
}

}  // namespace velmora::engine::jet::testing
