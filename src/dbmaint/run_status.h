#pragma once
#include <string>
#include <vector>

namespace corvane {

// What a run is doing at a moment. A run may grow a step of its own (the
// engine's start, say): it gets a value here and a line in StatusLine.
enum class RunAction {
    None,        // between two steps, or done: nothing to show
    Compacting,
    Repairing,
    Restoring,
    Waiting,     // on a database's lock file
    // The database application is being started: the first start of the
    // real one can take ten seconds and more, behind a sand clock alone.
    StartingEngine,
};

// The run's status as a value: each screen, and the run's history, turns it
// into words of its own, and none has to read words back.
struct RunStatus {
    RunAction action = RunAction::None;
    std::string kind;            // the database as the run names it: "Keystone", or its file name
    int place = 0;               // its place in the run, from 1; 0 outside a run of several
    int total = 0;
    int secondsWaited = 0;       // Waiting only
    std::vector<std::string> holders;  // Waiting only: the computers named in the lock file

    friend bool operator==(const RunStatus&, const RunStatus&) = default;
};

// The line under the sand clock: "Compactando Keystone (3 de 9)",
// "Restaurando Pantry", "Esperando Keystone: 23 s, en uso en POS1, POS3";
// empty for None.
std::string StatusLine(const RunStatus& status);

}  // namespace corvane
