// Automation driver for the end-to-end tests: a console program that runs in
// the same Wine prefix (so the same wineserver and desktop) as the program
// under test, finds its windows and message boxes, reads and answers them and
// sends it keys and clicks.
//
// Output is one "key<TAB>value" line per fact, UTF-8, with the value escaped so
// that a line stays a line: backslash, CR, LF and TAB become \\ \r \n \t and
// any other control character \0ooo. Bash's printf '%b' undoes exactly that.
//
// Every command that waits takes --timeout SECONDS (default 20) and exits 1
// when the deadline passes; usage errors exit 2.

#include "driver.h"

#include <cstdlib>
#include <string>

namespace driver {
namespace {

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == L"--class" && hasValue) options.className = argv[++i];
    else if (arg == L"--title" && hasValue) options.title = argv[++i];
    else if (arg == L"--title-part" && hasValue) options.titlePart = argv[++i];
    else if (arg == L"--hidden") options.includeHidden = true;
    else if (arg == L"--timeout" && hasValue) options.timeoutSeconds = _wtof(argv[++i]);
    else if (arg == L"--poll-ms" && hasValue) options.pollMs = static_cast<DWORD>(_wtoi(argv[++i]));
    else if (arg == L"--button" && hasValue) options.button = argv[++i];
    else if (arg == L"--child" && hasValue) options.child = argv[++i];
    else if (arg == L"--double") options.doubleClick = true;
    else if (arg == L"--announce") options.announce = true;
    else if (arg.size() > 2 && arg.compare(0, 2, L"--") == 0) {
      Fail(L"unknown or incomplete option " + arg);
      return false;
    } else options.positional.push_back(arg);
  }
  return true;
}

void Usage() {
  WriteRaw(STD_ERROR_HANDLE,
           "usage: driver COMMAND [--class C] [--title T] [--title-part T] [--hidden] [--timeout S] [--poll-ms MS] ...\n"
           "  list                          top-level windows (visible ones unless --hidden)\n"
           "  wait-window [--announce]      wait for a matching window; print it and found_ns\n"
           "                                (--announce: print waiting_ns first, once searching)\n"
           "  wait-gone                     wait until no matching window is left\n"
           "  count                         how many windows match now\n"
           "  children                      the controls of a window (rects in its client coordinates)\n"
           "  state                         visible, iconic, foreground and owner of a window\n"
           "  wait-foreground               wait until the foreground window matches\n"
           "  above                         the window just above a matching one in z-order\n"
           "  rect                          outer rectangle and size, client size and screen origin\n"
           "  box --title T                 a message box: title, text, buttons, default, icon\n"
           "  answer --title T --button B   click a message box button (ok, yes, no, cancel ...)\n"
           "  activate                      bring a window to the foreground\n"
           "  keys CHORD...                 type keys into a window (shift+d, ctrl+shift+d, esc, enter, down)\n"
           "  click X Y | --child TEXT      click at client coordinates or on a control\n"
           "        [--button right] [--double]\n"
           "  close                         post WM_CLOSE\n"
           "  kill                          end the window's process at once (TerminateProcess)\n"
           "  minimize                      minimise a window\n"
           "  restore                       show a minimised window again\n"
           "  retitle TEXT                  change a window's caption\n"
           "  computer-name                 the computer name this prefix reports\n");
}

}  // namespace
}  // namespace driver

int wmain(int argc, wchar_t** argv) {
  using namespace driver;
  if (argc < 2) {
    Usage();
    return 2;
  }
  const std::wstring command = argv[1];
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  if (command == L"list") return CmdList(options);
  if (command == L"wait-window") return CmdWaitWindow(options);
  if (command == L"wait-gone") return CmdWaitGone(options);
  if (command == L"count") return CmdCount(options);
  if (command == L"children") return CmdChildren(options);
  if (command == L"state") return CmdState(options);
  if (command == L"wait-foreground") return CmdWaitForeground(options);
  if (command == L"above") return CmdAbove(options);
  if (command == L"rect") return CmdRect(options);
  if (command == L"box") return CmdBox(options);
  if (command == L"answer") return CmdAnswer(options);
  if (command == L"activate") return CmdActivate(options);
  if (command == L"keys") return CmdKeys(options);
  if (command == L"click") return CmdClick(options);
  if (command == L"close") return CmdClose(options);
  if (command == L"kill") return CmdKill(options);
  if (command == L"minimize") return CmdMinimize(options);
  if (command == L"restore") return CmdRestore(options);
  if (command == L"retitle") return CmdRetitle(options);
  if (command == L"computer-name") return CmdComputerName();
  Usage();
  return 2;
}
