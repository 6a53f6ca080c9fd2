// The table definitions of the demo channel database: the receiver program's three tables
// CHANNELS, FAVOURITE and FAVNAME, with the columns the editor names and a few it never
// names, and a table of further receiver settings for the explorer. Column types and sizes
// follow what a Jet 4 file made by Access would hold (Text with Unicode compression, fixed
// numbers packed in column order, Access 2000 index flags).
#pragma once

#include <string>
#include <vector>

#include "engine/store/schema.h"

namespace velmora::demo {

inline constexpr char kChannelsTable[] = "CHANNELS";
inline constexpr char kFavouriteTable[] = "FAVOURITE";
inline constexpr char kFavnameTable[] = "FAVNAME";
inline constexpr char kSettingsTable[] = "SETTINGS";

// The name of the channel table's key over SOURCEID, SID, NID, FREQUENCY.
inline constexpr char kPrimaryKeyName[] = "PrimaryKey";

// Column positions of CHANNELS rows (schema order).
namespace channels_col {
inline constexpr size_t kChannelNum = 0;    // Integer: the programme number
inline constexpr size_t kName = 1;          // Text(50)
inline constexpr size_t kSourceId = 2;      // Text(20)
inline constexpr size_t kProviderId = 3;    // Text(50)
inline constexpr size_t kFrequency = 4;     // Long: MHz
inline constexpr size_t kSymbolRate = 5;    // Long: kSymbol/s, never named by the editor
inline constexpr size_t kPolarisation = 6;  // Text(1): H, V, L, R, Null off satellite
inline constexpr size_t kSid = 7;           // Long: service id
inline constexpr size_t kNid = 8;           // Long: network id
inline constexpr size_t kVideoId = 9;       // Integer: video PID, 0 for radio
inline constexpr size_t kAudioId = 10;      // Integer: audio PID, never named
inline constexpr size_t kPmtId = 11;        // Integer: PMT PID, never named
inline constexpr size_t kEcm = 12;          // Long: CA system id, 0 when free
inline constexpr size_t kCount = 13;
}  // namespace channels_col

namespace favourite_col {
inline constexpr size_t kFavName = 0;  // Text(50)
inline constexpr size_t kNum = 1;      // Long: position in the group
inline constexpr size_t kSourceId = 2;
inline constexpr size_t kSid = 3;
inline constexpr size_t kNid = 4;
inline constexpr size_t kCount = 5;
}  // namespace favourite_col

namespace favname_col {
inline constexpr size_t kFavName = 0;  // Text(50), unique
inline constexpr size_t kFavNum = 1;   // Long
inline constexpr size_t kCount = 2;
}  // namespace favname_col

namespace settings_col {
inline constexpr size_t kSetting = 0;  // Text(50), primary key
inline constexpr size_t kValue = 1;    // Text(255)
inline constexpr size_t kChanged = 2;  // Date/Time
inline constexpr size_t kActive = 3;   // Yes/No
inline constexpr size_t kFactor = 4;   // Double
inline constexpr size_t kNote = 5;     // Memo
inline constexpr size_t kCount = 6;
}  // namespace settings_col

// `withPrimaryKey` = false leaves CHANNELS without its key, the state the key repair starts
// from.
engine::store::TableSchema channelsSchema(bool withPrimaryKey = true);
engine::store::TableSchema favouriteSchema();
engine::store::TableSchema favnameSchema();
engine::store::TableSchema settingsSchema();

// Builds a table definition column by column, laying the columns out as a Jet 4 writer
// does: numbers 0..n-1, fixed columns packed in order, variable columns in slots.
class SchemaBuilder {
public:
    enum class IndexKind { Plain, Unique, Primary };

    explicit SchemaBuilder(std::string tableName);

    // `textChars` is the size of a Text column in characters (1..255); other types ignore it.
    SchemaBuilder& column(std::string name, engine::store::ColumnType type, int textChars = 0);
    // An index over the named columns (all ascending), with its own real index.
    SchemaBuilder& index(std::string name, const std::vector<std::string>& columns, IndexKind kind);

    engine::store::TableSchema build() const { return m_schema; }

private:
    engine::store::TableSchema m_schema;
    uint16_t m_fixedEnd = 0;
};

}  // namespace velmora::demo
