// libFuzzer target for the SQL layer: any byte string is lexed and parsed; what parses is also
// run against a small in-memory database, so the binder and the executors see odd statements
// too. Nothing may crash, hang or leak, and every failure must carry a Jet error number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/sql/parser.h"
#include "engine/sql/session.h"
#include "engine/store/database.h"

namespace {

using namespace velmora::engine;

store::ColumnDef column(const char* name, store::ColumnType type, uint16_t number) {
    store::ColumnDef c;
    c.name = name;
    c.type = type;
    c.number = number;
    c.length = type == store::ColumnType::Text ? 40 : 4;
    return c;
}

// Two small tables, T (a key, a text, a number) and U (a text, a number), a few rows each.
void addTables(store::Database& db) {
    store::TableSchema t;
    t.name = "T";
    t.columns = {column("ID", store::ColumnType::Long, 0),
                 column("NAME", store::ColumnType::Text, 1),
                 column("N", store::ColumnType::Double, 2)};
    store::RealIndex key;
    key.columns = {{0, true}};
    key.flags = store::index_flag::kUnique | store::index_flag::kRequired;
    t.realIndexes.push_back(key);
    store::LogicalIndex li;
    li.name = "PrimaryKey";
    li.type = store::LogicalIndexType::PrimaryKey;
    t.logicalIndexes.push_back(li);
    store::TableSchema u;
    u.name = "U";
    u.columns = {column("NAME", store::ColumnType::Text, 0),
                 column("N", store::ColumnType::Long, 1)};
    auto tt = db.createTable(t);
    auto ut = db.createTable(u);
    for (int64_t i = 0; i < 4; ++i) {
        (*tt)->append({store::Value(i), store::Value(std::string(i % 2 ? "a" : "B")),
                       i == 3 ? store::Value(store::Null{}) : store::Value(double(i) / 2)});
        (*ut)->append({store::Value(std::string(i % 2 ? "A" : "c")), store::Value(i)});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = sql::parseStatement(text);
    if (!parsed.isOk()) {
        if (parsed.status().code() == 0)
            std::abort();
        return 0;
    }
    store::Database db(std::make_unique<store::MemoryStorage>());
    addTables(db);
    sql::Session session(db);
    const bool isSelect = std::holds_alternative<sql::SelectStatement>(*parsed) &&
                          std::get<sql::SelectStatement>(*parsed).into.empty();
    if (!isSelect) {
        (void)session.execute(text);
        return 0;
    }
    // A second run takes the kept statement and its kept binding to the tables: it must give
    // exactly what the first gave.
    auto first = session.query(text);
    auto again = session.query(text);
    if (first.isOk() != again.isOk())
        std::abort();
    if (!first.isOk()) {
        if (first.status().code() != again.status().code())
            std::abort();
        return 0;
    }
    if (first->columns.size() != again->columns.size() || first->rows.size() != again->rows.size())
        std::abort();
    for (size_t c = 0; c < first->columns.size(); ++c) {
        if (first->columns[c].name != again->columns[c].name ||
            first->columns[c].type != again->columns[c].type)
            std::abort();
    }
    auto a = first->rows.begin();
    for (const store::Row& row : again->rows) {
        if (!(row == *a))
            std::abort();
        ++a;
    }
    return 0;
}
