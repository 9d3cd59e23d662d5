#include "platform/posix/mapped_file_system.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "app/text.h"
#include "platform/posix/ansi_codec.h"

namespace corvane {
namespace fs = std::filesystem;
namespace {

// The Windows error codes the real file system would answer with.
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kBadNetPath = 53;

fs::path U8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string U8Name(const fs::path& path) {
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

std::vector<std::string> SplitComponents(const std::string& rest) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : rest) {
        if (c == '\\' || c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The entry of folder whose name equals name but for letter case.
fs::path MatchEntry(const fs::path& folder, const std::string& name) {
    const fs::path exact = folder / U8Path(name);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (UpperCase(U8Name(entry.path())) == UpperCase(name)) return entry.path();
    }
    return exact;
}

Status Failed(const char* where, const std::error_code& ec) {
    const unsigned long code = ec == std::errc::permission_denied ? kAccessDenied : kPathNotFound;
    return Status::Fail(code, where);
}

}  // namespace

MappedFileSystem::MappedFileSystem(fs::path root) : root_(std::move(root)) {}

fs::path MappedFileSystem::Resolve(const std::string& path) const {
    fs::path base;
    std::vector<std::string> parts;
    if (path.size() >= 2 && path[1] == ':') {
        base = root_ / U8Path(Lower(path.substr(0, 1)));
        parts = SplitComponents(path.substr(2));
    } else if (path.rfind("\\\\", 0) == 0) {
        parts = SplitComponents(path.substr(2));
        if (parts.empty()) return {};
        base = root_ / "unc" / U8Path(Lower(parts.front()));
        parts.erase(parts.begin());
    } else {
        return {};
    }
    std::error_code ec;
    if (!fs::is_directory(base, ec)) return {};
    fs::path resolved = base;
    for (const std::string& part : parts) resolved = MatchEntry(resolved, part);
    return resolved;
}

EntryKind MappedFileSystem::Lookup(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return EntryKind::Unreachable;
    std::error_code ec;
    const fs::file_status status = fs::status(local, ec);
    if (fs::is_directory(status)) return EntryKind::Folder;
    if (fs::exists(status)) return EntryKind::File;
    return EntryKind::None;
}

Status MappedFileSystem::Delete(const std::string& path) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Status::Fail(kBadNetPath, "DeleteFile");
    std::error_code ec;
    if (fs::is_directory(local, ec)) return Status::Fail(kAccessDenied, "DeleteFile");
    if (!fs::remove(local, ec)) return ec ? Failed("DeleteFile", ec) : Status::Fail(kFileNotFound, "DeleteFile");
    return Status::Ok();
}

Status MappedFileSystem::Write(const std::string& path, const std::string& text, std::ios::openmode mode) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Status::Fail(kBadNetPath, "CreateFile");
    std::ofstream out(local, std::ios::binary | mode);
    if (!out) return Status::Fail(fs::is_directory(local.parent_path()) ? kAccessDenied : kPathNotFound, "CreateFile");
    out << Utf8ToCp1252(text);
    out.flush();
    return out ? Status::Ok() : Status::Fail(kAccessDenied, "WriteFile");
}

Status MappedFileSystem::WriteText(const std::string& path, const std::string& text) {
    return Write(path, text, std::ios::trunc);
}

Status MappedFileSystem::AppendText(const std::string& path, const std::string& text) {
    return Write(path, text, std::ios::app);
}

Status MappedFileSystem::ReadText(const std::string& path, std::string& text) {
    const fs::path local = Resolve(path);
    if (local.empty()) return Status::Fail(kBadNetPath, "CreateFile");
    std::error_code ec;
    if (fs::is_directory(local, ec)) return Status::Fail(kAccessDenied, "CreateFile");
    std::ifstream in(local, std::ios::binary);
    if (!in) return Status::Fail(fs::exists(local, ec) ? kAccessDenied : kFileNotFound, "CreateFile");
    text = Cp1252ToUtf8(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    return Status::Ok();
}

}  // namespace corvane
