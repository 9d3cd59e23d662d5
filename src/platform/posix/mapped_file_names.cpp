// The names-only listing of the mapped file system. Only the core's tests
// run on it, where a folder holds a handful of files: it is the full
// listing's names, so both listings agree on order and on what counts as a
// file by construction.
#include "platform/posix/mapped_file_system.h"

namespace corvane {

Status MappedFileSystem::ListFileNames(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    std::vector<FileEntry> files;
    const Status listed = ListFiles(folder, files);
    names.reserve(files.size());
    for (FileEntry& file : files) names.push_back(std::move(file.name));
    return listed;
}

}  // namespace corvane
