#include <windows.h>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide.h"

namespace corvane::win32 {
namespace {

class Win32HeldFile : public HeldFile {
public:
    explicit Win32HeldFile(UniqueFile file) : file_(std::move(file)) {}

    Status Read(std::size_t count, std::string& bytes) override {
        if (Status moved = ToStart(); !moved) return moved;
        bytes.assign(count, '\0');
        std::size_t filled = 0;
        while (filled < count) {
            DWORD read = 0;
            if (!::ReadFile(file_.Get(), bytes.data() + filled, static_cast<DWORD>(count - filled), &read, nullptr)) {
                return LastErrorFailure("ReadFile");
            }
            if (read == 0) break;
            filled += read;
        }
        bytes.resize(filled);
        return Status::Ok();
    }

    Status Rewrite(const std::string& bytes) override {
        if (Status moved = ToStart(); !moved) return moved;
        if (!::SetEndOfFile(file_.Get())) return LastErrorFailure("SetEndOfFile");
        DWORD written = 0;
        if (!::WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            return LastErrorFailure("WriteFile");
        }
        if (written != bytes.size()) return SystemFailure(ERROR_DISK_FULL, "WriteFile");
        // Another machine reads it through the file server's cache, not ours.
        if (!::FlushFileBuffers(file_.Get())) return LastErrorFailure("FlushFileBuffers");
        return Status::Ok();
    }

private:
    Status ToStart() {
        if (::SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
            return LastErrorFailure("SetFilePointer");
        }
        return Status::Ok();
    }

    UniqueFile file_;
};

}  // namespace

Status Win32FileSystem::Hold(const std::string& path, std::unique_ptr<HeldFile>& held) {
    // Read sharing only: another run, on any machine, can read who holds it
    // but not take it, and a reader must share delete (FILE_SHARE_DELETE).
    // Delete-on-close: the system removes it with the last handle, also when
    // the program is killed or its machine stops while the server runs on.
    UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) return LastErrorFailure("CreateFile");
    held = std::make_unique<Win32HeldFile>(std::move(file));
    return Status::Ok();
}

}  // namespace corvane::win32
