#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/context.h"
#include "base/date_time.h"
#include "platform/file_system.h"

namespace corvane {

// One repair or restore at a time on the shared databases, from whichever
// machine: the run holds this file in the shared data folder for as long as
// it works, with who it is written in it. Neither scan takes it for a
// database (no kind's name starts so).
constexpr const char* kRunLockName = "Corvane.run";

// The kinds of run, as the lock and its message name them.
constexpr const char* kRunDbRepair = "DB REPAIR";
constexpr const char* kRunRestore = "RESTAURAR";
constexpr const char* kRunUnattended = "/reparar";

// All that is read of a lock: ours are a few dozen bytes, and anything may
// have been written in its place.
constexpr std::size_t kRunLockReadBytes = 512;

// Who holds a lock; "" (or no start) for what its bytes do not tell.
struct RunLockOwner {
    std::string computer;
    std::string kind;
    std::optional<DateTime> started;
};

// The computer, the kind and the start ("2026-12-05 04:00:00"), one a line.
std::string RunLockContent(const RunLockOwner& owner);

// What a lock's bytes say, fit to show and to record: binary bytes say
// nothing, a part too long for what it names is dropped, and what is kept
// has no control characters, no double quotes and only valid UTF-8.
RunLockOwner ParseRunLock(std::string_view bytes);

// "Corvane ya esta trabajando en estas bases desde POS1 (DB REPAIR, desde
// las 04:00)"; a start on another day than now gives its date too.
std::string BusyMessage(const RunLockOwner& owner, const DateTime& now);

enum class RunLockEnd {
    Held,           // this run holds the lock until it lets lock go
    HeldElsewhere,  // another run works on these databases: touch nothing
    Failed,         // it could not be made (no access...): touch nothing
};

struct RunLockTaken {
    RunLockEnd end = RunLockEnd::Failed;
    std::unique_ptr<HeldFile> lock;
    std::string message;  // when not held: the Spanish text for the user
};

// The run lock of the databases in folder, for a run of kind by this
// computer. A lock that nobody holds was left by a machine that stopped: it
// is taken over, and a TL record names who left it.
RunLockTaken TakeRunLock(AppContext& context, const std::string& folder, const std::string& kind);

}  // namespace corvane
