#pragma once
#include <string>
#include <vector>

#include "app/context.h"

namespace corvane {

// The records the database work leaves beside the databases, so every
// machine's records collect in one place: "Errors.txt" and "TL\<computer>
// TL.txt" in the folder of the database concerned. Each record is one line of
// double-quoted fields after the moment it was written, as the machine's own
// time service tells it. A log that cannot be written is noted in the debug
// log and never holds up the caller.
class SharedLogs {
public:
    // who names the writer in the debug log's note of a record that failed.
    SharedLogs(AppContext& context, const std::string& databasePath, std::string who);

    void ToErrorLog(const std::vector<std::string>& fields);
    void ToTlFile(const std::vector<std::string>& fields);

private:
    void Append(const std::string& logPath, const std::vector<std::string>& fields);

    AppContext& context_;
    std::string folder_;
    std::string who_;
};

// The last field of every record.
constexpr const char* kRecordEnd = "Quorra";

}  // namespace corvane
