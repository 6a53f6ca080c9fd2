#include "engine/dao/query_def.h"

#include "engine/dao/database_core.h"
#include "engine/dao/recordset_impl.h"
#include "engine/sql/prepared_statement.h"

namespace velmora::engine::dao {

QueryDef::QueryDef(std::shared_ptr<DatabaseCore> core,
                   std::unique_ptr<sql::PreparedStatement> statement)
    : m_core(std::move(core)), m_statement(std::move(statement)) {}
QueryDef::QueryDef(QueryDef&&) noexcept = default;
QueryDef& QueryDef::operator=(QueryDef&&) noexcept = default;
QueryDef::~QueryDef() = default;

int QueryDef::parameterCount() const {
    return static_cast<int>(m_statement->parameters().size());
}

void QueryDef::setParameter(std::string_view name, const store::Value& value) {
    const int at = m_statement->find(name);
    if (at < 0)
        throw DaoError(jetError(err::kItemNotFound));
    throwIfError(m_statement->set(static_cast<size_t>(at), value));
}

Recordset QueryDef::openRecordset(RecordsetType type, int /*options*/, LockType /*locking*/) {
    m_core->checkOpen();
    if (type == RecordsetType::Table)
        throw DaoError(jetError(err::kInvalidArgument));
    return recordsetOver(m_core, type == RecordsetType::Default ? RecordsetType::Dynaset : type,
                         valueOrThrow(m_core->session->query(*m_statement)),
                         RecordsetSource{m_statement, {}});
}

void QueryDef::execute() {
    m_core->checkOpen();
    throwIfError(m_core->session->execute(*m_statement));
}

}  // namespace velmora::engine::dao
