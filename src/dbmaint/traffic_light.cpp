#include "dbmaint/traffic_light.h"

#include <algorithm>

#include "app/debug_log.h"
#include "base/text.h"
#include "dbmaint/database_kinds.h"
#include "dbmaint/shared_logs.h"
#include "platform/file_system.h"

namespace corvane {
namespace {

constexpr std::size_t kSlotBytes = 64;
constexpr std::size_t kNameBytes = 32;
constexpr int kUnchangedChecks = 59;  // beyond this the creation times are compared
constexpr int kQuietWaits = 10;       // waits before anything is shown
constexpr int kReadFailures = 15;     // beyond this the wait gives up
constexpr double kCaptionPoints = 12;
constexpr std::size_t kLockReadBytes = 64 * 1024;

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The engine writes its lock files in the ANSI code page and the core speaks
// UTF-8. Read as Latin-1, the accented letters of a Western code page keep
// their place and are written back as the same bytes; nothing here may turn
// a byte into something that breaks the record's line.
std::string TextOfBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// A binary slot's padding would otherwise put NULs and stray control bytes
// inside a log line. A double quote would end the record's field early.
std::string Readable(std::string_view value) {
    std::string kept;
    bool inControlRun = false;
    for (const char c : value) {
        if (IsControl(static_cast<unsigned char>(c))) {
            if (!inControlRun) kept += ' ';
            inControlRun = true;
            continue;
        }
        inControlRun = false;
        if (c != '"') kept += c;
    }
    return TextOfBytes(Trim(kept));
}

}  // namespace

std::vector<std::string> LockSlotNames(std::string_view bytes) {
    std::vector<std::string> names;
    std::vector<std::string> seen;  // upper-cased: computer names ignore letter case
    // A name field cut short by the file's end may be a writer's half-done
    // slot: it names nobody yet.
    for (std::size_t at = 0; at + kNameBytes <= bytes.size(); at += kSlotBytes) {
        const std::string_view field = bytes.substr(at, kNameBytes);
        const auto end = std::find_if(field.begin(), field.end(),
                                      [](char c) { return IsControl(static_cast<unsigned char>(c)); });
        const std::string name = TextOfBytes(Trim(field.substr(0, static_cast<std::size_t>(end - field.begin()))));
        if (name.empty()) continue;
        const std::string key = UpperCase(name);
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
        seen.push_back(key);
        names.push_back(name);
    }
    return names;
}

std::optional<std::string> LockContentOf(std::string_view bytes) {
    std::optional<std::string> last;
    std::size_t start = 0;
    for (std::size_t at = 0; at <= bytes.size(); ++at) {
        if (at < bytes.size() && bytes[at] != ',' && bytes[at] != '\r' && bytes[at] != '\n') continue;
        // The separators that end a file hold no value after them.
        if (std::string value = Readable(bytes.substr(start, at - start)); !value.empty()) last = std::move(value);
        start = at + 1;
    }
    return last;
}

LockWait TrafficLight(DatabaseRun& run, const std::string& path, const std::string& label) {
    AppContext& context = run.context;
    const int limitSeconds = run.waitLimitSeconds;
    const std::string lockPath = path.substr(0, path.size() >= 3 ? path.size() - 3 : 0) + "ldb";
    const std::string& computer = context.state.computerName;
    const std::string waitedOn = NameInRun(path);
    SharedLogs logs(context, path, "TrafficLight");

    int unchanged = 0;
    int errors = 0;
    int waits = 0;
    int seconds = 0;  // every wait, those after a failed read too
    std::string lockContent;
    std::vector<std::string> holders;
    std::optional<FileTime> firstCreated;
    LockWait shown;  // as the status line last showed it
    const auto ended = [&shown](WaitEnd end) {
        shown.end = end;
        return shown;
    };

    for (;;) {
        // A share that cannot be reached finds nothing either: the caller's
        // own work meets it and reports it.
        if (!context.files.Exists(lockPath)) return ended(WaitEnd::Free);
        if (limitSeconds > 0 && seconds >= limitSeconds) {
            AppendDebugLine(context, "TrafficLight: " + lockPath + " sigue ahi tras " + std::to_string(seconds) + " s");
            return ended(WaitEnd::TimedOut);
        }

        FileTime created = 0;
        std::string bytes;
        Status read = context.files.CreationTime(lockPath, created);
        std::uint64_t size = 0;
        // The engine's lock file is at most 255 slots of 64 bytes: a file
        // far larger is no lock file worth reading whole every second.
        if (read) read = context.files.ReadHead(lockPath, kLockReadBytes, bytes, size);
        if (!read) {
            // Locked, gone since the lookup, or no permission: the counts stay
            // as they are, so the minute is not restarted by a bad read.
            logs.ToErrorLog({path, label, read.Describe(), lockContent, computer, kRecordEnd});
            if (++errors > kReadFailures) return ended(WaitEnd::GaveUp);
            if (!run.waiter.WaitOneSecond()) return ended(WaitEnd::ProgramEnding);
            ++seconds;
            continue;
        }
        // A file with no value keeps the content of the last one that had one.
        if (std::optional<std::string> content = LockContentOf(bytes)) lockContent = std::move(*content);
        holders = LockSlotNames(bytes);
        if (!firstCreated) firstCreated = created;

        if (unchanged > kUnchangedChecks) {
            if (created == *firstCreated) {
                // Nobody has reopened the database for a minute: the lock file
                // is what a machine that stopped left behind.
                logs.ToTlFile({path, label, lockContent, kRecordEnd});
                if (const Status deleted = context.files.Delete(lockPath); !deleted) {
                    logs.ToErrorLog({path, label, deleted.Describe(), "TRAFFICLIGHTCOUNTER: " + std::to_string(unchanged),
                                     lockContent, computer, kRecordEnd});
                }
                return ended(WaitEnd::LeftOver);
            }
            // Reopened during the last minute: someone is working in it. The
            // next minute is measured from this file, so a lock file that was
            // recreated once and then abandoned is still found left over
            // instead of being waited on for ever.
            unchanged = 0;
            firstCreated = created;
        } else {
            ++unchanged;
        }

        // Where a run spent its time, for whoever reads the debug log.
        if (waits == 0) AppendDebugLine(context, "TrafficLight: esperando " + lockPath + ", " + label);
        if (!run.waiter.WaitOneSecond()) return ended(WaitEnd::ProgramEnding);
        ++waits;
        ++seconds;
        if (waits > kQuietWaits) {
            if (run.window.MessageVisible()) {
                run.window.ShowMessageText("\r" + path + "\r" + label + "\r" + computer + "\r" + std::to_string(waits),
                                       kCaptionPoints);
            }
            shown.seconds = waits;
            shown.holders = holders;
            run.progress.SetStatus({RunAction::Waiting, waitedOn, 0, 0, waits, holders});
        }
    }
}

}  // namespace corvane
