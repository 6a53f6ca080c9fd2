// Table definitions of the demo database, and the column layout they share.
#include "demo/demo_schema.h"

#include <algorithm>
#include <cassert>

namespace velmora::demo {

using engine::store::ColumnDef;
using engine::store::ColumnType;
using engine::store::IndexColumn;
using engine::store::LogicalIndex;
using engine::store::LogicalIndexType;
using engine::store::RealIndex;
using engine::store::TableSchema;
namespace column_flag = engine::store::column_flag;
namespace index_flag = engine::store::index_flag;

namespace {

// Stored size in bytes of a fixed column; 0 for the variable ones.
uint16_t fixedSize(ColumnType type) {
    return engine::store::fixedWidth(type);
}

bool isVariable(ColumnType type) {
    return type == ColumnType::Text || type == ColumnType::Memo || type == ColumnType::Ole ||
           type == ColumnType::Binary;
}

}  // namespace

SchemaBuilder::SchemaBuilder(std::string tableName) {
    m_schema.name = std::move(tableName);
}

SchemaBuilder& SchemaBuilder::column(std::string name, ColumnType type, int textChars) {
    ColumnDef c;
    c.name = std::move(name);
    c.type = type;
    c.number = static_cast<uint16_t>(m_schema.columns.size());
    c.secondNumber = c.number;
    c.flags = column_flag::kUpdatable;
    if (isVariable(type)) {
        c.variableSlot = m_schema.variableColumns++;
        if (type == ColumnType::Text) {
            c.length = static_cast<uint16_t>(2 * std::clamp(textChars, 1, 255));
            c.extendedFlags = 0x01;  // compressed Unicode, as Access makes text columns
        } else if (type == ColumnType::Binary) {
            c.length = 255;
        }
    } else {
        c.flags |= column_flag::kFixed;
        c.length = type == ColumnType::Boolean ? 1 : fixedSize(type);
        if (type != ColumnType::Boolean) {
            c.fixedOffset = m_fixedEnd;
            m_fixedEnd = static_cast<uint16_t>(m_fixedEnd + c.length);
        }
    }
    m_schema.columns.push_back(std::move(c));
    m_schema.maxColumns = static_cast<uint16_t>(m_schema.columns.size());
    return *this;
}

SchemaBuilder& SchemaBuilder::index(std::string name, const std::vector<std::string>& columns,
                                    IndexKind kind) {
    RealIndex real;
    for (const std::string& column : columns) {
        const auto pos = m_schema.findColumn(column);
        assert(pos && "index over a column the table does not have");
        real.columns.push_back(IndexColumn{m_schema.columns[*pos].number, true});
    }
    real.flags = index_flag::kAccess2000;
    if (kind != IndexKind::Plain)
        real.flags |= index_flag::kUnique;
    if (kind == IndexKind::Primary)
        real.flags |= index_flag::kRequired;

    LogicalIndex logical;
    logical.name = std::move(name);
    logical.number = static_cast<uint32_t>(m_schema.logicalIndexes.size());
    logical.realIndex = static_cast<uint32_t>(m_schema.realIndexes.size());
    logical.type =
        kind == IndexKind::Primary ? LogicalIndexType::PrimaryKey : LogicalIndexType::Plain;
    m_schema.realIndexes.push_back(std::move(real));
    m_schema.logicalIndexes.push_back(std::move(logical));
    return *this;
}

TableSchema channelsSchema(bool withPrimaryKey) {
    SchemaBuilder b(kChannelsTable);
    b.column("CHANNELNUM", ColumnType::Integer)
        .column("NAME", ColumnType::Text, 50)
        .column("SOURCEID", ColumnType::Text, 20)
        .column("PROVIDERID", ColumnType::Text, 50)
        .column("FREQUENCY", ColumnType::Long)
        .column("SYMBOLRATE", ColumnType::Long)
        .column("POLARISATION", ColumnType::Text, 1)
        .column("SID", ColumnType::Long)
        .column("NID", ColumnType::Long)
        .column("VIDEOID", ColumnType::Integer)
        .column("AUDIOID", ColumnType::Integer)
        .column("PMTID", ColumnType::Integer)
        .column("ECM", ColumnType::Long);
    if (withPrimaryKey) {
        b.index(kPrimaryKeyName, {"SOURCEID", "SID", "NID", "FREQUENCY"},
                SchemaBuilder::IndexKind::Primary);
    }
    return b.build();
}

TableSchema favouriteSchema() {
    return SchemaBuilder(kFavouriteTable)
        .column("FAVNAME", ColumnType::Text, 50)
        .column("NUM", ColumnType::Long)
        .column("SOURCEID", ColumnType::Text, 20)
        .column("SID", ColumnType::Long)
        .column("NID", ColumnType::Long)
        .index("Channel", {"SOURCEID", "SID", "NID"}, SchemaBuilder::IndexKind::Plain)
        .build();
}

TableSchema favnameSchema() {
    return SchemaBuilder(kFavnameTable)
        .column("FAVNAME", ColumnType::Text, 50)
        .column("FAVNUM", ColumnType::Long)
        .index("FAVNAME", {"FAVNAME"}, SchemaBuilder::IndexKind::Unique)
        .build();
}

TableSchema settingsSchema() {
    return SchemaBuilder(kSettingsTable)
        .column("SETTING", ColumnType::Text, 50)
        .column("SETTINGVALUE", ColumnType::Text, 255)
        .column("CHANGED", ColumnType::DateTime)
        .column("ACTIVE", ColumnType::Boolean)
        .column("FACTOR", ColumnType::Double)
        .column("NOTE", ColumnType::Memo)
        .index(kPrimaryKeyName, {"SETTING"}, SchemaBuilder::IndexKind::Primary)
        .build();
}

}  // namespace velmora::demo
