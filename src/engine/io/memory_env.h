// An Env kept entirely in memory, for tests and for building databases without touching
// the disk. Files live as long as the MemoryEnv; handles share their contents.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/io/file.h"

namespace velmora::engine::io {

class MemoryEnv : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode) override;
    bool exists(const std::string& path) override;
    Status remove(const std::string& path) override;
    Status rename(const std::string& from, const std::string& to) override;
    Status syncFolderOf(const std::string&) override { return Status::ok(); }
    bool isWritable(const std::string& path) override;
    Result<std::unique_ptr<File>> openScratch(const std::string& beside) override;

    // Direct access for tests: the bytes of a file (created empty when missing).
    std::vector<uint8_t>& contents(const std::string& path);
    void setReadOnly(const std::string& path, bool readOnly);

private:
    struct Node {
        std::vector<uint8_t> bytes;
        bool readOnly = false;
    };
    std::map<std::string, std::shared_ptr<Node>> m_files;
};

}  // namespace velmora::engine::io
