// The file-open dialog used to choose the channel database. The request carries exactly
// what the caller decides (title, the one filter entry, where to start); the answer is the
// chosen path or nothing when the user cancelled. Turning that answer into an accepted
// database path is the caller's business.
#pragma once

#include <optional>
#include <string>

namespace velmora::core::ports {

struct FileOpenRequest {
    std::string title;
    // One filter entry: the text shown ("Database Files (*.mdb)") and the pattern matched
    // ("*.MDB", or several joined by ';': "*.MDB;*.BAK"). Patterns match file names without
    // regard to letter case.
    std::string filterName;
    std::string filterPattern;
    std::string initialFolder;    // may be empty or not exist; the dialog then picks one
    std::string initialFileName;  // preset in the name field; may be a full path
    // The list sorted by the files' times, newest first, where the dialog can sort it.
    bool newestFirst = false;

    bool operator==(const FileOpenRequest&) const = default;
};

class FileDialogPort {
public:
    virtual ~FileDialogPort() = default;

    // Shows the dialog modally. Returns the chosen file's path (UTF-8), or std::nullopt when
    // the dialog was cancelled.
    virtual std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) = 0;
};

}  // namespace velmora::core::ports
