// The statement executors behind Session: one function per statement kind.
#pragma once

#include "engine/base/status.h"
#include "engine/sql/ast.h"
#include "engine/sql/session.h"

namespace velmora::engine::sql {

// A SELECT's rows (its INTO is ignored here; runSelectInto handles it).
Result<QueryResult> runSelect(Session& session, SelectStatement& s);
// The same into `result`, which may hold an earlier run's rows: they are replaced, their
// storage kept. On failure the rows it holds are no answer.
Status runSelectOver(Session& session, SelectStatement& s, QueryResult& result);
Status runSelectInto(Session& session, SelectStatement& s);
Status runDelete(Session& session, DeleteStatement& s);
Status runUpdate(Session& session, UpdateStatement& s);
Status runInsert(Session& session, InsertStatement& s);

}  // namespace velmora::engine::sql
