// velmora-db sql FILE STATEMENT...: runs each statement through the DAO-shaped interface, in
// order, and commits once at the end. A SELECT prints its rows as CSV in the export format
// (a header line of field names, then one line per row); an action statement prints "ok". The
// first failure stops the run before anything is committed.
#include "command.h"
#include "csv_format.h"
#include "engine/dao/workspace.h"

namespace velmora::tools {

namespace {

bool isPlainSelect(const std::string& sql) {
    std::string upper;
    for (char c : sql)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const size_t start = upper.find_first_not_of(" \t\r\n(");
    if (start == std::string::npos || upper.compare(start, 6, "SELECT") != 0)
        return false;
    // SELECT ... INTO makes a table: an action statement. A quoted " INTO " inside a literal
    // would be taken for one too; the executor then reports 3065 for the plain SELECT.
    return upper.find(" INTO ") == std::string::npos;
}

void printRows(engine::dao::Recordset& rs, std::ostream& out) {
    std::vector<std::string> fields;
    for (engine::dao::Field f : rs.fields())
        fields.push_back(csvHeaderField(f.name()));
    writeCsvLine(out, fields);
    for (; !rs.eof(); rs.moveNext()) {
        fields.clear();
        for (engine::dao::Field f : rs.fields())
            fields.push_back(formatCsvValue(f.value()));
        writeCsvLine(out, fields);
    }
}

}  // namespace

engine::Status runSql(const Args& args, std::ostream& out) {
    if (args.size() < 2)
        return usageError("usage: velmora-db sql FILE STATEMENT...");
    try {
        auto ws = engine::dao::Workspace::createWorkspace();
        auto db = ws.openDatabase(args[0]);
        for (size_t i = 1; i < args.size(); ++i) {
            if (isPlainSelect(args[i])) {
                auto rs = db->openRecordset(args[i], engine::dao::RecordsetType::Snapshot);
                printRows(rs, out);
            } else {
                db->execute(args[i]);
                out << "ok\n";
            }
        }
        db->commit();
        db->close();
    } catch (const engine::dao::DaoError& e) {
        // Nothing was committed; the file is as it was.
        return engine::Status::error(e.number(), e.text());
    }
    return engine::Status::ok();
}

}  // namespace velmora::tools
