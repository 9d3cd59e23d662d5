#pragma once
#include <filesystem>
#include <ios>

#include "platform/file_system.h"

namespace corvane {

// Windows paths on real folders below a root, much as Wine's dosdevices lay
// them out: "E:\x" is <root>/e/x and "\\Server\Share\x" is <root>/unc/server/share/x
// (a folder named "e:" would read as a drive on Windows itself).
// Names match without regard to letter case, as on Windows. A drive or server
// with no folder is unreachable.
class MappedFileSystem : public FileSystem {
public:
    explicit MappedFileSystem(std::filesystem::path root);

    EntryKind Lookup(const std::string& path) override;
    Status Delete(const std::string& path) override;
    Status WriteText(const std::string& path, const std::string& text) override;
    Status AppendText(const std::string& path, const std::string& text) override;
    Status ReadText(const std::string& path, std::string& text) override;

    // Where a Windows path lies on this machine; empty when its drive or
    // server is not mapped.
    std::filesystem::path Resolve(const std::string& path) const;

private:
    Status Write(const std::string& path, const std::string& text, std::ios::openmode mode);

    std::filesystem::path root_;
};

}  // namespace corvane
