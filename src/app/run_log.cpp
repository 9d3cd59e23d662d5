#include "app/run_log.h"

#include "app/debug_log.h"
#include "base/text.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace corvane {

std::string OneRecordLine(const std::string& text) {
    std::string line;
    std::string part;
    const auto flush = [&] {
        const std::string trimmed = Trim(part);
        if (!trimmed.empty()) line += (line.empty() ? "" : " | ") + trimmed;
        part.clear();
    };
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            flush();
        } else {
            part += c;
        }
    }
    flush();
    return line;
}

std::string RunLog::Path() const { return JoinPath(context_.programFolder, "Corvane.log"); }

void RunLog::Record(const std::string& text) {
    const DateTime now = context_.clock.Now();
    // Before the start-up has named the computer, the system's own name.
    const std::string computer =
        context_.state.computerName.empty() ? UpperCase(context_.system.ComputerName()) : context_.state.computerName;
    const std::string stamp = std::to_string(now.year) + "-" + TwoDigits(now.month) + "-" + TwoDigits(now.day) +
                              " " + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second);
    // Nobody watches an unattended run: a record that cannot be written goes
    // to the debug log if that is on, and the exit code still tells the result.
    const std::string record = stamp + " " + computer + " " + OneRecordLine(text);
    if (const Status written = context_.files.AppendText(Path(), record + "\r\n"); !written) {
        AppendDebugLine(context_, "Corvane.log: " + written.Describe() + " | " + record);
    }
}

}  // namespace corvane
