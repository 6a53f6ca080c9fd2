// The demo channel database as tables and rows, generated deterministically from a channel
// count and a seed: the same options give the same rows, in the same order, every time.
//
// What the content holds, so that every command of the editor has something to work on:
//   - N rows in CHANNELS numbered 1..N (each number once, in an order that differs a little
//     from the stored order), over several satellite sources, a cable and a terrestrial one;
//   - German and English names with umlauts and ß;
//   - about a quarter radio (VIDEOID 0) and about a third encrypted (ECM not 0);
//   - a few names "(empty)", a few between the code-page characters † and ‡ (one of them
//     with a trailing blank), a few ending in "+", one "(empty) " with a trailing blank that
//     is an ordinary name;
//   - a few channels stored on two frequencies and a few on three (same SOURCEID, SID, NID);
//   - 8 to 15 favourite groups: one without assignments, one whose stored name ends in a
//     blank; channels in several groups, multi-frequency channels among the assigned ones;
//   - a few assignments whose channel is not in CHANNELS;
//   - a table of further receiver settings with dates, flags, doubles and memos (one long).
// Below about 20 channels the rarer kinds thin out; the rest holds for every N.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/status.h"
#include "engine/store/schema.h"
#include "engine/store/value.h"

namespace velmora::demo {

// CHANNELNUM is a 16-bit number, so this is the most channels a list can number.
inline constexpr int kMaxDemoChannels = 32767;
inline constexpr int kDefaultDemoChannels = 1500;

struct DemoOptions {
    int channels = kDefaultDemoChannels;  // 1..kMaxDemoChannels
    uint64_t seed = 1;
    bool channelsPrimaryKey = true;  // false: CHANNELS without its "PrimaryKey"
};

struct DemoTable {
    engine::store::TableSchema schema;
    std::vector<engine::store::Row> rows;  // values in schema.columns order
};

struct DemoDatabase {
    // CHANNELS, FAVOURITE, FAVNAME, SETTINGS, in the order they are created.
    std::vector<DemoTable> tables;

    // The table of this name (exact spelling), or null.
    const DemoTable* find(const std::string& name) const;
};

// 3001 when the channel count is out of range.
engine::Result<DemoDatabase> generateDemoDatabase(const DemoOptions& options);

}  // namespace velmora::demo
