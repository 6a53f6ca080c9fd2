// velmora-db export FILE TABLE: the table as CSV (see csv_format.h), columns in column-number
// order, rows in stored order.
#include "command.h"
#include "csv_format.h"
#include "engine/jet/table_definition.h"

namespace velmora::tools {

engine::Status runExport(const Args& args, std::ostream& out) {
    if (args.size() != 2)
        return usageError("usage: velmora-db export FILE TABLE");
    VELMORA_ASSIGN_OR_RETURN(auto db, openJetFile(args[0]));
    VELMORA_ASSIGN_OR_RETURN(auto table, db->loadTable(args[1]));
    const auto& schema = table->schema();
    auto order = engine::jet::columnsInNumberOrder(schema);
    std::vector<std::string> fields;
    for (size_t i : order)
        fields.push_back(csvHeaderField(schema.columns[i].name));
    writeCsvLine(out, fields);
    table->forEachLive([&](engine::store::RowId, const engine::store::Row& row) {
        fields.clear();
        for (size_t i : order)
            fields.push_back(formatCsvValue(row[i]));
        writeCsvLine(out, fields);
    });
    return engine::Status::ok();
}

}  // namespace velmora::tools
