#include "support/fakes.h"

#include <atomic>
#include <chrono>

namespace corvane::testing {
namespace fs = std::filesystem;

namespace {

fs::path UniqueRoot() {
    static std::atomic<int> counter{0};
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    return fs::temp_directory_path() /
           ("corvane-test-" + std::to_string(tick) + "-" + std::to_string(counter.fetch_add(1)));
}

}  // namespace

TempDrives::TempDrives() : root(UniqueRoot()), files(root) {
    fs::create_directories(root / "e" / "Corvane");
    fs::create_directories(root / "c");
}

TempDrives::~TempDrives() {
    std::error_code ec;
    fs::remove_all(root, ec);
}

void TempDrives::MakeFolder(const std::string& windowsPath) {
    // A drive the test names is mapped on first use, as a venue's would be.
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        const char letter = static_cast<char>(windowsPath[0] | 0x20);
        fs::create_directories(root / std::string(1, letter));
    }
    fs::create_directories(Local(windowsPath));
}

void TempDrives::WriteFile(const std::string& windowsPath, const std::string& bytes) {
    std::ofstream out(Local(windowsPath), std::ios::binary);
    out << bytes;
}

std::string TempDrives::ReadFile(const std::string& windowsPath) const {
    std::ifstream in(Local(windowsPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> TempDrives::FileNames(const std::string& windowsFolder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Local(windowsFolder))) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

}  // namespace corvane::testing
