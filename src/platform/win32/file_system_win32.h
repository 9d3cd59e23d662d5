#pragma once
#include "platform/file_system.h"

namespace corvane::win32 {

// The file system as the program sees it on Windows. Every failure carries
// the system's error number and its text.
class Win32FileSystem : public FileSystem {
public:
    EntryKind Lookup(const std::string& path) override;
    Status ListFiles(const std::string& folder, std::vector<FileEntry>& files) override;
    Status ListFileNames(const std::string& folder, std::vector<std::string>& names) override;
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
    Status Hold(const std::string& path, std::unique_ptr<HeldFile>& held) override;  // held_file_win32.cpp
};

}  // namespace corvane::win32
