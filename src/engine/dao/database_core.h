// What a Database, its record sets and its table definitions share: the engine's database and
// the SQL session on it. Record sets and definitions hold it by shared_ptr, so closing the
// Database leaves them failing with 3420 instead of dangling.
#pragma once

#include <memory>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/dao/dao_error.h"
#include "engine/sql/session.h"
#include "engine/sql/sql_error_codes.h"
#include "engine/store/database.h"

namespace velmora::engine::dao {

struct DatabaseCore {
    std::unique_ptr<store::Database> db;
    std::unique_ptr<sql::Session> session;

    bool isOpen() const { return db != nullptr; }
    // Throws 3420 once the database is closed.
    void checkOpen() const {
        if (!db)
            throw DaoError(err::kObjectInvalid, "Object invalid or no longer set.");
    }
    void checkWritable() const {
        checkOpen();
        if (db->isReadOnly()) {
            throw DaoError(
                err::kReadOnlyDatabase,
                "Cannot update.  Database or object is read-only. " + db->readOnlyReason());
        }
    }
};

}  // namespace velmora::engine::dao
