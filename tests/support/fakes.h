#pragma once
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/run_log.h"
#include "dbmaint/database_run.h"
#include "dbmaint/main_window_port.h"
#include "dbmaint/progress_port.h"
#include "dbmaint/run_frame.h"
#include "dbmaint/safe_swap.h"
#include "platform/clock.h"
#include "platform/db_engine.h"
#include "platform/dialogs.h"
#include "platform/instance.h"
#include "platform/posix/mapped_file_system.h"
#include "platform/process.h"
#include "platform/system_info.h"
#include "platform/waiter.h"
#include "support/failing_file_system.h"
#include "ui/main_actions.h"

namespace corvane::testing {

// A database file as the engine leaves one: its header, its format's version
// byte (0: pages of 2048 bytes, 1: of 4096), then pages of filler.
std::string Database(int version = 1, std::size_t pages = 1, char fill = 'n');
// One open of a database as the engine's lock file records it.
std::string Slot(std::string computer, std::string user = "Admin");
// The lines of a log or of Errors.txt, each without its "\r\n".
std::vector<std::string> Lines(const std::string& text);

// Answers message boxes from a script and keeps every request it was shown.
class ScriptedDialogs : public Dialogs {
public:
    // More boxes than any run shows: a question asked in a loop that no
    // answer ends fails its test here instead of hanging the test program.
    static constexpr std::size_t kMostBoxes = 100;

    Answer Show(const MessageBoxRequest& request) override {
        if (shown.size() >= kMostBoxes) {
            throw std::runtime_error("more than " + std::to_string(kMostBoxes) + " message boxes, the last \"" +
                                     request.title + "\": " + request.text);
        }
        shown.push_back(request);
        if (onShow) onShow(request);
        if (answers.empty()) return request.buttons == Buttons::Ok ? Answer::Ok : Answer::No;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<Answer> answers;
    std::vector<MessageBoxRequest> shown;
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const MessageBoxRequest& box : shown) texts.push_back(box.text);
        return texts;
    }
    // What the world does while the box is open (a share comes back, say).
    std::function<void(const MessageBoxRequest&)> onShow;
};

class FakeSystemInfo : public SystemInfo {
public:
    std::string ComputerName() override { return computerName; }
    OsVersion QueryOsVersion() override { return version; }
    std::string ModulePath() override { return "E:\\Corvane\\Corvane.exe"; }

    std::string computerName = "pos3";
    OsVersion version{true, 2, 6, 1};
};

class FakeClock : public Clock {
public:
    DateTime Now() override { return now; }
    std::optional<TimeOfDayRecord> RemoteTimeOfDay(const std::string& server) override {
        queried.push_back(server);
        const auto found = records.find(server);
        return found == records.end() ? std::nullopt : std::optional<TimeOfDayRecord>(found->second);
    }

    DateTime now{2026, 12, 5, 9, 45, 10};
    std::map<std::string, TimeOfDayRecord> records;  // "" is the local service
    std::vector<std::string> queried;
};

class FakeInstance : public Instance {
public:
    bool AnotherIsRunning() override { return anotherRunning; }
    bool ActivatePrevious(const std::string& appTitle) override {
        activatedTitle = appTitle;
        return earlierWindowFound;
    }
    bool anotherRunning = false;
    bool earlierWindowFound = false;
    std::string activatedTitle;
};

class RecordingProcess : public Process {
public:
    void End(int exitCode) override {
        endedWith = exitCode;
        if (onEnd) onEnd();
    }
    std::optional<int> endedWith;
    std::function<void()> onEnd;  // what is there when the real program would be gone
};

// The main window as the database work sees it: records what it was asked.
class RecordingWindow : public MainWindowUi {
public:
    void ShowBusy() override {
        busy = true;
        events.push_back("busy");
    }
    void HideBusy() override {
        busy = false;
        events.push_back("idle");
    }
    bool MessageVisible() const override { return false; }
    void ShowMessageText(const std::string&, double) override {}
    void HideForRestore() override { events.push_back("hidden"); }
    void ShowAfterRestore() override { events.push_back("shown"); }

    bool busy = false;
    std::vector<std::string> events;
};

// A temporary folder laid out as Wine's dosdevices: E: holds the program's
// folder E:\Corvane and C: the system folders a test asks for.
class TempDrives {
public:
    TempDrives();
    ~TempDrives();
    TempDrives(const TempDrives&) = delete;
    TempDrives& operator=(const TempDrives&) = delete;

    std::filesystem::path Local(const std::string& windowsPath) const { return files.Resolve(windowsPath); }
    void MakeFolder(const std::string& windowsPath);
    void WriteFile(const std::string& windowsPath, const std::string& bytes);
    std::string ReadFile(const std::string& windowsPath) const;
    std::vector<std::string> FileNames(const std::string& windowsFolder) const;

    std::filesystem::path root;
    MappedFileSystem files;
};

// A second that passes at once: moves the fake clock on by one second, then
// lets the test change the world (remove or recreate a lock file) at the wait
// it names.
class FakeWaiter : public Waiter {
public:
    explicit FakeWaiter(FakeClock& clock) : clock_(clock) {}

    bool WaitOneSecond() override {
        ++waits;
        const DateTime& t = clock_.now;
        clock_.now = NormalisedDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second + 1);
        if (onWait) onWait(waits);
        // A wait that never ends would hang the test run instead of failing it.
        return waits != endingAt && waits < 10000;
    }

    // Between two steps of a run: the check at which a close request is found waiting.
    bool StillRunning() override { return ++checks != endingAtCheck; }

    int waits = 0;
    int endingAt = 0;  // the wait during which the program is asked to end; 0: never
    std::function<void(int wait)> onWait;
    int checks = 0;
    int endingAtCheck = 0;  // 0: never

private:
    FakeClock& clock_;
};

// The status line of the busy overlay, as it was set line by line.
class RecordingProgress : public ProgressPort {
public:
    void SetStatus(const RunStatus& status) override { statuses.push_back(StatusLine(status)); }
    void SetCopyProgress(int percent) override { percents.push_back(percent); }

    std::vector<std::string> statuses;
    std::vector<int> percents;
};

// The database engine as the run sees it, working on the real files below
// the test's drives: a compaction copies the source into the destination and
// marks the copy, as the real engine writes a new file.
class FakeEngine : public DbEngine {
public:
    explicit FakeEngine(TempDrives& drives) : drives_(drives) {}

    EngineStatus Version(std::string& version) override;
    EngineStatus RepairDatabase(const std::string& path) override;
    EngineStatus CompactDatabase(const std::string& source, const std::string& destination,
                                 const std::string& sourceLocale) override;
    EngineStatus SecondRepairDatabase(const std::string& path) override;
    EngineStatus Quit() override;

    std::string version = "3.6";
    std::optional<EngineStatus> start;  // set: Version fails so
    // By the database's file name: the first engine's repair or compaction fails so.
    std::map<std::string, EngineStatus> failures;
    // By the database's file name: only the first engine's repair fails so.
    std::map<std::string, EngineStatus> repairFailures;
    EngineStatus secondRepair;
    EngineStatus quit;
    // Every call, "Compact <source> > <destination> | <locale>", "Repair <path>",
    // "SecondRepair <path>", "Version", "Quit".
    std::vector<std::string> calls;
    // Runs as each call begins: the test changes the world at that moment.
    std::function<void(const std::string& call)> onCall;
    std::function<void()> onQuit;
    // Runs once a compaction has written its destination.
    std::function<void(const std::string& destination)> onCompacted;

    static constexpr const char* kCompactedMark = "|compacted";

private:
    EngineStatus Called(const std::string& call, const std::string& path);

    TempDrives& drives_;
};

// One program run's worth of fakes around real files, any file call of which
// a test can make fail.
struct Harness {
    TempDrives drives;
    FailingFileSystem files{drives.files};
    ProgramState state;
    ScriptedDialogs dialogs;
    FakeSystemInfo system;
    FakeClock clock;
    FakeInstance instance;
    RecordingProcess process;
    AppContext context{state, files, dialogs, system, clock, instance, process, "E:\\Corvane", "Corvane"};
};

// A repair run's world besides: the engine, the one-second wait and the
// window it runs behind.
struct RunHarness : Harness {
    RecordingWindow window;
    RecordingProgress progress;
    FakeEngine engine{drives};
    FakeWaiter waiter{clock};
    RunFrame frame{context, &progress};
    RunHistory& history = frame.History();
    DatabaseRun run = RunIn(frame, engine, waiter, window);

    // This computer is the main machine "MONITOR", and the start-up found
    // its shared data folder G:\Shared (made here, empty).
    void AtTheMainMachine() {
        state.computerName = "MONITOR";
        state.devMachineMarker = "K305";
        state.sharedDataFolderPath = "G:\\Shared";
        state.sharedFolderFound = true;
        drives.MakeFolder("G:\\Shared");
    }
    static std::string Shared(const std::string& name) { return "G:\\Shared\\" + name; }
    // A kind's live database by its file name, or with a moment "yymmdd-hhmmss"
    // the name a generation of it is kept under; Backlog's is Pantry's.
    static std::string LiveName(const std::string& kind, const std::string& stamp = "") {
        return (kind == "Backlog" ? "Pantry Backlog" : kind) + " abc 0000012345" + (stamp.empty() ? "" : " " + stamp) +
               ".mdb";
    }
    static std::string Live(const std::string& kind) { return Shared(LiveName(kind)); }
    // Free space on G: just above the reserve a run leaves, for the test to spend.
    void Room(std::int64_t aboveReserve) {
        files.SetFreeSpace("G:", static_cast<std::uint64_t>(static_cast<std::int64_t>(kRoomReserveBytes) + aboveReserve));
    }
    bool Has(const std::string& path) const { return std::filesystem::exists(drives.Local(path)); }
    // What the file holds, "(none)" when there is none.
    std::string Read(const std::string& path) const { return Has(path) ? drives.ReadFile(path) : "(none)"; }
    void Remove(const std::string& path) { std::filesystem::remove(drives.Local(path)); }
    // The fields of each record of a log of quoted fields, Errors.txt by default
    // (a line without its quotes is one field: read them with at()).
    std::vector<std::vector<std::string>> Errors(const std::string& log = Shared("Errors.txt")) const;
};

}  // namespace corvane::testing
