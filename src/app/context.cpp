#include "app/context.h"

#include "base/text.h"

namespace corvane {

ProgramLocation LocateProgram(const std::string& modulePath) {
    std::string path = modulePath;
    if (UpperCase(path.substr(0, 8)) == "\\\\?\\UNC\\") {
        path = "\\\\" + path.substr(8);
    } else if (path.rfind("\\\\?\\", 0) == 0) {
        path = path.substr(4);
    } else if (UpperCase(path.substr(0, 4)) == "UNC\\") {
        path = "\\\\" + path.substr(4);
    }

    ProgramLocation location;
    const std::size_t slash = path.find_last_of('\\');
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    location.folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    // A drive root keeps its backslash ("E:\"), as the OS writes it.
    if (location.folder.size() == 2 && location.folder[1] == ':') location.folder += '\\';
    const std::size_t dot = file.find_last_of('.');
    location.name = dot == std::string::npos ? file : file.substr(0, dot);
    return location;
}

}  // namespace corvane
