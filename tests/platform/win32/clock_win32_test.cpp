#include "platform/win32/clock_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::win32 {
namespace {

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length);
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, length);
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

bool SamePath(const std::wstring& a, const std::wstring& b) { return ::lstrcmpiW(a.c_str(), b.c_str()) == 0; }

// A file of the DLL's name in the program's folder until the end of the test.
class PlantedFile {
public:
    explicit PlantedFile(const std::wstring& path) : path_(path) {
        const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        static const char kNotAnImage[] = "MZ planted by a test, not a library";
        DWORD written = 0;
        planted_ = file && ::WriteFile(file.Get(), kNotAnImage, sizeof kNotAnImage, &written, nullptr) &&
                   written == sizeof kNotAnImage;
    }
    PlantedFile(const PlantedFile&) = delete;
    PlantedFile& operator=(const PlantedFile&) = delete;
    ~PlantedFile() { ::DeleteFileW(path_.c_str()); }
    bool Planted() const { return planted_; }

private:
    std::wstring path_;
    bool planted_ = false;
};

// The program's folder is searched first for a bare name: a planted file
// there must not be what is loaded. The planted one is no image at all, so a
// load that found it fails instead of polluting the process.
TEST(SystemLibrary, LoadIgnoresAFileOfTheSameNameInTheProgramFolder) {
    constexpr wchar_t kName[] = L"netapi32.dll";
    if (::GetModuleHandleW(kName) != nullptr) GTEST_SKIP() << "already loaded: no search would take place";
    const PlantedFile planted(FolderOf(ModulePath(nullptr)) + L"\\" + kName);
    ASSERT_TRUE(planted.Planted());

    const UniqueModule module = LoadSystemLibrary(kName);
    ASSERT_TRUE(module) << "error " << ::GetLastError();
    EXPECT_TRUE(SamePath(ModulePath(module.Get()), SystemFolder() + L"\\" + kName));
}

}  // namespace
}  // namespace corvane::win32
