#include "engine/dao/recordset.h"

#include <algorithm>

#include "engine/base/error_text.h"
#include "engine/dao/recordset_impl.h"
#include "engine/store/schema.h"

namespace velmora::engine::dao {

namespace {

[[noreturn]] void noCurrentRecord() {
    throw DaoError(jetError(err::kNoCurrentRecord));
}

}  // namespace

void Recordset::Impl::checkOpen() const {
    if (!open)
        throw DaoError(jetError(err::kObjectInvalid));
    core->checkOpen();
}

void Recordset::Impl::checkCurrent() const {
    checkOpen();
    if (position < 0 || position >= size())
        noCurrentRecord();
}

store::Table& Recordset::Impl::baseTable() const {
    store::Database& db = *core->db;
    if (table && tableGeneration == db.generation())
        return *table;
    table = nullptr;
    auto found = db.table(result.baseTable);
    if (!found.isOk())
        throw DaoError(found.status());
    table = *found;
    tableGeneration = db.generation();
    return *table;
}

const store::Row& Recordset::Impl::decodedCurrent() {
    if (deletedAt[position])
        throw DaoError(jetError(err::kRecordDeleted));
    if (decodedAt != position) {
        result.rows.rowInto(static_cast<size_t>(position), decodedRow);
        decodedAt = position;
    }
    return decodedRow;
}

const sql::ResultColumn& Recordset::Impl::column(int pos) const {
    checkOpen();
    if (pos < 0 || pos >= static_cast<int>(result.columns.size()))
        throw DaoError(jetError(err::kItemNotFound));
    return result.columns[pos];
}

void Recordset::Impl::moved() {
    // Moving drops a pending edit, as DAO does.
    endEdit();
    if (position >= 0 && position < size())
        visited = std::max(visited, static_cast<size_t>(position) + 1);
}

void Recordset::Impl::endEdit() {
    mode = EditMode::None;
    buffer.clear();
    assigned.columns.clear();
    assigned.values.clear();
    assigned.before.clear();
}

void Recordset::Impl::restart() {
    live = type != RecordsetType::Snapshot && !result.baseTable.empty();
    deletedAt.assign(result.rows.size(), false);
    position = 0;
    visited = 0;
    deleted = 0;
    decodedAt = -1;
    moved();
}

Recordset recordsetOver(std::shared_ptr<DatabaseCore> core, RecordsetType type,
                        sql::QueryResult result, RecordsetSource source) {
    auto impl = std::make_unique<Recordset::Impl>();
    impl->core = std::move(core);
    impl->type = type;
    impl->result = std::move(result);
    impl->source = std::move(source);
    return Recordset(std::move(impl));
}

Recordset::Recordset(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {
    m_impl->restart();
}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

RecordsetType Recordset::type() const {
    return m_impl->type;
}

bool Recordset::isUpdatable() const {
    return m_impl->live && !m_impl->core->db->isReadOnly();
}

bool Recordset::eof() const {
    m_impl->checkOpen();
    return m_impl->position >= m_impl->size();
}

bool Recordset::bof() const {
    m_impl->checkOpen();
    return m_impl->position < 0 || m_impl->size() == 0;
}

void Recordset::moveFirst() {
    m_impl->checkOpen();
    if (m_impl->size() == 0)
        noCurrentRecord();
    m_impl->position = 0;
    m_impl->moved();
}

void Recordset::moveNext() {
    m_impl->checkOpen();
    if (m_impl->position >= m_impl->size())
        noCurrentRecord();
    ++m_impl->position;
    m_impl->moved();
}

void Recordset::movePrevious() {
    m_impl->checkOpen();
    if (m_impl->position < 0 || m_impl->size() == 0)
        noCurrentRecord();
    --m_impl->position;
    m_impl->moved();
}

void Recordset::moveLast() {
    m_impl->checkOpen();
    if (m_impl->size() == 0)
        noCurrentRecord();
    m_impl->position = m_impl->size() - 1;
    m_impl->moved();
}

std::span<const store::Value> Recordset::currentValues() {
    Impl& d = *m_impl;
    d.checkOpen();
    const size_t n = d.result.columns.size();
    if (d.mode == EditMode::None && !d.live) {
        d.checkCurrent();
        const store::Row& row = d.decodedCurrent();
        if (row.size() >= n)
            return {row.data(), n};
    }
    // A live set reads the base table, an edit its buffer: each field as Field reads it.
    d.valuesRead.clear();
    for (int k = 0; k < static_cast<int>(n); ++k)
        d.valuesRead.push_back(Field(this, k).value());
    return d.valuesRead;
}

int Recordset::recordCount() const {
    m_impl->checkOpen();
    if (m_impl->type == RecordsetType::Table)
        return static_cast<int>(m_impl->baseTable().liveRowCount());
    const size_t seen = std::max(m_impl->visited, m_impl->deleted);
    return static_cast<int>(seen - m_impl->deleted);
}

void Recordset::edit() {
    m_impl->checkCurrent();
    if (!isUpdatable())
        throw DaoError(jetError(err::kReadOnlyDatabase));
    const store::Table& table = m_impl->baseTable();
    if (!table.isLive(m_impl->result.baseRows[m_impl->position]))
        throw DaoError(jetError(err::kRecordDeleted));
    m_impl->endEdit();
    m_impl->mode = EditMode::Edit;
}

void Recordset::addNew() {
    m_impl->checkOpen();
    if (!isUpdatable())
        throw DaoError(jetError(err::kReadOnlyDatabase));
    store::Table& table = m_impl->baseTable();
    m_impl->endEdit();
    m_impl->buffer.assign(table.schema().columns.size(), store::Null{});
    m_impl->mode = EditMode::AddNew;
}

void Recordset::update() {
    m_impl->checkOpen();
    Impl& d = *m_impl;
    if (d.mode == EditMode::None)
        throw DaoError(jetError(err::kUpdateWithoutEdit));
    store::Table& table = d.baseTable();
    if (d.mode == EditMode::Edit) {
        // Only the assigned values go to the table, as an UPDATE statement stores its
        // assignments: the row's other values stand as stored, and the set's computed
        // fields keep the values of its own row.
        throwIfError(
            d.core->session->updateValues(table, d.result.baseRows[d.position], d.assigned));
    } else {
        const store::RowId id = valueOrThrow(d.core->session->insertRow(table, d.buffer));
        const long oldSize = d.size();
        // The new record joins the set at its end; the cursor stays where it was.
        store::Row shown;
        for (const auto& c : d.result.columns)
            shown.push_back(c.baseColumn >= 0 ? table.value(id, static_cast<size_t>(c.baseColumn))
                                              : store::Null{});
        d.result.rows.push_back(shown);
        d.result.baseRows.push_back(id);
        d.deletedAt.push_back(false);
        if (d.position == oldSize)
            d.position = d.size();  // a cursor after the last record stays there
        if (d.type != RecordsetType::Table)
            ++d.visited;
    }
    d.endEdit();
}

void Recordset::cancelUpdate() {
    m_impl->checkOpen();
    m_impl->endEdit();
}

EditMode Recordset::editMode() const {
    return m_impl->mode;
}

void Recordset::deleteCurrent() {
    m_impl->checkCurrent();
    Impl& d = *m_impl;
    if (!isUpdatable())
        throw DaoError(jetError(err::kReadOnlyDatabase));
    if (d.deletedAt[d.position])
        throw DaoError(jetError(err::kRecordDeleted));
    throwIfError(d.core->session->deleteRow(d.baseTable(), d.result.baseRows[d.position]));
    d.deletedAt[d.position] = true;
    ++d.deleted;
    d.endEdit();
}

void Recordset::requery() {
    Impl& d = *m_impl;
    d.checkOpen();
    if (!d.source.statement && d.source.sql.empty())
        throw DaoError(jetError(err::kOperationNotSupported));
    sql::Session& session = *d.core->session;
    const Status st = d.source.statement ? session.queryAgain(*d.source.statement, d.result)
                                         : session.queryAgain(d.source.sql, d.result);
    if (!st.isOk()) {
        // The rows of a failed run are no answer: the set is empty until it runs again.
        d.result.rows.clear();
        d.result.baseRows.clear();
    }
    d.restart();
    throwIfError(st);
}

void Recordset::close() {
    m_impl->checkOpen();
    m_impl->open = false;
    m_impl->result = {};
    m_impl->decodedAt = -1;
}

bool Recordset::isOpen() const {
    return m_impl->open && m_impl->core->isOpen();
}

int Recordset::tryUpdate() {
    return guarded([&] { update(); });
}

int Recordset::tryDeleteCurrent() {
    return guarded([&] { deleteCurrent(); });
}

int Fields::count() const {
    m_owner->m_impl->checkOpen();
    return static_cast<int>(m_owner->m_impl->result.columns.size());
}

Field Fields::operator[](int position) const {
    m_owner->m_impl->column(position);
    return Field(m_owner, position);
}

Field Fields::operator[](std::string_view name) const {
    const auto& columns = m_owner->m_impl->result.columns;
    m_owner->m_impl->checkOpen();
    const std::string wanted(name);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (store::sameName(columns[i].name, wanted))
            return Field(m_owner, static_cast<int>(i));
    }
    // "SID" also finds a column named "CHANNELS.SID" when it is the only one.
    int found = -1;
    for (size_t i = 0; i < columns.size(); ++i) {
        const auto dot = columns[i].name.rfind('.');
        if (dot != std::string::npos && store::sameName(columns[i].name.substr(dot + 1), wanted)) {
            if (found >= 0) {
                found = -2;
                break;
            }
            found = static_cast<int>(i);
        }
    }
    if (found < 0)
        throw DaoError(jetError(err::kItemNotFound));
    return Field(m_owner, found);
}

}  // namespace velmora::engine::dao
