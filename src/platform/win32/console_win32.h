#pragma once
#include <string>

namespace corvane::win32 {

// Writes text (UTF-8, lines ended by "\n") where the program's starter can
// read it: the standard output it was given (a redirection to a file or a
// pipe), else the console of the program that started it. A program built
// for windows has neither when started from Explorer or the Task Scheduler:
// false then, and nothing is written.
bool WriteToStarter(const std::string& text);

}  // namespace corvane::win32
