#pragma once
// Where a file-system contract test runs: a fresh folder of the Win32 file
// system under Wine (or Windows), of the mapped posix one natively, removed
// afterwards.
#include <filesystem>
#include <string>

#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/wide.h"
#else
#include "support/fakes.h"
#endif

namespace corvane::testing {

#ifdef _WIN32
class ContractEnv {
public:
    ContractEnv() {
        static std::atomic<int> counter{0};
        wchar_t temp[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
        root_ = std::filesystem::path(std::wstring(temp, length)) /
                (L"corvane-contract-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++));
        std::filesystem::create_directories(root_);
    }
    ~ContractEnv() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    ContractEnv(const ContractEnv&) = delete;
    ContractEnv& operator=(const ContractEnv&) = delete;

    FileSystem& Files() { return files_; }
    std::string Folder() const { return win32::Narrow(root_.wstring()); }
    std::filesystem::path Local(const std::string& path) const { return std::filesystem::path(win32::Widen(path)); }

private:
    std::filesystem::path root_;
    win32::Win32FileSystem files_;
};
#else
class ContractEnv {
public:
    ContractEnv() { drives_.MakeFolder("E:\\Work"); }
    FileSystem& Files() { return drives_.files; }
    std::string Folder() const { return "E:\\Work"; }
    std::filesystem::path Local(const std::string& path) const { return drives_.Local(path); }

private:
    TempDrives drives_;
};
#endif

}  // namespace corvane::testing
