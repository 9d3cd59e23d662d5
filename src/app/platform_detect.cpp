#include "app/platform_detect.h"

#include "platform/file_system.h"
#include "platform/system_info.h"

namespace corvane {
namespace {

struct ProbedFolder {
    const char* path;
    const char* code;
    const char* label;
};

constexpr ProbedFolder kProbedFolders[] = {
    {"C:\\Windows\\SysWOW64", "6", "Win1x"},
    {"C:\\Winnt\\System32", "4", "WinNT4"},
    {"C:\\Windows\\System32", "5", "WinXP"},
};

}  // namespace

void ProbeSystemFolders(AppContext& context) {
    for (const ProbedFolder& folder : kProbedFolders) {
        if (context.files.Exists(folder.path)) {
            context.state.platformCode = folder.code;
            context.state.platformLabel = folder.label;
            return;
        }
    }
    context.state.platformLabel = "Sin OS";
}

void ClassifyWindowsVersion(AppContext& context) {
    std::string& code = context.state.platformCode;
    const OsVersion version = context.system.QueryOsVersion();
    if (version.ok) {
        switch (version.platformId) {
            case 0:  // Win32s
            case 1:  // Windows 95, 98, Me
                code = "3";
                break;
            case 2:  // NT line; newer majors than 6 are left undecided
                if (version.major >= 3 && version.major <= 6) code = std::to_string(version.major);
                break;
            default:
                break;
        }
    }
    if (context.files.Exists("C:\\Winnt\\System32")) code = "4";
    if (context.files.Exists("C:\\Windows\\SysWOW64")) code = "6";
}

}  // namespace corvane
