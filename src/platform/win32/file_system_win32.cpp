#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "base/text.h"
#include "base/text_file.h"
#include "platform/win32/handles.h"
#include "platform/write_all.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

// How long an appender waits for another one (most often another machine of
// the venue writing its record to the same shared log) to close the file.
constexpr DWORD kAppendPatienceMs = 500;
constexpr DWORD kAppendRetryMs = 10;

FileTime TicksOf(const FILETIME& time) {
    return static_cast<FileTime>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    // Systems older than Windows 7 know neither the basic level nor the large
    // fetch and reject the call outright.
    if (find == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        find = ::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    }
    return find;
}

// Most names in a shared folder are ASCII: those skip the two conversion
// calls per file, which add up over a folder of many thousands.
std::string NameOf(const wchar_t* name) {
    const std::size_t length = std::wcslen(name);
    std::string ascii(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        if (name[i] >= 0x80) return Narrow(name);
        ascii[i] = static_cast<char>(name[i]);
    }
    return ascii;
}

// Every file of the folder (no subfolders) handed to add in the order the
// file system returns them. The pattern never ends in a bare backslash (Wine
// finds nothing there), and a folder given with its trailing backslash does
// not get a second one.
template <typename Add>
Status ForEachFile(const std::string& folder, Add add) {
    WIN32_FIND_DATAW data{};
    UniqueFind find(FindFirst(Widen(JoinPath(folder, "*")), data));
    if (!find) {
        const DWORD error = ::GetLastError();
        // An existing folder with no entries at all (a drive's root has no
        // "." or ".."); a missing folder answers ERROR_PATH_NOT_FOUND.
        if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();
        return SystemFailure(error, "FindFirstFileEx");
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) add(data);
    } while (::FindNextFileW(find.Get(), &data));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) return SystemFailure(error, "FindNextFile");
    return Status::Ok();
}

Status WriteFully(HANDLE file, const std::string& bytes) {
    return WriteAll(bytes.data(), bytes.size(), [file](const char* data, std::size_t size) {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr)) {
            return WriteStep{false, 0, LastErrorFailure("WriteFile")};
        }
        return WriteStep{true, written, {}};
    }, "WriteFile");
}

DWORD CALLBACK OnCopyProgress(LARGE_INTEGER total, LARGE_INTEGER copied, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD,
                              HANDLE, HANDLE, LPVOID data) {
    // The progress belongs to a screen; nothing it throws may unwind through
    // the system's copy.
    try {
        (*static_cast<const CopyProgress*>(data))(static_cast<std::uint64_t>(copied.QuadPart),
                                                   static_cast<std::uint64_t>(total.QuadPart));
        return PROGRESS_CONTINUE;
    } catch (...) {
        return PROGRESS_CANCEL;
    }
}

Status FlushToDisk(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorFailure("CreateFile");
    if (!::FlushFileBuffers(file.Get())) return LastErrorFailure("FlushFileBuffers");
    return Status::Ok();
}

}  // namespace

EntryKind Win32FileSystem::Lookup(const std::string& path) {
    // FindFirstFile fails on a folder path that ends in a backslash ("\\Monitor\G\")
    // where the attributes answer correctly, and the attributes' error tells a
    // missing entry from a server that cannot be reached.
    const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
    }
    switch (::GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
            return EntryKind::None;
        default:
            return EntryKind::Unreachable;
    }
}

Status Win32FileSystem::ListFiles(const std::string& folder, std::vector<FileEntry>& files) {
    files.clear();
    return ForEachFile(folder, [&](const WIN32_FIND_DATAW& data) {
        FileEntry& entry = files.emplace_back();
        entry.name = NameOf(data.cFileName);
        entry.path = JoinPath(folder, entry.name);
        entry.created = TicksOf(data.ftCreationTime);
    });
}

Status Win32FileSystem::ListFileNames(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    return ForEachFile(folder, [&](const WIN32_FIND_DATAW& data) { names.push_back(NameOf(data.cFileName)); });
}

Status Win32FileSystem::CreationTime(const std::string& path, FileTime& created) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        return LastErrorFailure("GetFileAttributesEx");
    }
    created = TicksOf(data.ftCreationTime);
    return Status::Ok();
}

Status Win32FileSystem::Delete(const std::string& path) {
    if (!::DeleteFileW(Widen(path).c_str())) return LastErrorFailure("DeleteFile");
    return Status::Ok();
}

Status Win32FileSystem::CreateFolder(const std::string& path) {
    if (!::CreateDirectoryW(Widen(path).c_str(), nullptr)) return LastErrorFailure("CreateDirectory");
    return Status::Ok();
}

Status Win32FileSystem::Copy(const std::string& from, const std::string& to, const CopyProgress& progress) {
    const std::wstring target = Widen(to);
    // CopyFileEx keeps a network share's copy on the server. Wine never calls
    // the progress routine; Windows calls it per chunk.
    if (!::CopyFileExW(Widen(from).c_str(), target.c_str(), progress ? OnCopyProgress : nullptr,
                       const_cast<CopyProgress*>(&progress), nullptr, 0)) {
        return LastErrorFailure("CopyFileEx");
    }
    // A backup kept read-only would come out read-only too: the copy is about
    // to be put in a database's place, where it must be writable.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        if (!::SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
            return LastErrorFailure("SetFileAttributes");
        }
    }
    return Status::Ok();
}

Status Win32FileSystem::Flush(const std::string& path) { return FlushToDisk(Widen(path)); }

Status Win32FileSystem::Replace(const std::string& from, const std::string& to) {
    // One rename: the old file stays whole until the new one takes its name.
    // (ReplaceFileW without a backup name deletes first, under Wine at least.)
    if (!::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastErrorFailure("MoveFileEx");
    }
    return Status::Ok();
}

Status Win32FileSystem::Link(const std::string& existing, const std::string& newName) {
    if (!::CreateHardLinkW(Widen(newName).c_str(), Widen(existing).c_str(), nullptr)) {
        return LastErrorFailure("CreateHardLink");
    }
    return Status::Ok();
}

Status Win32FileSystem::FreeSpace(const std::string& path, std::uint64_t& bytes) {
    // The call wants a folder, and a share's root only with its backslash.
    std::string folder = path;
    if (Lookup(path) == EntryKind::File) folder = FolderOf(path);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(Widen(folder).c_str(), &available, nullptr, nullptr)) {
        return LastErrorFailure("GetDiskFreeSpaceEx");
    }
    bytes = available.QuadPart;
    return Status::Ok();
}

Status Win32FileSystem::WriteText(const std::string& path, const std::string& text) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorFailure("CreateFile");
    return WriteFully(file.Get(), ToAnsi(text));
}

Status Win32FileSystem::AppendText(const std::string& path, const std::string& text) {
    const std::wstring widePath = Widen(path);
    const std::string record = ToAnsi(text);
    // Readers may look on, but no second writer: with write sharing, two
    // machines appending at once can splice their records into one line.
    // A bounded retry here is a wait of a few hundred milliseconds at most,
    // not a wait the windows must stay alive through.
    const DWORD start = ::GetTickCount();
    UniqueFile file;
    for (;;) {
        file.Reset(::CreateFileW(widePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) break;
        const DWORD error = ::GetLastError();
        const bool heldByAnother = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!heldByAnother || ::GetTickCount() - start >= kAppendPatienceMs) return SystemFailure(error, "CreateFile");
        ::Sleep(kAppendRetryMs);
    }
    // One record, one write: a reader never sees half of it.
    DWORD written = 0;
    if (!::WriteFile(file.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr)) {
        return LastErrorFailure("WriteFile");
    }
    if (written != record.size()) return SystemFailure(ERROR_DISK_FULL, "WriteFile");
    return Status::Ok();
}

Status Win32FileSystem::ReadText(const std::string& path, std::size_t count, std::string& text) {
    std::string bytes;
    std::uint64_t size = 0;
    if (Status read = ReadHead(path, count, bytes, size); !read) return read;
    text = DecodeTextFile(bytes, FromAnsi);
    return Status::Ok();
}

Status Win32FileSystem::ReadBytes(const std::string& path, std::string& bytes) {
    // Lock files and logs are read while their owners have them open.
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorFailure("CreateFile");
    bytes.clear();
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return LastErrorFailure("ReadFile");
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return Status::Ok();
}

Status Win32FileSystem::ReadHead(const std::string& path, std::size_t count, std::string& bytes, std::uint64_t& size) {
    // A backup may be read while its writer still has it open, and a run
    // lock while its run holds it (delete-on-close: only delete sharing lets
    // a reader in).
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorFailure("CreateFile");
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file.Get(), &length)) return LastErrorFailure("GetFileSizeEx");
    size = static_cast<std::uint64_t>(length.QuadPart);
    bytes.assign(static_cast<std::size_t>(std::min<std::uint64_t>(count, size)), '\0');
    std::size_t filled = 0;
    // The size may have changed since it was read: the bytes are what the reads found.
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
            return LastErrorFailure("ReadFile");
        }
        if (read == 0) break;
        filled += read;
    }
    bytes.resize(filled);
    return Status::Ok();
}

}  // namespace corvane::win32
