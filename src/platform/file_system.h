#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/status.h"

namespace corvane {

// Win32's ERROR_ALREADY_EXISTS, what both file systems answer for a folder
// that is there already; callers that make a folder another machine may
// have made a moment ago take it as success.
constexpr unsigned long kAlreadyExists = 183;

// What an existence lookup found. "Unreachable" keeps a server that does not
// answer apart from a path that is simply not there.
enum class EntryKind { None, File, Folder, Unreachable };

// A moment as the file system stamps it: 100-nanosecond ticks since
// 1601-01-01 UTC, as Windows keeps file times. Only ever compared.
using FileTime = std::int64_t;

struct FileEntry {
    std::string name;  // as stored, letter case kept
    std::string path;  // folder + "\" + name
    FileTime created = 0;
};

// Bytes copied so far and the file's size, as the system reports them.
using CopyProgress = std::function<void(std::uint64_t copied, std::uint64_t total)>;

// A file this program holds open until the holder is destroyed, when the
// file is deleted. A program that ends without destroying it (killed, or
// its machine switched off) lets the system close it, and the file goes
// with the handle; only a file server that stops leaves it behind.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    // At most count bytes from the file's start.
    virtual Status Read(std::size_t count, std::string& bytes) = 0;
    // The whole content replaced by bytes, flushed to the disk.
    virtual Status Rewrite(const std::string& bytes) = 0;
};

// Paths are Windows path texts in UTF-8 ("G:\Shared\x.mdb", "\\Monitor\G").
// Text files are stored in the system's ANSI code page; contents here are UTF-8.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual EntryKind Lookup(const std::string& path) = 0;
    // The files of a folder (no subfolders), in the order the file system
    // returns them: names sorted without regard to letter case on NTFS and Wine.
    virtual Status ListFiles(const std::string& folder, std::vector<FileEntry>& files) = 0;
    // The names alone of the same files, in the same order: a folder of many
    // thousands (the backups of years) read for its names pays for no path
    // or time it never looks at.
    virtual Status ListFileNames(const std::string& folder, std::vector<std::string>& names) = 0;
    virtual Status CreationTime(const std::string& path, FileTime& created) = 0;

    virtual Status Delete(const std::string& path) = 0;  // files only
    // One level; an existing folder fails with kAlreadyExists.
    virtual Status CreateFolder(const std::string& path) = 0;
    // Copies a file over a new or existing one. The copy may still sit in the
    // system's cache: flush it before a rename puts it in a database's place.
    // progress, when given, hears of the copy where the system reports it.
    virtual Status Copy(const std::string& from, const std::string& to, const CopyProgress& progress = {}) = 0;
    // Writes what the system still holds of the file to the disk, so a rename
    // that follows never names bytes a power cut would lose.
    virtual Status Flush(const std::string& path) = 0;
    // Puts from in the place of to with one rename, replacing to when it
    // exists: at every moment to is whole, old or new, even if the program is
    // killed. Both must be in one folder.
    virtual Status Replace(const std::string& from, const std::string& to) = 0;
    // A second name for an existing file on the same volume (a hard link):
    // no bytes are copied. Fails where the file system has no such links.
    virtual Status Link(const std::string& existing, const std::string& newName) = 0;
    // The bytes this program may still write on the volume that holds path
    // (a folder, or a file whose folder is asked): what the volume offers
    // this user, quotas counted, not its whole free space.
    virtual Status FreeSpace(const std::string& path, std::uint64_t& bytes) = 0;

    // Creates the file, replacing one of the same name.
    virtual Status WriteText(const std::string& path, const std::string& text) = 0;
    // Appends one record in one write, creating the file when it is missing.
    // Other writers are kept out while it is open, so records of several
    // machines never splice; a writer in the way is waited for a short while.
    virtual Status AppendText(const std::string& path, const std::string& text) = 0;
    // The text of at most count bytes from a file's start, in the ANSI code
    // page, or in UTF-8 or UTF-16 with a byte-order mark, as Notepad saves
    // them: the files read so are a line a technician writes, and one
    // gigabyte in their place must not cost more than its first bytes.
    virtual Status ReadText(const std::string& path, std::size_t count, std::string& text) = 0;
    // The file's bytes as they are (lock files are binary).
    virtual Status ReadBytes(const std::string& path, std::string& bytes) = 0;
    // At most count bytes from the file's start, and its whole size, without
    // reading the rest: a backup's header is checked before a copy of a
    // gigabyte is begun. A held file can be read so.
    virtual Status ReadHead(const std::string& path, std::size_t count, std::string& bytes, std::uint64_t& size) = 0;

    // Opens the file, creating it when missing, and holds it: others may
    // read it, but neither write nor delete nor hold it (they fail with 32,
    // ERROR_SHARING_VIOLATION) until held is destroyed. A file that was there
    // keeps its bytes until rewritten.
    virtual Status Hold(const std::string& path, std::unique_ptr<HeldFile>& held) = 0;

    bool Exists(const std::string& path) {
        const EntryKind kind = Lookup(path);
        return kind == EntryKind::File || kind == EntryKind::Folder;
    }
};

}  // namespace corvane
