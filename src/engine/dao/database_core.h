// What a Database, its record sets and its table definitions share: the engine's database and
// the SQL session on it. Record sets and definitions hold it by shared_ptr, so closing the
// Database leaves them failing with 3420 instead of dangling.
#pragma once

#include <memory>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/dao/dao_error.h"
#include "engine/sql/session.h"
#include "engine/store/database.h"

namespace velmora::engine::dao {

struct DatabaseCore {
    std::unique_ptr<store::Database> db;
    std::unique_ptr<sql::Session> session;

    bool isOpen() const { return db != nullptr; }
    // Throws 3420 once the database is closed.
    void checkOpen() const {
        if (!db)
            throw DaoError(jetError(err::kObjectInvalid));
    }
    void checkWritable() const {
        checkOpen();
        if (db->isReadOnly())
            throw DaoError(jetError(err::kReadOnlyDatabase, db->readOnlyReason()));
    }
};

}  // namespace velmora::engine::dao
