// The workspace: where databases are opened and compacted. The program creates one per run
// with createWorkspace("NewJetWorkspace", "Admin", "").
//
// Opening a path goes through the workspace's storage opener, which the Jet file layer
// provides (setStorageOpener); a storage that reports a read-only reason opens read-only and
// Database::readOnlyReason() says why. Compacting goes through the compactor the schema layer
// provides (setCompactor).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/base/status.h"
#include "engine/dao/database.h"

namespace velmora::engine::dao {

using StorageOpener =
    std::function<Result<std::unique_ptr<store::TableStorage>>(const std::string& path)>;
using Compactor = std::function<Status(const std::string& source, const std::string& target)>;

class Workspace {
public:
    Workspace(std::string name, std::string user);

    // DAO's CreateWorkspace(name, user, password, dbUseJet). Only the Jet type exists; the
    // password of "Admin" is empty and is not checked further (3029 for another user).
    static Workspace createWorkspace(const std::string& name = "NewJetWorkspace",
                                     const std::string& user = "Admin",
                                     const std::string& password = "");

    const std::string& name() const { return m_name; }
    const std::string& userName() const { return m_user; }

    // Opens the file at `path` (unguarded: throws DaoError, 3024 file not found, 3343 not a
    // database, ...). The program tests it with guarded() or tryOpenDatabase().
    std::unique_ptr<Database> openDatabase(const std::string& path);
    int tryOpenDatabase(const std::string& path, std::unique_ptr<Database>& out);
    // Opens an already built storage (memory databases in tests and tools).
    std::unique_ptr<Database> openDatabase(std::unique_ptr<store::TableStorage> storage,
                                           const std::string& path = ":memory:");

    // Writes a compacted copy of `source` to `target` (which must not exist); the source is
    // kept. The source must not be open in this workspace with pending changes.
    void compactDatabase(const std::string& source, const std::string& target);

    void setStorageOpener(StorageOpener opener) { m_opener = std::move(opener); }
    void setCompactor(Compactor compactor) { m_compactor = std::move(compactor); }

private:
    std::string m_name;
    std::string m_user;
    StorageOpener m_opener;
    Compactor m_compactor;
};

}  // namespace velmora::engine::dao
