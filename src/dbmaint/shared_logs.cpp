#include "dbmaint/shared_logs.h"

#include "app/date_helpers.h"
#include "app/debug_log.h"
#include "base/text.h"
#include "platform/file_system.h"

namespace corvane {

SharedLogs::SharedLogs(AppContext& context, const std::string& databasePath, std::string who)
    : context_(context), folder_(FolderOf(databasePath)), who_(std::move(who)) {}

void SharedLogs::ToErrorLog(const std::vector<std::string>& fields) {
    Append(JoinPath(folder_, "Errors.txt"), fields);
}

void SharedLogs::ToTlFile(const std::vector<std::string>& fields) {
    const std::string tlFolder = JoinPath(folder_, "TL");
    if (context_.files.Lookup(tlFolder) != EntryKind::Folder) {
        // Another machine may have made it a moment ago.
        if (const Status made = context_.files.CreateFolder(tlFolder); !made && made.code != kAlreadyExists) {
            AppendDebugLine(context_, who_ + ": " + tlFolder + " " + made.Describe());
        }
    }
    Append(JoinPath(tlFolder, context_.state.computerName + " TL.txt"), fields);
}

void SharedLogs::Append(const std::string& logPath, const std::vector<std::string>& fields) {
    DateStamps stamps;
    SetDateStamps(stamps, GetMachineDateTime(context_, context_.state.computerName));
    std::string record = "\"" + stamps.StampText + "\"";
    for (const std::string& field : fields) record += ",\"" + field + "\"";
    record += "\r\n";
    if (const Status written = context_.files.AppendText(logPath, record); !written) {
        AppendDebugLine(context_, who_ + ": " + logPath + " " + written.Describe());
    }
}

}  // namespace corvane
