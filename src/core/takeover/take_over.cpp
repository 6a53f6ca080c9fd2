#include "core/takeover/take_over.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "core/db/dynaset.h"
#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"
#include "engine/dao/workspace.h"
#include "engine/io/file.h"
#include "engine/jet/jet_database.h"
#include "engine/store/collation.h"

namespace velmora::core::takeover {

namespace {

using engine::dao::DaoError;
using engine::dao::Database;
using engine::dao::Recordset;
using engine::dao::RecordsetType;
using engine::store::Value;

// CHANNELNUM is a 16-bit number in the receiver.
constexpr int kMaxChannelNumber = 32767;

constexpr char kChannelsSql[] =
    "SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS";
// A row without a number sorts after every number.
constexpr int64_t kNoNumber = std::numeric_limits<int64_t>::max();
constexpr char kFavouriteSql[] = "SELECT FAVNAME, NUM, SOURCEID, SID, NID FROM FAVOURITE";
constexpr char kFavnameSql[] = "SELECT * FROM FAVNAME";

// A field as one part of a key: its text, and Null apart from every text.
std::string keyPart(Recordset& rs, int field) {
    return rs.field(field).isNull() ? std::string("\x01") : rs.field(field).text() + '\x02';
}

// The identity of the current record whose SOURCEID, SID and NID are fields `first` to
// `first` + 2.
std::string identityAt(Recordset& rs, int first) {
    return keyPart(rs, first) + keyPart(rs, first + 1) + keyPart(rs, first + 2);
}

std::optional<int64_t> numberAt(Recordset& rs, int field) {
    const Value v = rs.field(field).value();
    if (const auto* n = std::get_if<int64_t>(&v))
        return *n;
    if (const auto* d = std::get_if<double>(&v))
        return int64_t(*d);
    if (const auto* f = std::get_if<float>(&v))
        return int64_t(*f);
    return std::nullopt;
}

struct OtherChannel {
    int64_t number = kNoNumber;  // the lowest of its rows
    std::string name;            // the name of that row
    bool seen = false;
};

// Group names compare as the engine's unique index on FAVNAME does: without regard to
// letter case.
std::string groupKey(std::string_view name) {
    return engine::store::sortKey(name);
}

}  // namespace

TakeOverPlan planTakeOver(Database& current, Database& other, const TakeOverOptions& options) {
    TakeOverPlan plan;

    // The other file: each identity's lowest number and that row's name, and each row's
    // number and name by identity and frequency.
    std::unordered_map<std::string, OtherChannel> old;
    std::unordered_map<std::string, OtherChannel> oldRows;
    {
        Recordset rs = other.openRecordset(kChannelsSql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            const std::string identity = identityAt(rs, 2);
            const int64_t number = numberAt(rs, 0).value_or(kNoNumber);
            for (OtherChannel* c : {&old[identity], &oldRows[identity + keyPart(rs, 5)]}) {
                if (!c->seen || number < c->number) {
                    c->seen = true;
                    c->number = number;
                    c->name = rs.field(1).text();
                }
            }
        }
    }

    // The open file's rows, in stored order, each with the place it takes: the matched ones
    // at the number of the same row in the other file (same identity and frequency), or of
    // their identity there; the others after them by their number now. Ties as stored.
    struct Placed {
        bool matched = false;
        int64_t key = 0;
        int exact = 0;  // 0: the same row in the other file; 1: only the same identity
        int64_t number = 0;
        size_t stored = 0;
        const OtherChannel* from = nullptr;
    };
    std::vector<Placed> places;
    std::unordered_set<std::string> identities;
    {
        Recordset rs = current.openRecordset(kChannelsSql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            const std::string identity = identityAt(rs, 2);
            Placed p;
            p.number = numberAt(rs, 0).value_or(kNoNumber);
            p.stored = places.size();
            if (const auto row = oldRows.find(identity + keyPart(rs, 5)); row != oldRows.end()) {
                p = {true, row->second.number, 0, p.number, p.stored, &row->second};
            } else if (const auto c = old.find(identity); c != old.end()) {
                p = {true, c->second.number, 1, p.number, p.stored, &c->second};
            } else {
                p.key = p.number;
            }
            if (identities.insert(identity).second)
                ++(p.matched ? plan.counts.matched : plan.counts.added);
            if (p.matched)
                plan.replacedIdentities.push_back(identity);
            plan.channels.push_back({identity, 0, std::nullopt});
            places.push_back(p);
        }
    }
    if (places.size() > size_t(kMaxChannelNumber)) {
        throw DaoError(engine::err::kInvalidArgument,
                       "Channel numbers go up to " + std::to_string(kMaxChannelNumber) + ": " +
                           std::to_string(places.size()) + " channels cannot be numbered");
    }
    for (const auto& [identity, channel] : old) {
        if (identities.count(identity) == 0)
            ++plan.counts.gone;
    }

    std::vector<Placed> order = places;
    std::sort(order.begin(), order.end(), [](const Placed& x, const Placed& y) {
        return std::tuple(!x.matched, x.key, x.exact, x.number, x.stored) <
               std::tuple(!y.matched, y.key, y.exact, y.number, y.stored);
    });
    int next = 1;
    for (const Placed& p : order) {
        TakeOverPlan::ChannelRow& c = plan.channels[p.stored];
        c.number = next++;
        if (p.matched && options.takeNames)
            c.name = p.from->name;
    }
    std::sort(plan.replacedIdentities.begin(), plan.replacedIdentities.end());
    plan.replacedIdentities.erase(
        std::unique(plan.replacedIdentities.begin(), plan.replacedIdentities.end()),
        plan.replacedIdentities.end());

    // The other file's assignments of the matched channels, in its stored order.
    const std::unordered_set<std::string> replaced(plan.replacedIdentities.begin(),
                                                   plan.replacedIdentities.end());
    {
        Recordset rs = other.openRecordset(kFavouriteSql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            if (replaced.count(identityAt(rs, 2)) == 0)
                continue;
            plan.assignments.push_back({rs.field(0).value(), rs.field(1).value(),
                                        rs.field(2).value(), rs.field(3).value(),
                                        rs.field(4).value()});
        }
    }

    // Groups: the other file's that the open file lacks. An assignment to a group its own file
    // does not list comes over as it is, without a group the user never had.
    std::set<std::string> known;
    {
        Recordset rs = current.openRecordset(kFavnameSql, RecordsetType::Snapshot);
        for (; !rs.eof(); rs.moveNext()) {
            if (!rs.field(0).isNull())
                known.insert(groupKey(rs.field(0).text()));
        }
    }
    {
        Recordset rs = other.openRecordset(kFavnameSql, RecordsetType::Snapshot);
        const bool hasSecond = rs.fields().count() > 1;
        for (; !rs.eof(); rs.moveNext()) {
            if (rs.field(0).isNull() || !known.insert(groupKey(rs.field(0).text())).second)
                continue;
            plan.groups.push_back({rs.field(0).text(), hasSecond ? rs.field(1).value() : Value()});
        }
    }
    plan.counts.groupsCreated = int(plan.groups.size());
    return plan;
}

void applyTakeOver(Database& current, const TakeOverPlan& plan) {
    {
        Recordset rs = db::openDynaset(current, kChannelsSql);
        size_t at = 0;
        for (; !rs.eof(); rs.moveNext(), ++at) {
            if (at >= plan.channels.size() || identityAt(rs, 2) != plan.channels[at].identity)
                break;
            const TakeOverPlan::ChannelRow& c = plan.channels[at];
            rs.edit();
            rs.field(0).setNumber(c.number);
            if (c.name)
                rs.field(1).setValue(*c.name);
            rs.update();
        }
        if (at != plan.channels.size() || !rs.eof()) {
            throw DaoError(engine::err::kInvalidOperation,
                           "The channel table changed since the take-over was planned; nothing "
                           "was taken over.");
        }
    }
    {
        // Groups before the assignments that name them.
        Recordset rs = db::openDynaset(current, kFavnameSql);
        const bool hasSecond = rs.fields().count() > 1;
        for (const TakeOverPlan::Group& g : plan.groups) {
            rs.addNew();
            rs.field(0).setValue(g.name);
            if (hasSecond && !engine::store::isNull(g.second))
                rs.field(1).setStoreValue(g.second);
            rs.update();
        }
    }
    {
        const std::unordered_set<std::string> replaced(plan.replacedIdentities.begin(),
                                                       plan.replacedIdentities.end());
        Recordset rs = db::openDynaset(current, kFavouriteSql);
        for (; !rs.eof(); rs.moveNext()) {
            if (replaced.count(identityAt(rs, 2)) != 0)
                rs.deleteCurrent();
        }
        for (const TakeOverPlan::Assignment& a : plan.assignments) {
            rs.addNew();
            rs.field(0).setStoreValue(a.group);
            rs.field(1).setStoreValue(a.position);
            rs.field(2).setStoreValue(a.source);
            rs.field(3).setStoreValue(a.sid);
            rs.field(4).setStoreValue(a.nid);
            rs.update();
        }
    }
}

std::unique_ptr<Database> openForReading(const std::string& path) {
    engine::dao::Workspace workspace = engine::dao::Workspace::createWorkspace();
    workspace.setStorageOpener([](const std::string& file)
                                   -> engine::Result<std::unique_ptr<engine::store::TableStorage>> {
        engine::jet::OpenOptions options;
        options.readOnly = true;
        VELMORA_ASSIGN_OR_RETURN(
            auto storage, engine::jet::JetDatabase::open(file, engine::io::Env::real(), options));
        return std::unique_ptr<engine::store::TableStorage>(std::move(storage));
    });
    return workspace.openDatabase(path);
}

}  // namespace velmora::core::takeover
