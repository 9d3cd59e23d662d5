#include "platform/win32/file_system_win32.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

Status LastError(const char* where) { return Status::Fail(::GetLastError(), where); }

Status WriteAll(HANDLE file, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, static_cast<DWORD>(left), &written, nullptr)) return LastError("WriteFile");
        data += written;
        left -= written;
    }
    return Status::Ok();
}

Status Write(const std::string& path, const std::string& text, DWORD disposition, bool append) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError("CreateFile");
    return WriteAll(file.Get(), ToAnsi(text));
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

Status Win32FileSystem::Delete(const std::string& path) {
    if (!::DeleteFileW(Widen(path).c_str())) return LastError("DeleteFile");
    return Status::Ok();
}

Status Win32FileSystem::WriteText(const std::string& path, const std::string& text) {
    return Write(path, text, CREATE_ALWAYS, false);
}

Status Win32FileSystem::AppendText(const std::string& path, const std::string& text) {
    return Write(path, text, OPEN_ALWAYS, true);
}

Status Win32FileSystem::ReadText(const std::string& path, std::string& text) {
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError("CreateFile");
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    for (;;) {
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return LastError("ReadFile");
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    text = FromAnsi(bytes);
    return Status::Ok();
}

}  // namespace corvane::win32
