#include "support/fakes.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

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

std::string Database(int version, std::size_t pages, char fill) {
    std::string bytes("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes += static_cast<char>(version);
    bytes.resize(pages * (version == 0 ? 2048 : 4096), fill);
    return bytes;
}

std::string Slot(std::string computer, std::string user) {
    computer.resize(32, '\0');
    user.resize(32, '\0');
    return computer + user;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

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

std::vector<std::vector<std::string>> RunHarness::Errors(const std::string& log) const {
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : Lines(Read(log))) {
        std::vector<std::string>& fields = records.emplace_back();
        for (std::size_t start = 1, end; start < line.size(); start = end + 3) {
            end = line.find("\",\"", start);
            if (end == std::string::npos) end = line.size() - 1;
            fields.push_back(line.substr(start, end - start));
        }
    }
    return records;
}

EngineStatus FakeEngine::Called(const std::string& call, const std::string& path) {
    calls.push_back(call);
    if (onCall) onCall(call);
    const auto failure = failures.find(path.substr(path.rfind('\\') + 1));
    return failure == failures.end() ? EngineStatus::Ok() : failure->second;
}

EngineStatus FakeEngine::Version(std::string& reported) {
    calls.push_back("Version");
    if (start) return *start;
    reported = version;
    return EngineStatus::Ok();
}

EngineStatus FakeEngine::RepairDatabase(const std::string& path) {
    const EngineStatus called = Called("Repair " + path, path);
    const auto failure = repairFailures.find(path.substr(path.rfind('\\') + 1));
    return failure == repairFailures.end() || !called ? called : failure->second;
}

EngineStatus FakeEngine::CompactDatabase(const std::string& source, const std::string& destination,
                                         const std::string& sourceLocale) {
    if (EngineStatus failed = Called("Compact " + source + " > " + destination + " | " + sourceLocale, source); !failed) {
        // A compaction that fails half-way, the server's death or hang
        // among the ways, leaves what it had written.
        drives_.WriteFile(destination, "half");
        return failed;
    }
    namespace fs = std::filesystem;
    if (fs::exists(drives_.Local(destination))) {
        return EngineStatus::Fail(EngineFault::Failed, 3204, "CompactDatabase", "Database already exists.");
    }
    drives_.WriteFile(destination, drives_.ReadFile(source) + kCompactedMark);
    if (onCompacted) onCompacted(destination);
    return EngineStatus::Ok();
}

EngineStatus FakeEngine::Quit() {
    calls.push_back("Quit");
    if (onQuit) onQuit();
    return quit;
}

EngineStatus FakeEngine::SecondRepairDatabase(const std::string& path) {
    calls.push_back("SecondRepair " + path);
    if (onCall) onCall(calls.back());
    return secondRepair;
}

}  // namespace corvane::testing
