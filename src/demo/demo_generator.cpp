// Generating the demo content. Channels are made as identities (SOURCEID, SID, NID) first,
// each on a transponder of its source; a few identities get further rows on other
// frequencies; the rows are then put in scan order (source, frequency, SID) and numbered.
// Groups and assignments refer to identities, as the receiver program's favourites do.
#include "demo/demo_generator.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "demo/demo_names.h"
#include "demo/demo_random.h"
#include "demo/demo_schema.h"
#include "engine/base/error_codes.h"

namespace velmora::demo {

using engine::Result;
using engine::Status;
using engine::store::Null;
using engine::store::Row;
using engine::store::Value;

namespace {

// The code-page characters 134 and 135 (Windows-1252) as they read in UTF-8.
constexpr char kDagger[] = "\u2020";
constexpr char kDoubleDagger[] = "\u2021";

enum class SourceKind { Satellite, Cable, Terrestrial };

struct Source {
    const char* id;
    SourceKind kind;
    std::vector<int64_t> networks;  // NID values
    unsigned weight;                // share of the channels, per mille
};

const std::vector<Source>& sources() {
    static const std::vector<Source> list = {
        {"S19.2E", SourceKind::Satellite, {1, 133, 1079}, 400},
        {"S13.0E", SourceKind::Satellite, {318, 176, 113}, 250},
        {"S28.2E", SourceKind::Satellite, {2, 59}, 150},
        {"S23.5E", SourceKind::Satellite, {3, 235}, 100},
        {"C-KABEL", SourceKind::Cable, {61441}, 60},
        {"T-DVBT", SourceKind::Terrestrial, {8468}, 40},
    };
    return list;
}

// CA system ids of the encrypted channels.
const std::vector<int64_t> kCaSystems = {0x0500, 0x0D05, 0x1702, 0x0100, 0x0B00, 0x1830, 0x09C4};

struct Transponder {
    int64_t frequency = 0;   // MHz
    int64_t symbolRate = 0;  // kSymbol/s
    Value polarisation;      // Null off satellite
};

struct Identity {
    size_t source = 0;
    int64_t nid = 0;
    int64_t sid = 0;
    size_t transponder = 0;  // in its source's list
    bool radio = false;
    bool encrypted = false;
    bool empty = false;  // named "(empty)"
    std::string name;
    Value provider;
    int64_t videoPid = 0, audioPid = 0, pmtPid = 0, ecm = 0;
    int extraFrequencies = 0;  // 0, 1 or 2 further rows
};

struct ChannelRow {
    size_t identity;
    size_t transponder;
};

Transponder newTransponder(DemoRandom& random, SourceKind kind) {
    Transponder t;
    switch (kind) {
        case SourceKind::Satellite: {
            t.frequency = random.between(10714, 12722);
            static const std::vector<int64_t> rates = {22000, 27500, 27500, 29700, 30000};
            t.symbolRate = random.pick(rates);
            static const std::vector<std::string> pol = {"H", "V", "H", "V", "L", "R"};
            t.polarisation = random.pick(pol);
            break;
        }
        case SourceKind::Cable:
            t.frequency = 114 + 8 * random.between(0, 93);
            t.symbolRate = 6900;
            t.polarisation = Null{};
            break;
        case SourceKind::Terrestrial:
            t.frequency = 474 + 8 * random.between(0, 39);
            t.symbolRate = 0;
            t.polarisation = Null{};
            break;
    }
    return t;
}

size_t pickSource(DemoRandom& random) {
    unsigned roll = static_cast<unsigned>(random.below(1000));
    for (size_t i = 0; i < sources().size(); ++i) {
        if (roll < sources()[i].weight)
            return i;
        roll -= sources()[i].weight;
    }
    return 0;
}

// Indices 0..n-1 in a random order.
std::vector<size_t> shuffledIndices(DemoRandom& random, size_t n) {
    std::vector<size_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = i;
    random.shuffle(v);
    return v;
}

class Generator {
public:
    explicit Generator(const DemoOptions& options)
        : m_options(options), m_random(options.seed ^ 0x5645'4C4D'4F52'4121ull) {}

    DemoDatabase run() {
        const int n = m_options.channels;
        m_few = std::clamp(n / 300, 2, 12);
        // Rows beyond one per identity: channels on two and on three frequencies.
        const int doubles = n >= 10 ? std::max(1, m_few) : 0;
        const int triples = n >= 10 ? std::max(1, m_few / 2) : 0;
        const size_t identityCount = static_cast<size_t>(n - doubles - 2 * triples);

        makeIdentities(identityCount);
        chooseKinds();
        chooseMarkers(doubles, triples);
        nameAndTune();

        DemoDatabase db;
        db.tables.push_back(channelsTable());
        makeGroups();
        db.tables.push_back(favouriteTable());
        db.tables.push_back(favnameTable());
        db.tables.push_back(settingsTable());
        return db;
    }

private:
    void makeIdentities(size_t count) {
        m_identities.resize(count);
        m_transponders.assign(sources().size(), {});
        // Every source gets a channel when there are enough; the rest follow the weights.
        std::map<std::pair<size_t, int64_t>, std::vector<size_t>> byNetwork;
        for (size_t i = 0; i < count; ++i) {
            Identity& id = m_identities[i];
            id.source = i < sources().size() ? i : pickSource(m_random);
            id.nid = m_random.pick(sources()[id.source].networks);
            byNetwork[{id.source, id.nid}].push_back(i);
        }
        // Service ids rise through each network with gaps, as a scan finds them; the gaps
        // shrink for crowded networks so that every SID stays within 16 bits.
        for (auto& [key, members] : byNetwork) {
            const int64_t step =
                std::clamp<int64_t>(50000 / static_cast<int64_t>(members.size()), 1, 40);
            int64_t sid = m_random.between(1, 3000);
            for (size_t i : members) {
                m_identities[i].sid = sid;
                sid += m_random.between(1, step);
            }
            m_lastSid[key] = sid;
        }
        // Transponders of 4 to 14 channels, one network each.
        for (auto& [key, members] : byNetwork) {
            const SourceKind kind = sources()[key.first].kind;
            size_t left = 0;
            size_t current = 0;
            for (size_t i : members) {
                if (left == 0) {
                    current = m_transponders[key.first].size();
                    m_transponders[key.first].push_back(newTransponder(m_random, kind));
                    left = static_cast<size_t>(m_random.between(4, 14));
                }
                m_identities[i].transponder = current;
                --left;
            }
        }
    }

    // Exactly a quarter radio; a third encrypted, taken from TV first (radio is mostly free).
    void chooseKinds() {
        const size_t count = m_identities.size();
        const std::vector<size_t> order = shuffledIndices(m_random, count);
        const size_t radio = (count + 2) / 4;
        for (size_t k = 0; k < radio; ++k)
            m_identities[order[k]].radio = true;
        size_t encrypted = (count + 1) / 3;
        for (size_t k = radio; k < count && encrypted > 0; ++k, --encrypted)
            m_identities[order[k]].encrypted = true;
        for (size_t k = 0; k < radio && encrypted > 0; ++k, --encrypted)
            m_identities[order[k]].encrypted = true;
    }

    // Which identities are "(empty)", carry † ‡ or a "+", or sit on several frequencies; no
    // identity gets two of these.
    void chooseMarkers(int doubles, int triples) {
        m_markerOrder = shuffledIndices(m_random, m_identities.size());
        size_t next = 0;
        auto take = [&](int wanted, std::vector<size_t>& into) {
            for (int k = 0; k < wanted && next < m_markerOrder.size(); ++k)
                into.push_back(m_markerOrder[next++]);
        };
        // Small lists keep most of their channels ordinary.
        const int n = m_options.channels;
        const int markers = n >= 20 ? m_few : (n >= 10 ? 1 : 0);
        take(doubles, m_doubles);
        take(triples, m_triples);
        take(markers, m_empties);
        take(markers, m_daggered);
        take(markers, m_plussed);
        take(n >= 20 ? 1 : 0, m_nearEmpty);
        take(n >= 20 ? 1 : 0, m_leadingBlanks);
        for (size_t i : m_doubles)
            m_identities[i].extraFrequencies = 1;
        for (size_t i : m_triples)
            m_identities[i].extraFrequencies = 2;
        for (size_t i : m_empties)
            m_identities[i].empty = true;
    }

    void nameAndTune() {
        // A few providers per network, and the odd channel that names none.
        std::map<std::pair<size_t, int64_t>, std::vector<std::string>> providers;
        for (const Identity& id : m_identities) {
            auto& list = providers[{id.source, id.nid}];
            if (list.empty()) {
                const int64_t k = m_random.between(2, 6);
                for (int64_t j = 0; j < k; ++j)
                    list.push_back(providerName(m_random));
            }
        }
        size_t fixedNext = 0;
        for (Identity& id : m_identities) {
            if (id.radio) {
                id.name = radioChannelName(m_random);
            } else if (fixedNext < fixedTvNames().size() && !id.empty) {
                id.name = fixedTvNames()[fixedNext++];
            } else {
                id.name = tvChannelName(m_random);
            }
            id.provider = m_random.chance(15)
                              ? Value(Null{})
                              : Value(m_random.pick(providers[{id.source, id.nid}]));
            id.videoPid = id.radio ? 0 : m_random.between(33, 8000);
            id.audioPid = id.radio ? m_random.between(33, 8000) : id.videoPid + 1;
            id.pmtPid = m_random.between(32, 8190);
            id.ecm = id.encrypted ? m_random.pick(kCaSystems) : 0;
        }
        for (size_t i : m_empties)
            m_identities[i].name = "(empty)";
        for (size_t k = 0; k < m_daggered.size(); ++k) {
            Identity& id = m_identities[m_daggered[k]];
            id.name = std::string(kDagger) + id.name + kDoubleDagger + (k == 0 ? " " : "");
        }
        for (size_t i : m_plussed)
            m_identities[i].name += "+";
        for (size_t i : m_nearEmpty)
            m_identities[i].name = "(empty) ";
        for (size_t i : m_leadingBlanks)
            m_identities[i].name = "  " + m_identities[i].name;
    }

    // A further frequency of the identity's source other than `avoid` ones.
    size_t otherTransponder(const Identity& id, const std::vector<int64_t>& avoid) {
        std::vector<Transponder>& list = m_transponders[id.source];
        auto usable = [&](size_t t) {
            return std::find(avoid.begin(), avoid.end(), list[t].frequency) == avoid.end();
        };
        for (int attempt = 0; attempt < 20; ++attempt) {
            const size_t t = m_random.below(list.size());
            if (usable(t))
                return t;
        }
        // A source with too few transponders: the channel moved to a new one.
        Transponder t;
        do {
            t = newTransponder(m_random, sources()[id.source].kind);
        } while (std::find(avoid.begin(), avoid.end(), t.frequency) != avoid.end());
        list.push_back(t);
        return list.size() - 1;
    }

    DemoTable channelsTable() {
        std::vector<ChannelRow> rows;
        rows.reserve(static_cast<size_t>(m_options.channels));
        for (size_t i = 0; i < m_identities.size(); ++i) {
            const Identity& id = m_identities[i];
            rows.push_back({i, id.transponder});
            std::vector<int64_t> used = {m_transponders[id.source][id.transponder].frequency};
            for (int e = 0; e < id.extraFrequencies; ++e) {
                const size_t t = otherTransponder(id, used);
                used.push_back(m_transponders[id.source][t].frequency);
                rows.push_back({i, t});
            }
        }
        // Scan order: source by source, up the band, services in SID order.
        auto key = [&](const ChannelRow& r) {
            const Identity& id = m_identities[r.identity];
            return std::make_tuple(id.source, m_transponders[id.source][r.transponder].frequency,
                                   id.sid, id.nid);
        };
        std::stable_sort(rows.begin(), rows.end(),
                         [&](const ChannelRow& a, const ChannelRow& b) { return key(a) < key(b); });

        // Numbers 1..N in nearly the stored order: the user has moved a few channels.
        std::vector<int64_t> numbers(rows.size());
        for (size_t i = 0; i < numbers.size(); ++i)
            numbers[i] = static_cast<int64_t>(i + 1);
        for (size_t k = 0; k < numbers.size() / 25; ++k) {
            const size_t a = m_random.below(numbers.size());
            const size_t b = std::min(numbers.size() - 1, a + m_random.below(30));
            std::swap(numbers[a], numbers[b]);
        }

        DemoTable table{channelsSchema(m_options.channelsPrimaryKey), {}};
        table.rows.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            const Identity& id = m_identities[rows[i].identity];
            const Transponder& t = m_transponders[id.source][rows[i].transponder];
            Row row(channels_col::kCount);
            row[channels_col::kChannelNum] = numbers[i];
            row[channels_col::kName] = id.name;
            row[channels_col::kSourceId] = std::string(sources()[id.source].id);
            row[channels_col::kProviderId] = id.provider;
            row[channels_col::kFrequency] = t.frequency;
            row[channels_col::kSymbolRate] = t.symbolRate;
            row[channels_col::kPolarisation] = t.polarisation;
            row[channels_col::kSid] = id.sid;
            row[channels_col::kNid] = id.nid;
            row[channels_col::kVideoId] = id.videoPid;
            row[channels_col::kAudioId] = id.audioPid;
            row[channels_col::kPmtId] = id.pmtPid;
            row[channels_col::kEcm] = id.ecm;
            table.rows.push_back(std::move(row));
        }
        return table;
    }

    struct Assignment {
        std::string source;
        int64_t sid, nid;
    };

    void makeGroups() {
        std::vector<std::string> names = groupNames();
        m_random.shuffle(names);
        names.resize(static_cast<size_t>(m_random.between(8, 15)));
        // The second group carries a trailing blank in its stored name; the last one stays
        // empty.
        names[1] += " ";
        m_groupNames = names;
        m_groups.assign(names.size(), {});
        const size_t filled = names.size() - 1;

        std::vector<size_t> assignable;
        for (size_t i = 0; i < m_identities.size(); ++i) {
            if (!m_identities[i].empty)
                assignable.push_back(i);
        }
        std::vector<std::set<size_t>> members(filled);
        const int64_t base = std::clamp(m_options.channels / 40, 3, 300);
        for (size_t g = 0; g < filled && !assignable.empty(); ++g) {
            const std::string& name = names[g];
            std::vector<size_t> candidates;
            for (size_t i : assignable) {
                const Identity& id = m_identities[i];
                if ((name == "Radio" && !id.radio) || (name == "Bezahlsender" && !id.encrypted))
                    continue;
                candidates.push_back(i);
            }
            if (candidates.empty())
                candidates = assignable;
            m_random.shuffle(candidates);
            const size_t size = std::min(
                candidates.size(), static_cast<size_t>(base * m_random.between(50, 150) / 100));
            for (size_t k = 0; k < std::max<size_t>(size, 1); ++k)
                addMember(g, candidates[k], members);
        }
        // Channels on several frequencies are assigned, and a few channels sit in two or
        // three groups whatever the draw gave.
        for (size_t i : m_doubles)
            addMember(0, i, members);
        for (size_t i : m_triples)
            addMember(filled > 1 ? 1 : 0, i, members);
        for (size_t k = 0; k < static_cast<size_t>(m_few) && k < assignable.size(); ++k) {
            const size_t i = assignable[m_random.below(assignable.size())];
            addMember(k % filled, i, members);
            addMember((k + 1) % filled, i, members);
            if (k % 2 == 0)
                addMember((k + 2) % filled, i, members);
        }
        // Assignments of channels deleted since: identities no CHANNELS row has. Their SIDs
        // lie past the last one of a network, so they cannot meet a live channel.
        const int dangling = std::max(1, m_few / 2);
        std::vector<std::pair<size_t, int64_t>> networks;
        for (const auto& [key, sid] : m_lastSid)
            networks.push_back(key);
        for (int k = 0; k < dangling && !networks.empty(); ++k) {
            const auto key = networks[m_random.below(networks.size())];
            int64_t& last = m_lastSid[key];
            last += m_random.between(1, 20);
            const size_t g = m_random.below(filled);
            m_groups[g].push_back({sources()[key.first].id, last, key.second});
        }
    }

    void addMember(size_t group, size_t identity, std::vector<std::set<size_t>>& members) {
        if (!members[group].insert(identity).second)
            return;
        const Identity& id = m_identities[identity];
        m_groups[group].push_back({sources()[id.source].id, id.sid, id.nid});
    }

    DemoTable favouriteTable() {
        DemoTable table{favouriteSchema(), {}};
        for (size_t g = 0; g < m_groups.size(); ++g) {
            int64_t position = 0;
            for (const Assignment& a : m_groups[g]) {
                Row row(favourite_col::kCount);
                row[favourite_col::kFavName] = m_groupNames[g];
                row[favourite_col::kNum] = ++position;
                row[favourite_col::kSourceId] = a.source;
                row[favourite_col::kSid] = a.sid;
                row[favourite_col::kNid] = a.nid;
                table.rows.push_back(std::move(row));
            }
        }
        return table;
    }

    DemoTable favnameTable() {
        DemoTable table{favnameSchema(), {}};
        for (size_t g = 0; g < m_groupNames.size(); ++g) {
            Row row(favname_col::kCount);
            row[favname_col::kFavName] = m_groupNames[g];
            row[favname_col::kFavNum] = static_cast<int64_t>(g + 1);
            table.rows.push_back(std::move(row));
        }
        return table;
    }

    DemoTable settingsTable() {
        // Days since 1899-12-30 of 2026-01-01; settings were changed during the year before.
        constexpr double kNewYear2026 = 46023;
        auto changed = [&]() -> Value {
            const int64_t seconds = m_random.between(0, 365 * 86400 - 1);
            return engine::store::DateTime{kNewYear2026 - 365 +
                                           static_cast<double>(seconds) / 86400};
        };
        std::string longNote;
        while (longNote.size() < 3000) {
            longNote +=
                "Nach jedem Sendersuchlauf prüfen: Größe der Liste, Übersicht der "
                "Favoriten, Straßenempfang. After every scan check the list size.\r\n";
        }
        struct Entry {
            const char* name;
            const char* value;
            bool active;
            double factor;
            Value note;
        };
        const std::vector<Entry> entries = {
            {"Tuner", "DVB-S2 PCI", true, 1.0, std::string("Erster Empfänger")},
            {"LNB1LowOsc", "9750", true, 9.75, Null{}},
            {"LNB1HighOsc", "10600", true, 10.6, Null{}},
            {"LNB1Switch", "11700", true, 11.7, Null{}},
            {"DiSEqC", "1.0", true, 1.0,
             std::string("Vier Positionen: 19.2E, 13.0E, 28.2E, 23.5E")},
            {"LastScan", "", false, 0.0, longNote},
            {"Volume", "80", true, 0.8, Null{}},
            {"AudioDelay", "-40", false, -0.04, std::string("Lippensynchron (ms)")},
            {"Teletext", "1", true, 1.0, Null{}},
            {"EPGDays", "7", true, 7.0, std::string("")},
            {"RecordPath", "D:\\Aufnahmen\\", true, 0.0, std::string("Überall genügend Platz?")},
            {"StartChannel", "1", true, 1.0, Null{}},
            {"AspectRatio", "16:9", false, 1.7777777777777777, Null{}},
            {"Sprache", "deu", true, 1.0, std::string("Tonspur: Deutsch, sonst Englisch")},
        };
        DemoTable table{settingsSchema(), {}};
        for (const Entry& e : entries) {
            Row row(settings_col::kCount);
            row[settings_col::kSetting] = std::string(e.name);
            row[settings_col::kValue] = std::string(e.value);
            row[settings_col::kChanged] = changed();
            row[settings_col::kActive] = e.active;
            row[settings_col::kFactor] = e.factor;
            row[settings_col::kNote] = e.note;
            table.rows.push_back(std::move(row));
        }
        return table;
    }

    DemoOptions m_options;
    DemoRandom m_random;
    int m_few = 2;
    std::vector<Identity> m_identities;
    std::vector<std::vector<Transponder>> m_transponders;     // per source
    std::map<std::pair<size_t, int64_t>, int64_t> m_lastSid;  // past the last SID, per network
    std::vector<size_t> m_markerOrder;
    std::vector<size_t> m_doubles, m_triples, m_empties, m_daggered, m_plussed, m_nearEmpty,
        m_leadingBlanks;
    std::vector<std::string> m_groupNames;
    std::vector<std::vector<Assignment>> m_groups;
};

}  // namespace

const DemoTable* DemoDatabase::find(const std::string& name) const {
    for (const DemoTable& t : tables) {
        if (t.schema.name == name)
            return &t;
    }
    return nullptr;
}

Result<DemoDatabase> generateDemoDatabase(const DemoOptions& options) {
    if (options.channels < 1 || options.channels > kMaxDemoChannels) {
        return Status::error(engine::err::kInvalidArgument,
                             "the demo database holds 1 to " + std::to_string(kMaxDemoChannels) +
                                 " channels, not " + std::to_string(options.channels));
    }
    return Generator(options).run();
}

}  // namespace velmora::demo
