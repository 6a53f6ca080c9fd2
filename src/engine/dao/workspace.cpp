#include "engine/dao/workspace.h"

#include "engine/base/error_codes.h"
#include "engine/base/error_text.h"
#include "engine/dao/dao_error.h"
#include "engine/io/file.h"
#include "engine/jet/compactor.h"
#include "engine/jet/jet_database.h"
#include "engine/store/schema.h"

namespace velmora::engine::dao {

namespace {

// The file for editing, under the write lock; read-only with the reason when it is locked by
// another program, not writable, or a Jet 3 file.
Result<std::unique_ptr<store::TableStorage>> openJetFile(const std::string& path) {
    VELMORA_ASSIGN_OR_RETURN(auto storage, jet::JetDatabase::open(path, io::Env::real()));
    return std::unique_ptr<store::TableStorage>(std::move(storage));
}

// A packed copy of a Jet file beside the real file system (jet/compactor.h).
Status compactJetFile(const std::string& source, const std::string& target) {
    return jet::compactDatabase(io::Env::real(), source, target).status();
}

}  // namespace

Workspace::Workspace(std::string name, std::string user)
    : m_name(std::move(name)),
      m_user(std::move(user)),
      m_opener(&openJetFile),
      m_compactor(&compactJetFile) {}

Workspace Workspace::createWorkspace(const std::string& name, const std::string& user,
                                     const std::string& password) {
    // Only the default account of an unsecured Jet database exists.
    if (!store::sameName(user, "Admin") || !password.empty()) {
        throw DaoError(jetError(err::kAccountName));
    }
    return Workspace(name, user);
}

std::unique_ptr<Database> Workspace::openDatabase(const std::string& path) {
    auto storage = valueOrThrow(m_opener(path));
    return std::make_unique<Database>(std::move(storage), path);
}

int Workspace::tryOpenDatabase(const std::string& path, std::unique_ptr<Database>& out) {
    return guarded([&] { out = openDatabase(path); });
}

std::unique_ptr<Database> Workspace::openDatabase(std::unique_ptr<store::TableStorage> storage,
                                                  const std::string& path) {
    return std::make_unique<Database>(std::move(storage), path);
}

void Workspace::compactDatabase(const std::string& source, const std::string& target) {
    if (!io::Env::real().exists(source))
        throw DaoError(namedJetError(err::kFileNotFound, source));
    if (io::Env::real().exists(target))
        throw DaoError(jetError(err::kDatabaseExists));
    if (!m_compactor) {
        throw DaoError(
            err::kOperationNotSupported,
            "Operation is not supported: no compactor is available for '" + source + "'.");
    }
    throwIfError(m_compactor(source, target));
}

}  // namespace velmora::engine::dao
