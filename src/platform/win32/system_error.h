#pragma once
#include <string>

#include "platform/status.h"

namespace corvane::win32 {

// The system's text for an error number, in UTF-8 and in the user's language,
// without the line end FormatMessage puts after it (the shared logs put the
// text inside one line). Never empty.
std::string SystemErrorText(unsigned long code);

// A failure with its number and text: code is read by the caller at once.
Status SystemFailure(unsigned long code, const char* where);
// GetLastError() of the call that has just failed, read before anything else runs.
Status LastErrorFailure(const char* where);

}  // namespace corvane::win32
