#pragma once
#include <string>

#include "app/context.h"

namespace corvane {

// Corvane.log in the program's folder: what an unattended run did, for
// whoever looks the next morning. One record a line, appended in the ANSI
// code page with CR LF: "YYYY-MM-DD HH:MM:SS COMPUTER text". A message box's
// line breaks become " | ", so a box is one record.
class RunLog {
public:
    explicit RunLog(AppContext& context) : context_(context) {}

    void Record(const std::string& text);
    std::string Path() const;

private:
    AppContext& context_;
};

// "a\rb\r\rc" -> "a | b | c": empty lines dropped, one record a box.
std::string OneRecordLine(const std::string& text);

}  // namespace corvane
