// Taking a channel list over from another database: after a channel scan has renumbered the
// channels and scattered or dropped the favourite groups, the user's older file (a backup
// from before the scan) still holds them.
//
// A channel of the open database is matched by its identity (SOURCEID, SID, NID) with a
// channel of the other file; a channel stored on several frequencies is one identity, as the
// duplicates view counts it. For every matched channel:
//   - each of its rows takes the number of the same row in the other file (same identity and
//     frequency), or else the lowest number of the identity there; with the names option the
//     name of that row too;
//   - its favourite assignments are replaced by the other file's, positions included; the
//     groups of the other file that the open file lacks are created.
// Channels without a match keep their names and assignments and come after the matched
// ones, in their current order (by number, then as stored). Numbers then run 1, 2, 3, ...
// over the rows of CHANNELS, so a row keeps its old number unless rows numbered before it
// there are gone (their channels were dropped by the scan): then it moves up by as many.
//
// planTakeOver() reads both files and changes nothing; applyTakeOver() makes the changes in
// memory for the caller's one commit. Both are unguarded (throw DaoError).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/dao/database.h"
#include "engine/store/value.h"

namespace velmora::core::takeover {

struct TakeOverCounts {
    int matched = 0;        // identities of the open file found in the other one
    int added = 0;          // identities of the open file the other one lacks ("new")
    int gone = 0;           // identities of the other file the open one lacks
    int groupsCreated = 0;  // favourite groups the take-over adds to the open file
};

// What applyTakeOver() writes, worked out from both files.
struct TakeOverPlan {
    TakeOverCounts counts;

    // One row of the open file's CHANNELS, in stored order.
    struct ChannelRow {
        std::string identity;             // the row's identity, to check it is the same row
        int number = 0;                   // its new CHANNELNUM
        std::optional<std::string> name;  // its new NAME, when taken over
    };
    std::vector<ChannelRow> channels;

    struct Assignment {
        engine::store::Value group, position, source, sid, nid;
    };
    // The identities whose assignments are replaced, and the assignments they get.
    std::vector<std::string> replacedIdentities;
    std::vector<Assignment> assignments;

    struct Group {
        std::string name;
        engine::store::Value second;  // FAVNAME's second column, as the other file has it
    };
    std::vector<Group> groups;
};

struct TakeOverOptions {
    bool takeNames = false;
};

// Reads CHANNELS, FAVOURITE and FAVNAME of both databases. More than 32 767 rows in the open
// file's CHANNELS cannot be numbered: 3001 with a message saying so.
TakeOverPlan planTakeOver(engine::dao::Database& current, engine::dao::Database& other,
                          const TakeOverOptions& options = {});

// Writes the plan into `current`, uncommitted: the caller commits it as one step or rolls it
// back. A CHANNELS row that is no longer the planned one (the table changed since the plan)
// throws DaoError 3219 before the rest is written.
void applyTakeOver(engine::dao::Database& current, const TakeOverPlan& plan);

// Opens a database file for reading only, without locking it for writing (the other file).
std::unique_ptr<engine::dao::Database> openForReading(const std::string& path);

}  // namespace velmora::core::takeover
