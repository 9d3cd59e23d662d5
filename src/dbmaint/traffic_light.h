#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbmaint/database_run.h"

namespace corvane {

// How a wait on a database's lock file ended.
enum class WaitEnd {
    Free,           // no lock file (any more)
    LeftOver,       // the same lock file stayed for a minute: recorded in the TL file and deleted
    GaveUp,         // sixteen failed reads: the caller goes on as if the database were free
    TimedOut,       // still locked when the caller's bound ran out
    ProgramEnding,  // the program is closing: the caller stops too
};

// A wait as it ended, and as its status line last showed it: the seconds
// waited and the computers named then; 0 and none when the wait was too
// short to show.
struct LockWait {
    WaitEnd end = WaitEnd::Free;
    int seconds = 0;
    std::vector<std::string> holders;
};

// The computers named in a lock file, in slot order, each once (letter case
// aside): the engine keeps one 64-byte slot per open, the computer name and
// then the user name in 32 bytes each, padded with NUL. Slots are reused, so
// a name may belong to a machine that has closed since: only a hint.
std::vector<std::string> LockSlotNames(std::string_view bytes);

// The last comma- or line-separated value of a lock file as the records carry
// it: one readable line. nullopt when the file holds no value at all.
std::optional<std::string> LockContentOf(std::string_view bytes);

// `TrafficLight`: waits, one second at a time, until the lock file beside the
// database at path is gone. A lock file that keeps its creation time for
// sixty waits is left over from a machine that stopped: it is recorded under
// the database's folder in "TL\<computer> TL.txt" and deleted. Read failures
// go to the folder's "Errors.txt"; the sixteenth ends the wait. label names
// the caller in the records and in LBLMSG's caption, on run's window.
//
// From the eleventh wait on, the status line says what is waited on and who
// holds it. The last such line stays when this returns: the caller sets its
// own next.
//
// The run's waitLimitSeconds, when not 0, bounds the wait: a lock file still
// there after that many one-second waits ends it TimedOut, whatever its
// times say.
LockWait TrafficLight(DatabaseRun& run, const std::string& path, const std::string& label);

}  // namespace corvane
