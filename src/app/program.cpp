#include "app/program.h"

#include "app/build_config.h"

namespace corvane {

std::string VersionString(int major, int minor, int revision) {
    return "v" + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

std::string ProgramVersion() {
    return std::string(kAppTitle) + " " +
           VersionString(build::kVersionMajor, build::kVersionMinor, build::kVersionRevision);
}

}  // namespace corvane
