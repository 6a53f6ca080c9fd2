#include "engine/dao/database.h"

#include <cctype>

#include "engine/base/error_text.h"
#include "engine/dao/database_core.h"
#include "engine/dao/recordset_impl.h"

namespace velmora::engine::dao {

namespace {

// Whether the source of OpenRecordset is SQL text rather than a table name.
bool looksLikeSql(std::string_view source) {
    size_t i = 0;
    while (i < source.size() &&
           (std::isspace(static_cast<unsigned char>(source[i])) || source[i] == '('))
        ++i;
    std::string word;
    while (i < source.size() && std::isalpha(static_cast<unsigned char>(source[i])))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(source[i++])));
    return word == "SELECT" || word == "DELETE" || word == "UPDATE" || word == "INSERT" ||
           word == "TRANSFORM" || word == "PARAMETERS";
}

}  // namespace

Database::Database(std::unique_ptr<store::TableStorage> storage, std::string path)
    : m_core(std::make_shared<DatabaseCore>()), m_path(std::move(path)) {
    m_core->db = std::make_unique<store::Database>(std::move(storage));
    m_core->session = std::make_unique<sql::Session>(*m_core->db);
}

Database::~Database() = default;

Recordset Database::openRecordset(std::string_view source, RecordsetType type, int /*options*/,
                                  LockType /*locking*/) {
    m_core->checkOpen();
    if (looksLikeSql(source)) {
        if (type == RecordsetType::Table)
            throw DaoError(jetError(err::kInvalidArgument));
        return recordsetOver(m_core, type == RecordsetType::Default ? RecordsetType::Dynaset : type,
                             valueOrThrow(m_core->session->query(source)),
                             RecordsetSource{nullptr, std::string(source)});
    }
    std::string name(source);
    // A bracketed table name is the same name.
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    return recordsetOver(m_core, type == RecordsetType::Default ? RecordsetType::Table : type,
                         valueOrThrow(m_core->session->tableRows(name)));
}

QueryDef Database::createQueryDef(std::string_view sql) {
    m_core->checkOpen();
    return QueryDef(m_core, valueOrThrow(sql::PreparedStatement::parse(sql)));
}

void Database::execute(std::string_view sql) {
    m_core->checkOpen();
    throwIfError(m_core->session->execute(sql));
}

int Database::tryExecute(std::string_view sql) {
    return guarded([&] { execute(sql); });
}

TableDefs Database::tableDefs() {
    m_core->checkOpen();
    return TableDefs(m_core);
}

bool Database::isReadOnly() const {
    m_core->checkOpen();
    return m_core->db->isReadOnly();
}

std::string Database::readOnlyReason() const {
    m_core->checkOpen();
    return m_core->db->readOnlyReason();
}

void Database::commit() {
    m_core->checkOpen();
    throwIfError(m_core->db->commit());
}

int Database::tryCommit() {
    return guarded([&] { commit(); });
}

bool Database::hasPendingChanges() const {
    m_core->checkOpen();
    return m_core->db->hasPendingChanges();
}

void Database::rollback() {
    m_core->checkOpen();
    m_core->session->rollback();
}

void Database::close() {
    if (!m_core->isOpen())
        return;
    // Changes made before Close are the program's; they reach the file as DAO would have
    // written them, so Close commits before it releases the file. A failed commit keeps the
    // database open, so nothing is lost silently.
    if (!m_core->db->isReadOnly())
        throwIfError(m_core->db->commit());
    m_core->session.reset();
    m_core->db.reset();
}

bool Database::isOpen() const {
    return m_core->isOpen();
}

store::Database& Database::store() {
    m_core->checkOpen();
    return *m_core->db;
}

}  // namespace velmora::engine::dao
