#include "core/editing/row_finder.h"

#include <cctype>
#include <vector>

#include "core/db/sql_literal.h"
#include "core/grid/grid_model.h"
#include "engine/dao/database.h"
#include "engine/dao/field.h"
#include "engine/dao/table_defs.h"

namespace velmora::core::editing {

namespace {

namespace tc = engine::dao::type_code;
using engine::dao::FieldDef;

// Every name bracketed: a plain word may still be a keyword (a field called Select or Order).
std::optional<std::string> sqlName(std::string_view name) {
    return db::quoteName(name);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

const FieldDef* findField(const std::vector<FieldDef>& fields, std::string_view name) {
    for (const FieldDef& f : fields) {
        if (equalsNoCase(f.name, name))
            return &f;
    }
    return nullptr;
}

enum class Literal { Formed, LeftOut, Impossible };

// The literal of `text` for a field of DAO type `type`.
Literal literalFor(int type, const std::string& text, std::string& out) {
    switch (type) {
        case tc::kText:
        case tc::kMemo:
            out = db::quoteText(text);
            return Literal::Formed;
        case tc::kBoolean:
            if (text != "True" && text != "False")
                return Literal::Impossible;
            out = text;
            return Literal::Formed;
        case tc::kDate:
            if (text.find('#') != std::string::npos)
                return Literal::Impossible;
            out = "#" + text + "#";
            return Literal::Formed;
        case tc::kBinary:
        case tc::kLongBinary:
        case tc::kGuid:
            return Literal::LeftOut;
        default: {
            auto number = db::bareNumber(text);
            if (!number)
                return Literal::Impossible;
            out = *number;
            return Literal::Formed;
        }
    }
}

}  // namespace

std::optional<std::string> rowFindingStatement(engine::dao::Database& db, std::string_view table,
                                               const grid::GridModel& grid, int row) {
    const auto tableName = sqlName(table);
    if (!tableName)
        return std::nullopt;
    const std::vector<FieldDef> fields = db.tableDefs().item(table).fields();
    std::string select = "SELECT ";
    std::string conditions;
    const int last = grid.cols() - 1;
    for (int col = 1; col <= last; ++col) {
        const std::string header(grid.textMatrix(0, col));
        const FieldDef* field = findField(fields, header);
        const auto name = sqlName(header);
        if (field == nullptr || !name)
            return std::nullopt;
        select += *name;
        if (col < last)
            select += " ,";
        const std::string value(grid.textMatrix(row, col));
        if (value.empty())
            continue;
        std::string literal;
        switch (literalFor(field->type, value, literal)) {
            case Literal::Impossible:
                return std::nullopt;
            case Literal::LeftOut:
                continue;
            case Literal::Formed:
                break;
        }
        if (!conditions.empty())
            conditions += " AND ";
        conditions += *name + " = " + literal;
    }
    if (conditions.empty())
        return std::nullopt;
    return select + " FROM " + *tableName + " WHERE " + conditions;
}

}  // namespace velmora::core::editing
