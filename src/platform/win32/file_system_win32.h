#pragma once
#include "platform/file_system.h"

namespace corvane::win32 {

class Win32FileSystem : public FileSystem {
public:
    EntryKind Lookup(const std::string& path) override;
    Status Delete(const std::string& path) override;
    Status WriteText(const std::string& path, const std::string& text) override;
    Status AppendText(const std::string& path, const std::string& text) override;
    Status ReadText(const std::string& path, std::string& text) override;
};

}  // namespace corvane::win32
