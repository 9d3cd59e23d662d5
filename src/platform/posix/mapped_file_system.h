#pragma once
#include <filesystem>

#include "platform/file_system.h"

namespace corvane {

// Windows paths on real folders below a root, much as Wine's dosdevices lay
// them out: "E:\x" is <root>/e/x and "\\Server\Share\x" is <root>/unc/server/share/x
// (a folder named "e:" would read as a drive on Windows itself).
// Names match without regard to letter case, as on Windows. A drive or server
// with no folder is unreachable.
//
// It answers as the Win32 file system does under Wine: the same error numbers
// with an English system text, folders listed by name without regard to case,
// and a file's last-write time as its creation time (so tests set "creation
// times" with std::filesystem::last_write_time).
class MappedFileSystem : public FileSystem {
public:
    explicit MappedFileSystem(std::filesystem::path root);

    EntryKind Lookup(const std::string& path) override;
    Status ListFiles(const std::string& folder, std::vector<FileEntry>& files) override;
    Status ListFileNames(const std::string& folder, std::vector<std::string>& names) override;  // mapped_file_names.cpp
    Status CreationTime(const std::string& path, FileTime& created) override;
    Status Delete(const std::string& path) override;
    Status CreateFolder(const std::string& path) override;
    Status Copy(const std::string& from, const std::string& to, const CopyProgress& progress = {}) override;
    Status Replace(const std::string& from, const std::string& to) override;
    Status WriteText(const std::string& path, const std::string& text) override;
    Status AppendText(const std::string& path, const std::string& text) override;
    Status ReadText(const std::string& path, std::size_t count, std::string& text) override;
    Status ReadBytes(const std::string& path, std::string& bytes) override;
    Status Flush(const std::string& path) override;
    Status Link(const std::string& existing, const std::string& newName) override;
    Status FreeSpace(const std::string& path, std::uint64_t& bytes) override;
    Status ReadHead(const std::string& path, std::size_t count, std::string& bytes, std::uint64_t& size) override;
    Status Hold(const std::string& path, std::unique_ptr<HeldFile>& held) override;  // held_file_posix.cpp

    // Where a Windows path lies on this machine; empty when its drive or
    // server is not mapped.
    std::filesystem::path Resolve(const std::string& path) const;

private:
    std::filesystem::path root_;
};

}  // namespace corvane
