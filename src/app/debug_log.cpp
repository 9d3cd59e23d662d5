#include "app/debug_log.h"

#include "base/text.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace corvane {

std::string DebugLogFileName(const DateTime& now, const std::string& computerName) {
    const std::string stamp = TwoDigits(now.year % 100) + TwoDigits(now.month) + TwoDigits(now.day) + "-" +
                              TwoDigits(now.hour) + TwoDigits(now.minute) + TwoDigits(now.second);
    return stamp + " " + computerName + " " + kDebugSwitchFile;
}

void StartDebugLog(AppContext& context) {
    ProgramState& state = context.state;
    state.debugLogPath.clear();

    const std::string switchPath = JoinPath(context.programFolder, kDebugSwitchFile);
    // A folder of that name cannot be deleted as a switch file would be, so it
    // would turn the log on for every run: it does not count.
    if (context.files.Lookup(switchPath) != EntryKind::File) return;

    const std::string logPath =
        JoinPath(context.programFolder, DebugLogFileName(context.clock.Now(), state.computerName));
    // Without deleting the switch every later run would log too; a folder we
    // cannot change gets no log at all.
    if (!context.files.Delete(switchPath)) return;

    const std::string header = "'" + std::string(84, '*') + "\r\n" +
                               "VERSION: " + state.versionString + "\r\n" +
                               "VERSION SHORT: " + state.shortVersion + "\r\n" +
                               "VERSION TITLE: " + state.versionTitle + "\r\n" +
                               "WINDOWS VER: " + state.platformCode + "\r\n";
    if (!context.files.WriteText(logPath, header)) return;
    state.debugLogPath = logPath;
}

void AppendDebugLine(const AppContext& context, const std::string& text) {
    if (context.state.debugLogPath.empty()) return;
    // The log is where failures would be written; one it cannot take is dropped.
    (void)context.files.AppendText(context.state.debugLogPath, "\"" + text + "\"\r\n");
}

}  // namespace corvane
