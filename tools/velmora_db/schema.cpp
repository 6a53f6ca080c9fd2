// velmora-db schema FILE [TABLE]: for each user table (or the one named) its columns in
// column-number order and its indexes.
//
//   TABLE Table1
//     COLUMN ID Long 4 flags=0x07 fixed,autonumber
//     INDEX PrimaryKey (ID ASC) primary unique required
#include <sstream>

#include "command.h"
#include "engine/jet/table_definition.h"

namespace velmora::tools {
namespace {

using engine::store::ColumnDef;
using engine::store::ColumnType;

const char* typeName(ColumnType t) {
    switch (t) {
        case ColumnType::Boolean:
            return "Boolean";
        case ColumnType::Byte:
            return "Byte";
        case ColumnType::Integer:
            return "Integer";
        case ColumnType::Long:
            return "Long";
        case ColumnType::Currency:
            return "Currency";
        case ColumnType::Single:
            return "Single";
        case ColumnType::Double:
            return "Double";
        case ColumnType::DateTime:
            return "DateTime";
        case ColumnType::Binary:
            return "Binary";
        case ColumnType::Text:
            return "Text";
        case ColumnType::Ole:
            return "OLE";
        case ColumnType::Memo:
            return "Memo";
        case ColumnType::Guid:
            return "GUID";
        case ColumnType::Numeric:
            return "Decimal";
        case ColumnType::Unknown0D:
            return "Unknown0D";
        case ColumnType::Unknown11:
            return "Unknown11";
    }
    return "Unknown";
}

std::string columnLine(const ColumnDef& c, bool jet4) {
    std::ostringstream s;
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", c.flags);
    s << "  COLUMN " << c.name << " " << typeName(c.type) << " ";
    if (c.type == ColumnType::Text)
        s << c.maxChars(jet4);
    else if (c.type == ColumnType::Numeric)
        s << int(c.precision) << "," << int(c.scale);
    else
        s << c.length;
    s << " flags=" << hex;
    std::string names;
    auto add = [&](const char* n) { names += (names.empty() ? " " : ",") + std::string(n); };
    if (c.isFixed())
        add("fixed");
    if (c.isAutoNumber())
        add("autonumber");
    if (c.type == ColumnType::Memo && (c.flags & engine::store::column_flag::kHyperlink))
        add("hyperlink");
    if (jet4 && (c.extendedFlags & 0x01))
        add("compressed");
    s << names;
    return s.str();
}

}  // namespace

engine::Status runSchema(const Args& args, std::ostream& out) {
    if (args.empty() || args.size() > 2)
        return usageError("usage: velmora-db schema FILE [TABLE]");
    VELMORA_ASSIGN_OR_RETURN(auto db, openJetFile(args[0]));
    std::vector<std::string> names;
    if (args.size() == 2) {
        names.push_back(args[1]);
    } else {
        for (const auto& t : db->listTables()) {
            if (!t.system)
                names.push_back(t.name);
        }
    }
    bool jet4 = db->format().isJet4();
    for (const auto& name : names) {
        VELMORA_ASSIGN_OR_RETURN(auto def, db->tableDefinition(name));
        const auto& s = def.schema;
        out << "TABLE " << s.name << "\n";
        for (size_t i : engine::jet::columnsInNumberOrder(s))
            out << columnLine(s.columns[i], jet4) << "\n";
        for (const auto& li : s.logicalIndexes) {
            const auto& ri = s.realIndexes[li.realIndex];
            out << "  INDEX " << li.name << " (";
            for (size_t k = 0; k < ri.columns.size(); ++k) {
                const auto& ic = ri.columns[k];
                std::string colName = "#" + std::to_string(ic.columnNumber);
                for (const auto& c : s.columns) {
                    if (c.number == ic.columnNumber)
                        colName = c.name;
                }
                out << (k ? ", " : "") << colName << (ic.ascending ? " ASC" : " DESC");
            }
            out << ")";
            if (li.isPrimary())
                out << " primary";
            if (li.isForeign())
                out << " foreign";
            if (ri.isUnique())
                out << " unique";
            if (ri.ignoresNulls())
                out << " ignore-nulls";
            if (ri.isRequired())
                out << " required";
            out << "\n";
        }
    }
    return engine::Status::ok();
}

}  // namespace velmora::tools
