#pragma once
#include <string>

#include "platform/status.h"

namespace corvane {

// What an existence lookup found. "Unreachable" keeps a server that does not
// answer apart from a path that is simply not there.
enum class EntryKind { None, File, Folder, Unreachable };

// Paths are Windows path texts in UTF-8 ("G:\Shared\x.mdb", "\\Monitor\G").
// Text files are stored in the system's ANSI code page; contents here are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual EntryKind Lookup(const std::string& path) = 0;
    virtual Status Delete(const std::string& path) = 0;
    // Creates the file, replacing one of the same name.
    virtual Status WriteText(const std::string& path, const std::string& text) = 0;
    // Appends, creating the file when it is missing.
    virtual Status AppendText(const std::string& path, const std::string& text) = 0;
    virtual Status ReadText(const std::string& path, std::string& text) = 0;

    bool Exists(const std::string& path) {
        const EntryKind kind = Lookup(path);
        return kind == EntryKind::File || kind == EntryKind::Folder;
    }
};

}  // namespace corvane
